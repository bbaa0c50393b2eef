#include "ui/ScriptedDialogs.h"

namespace {

int unansweredResult(MessageBoxKind kind) {
    switch (kind) {
    case MessageBoxKind::YesNoCancel:
        return IDCANCEL;
    case MessageBoxKind::YesNo:
        return IDNO;
    default:
        return IDOK;
    }
}

bool isQuestion(MessageBoxKind kind) {
    return kind == MessageBoxKind::YesNo || kind == MessageBoxKind::YesNoCancel;
}

} // namespace

ScriptedMessageBoxes::ScriptedMessageBoxes()
    : previous_(MessageBoxService::install(this)) {}

ScriptedMessageBoxes::~ScriptedMessageBoxes() {
    MessageBoxService::install(previous_);
}

void ScriptedMessageBoxes::answer(int result) {
    answers_.push_back(result);
}

int ScriptedMessageBoxes::show(const MessageBoxRequest& request) {
    int result = unansweredResult(request.kind);
    if (isQuestion(request.kind) && !answers_.empty()) {
        result = answers_.front();
        answers_.pop_front();
    }
    shown_.push_back({request.kind, request.text, request.caption, request.owner, result});
    return result;
}

ScriptedFileDialogs::ScriptedFileDialogs()
    : previous_(FileDialogService::install(this)) {}

ScriptedFileDialogs::~ScriptedFileDialogs() {
    FileDialogService::install(previous_);
}

void ScriptedFileDialogs::choose(const QString& path, int filterIndex) {
    answers_.push_back({path, filterIndex});
}

void ScriptedFileDialogs::cancel() {
    answers_.push_back({std::nullopt, 0});
}

bool ScriptedFileDialogs::openFile(FileDialogSettings& dialog, QWidget* owner) {
    return respond(Kind::Open, dialog, owner);
}

bool ScriptedFileDialogs::saveFile(FileDialogSettings& dialog, QWidget* owner) {
    return respond(Kind::Save, dialog, owner);
}

bool ScriptedFileDialogs::respond(Kind kind, FileDialogSettings& dialog, QWidget* owner) {
    Answer answer{std::nullopt, 0};
    if (!answers_.empty()) {
        answer = answers_.front();
        answers_.pop_front();
    }
    shown_.push_back({kind, dialog, owner, answer.path.has_value()});
    if (!answer.path)
        return false;
    if (answer.filterIndex > 0)
        dialog.filterIndex = answer.filterIndex;
    dialog.fileName = withDefaultExtension(*answer.path, extensionForFilter(dialog));
    return true;
}

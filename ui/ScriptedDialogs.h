#pragma once

#include "ui/FileDialogs.h"
#include "ui/MessageBoxes.h"

#include <QString>
#include <deque>
#include <optional>
#include <string>
#include <vector>

class QWidget;

// Stand-ins for the real message boxes and file dialogs, for tests of windows and commands.
// Each installs itself when made and puts the service it replaced back when destroyed, so a
// test only declares one. Nothing is shown: every box and dialog is recorded and answered
// from a queue the test fills.

class ScriptedMessageBoxes final : public MessageBoxService {
public:
    struct Shown {
        MessageBoxKind kind;
        std::string text;
        std::string caption;
        QWidget* owner;
        int result;
    };

    ScriptedMessageBoxes();
    ~ScriptedMessageBoxes() override;
    ScriptedMessageBoxes(const ScriptedMessageBoxes&) = delete;
    ScriptedMessageBoxes& operator=(const ScriptedMessageBoxes&) = delete;

    // The next question gets this result (IDYES, IDNO, IDCANCEL). A question asked with no
    // answer left gets IDCANCEL (yes/no/cancel) or IDNO (yes/no), so a forgotten answer does
    // nothing the test did not ask for; OK boxes need no answer.
    void answer(int result);
    void answerYes() { answer(IDYES); }
    void answerNo() { answer(IDNO); }
    void answerCancel() { answer(IDCANCEL); }

    int show(const MessageBoxRequest& request) override;

    const std::vector<Shown>& shown() const { return shown_; }
    // The answers queued but not yet used.
    std::size_t pendingAnswers() const { return answers_.size(); }
    void clear() { shown_.clear(); }

private:
    std::deque<int> answers_;
    std::vector<Shown> shown_;
    MessageBoxService* previous_;
};

class ScriptedFileDialogs final : public FileDialogService {
public:
    enum class Kind { Open, Save };
    struct Shown {
        Kind kind;
        FileDialogSettings settings; // as the dialog was asked to show
        QWidget* owner;
        bool confirmed;
    };

    ScriptedFileDialogs();
    ~ScriptedFileDialogs() override;
    ScriptedFileDialogs(const ScriptedFileDialogs&) = delete;
    ScriptedFileDialogs& operator=(const ScriptedFileDialogs&) = delete;

    // The next dialog confirms this path, in the filter given (0: the one it showed). The
    // path gets the dialog's default extension as the real dialog would add it. A dialog
    // with no answer left is cancelled.
    void choose(const QString& path, int filterIndex = 0);
    void cancel();

    bool openFile(FileDialogSettings& dialog, QWidget* owner) override;
    bool saveFile(FileDialogSettings& dialog, QWidget* owner) override;

    const std::vector<Shown>& shown() const { return shown_; }
    std::size_t pendingAnswers() const { return answers_.size(); }
    void clear() { shown_.clear(); }

private:
    struct Answer {
        std::optional<QString> path;
        int filterIndex;
    };
    bool respond(Kind kind, FileDialogSettings& dialog, QWidget* owner);

    std::deque<Answer> answers_;
    std::vector<Shown> shown_;
    FileDialogService* previous_;
};

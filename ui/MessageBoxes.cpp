#include "ui/MessageBoxes.h"

#include "platform/Cp1250.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTranslator>
#include <memory>
#include <utility>

namespace {

std::string cp1250(const char* utf8) {
    return toCp1250(QString::fromUtf8(utf8));
}

QMessageBox::Icon iconOf(MessageBoxKind kind) {
    switch (kind) {
    case MessageBoxKind::Information:
        return QMessageBox::Information;
    case MessageBoxKind::YesNo:
    case MessageBoxKind::YesNoCancel:
        return QMessageBox::Question;
    case MessageBoxKind::Error:
    case MessageBoxKind::ProgramError:
        break;
    }
    return QMessageBox::Critical;
}

QMessageBox::StandardButtons buttonsOf(MessageBoxKind kind) {
    switch (kind) {
    case MessageBoxKind::YesNo:
        return QMessageBox::Yes | QMessageBox::No;
    case MessageBoxKind::YesNoCancel:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    default:
        return QMessageBox::Ok;
    }
}

bool isQuestion(MessageBoxKind kind) {
    return kind == MessageBoxKind::YesNo || kind == MessageBoxKind::YesNoCancel;
}

// Qt names its standard buttons through its own translation; without it they would read
// "Yes" and "No" in a Hungarian program.
bool qtTranslationMissing() {
    return QCoreApplication::translate("QPlatformTheme", "&Yes") == QLatin1String("&Yes");
}

void setHungarianButtonTexts(QMessageBox& box) {
    const std::pair<QMessageBox::StandardButton, const char*> texts[] = {
        {QMessageBox::Yes, "&Igen"},
        {QMessageBox::No, "&Nem"},
        {QMessageBox::Cancel, "Mégse"},
        {QMessageBox::Ok, "OK"},
    };
    for (const auto& [which, text] : texts) {
        if (QAbstractButton* button = box.button(which))
            button->setText(QString::fromUtf8(text));
    }
}

// A box closed without a button (a yes/no box cannot be; Esc there means No) counts as its
// way out: Cancel, No or OK.
int resultOf(QMessageBox::StandardButton pressed, MessageBoxKind kind) {
    switch (pressed) {
    case QMessageBox::Yes:
        return IDYES;
    case QMessageBox::No:
        return IDNO;
    case QMessageBox::Cancel:
        return IDCANCEL;
    case QMessageBox::Ok:
        return IDOK;
    default:
        break;
    }
    if (kind == MessageBoxKind::YesNoCancel)
        return IDCANCEL;
    return kind == MessageBoxKind::YesNo ? IDNO : IDOK;
}

class QtMessageBoxService final : public MessageBoxService {
public:
    int show(const MessageBoxRequest& request) override {
        QMessageBox box(iconOf(request.kind), fromCp1250(request.caption), fromCp1250(request.text),
                        buttonsOf(request.kind), request.owner);
        // The system's messages are plain text; one that happens to look like markup must
        // not be rendered as such.
        box.setTextFormat(Qt::PlainText);
        box.setWindowModality(request.owner ? Qt::WindowModal : Qt::ApplicationModal);
        box.setDefaultButton(isQuestion(request.kind) ? QMessageBox::Yes : QMessageBox::Ok);
        if (qtTranslationMissing())
            setHungarianButtonTexts(box);
        box.exec();
        return resultOf(box.standardButton(box.clickedButton()), request.kind);
    }
};

MessageBoxService*& installedService() {
    static MessageBoxService* service = nullptr;
    return service;
}

// The questions and the error box hand the activation back to the window that had it, which
// may be another one than the owner.
class ActiveWindowKeeper {
public:
    ActiveWindowKeeper()
        : active_(QApplication::activeWindow()) {}
    ~ActiveWindowKeeper() {
        if (active_)
            active_->activateWindow();
    }
    ActiveWindowKeeper(const ActiveWindowKeeper&) = delete;
    ActiveWindowKeeper& operator=(const ActiveWindowKeeper&) = delete;

private:
    QPointer<QWidget> active_;
};

int showBox(MessageBoxKind kind, std::string_view text, std::string caption, QWidget* owner) {
    return MessageBoxService::current().show({kind, std::string(text), std::move(caption), owner});
}

} // namespace

MessageBoxService& MessageBoxService::current() {
    static QtMessageBoxService real;
    MessageBoxService* installed = installedService();
    return installed ? *installed : real;
}

MessageBoxService* MessageBoxService::install(MessageBoxService* service) {
    return std::exchange(installedService(), service);
}

void Uzenet(std::string_view text, QWidget* owner) {
    showBox(MessageBoxKind::Information, text, cp1250("Üzenet"), owner);
}

void HibaUzenet(std::string_view text, QWidget* owner) {
    ActiveWindowKeeper keeper;
    showBox(MessageBoxKind::Error, text, cp1250("Hiba"), owner);
}

bool IgenNem(std::string_view text, std::string_view caption, QWidget* owner) {
    ActiveWindowKeeper keeper;
    return showBox(MessageBoxKind::YesNo, text, std::string(caption), owner) == IDYES;
}

int IgenNemMegse(std::string_view text, std::string_view caption, QWidget* owner) {
    ActiveWindowKeeper keeper;
    return showBox(MessageBoxKind::YesNoCancel, text, std::string(caption), owner);
}

std::string withFullStop(std::string message) {
    if (!message.empty() && static_cast<unsigned char>(message.back()) > '.')
        message += '.';
    return message;
}

void ProgramErrorBox(std::string_view message, QWidget* owner) {
    showBox(MessageBoxKind::ProgramError, withFullStop(std::string(message)), ProgramTitle, owner);
}

void ProgramErrorBox(const std::exception& error, QWidget* owner) {
    ProgramErrorBox(std::string_view(error.what()), owner);
}

bool installQtTranslation(QCoreApplication& app) {
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(QLocale(QLocale::Hungarian, QLocale::Hungary), QStringLiteral("qtbase"),
                          QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return false;
    translator->setParent(&app);
    return QCoreApplication::installTranslator(translator.release());
}

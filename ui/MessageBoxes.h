#pragma once

#include <exception>
#include <string>
#include <string_view>

class QCoreApplication;
class QWidget;

// The program's message boxes. Texts and captions are code page 1250. Every box is modal to
// its owner window (or to the whole program when there is none).
//
// The boxes go through MessageBoxService::current(), which shows real boxes unless a test has
// installed a scripted service (ui/ScriptedDialogs.h).

// Button results, with the numbers the program has always used for them.
enum TMessageResult : int { IDOK = 1, IDCANCEL = 2, IDYES = 6, IDNO = 7 };

enum class MessageBoxKind {
    Information,  // "Üzenet", information icon, OK
    Error,        // "Hiba", error icon, OK
    YesNo,        // caller's caption, question icon, Yes and No
    YesNoCancel,  // caller's caption, question icon, Yes, No and Cancel
    ProgramError, // "Vemba", error icon, OK: the failures that no command handled
};

struct MessageBoxRequest {
    MessageBoxKind kind = MessageBoxKind::Information;
    std::string text;
    std::string caption;
    QWidget* owner = nullptr;
};

class MessageBoxService {
public:
    virtual ~MessageBoxService() = default;

    // Shows the box and returns the button pressed (IDOK for the boxes with only OK).
    virtual int show(const MessageBoxRequest& request) = 0;

    // The installed service, or the one showing real boxes.
    static MessageBoxService& current();

    // Installs a service for as long as the caller keeps it; nullptr goes back to the real
    // boxes. Returns the service installed before.
    static MessageBoxService* install(MessageBoxService* service);
};

// Information box "Üzenet".
void Uzenet(std::string_view text, QWidget* owner);

// Error box "Hiba".
void HibaUzenet(std::string_view text, QWidget* owner);

// Yes/No question; true when Yes was pressed.
bool IgenNem(std::string_view text, std::string_view caption, QWidget* owner);

// Yes/No/Cancel question; IDYES, IDNO or IDCANCEL.
int IgenNemMegse(std::string_view text, std::string_view caption, QWidget* owner);

// The program-wide error box: the message with a full stop added when needed, caption "Vemba",
// error icon, OK.
void ProgramErrorBox(std::string_view message, QWidget* owner);
// The message of any failure (what()); VembaError carries code page 1250 text.
void ProgramErrorBox(const std::exception& error, QWidget* owner);

// The message as the error box shows it: a full stop is added when the code of the last byte
// is greater than that of the full stop (0x2E). Byte codes decide, not the locale's
// collation: a message ending in a letter, a digit, '?' or ':' gets one; one ending in '.',
// '!', ')' or a blank, and an empty message, stay as they are.
std::string withFullStop(std::string message);

// The program title, the caption of the program-wide error box.
inline constexpr const char* ProgramTitle = "Vemba";

// Loads Qt's own Hungarian translation (button texts of the message and file dialogs) into
// the application. Returns false when the translation is not installed; the boxes then use
// built-in Hungarian button texts.
bool installQtTranslation(QCoreApplication& app);

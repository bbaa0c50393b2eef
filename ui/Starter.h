#pragma once

#include <QStringList>
#include <QUrl>
#include <functional>
#include <memory>
#include <string>
#include <utility>

// Hands a document or an address to the desktop, or starts a program, without waiting for it.
// The launcher reaches the desktop only through this, so a test can see what would be opened.
class TStarterOpener {
public:
    virtual ~TStarterOpener() = default;
    // Opens a document, folder or address with the user's associated program.
    virtual bool OpenUrl(const QUrl& url) = 0;
    // Starts a program with its arguments in the given working folder.
    virtual bool StartProgram(const QString& program, const QStringList& arguments,
                              const QString& workingDir) = 0;
};

// The desktop's own opener: the associated program through the desktop services (xdg-open),
// programs as detached processes.
class TDesktopOpener : public TStarterOpener {
public:
    bool OpenUrl(const QUrl& url) override;
    bool StartProgram(const QString& program, const QStringList& arguments,
                      const QString& workingDir) override;
};

// Opens what Command names: a file or folder, a web address or a mailto address, with the
// program the user has for it. Text is code page 1250, like all text inside the program.
class TStarter {
public:
    // The codes kept in LastError after a failed start.
    static constexpr int ErrorFileNotFound = 2;
    static constexpr int ErrorNoAssociation = 31;

    explicit TStarter(std::shared_ptr<TStarterOpener> opener = std::make_shared<TDesktopOpener>());

    // A file path (relative ones are taken from DefaultDir), or an address with a scheme
    // ("https:", "mailto:", ...), passed on as written.
    const std::string& Command() const { return command_; }
    void SetCommand(std::string command) { command_ = std::move(command); }

    // Arguments for a program: used only when Command names an executable file.
    const std::string& Parameters() const { return parameters_; }
    void SetParameters(std::string parameters) { parameters_ = std::move(parameters); }

    // The folder relative paths are taken from and programs are started in.
    const std::string& DefaultDir() const { return defaultDir_; }
    void SetDefaultDir(std::string dir) { defaultDir_ = std::move(dir); }

    // Starts what Command names and returns at once; nothing of the start is kept, and the
    // started program lives on its own. A failure shows nothing: it is kept in LastError and
    // reported to OnError when one is assigned.
    void Inditas();

    // The code of the last failed start; 0 until a start fails.
    int LastError() const { return lastError_; }
    std::function<void(int error)> OnError;

private:
    int start(const QString& command);
    int startFile(const QString& path);

    std::shared_ptr<TStarterOpener> opener_;
    std::string command_;
    std::string parameters_;
    std::string defaultDir_;
    int lastError_ = 0;
};

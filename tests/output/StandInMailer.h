#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <string>
#include <vector>

// A stand-in xdg-email first on PATH for as long as it lives: it records its arguments,
// NUL-separated so that blanks, quotes and line breaks come back exactly, and then runs the
// ending the test gives it ("exit 0" at first). PATH is put back when it goes.
class StandInMailer {
public:
    StandInMailer();
    ~StandInMailer();
    StandInMailer(const StandInMailer&) = delete;
    StandInMailer& operator=(const StandInMailer&) = delete;

    void install(const QByteArray& ending);
    // PATH holds only an empty folder: there is no xdg-email at all.
    void removeFromPath();
    // The helper stays first on PATH, but the system cannot start it.
    void makeUnrunnable();

    bool ran() const;
    // The arguments of the last run (UTF-8); empty when it never ran.
    std::vector<std::string> arguments() const;
    void forget();

private:
    QString script() const;
    QString log() const;

    QTemporaryDir bin_;
    QTemporaryDir empty_;
    QByteArray oldPath_;
};

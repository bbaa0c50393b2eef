#pragma once

#include "download/UrlLetoltes.h"

#include <QPointer>
#include <QtGlobal>

class QDialog;
class QLabel;
class QProgressBar;
class QWidget;

// The progress window of a long download: "Letöltés...", the bytes received (and of how many,
// when the server says so), a bar and "Mégsem". It is modal, so the only input the program
// takes during the download is this window's; "Mégsem", Esc and its close box cancel.
class DownloadProgressWindow final : public DownloadProgress {
public:
    // The window is made on show, modal to the whole program, over the owner.
    explicit DownloadProgressWindow(QWidget* owner)
        : owner_(owner) {}
    ~DownloadProgressWindow() override;

    void show(std::function<void()> cancel) override;
    void update(qint64 received, qint64 total) override;
    void hide() override;

    // The window while it is shown, else nullptr.
    QDialog* window() const { return window_.data(); }

    // The byte count as the window shows it, "12 345 bájt" or "12 345 / 67 890 bájt".
    static QString BytesText(qint64 received, qint64 total);

private:
    QPointer<QWidget> owner_;
    QPointer<QDialog> window_;
    QLabel* bytes_ = nullptr;
    QProgressBar* bar_ = nullptr;
};

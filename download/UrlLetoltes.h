#pragma once

#include <QString>
#include <QtGlobal>
#include <functional>

class QIODevice;
class QUrl;

// The progress window of a download that takes a while. The download shows it once the
// transfer has run for DownloadSettings::ProgressDelayMs without finishing, reports the bytes
// as they arrive and hides it at the end, whatever the end. The user's "Mégsem" calls the
// cancel function the window was given; the download then fails like any other. The windows
// use download/DownloadProgressWindow.h; tests script their own.
class DownloadProgress {
public:
    virtual ~DownloadProgress() = default;
    virtual void show(std::function<void()> cancel) = 0;
    // total is -1 while the server has not said how many bytes come.
    virtual void update(qint64 received, qint64 total) = 0;
    virtual void hide() = 0;
};

struct DownloadSettings {
    // A transfer that receives nothing for this long fails.
    int IdleTimeoutMs = 30000;
    // The progress window appears when the transfer has not finished after this long.
    int ProgressDelayMs = 500;
    // No window: no progress is shown and there is no way to cancel.
    DownloadProgress* Progress = nullptr;
};

// How a download ended. The reason of a failure is Qt's or the server's own (English) text:
// the HTTP status with its phrase, the network error, the file that could not be written.
struct DownloadResult {
    bool Ok = false;
    QString Reason;
};

// The address as a download takes it: an http or https URL with a host. Anything else
// (file:, ftp:, an empty or malformed text) gives an invalid URL and the reason.
QUrl downloadUrl(const QString& address, QString* reason = nullptr);

// Fetches the address into the device, which is open for writing, and returns when the
// transfer has ended: the caller blocks, while a local event loop keeps the windows painted
// (the user's input waits until the download is over, or goes to the progress window).
// Redirects are followed unless they lead from https to http. The transfer succeeds when it
// ends without an error with an HTTP status of 200 to 299; only such a response's body is
// written to the device.
DownloadResult downloadTo(const QString& address, QIODevice& device,
                          const DownloadSettings& settings = {});

// Fetches the address into the file at the destination path. The file is written beside the
// destination and replaces it only after a complete, successful transfer: after a failure the
// destination is exactly as it was, absent or the old file. An address that is not http or
// https fails before anything is touched.
DownloadResult downloadToFile(const QString& address, const QString& destination,
                              const DownloadSettings& settings = {});

// The download of the windows: true exactly when the destination now holds the resource.
bool UrlLetoltes(const QString& address, const QString& destination,
                 const DownloadSettings& settings = {});

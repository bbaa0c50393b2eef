#include "download/UrlLetoltes.h"

#include <QEventLoop>
#include <QIODevice>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSaveFile>
#include <QTimer>
#include <QUrl>

namespace {

// "30 s", or "250 ms" for the short time-outs of tests.
QString duration(int ms) {
    return ms % 1000 == 0 ? QStringLiteral("%1 s").arg(ms / 1000) : QStringLiteral("%1 ms").arg(ms);
}

bool isSuccessStatus(int status) {
    return status >= 200 && status <= 299;
}

int httpStatus(const QNetworkReply& reply) {
    return reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
}

QString statusText(const QNetworkReply& reply) {
    const QString phrase =
        reply.attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString().trimmed();
    QString text = QStringLiteral("HTTP %1").arg(httpStatus(reply));
    if (!phrase.isEmpty())
        text += QLatin1Char(' ') + phrase;
    return text;
}

// One transfer, from the request to its end. The body goes to the device as it arrives, so a
// large test never sits in memory whole.
class Transfer {
public:
    Transfer(QNetworkReply& reply, QIODevice& device, const DownloadSettings& settings)
        : reply_(reply)
        , device_(device)
        , settings_(settings) {
        idle_.setSingleShot(true);
        idle_.setInterval(settings.IdleTimeoutMs);
        QObject::connect(&idle_, &QTimer::timeout, &reply_, [this] {
            fail(QStringLiteral("no data received for ") + duration(settings_.IdleTimeoutMs));
        });
        QObject::connect(&reply_, &QNetworkReply::readyRead, &reply_, [this] {
            idle_.start();
            take();
        });
        QObject::connect(&reply_, &QNetworkReply::metaDataChanged, &reply_,
                         [this] { idle_.start(); });
        QObject::connect(&reply_, &QNetworkReply::downloadProgress, &reply_,
                         [this](qint64 received, qint64 total) { progressed(received, total); });
        QObject::connect(&reply_, &QNetworkReply::finished, &loop_, &QEventLoop::quit);
    }

    DownloadResult run() {
        idle_.start();
        if (settings_.Progress != nullptr && !waitUserInputExcluded())
            waitWithProgressWindow();
        else if (!reply_.isFinished())
            loop_.exec(QEventLoop::ExcludeUserInputEvents);
        idle_.stop();
        take();
        return result();
    }

private:
    // The user's input waits while the download is short; false when the progress window is
    // due.
    bool waitUserInputExcluded() {
        if (reply_.isFinished())
            return true;
        QTimer delay;
        delay.setSingleShot(true);
        QObject::connect(&delay, &QTimer::timeout, &loop_, [this] { loop_.exit(1); });
        delay.start(settings_.ProgressDelayMs);
        return loop_.exec(QEventLoop::ExcludeUserInputEvents) == 0 || reply_.isFinished();
    }

    // The window is modal: the input it lets through is its own "Mégsem".
    void waitWithProgressWindow() {
        DownloadProgress& progress = *settings_.Progress;
        progress.show([this] { fail(QStringLiteral("cancelled")); });
        progress.update(received_, total_);
        showing_ = true;
        if (!reply_.isFinished())
            loop_.exec();
        showing_ = false;
        progress.hide();
    }

    void progressed(qint64 received, qint64 total) {
        idle_.start();
        received_ = received;
        total_ = total;
        if (showing_)
            settings_.Progress->update(received, total);
    }

    // The body of a response that is not a success (an error page, a redirect) is dropped.
    void take() {
        if (!reply_.isOpen()) // aborted
            return;
        const QByteArray bytes = reply_.readAll();
        if (bytes.isEmpty() || !failure_.isEmpty() || !isSuccessStatus(httpStatus(reply_)))
            return;
        if (device_.write(bytes) != bytes.size())
            fail(device_.errorString());
    }

    void fail(const QString& reason) {
        if (failure_.isEmpty())
            failure_ = reason;
        if (!reply_.isFinished())
            reply_.abort();
    }

    DownloadResult result() const {
        if (!failure_.isEmpty())
            return {false, failure_};
        const int status = httpStatus(reply_);
        if (status >= 400)
            return {false, statusText(reply_)};
        if (reply_.error() != QNetworkReply::NoError)
            return {false, reply_.errorString()};
        if (!isSuccessStatus(status))
            return {false, statusText(reply_)};
        return {true, {}};
    }

    QNetworkReply& reply_;
    QIODevice& device_;
    const DownloadSettings& settings_;
    QEventLoop loop_;
    QTimer idle_;
    QString failure_;
    qint64 received_ = 0;
    qint64 total_ = -1;
    bool showing_ = false;
};

} // namespace

QUrl downloadUrl(const QString& address, QString* reason) {
    const QUrl url(address);
    const QString scheme = url.scheme();
    if (url.isValid() && (scheme == QLatin1String("http") || scheme == QLatin1String("https")) &&
        !url.host().isEmpty())
        return url;
    if (reason != nullptr)
        *reason = address.isEmpty() ? QStringLiteral("no address given")
                                    : QStringLiteral("not an http or https address: ") + address;
    return {};
}

DownloadResult downloadTo(const QString& address, QIODevice& device,
                          const DownloadSettings& settings) {
    QString reason;
    const QUrl url = downloadUrl(address, &reason);
    if (!url.isValid())
        return {false, reason};
    QNetworkAccessManager manager;
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                         QNetworkRequest::AlwaysNetwork);
    request.setHeader(QNetworkRequest::UserAgentHeader, QByteArrayLiteral("Vemba/" VEMBA_VERSION));
    QNetworkReply* reply = manager.get(request);
    Transfer transfer(*reply, device, settings);
    return transfer.run();
}

DownloadResult downloadToFile(const QString& address, const QString& destination,
                              const DownloadSettings& settings) {
    QString reason;
    if (!downloadUrl(address, &reason).isValid())
        return {false, reason};
    QSaveFile file(destination);
    if (!file.open(QIODevice::WriteOnly))
        return {false, destination + QStringLiteral(": ") + file.errorString()};
    DownloadResult result = downloadTo(address, file, settings);
    if (!result.Ok) {
        file.cancelWriting();
        return result;
    }
    if (!file.commit())
        return {false, destination + QStringLiteral(": ") + file.errorString()};
    return result;
}

bool UrlLetoltes(const QString& address, const QString& destination,
                 const DownloadSettings& settings) {
    return downloadToFile(address, destination, settings).Ok;
}

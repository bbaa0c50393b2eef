#include "support/HttpTestServer.h"

#include <QPointer>
#include <QTcpSocket>
#include <QTimer>

namespace {

QByteArray head(int code, const QByteArray& phrase, const QByteArray& headers, qsizetype length) {
    return "HTTP/1.1 " + QByteArray::number(code) + ' ' + phrase + "\r\n" + headers +
           "Content-Length: " + QByteArray::number(length) + "\r\nConnection: close\r\n\r\n";
}

} // namespace

HttpTestServer::HttpTestServer() {
    server_.listen(QHostAddress::LocalHost, 0);
    connect(&server_, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket* socket = server_.nextPendingConnection()) {
            socket->setParent(this);
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] { answer(socket); });
        }
    });
}

QString HttpTestServer::url(const QString& path) const {
    return QStringLiteral("http://127.0.0.1:%1%2").arg(server_.serverPort()).arg(path);
}

void HttpTestServer::serve(const QString& path, Response response) {
    responses_[path] = std::move(response);
}

// Answers once the request's head is complete; requests carry no body here.
void HttpTestServer::answer(QTcpSocket* socket) {
    if (socket->property("answered").toBool())
        return;
    QByteArray request = socket->property("request").toByteArray() + socket->readAll();
    socket->setProperty("request", request);
    if (!request.contains("\r\n\r\n"))
        return;
    socket->setProperty("answered", true);
    const QList<QByteArray> requestLine = request.left(request.indexOf("\r\n")).split(' ');
    const QString path = QString::fromLatin1(requestLine.value(1));
    ++requests_[path];
    const auto found = responses_.constFind(path);
    send(socket, found != responses_.constEnd() ? *found : status(404, "Not Found", "nincs"), 0);
}

void HttpTestServer::send(QTcpSocket* socket, const Response& response, std::size_t part) {
    if (part < response.parts.size()) {
        socket->write(response.parts[part]);
        socket->flush();
        if (part + 1 < response.parts.size()) {
            QPointer<QTcpSocket> alive(socket);
            QTimer::singleShot(response.delayMs, this, [this, alive, response, part] {
                if (alive)
                    send(alive, response, part + 1);
            });
            return;
        }
    }
    if (response.close)
        socket->disconnectFromHost();
}

HttpTestServer::Response HttpTestServer::ok(const QByteArray& body, const QByteArray& contentType) {
    return {{head(200, "OK", "Content-Type: " + contentType + "\r\n", body.size()) + body}};
}

HttpTestServer::Response HttpTestServer::status(int code, const QByteArray& phrase,
                                                const QByteArray& body) {
    return {{head(code, phrase, "Content-Type: text/html\r\n", body.size()) + body}};
}

HttpTestServer::Response HttpTestServer::redirect(int code, const QByteArray& location) {
    const QByteArray body = "moved";
    return {{head(code, "Moved", "Location: " + location + "\r\n", body.size()) + body}};
}

HttpTestServer::Response HttpTestServer::truncated(const QByteArray& body, int sentBytes) {
    return {{head(200, "OK", "Content-Type: text/plain\r\n", body.size()) + body.left(sentBytes)}};
}

HttpTestServer::Response HttpTestServer::silent() {
    return {{}, 0, false};
}

HttpTestServer::Response HttpTestServer::slow(const QByteArray& body, int pieces, int delayMs) {
    Response response;
    response.delayMs = delayMs;
    response.parts.push_back(head(200, "OK", "Content-Type: text/plain\r\n", body.size()));
    const qsizetype piece = (body.size() + pieces - 1) / pieces;
    for (qsizetype at = 0; at < body.size(); at += piece)
        response.parts.push_back(body.mid(at, piece));
    return response;
}

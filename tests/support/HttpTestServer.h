#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QMap>
#include <QObject>
#include <QString>
#include <QTcpServer>
#include <vector>

class QTcpSocket;

// A small web server for tests and benchmarks, on 127.0.0.1 at a port the system chooses,
// answering each path with a canned response. It runs on the thread that made it, so it
// answers while that thread's event loop runs (the download's local loop included).
class HttpTestServer : public QObject {
public:
    struct Response {
        // Sent one after the other, each after DelayMs; the first is sent at once.
        std::vector<QByteArray> parts;
        int delayMs = 0;
        // Close the connection after the last part; false keeps it open and silent.
        bool close = true;
    };

    HttpTestServer();

    // http://127.0.0.1:<port><path>
    QString url(const QString& path) const;
    void serve(const QString& path, Response response);
    // How many requests reached the path.
    int requests(const QString& path) const { return requests_.value(path); }

    // 200 with the body.
    static Response ok(const QByteArray& body, const QByteArray& contentType = "text/plain");
    // Any status with its phrase and a body (an error page).
    static Response status(int code, const QByteArray& phrase, const QByteArray& body);
    // A redirect to the location.
    static Response redirect(int code, const QByteArray& location);
    // 200 announcing the whole body, then the connection closes after the first bytes.
    static Response truncated(const QByteArray& body, int sentBytes);
    // Accepts the request and never answers.
    static Response silent();
    // 200 with the body sent in pieces, one every delayMs.
    static Response slow(const QByteArray& body, int pieces, int delayMs);

private:
    void answer(QTcpSocket* socket);
    void send(QTcpSocket* socket, const Response& response, std::size_t part);

    QTcpServer server_;
    QMap<QString, Response> responses_;
    QMap<QString, int> requests_;
};

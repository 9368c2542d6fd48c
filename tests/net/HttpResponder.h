#pragma once
// A small HTTP server on 127.0.0.1 (ephemeral port) for the download tests:
// each path answers with its body, status and delay; requests are recorded.
#include <QByteArray>
#include <QStringList>
#include <QTcpServer>
#include <map>

namespace corvane::nettest {

class HttpResponder {
public:
    struct Route {
        QByteArray body;
        int delayMs = 0;
        int status = 200;
    };
    HttpResponder();
    // http://127.0.0.1:port/path, or without the scheme.
    QString Url(const QString& path, bool scheme = true) const;

    std::map<QString, Route> routes;
    QStringList requests; // request lines ("GET /path HTTP/1.1")

private:
    void Serve(QTcpSocket* client);
    QTcpServer server_;
};

} // namespace corvane::nettest

#pragma once
// A small HTTP server on 127.0.0.1 (ephemeral port): each path answers with its
// body, status and delay; request lines are recorded.
#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <map>

namespace corvane::nettest {

struct HttpResponder {
    struct Route {
        QByteArray body;
        int delayMs = 0;
        int status = 200;
    };
    std::map<QString, Route> routes;
    QStringList requests;
    QTcpServer server;

    HttpResponder() {
        server.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&server, &QTcpServer::newConnection, &server, [this] {
            while (QTcpSocket* client = server.nextPendingConnection()) Serve(client);
        });
    }
    QString Url(const QString& path, bool scheme = true) const {
        return (scheme ? QStringLiteral("http://") : QString()) +
               QStringLiteral("127.0.0.1:%1%2").arg(server.serverPort()).arg(path);
    }
    void Serve(QTcpSocket* client) {
        QObject::connect(client, &QTcpSocket::disconnected, client, &QObject::deleteLater);
        QObject::connect(client, &QTcpSocket::readyRead, client, [this, client] {
            if (!client->canReadLine() || client->property("seen").toBool()) return;
            client->setProperty("seen", true);
            requests << QString::fromLatin1(client->readLine()).trimmed();
            const Route route = routes[requests.last().section(u' ', 1, 1)];
            QTimer::singleShot(route.delayMs, client, [client, route] {
                client->write("HTTP/1.0 " + QByteArray::number(route.status) +
                              " X\r\nContent-Length: " + QByteArray::number(route.body.size()) +
                              "\r\n\r\n" + route.body);
                client->disconnectFromHost();
            });
        });
    }
};

} // namespace corvane::nettest

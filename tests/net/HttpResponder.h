#pragma once
// A small HTTP server on 127.0.0.1 (ephemeral port): each path answers with its
// body, status and delay, or with a body that never ends; request lines are
// recorded, and so is every client that went away before the end.
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
        // 0 or more: no length is announced and the body is sent again every
        // repeatMs, for as long as the client stays.
        int repeatMs = -1;
    };
    std::map<QString, Route> routes;
    QStringList requests;
    int clientsGone = 0;
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
    // Sends the body again and again, keeping little unsent, until the client goes.
    void Stream(QTcpSocket* client, const Route& route) {
        auto* timer = new QTimer(client);
        QObject::connect(timer, &QTimer::timeout, client, [client, route] {
            if (client->state() != QAbstractSocket::ConnectedState) return;
            if (client->bytesToWrite() < 4 * route.body.size()) client->write(route.body);
        });
        QObject::connect(client, &QTcpSocket::disconnected, client, [this] { ++clientsGone; });
        timer->start(route.repeatMs);
    }
    void Serve(QTcpSocket* client) {
        QObject::connect(client, &QTcpSocket::disconnected, client, &QObject::deleteLater);
        QObject::connect(client, &QTcpSocket::readyRead, client, [this, client] {
            if (!client->canReadLine() || client->property("seen").toBool()) return;
            client->setProperty("seen", true);
            requests << QString::fromLatin1(client->readLine()).trimmed();
            const Route route = routes[requests.last().section(u' ', 1, 1)];
            QTimer::singleShot(route.delayMs, client, [this, client, route] {
                const QByteArray status = "HTTP/1.0 " + QByteArray::number(route.status) + " X\r\n";
                if (route.repeatMs >= 0) {
                    client->write(status + "\r\n");
                    Stream(client, route);
                    return;
                }
                client->write(status + "Content-Length: " + QByteArray::number(route.body.size()) +
                              "\r\n\r\n" + route.body);
                client->disconnectFromHost();
            });
        });
    }
};

} // namespace corvane::nettest

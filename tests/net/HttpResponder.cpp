#include "HttpResponder.h"

#include <QHostAddress>
#include <QTcpSocket>
#include <QTimer>

namespace corvane::nettest {

HttpResponder::HttpResponder() {
    server_.listen(QHostAddress::LocalHost, 0);
    QObject::connect(&server_, &QTcpServer::newConnection, &server_, [this] {
        while (QTcpSocket* client = server_.nextPendingConnection()) Serve(client);
    });
}

QString HttpResponder::Url(const QString& path, bool scheme) const {
    return (scheme ? QStringLiteral("http://") : QString()) +
           QStringLiteral("127.0.0.1:%1%2").arg(server_.serverPort()).arg(path);
}

void HttpResponder::Serve(QTcpSocket* client) {
    QObject::connect(client, &QTcpSocket::readyRead, client, [this, client] {
        if (!client->canReadLine() || client->property("seen").toBool()) return;
        client->setProperty("seen", true);
        const QString line = QString::fromLatin1(client->readLine()).trimmed();
        requests << line;
        const Route route = routes[line.section(u' ', 1, 1)];
        QTimer::singleShot(route.delayMs, client, [client, route] {
            client->write("HTTP/1.0 " + QByteArray::number(route.status) +
                          " X\r\nContent-Type: text/html\r\nContent-Length: " +
                          QByteArray::number(route.body.size()) + "\r\n\r\n" + route.body);
            client->disconnectFromHost();
        });
    });
    QObject::connect(client, &QTcpSocket::disconnected, client, &QObject::deleteLater);
}

} // namespace corvane::nettest

#include "net/modGetAddress.h"

#include <QHostAddress>
#include <QHostInfo>
#include <QNetworkInterface>
#include <QTimer>

namespace corvane {

LocalAddresses PickAddresses(const QStringList& addresses) {
    LocalAddresses found;
    const qsizetype count = addresses.size();
    if (count == 1) found.first = addresses[0];
    if (count >= 2) {
        found.first = addresses[count - 2];
        found.second = addresses[count - 1];
    }
    if (count > 2) {
        found.further.clear();
        for (qsizetype i = 0; i < count - 2; ++i) found.further += addresses[i] + u'\n';
    }
    return found;
}

QStringList LocalIPv4Addresses() {
    QStringList addresses;
    for (const QNetworkInterface& nic : QNetworkInterface::allInterfaces()) {
        const auto flags = nic.flags();
        if (!(flags & QNetworkInterface::IsUp) || !(flags & QNetworkInterface::IsRunning) ||
            (flags & QNetworkInterface::IsLoopBack))
            continue;
        for (const QNetworkAddressEntry& entry : nic.addressEntries()) {
            const QHostAddress& ip = entry.ip();
            if (ip.protocol() == QAbstractSocket::IPv4Protocol && !ip.isLoopback())
                addresses << ip.toString();
        }
    }
    return addresses;
}

bool IsIP(const QString& text) {
    const QStringList parts = text.split(u'.');
    if (parts.size() != 4) return false;
    for (const QString& part : parts) {
        if (part.isEmpty() || part.size() > 3) return false;
        for (const QChar c : part)
            if (c < u'0' || c > u'9') return false;
        if (part.toInt() > 255) return false;
    }
    return true;
}

QString MyIpPageURL() {
    const QString overridden = qEnvironmentVariable("CORVANE_MYIP_URL");
    return overridden.isEmpty() ? QStringLiteral("http://checkip.dyndns.org/") : overridden;
}

QString PublicAddressFromPage(const QString& page) {
    static const QString marker = QStringLiteral("Address:");
    const qsizetype at = page.indexOf(marker, 0, Qt::CaseInsensitive);
    if (at < 0) return {};
    const qsizetype start = at + marker.size();
    const qsizetype end = page.indexOf(QStringLiteral("</"), start);
    if (end < 0) return {};
    return page.mid(start, end - start).trimmed();
}

QStringList HostAddressList(const LocalAddresses& local,
                            const std::function<QString()>& publicAddress) {
    QStringList list{local.first};
    if (IsIP(local.second)) {
        list << local.second;
    } else if (publicAddress) {
        const QString outside = publicAddress();
        if (IsIP(outside) && outside != local.first) list << outside;
    }
    return list;
}

// --- Reachability ------------------------------------------------------------------

NameResolver SystemResolver() {
    return [](const QString& name, QObject* context, std::function<void(IPv4List)> done) {
        QHostInfo::lookupHost(name, context, [done = std::move(done)](const QHostInfo& info) {
            IPv4List found;
            for (const QHostAddress& address : info.addresses()) {
                bool ok = false;
                const std::uint32_t v4 = address.toIPv4Address(&ok);
                if (ok) found << v4;
            }
            done(found);
        });
    };
}

namespace {

// One reachability check in progress; it answers once and then goes away. The
// lookup and the echo it starts are its children, so they end with it.
class ServerSearch : public QObject {
public:
    ServerSearch(QObject* context, std::function<void(bool)> done)
        : QObject(context), done_(std::move(done)) {}

    void Finish(bool found) {
        if (finished_) return;
        finished_ = true;
        const std::function<void(bool)> done = std::move(done_);
        deleteLater();
        if (done) done(found);
    }

private:
    std::function<void(bool)> done_;
    bool finished_ = false;
};

std::uint32_t ParseIPv4(const QString& dotted) {
    std::uint32_t value = 0;
    for (const QString& part : dotted.split(u'.')) value = value << 8 | part.toUInt();
    return value;
}

} // namespace

void FindServer(const QString& text, QObject* context, std::function<void(bool)> done,
                const NameResolver& resolve) {
    auto* search = new ServerSearch(context, std::move(done)); // owned by context, or by itself
    const auto finish = [search](bool found) { search->Finish(found); };
    if (IsIP(text)) {
        const std::uint32_t address = ParseIPv4(text);
        for (const EchoKind kind : {EchoKind::IcmpDatagram, EchoKind::IcmpRaw, EchoKind::TcpProbe})
            if (StartEcho(address, kind, EchoTimeoutMs, search, finish)) return;
        search->Finish(false);
        return;
    }
    if (!resolve) {
        search->Finish(false);
        return;
    }
    QTimer::singleShot(ResolveTimeoutMs, search, [search] { search->Finish(false); });
    resolve(text, search, [search](const IPv4List& found) { search->Finish(!found.isEmpty()); });
}

} // namespace corvane

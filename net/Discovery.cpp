#include "net/Discovery.h"

#include "net/AvahiQtPoll.h"
#include "net/NetProtocol.h"

#include <QHostAddress>
#include <QTimer>
#include <algorithm>
#include <avahi-client/client.h>
#include <avahi-client/lookup.h>
#include <avahi-client/publish.h>
#include <avahi-common/address.h>
#include <avahi-common/alternative.h>
#include <avahi-common/error.h>
#include <avahi-common/malloc.h>
#include <avahi-common/strlst.h>
#include <map>
#include <optional>

namespace corvane {
namespace {

// A flood of announcements on a hostile network costs at most this much.
constexpr std::size_t MaxGamesListed = 64;
// Bytes of a text-record value read before decoding.
constexpr std::size_t MaxRecordValue = 255;
// Wait before a client that failed (the daemon restarted) is made again.
constexpr int ReconnectMs = 1000;

// With AVAHI_CLIENT_NO_FAIL the client exists without a daemon (state
// CONNECTING) and starts working when one appears.
AvahiClient* NewClient(const AvahiPoll* poll, AvahiClientCallback callback, void* userdata) {
    int error = 0;
    return avahi_client_new(poll, AVAHI_CLIENT_NO_FAIL, callback, userdata, &error);
}

bool ServerUsable(AvahiClientState s) {
    return s == AVAHI_CLIENT_S_RUNNING || s == AVAHI_CLIENT_S_REGISTERING ||
           s == AVAHI_CLIENT_S_COLLISION;
}

QString ServiceKey(AvahiIfIndex interface, AvahiProtocol protocol, const char* name,
                   const char* domain) {
    return QStringLiteral("%1/%2/%3/%4")
        .arg(interface)
        .arg(protocol)
        .arg(QString::fromUtf8(name), QString::fromUtf8(domain));
}

QString NickFromRecord(AvahiStringList* txt) {
    AvahiStringList* item = avahi_string_list_find(txt, "nick");
    if (item == nullptr) return {};
    char* key = nullptr;
    char* value = nullptr;
    size_t size = 0;
    QString nick;
    if (avahi_string_list_get_pair(item, &key, &value, &size) == 0 && value != nullptr)
        nick = QString::fromUtf8(value, qsizetype(std::min(size, MaxRecordValue)));
    avahi_free(key);
    avahi_free(value);
    return CleanAnnouncedText(nick, MaxNickLength);
}

QString HostFromRecord(const char* hostName) {
    QString host = QString::fromUtf8(hostName).left(4 * MaxHostNameLength);
    if (host.endsWith(QLatin1Char('.'))) host.chop(1);
    if (host.endsWith(QStringLiteral(".local"), Qt::CaseInsensitive)) host.chop(6);
    return CleanAnnouncedText(host, MaxHostNameLength);
}

} // namespace

bool DiscoveryOff() {
    const QString v = qEnvironmentVariable("CORVANE_NO_DISCOVERY");
    return !v.isEmpty() && v != QStringLiteral("0");
}

QString CleanAnnouncedText(const QString& text, int maxLength) {
    QString out;
    for (const QChar c : text) {
        const QChar::Category k = c.category();
        if (k == QChar::Other_Control || k == QChar::Other_Format || k == QChar::Other_Surrogate)
            continue;
        out.append(c);
    }
    return out.trimmed().left(maxLength).trimmed();
}

QString FoundGame::Label() const {
    const QString where = QStringLiteral("%1 (%2)").arg(host, address);
    return nick.isEmpty() ? where : QStringLiteral("%1 em %2").arg(nick, where);
}

// --- Publisher ---

struct GamePublisher::Impl {
    AvahiQtPoll poll; // first: outlives the client
    AvahiClient* client = nullptr;
    AvahiEntryGroup* group = nullptr;
    bool wanted = false;
    QByteArray name;
    QByteArray record;
    quint16 port = 0;

    ~Impl() { DropClient(); }
    void DropClient() {
        if (client != nullptr) avahi_client_free(client); // frees the group too
        client = nullptr;
        group = nullptr;
    }
    void DropGroup() {
        if (group != nullptr) avahi_entry_group_free(group);
        group = nullptr;
    }
};

struct PublisherCallbacks {
    using Impl = GamePublisher::Impl;
    static void Client(AvahiClient* c, AvahiClientState s, void* userdata) {
        auto* self = static_cast<GamePublisher*>(userdata);
        Impl& d = *self->d_;
        d.client = c; // also reached while avahi_client_new runs
        if (s == AVAHI_CLIENT_S_RUNNING) {
            if (d.wanted) Announce(self);
        } else if (ServerUsable(s)) {
            // The daemon is (re)establishing its host name: announce again once it runs.
            if (d.group != nullptr) avahi_entry_group_reset(d.group);
            if (d.wanted) self->SetState(GamePublisher::State::Registering);
        } else if (s == AVAHI_CLIENT_CONNECTING) {
            d.DropGroup();
            if (d.wanted) self->SetState(GamePublisher::State::NoService);
        } else if (s == AVAHI_CLIENT_FAILURE) {
            if (d.wanted) self->SetState(GamePublisher::State::NoService);
            QTimer::singleShot(ReconnectMs, self, [self] { Reconnect(self); });
        }
    }

    static void Group(AvahiEntryGroup* g, AvahiEntryGroupState s, void* userdata) {
        auto* self = static_cast<GamePublisher*>(userdata);
        Impl& d = *self->d_;
        if (g != d.group) return;
        switch (s) {
        case AVAHI_ENTRY_GROUP_ESTABLISHED:
            self->SetState(GamePublisher::State::Published);
            break;
        case AVAHI_ENTRY_GROUP_COLLISION:
            // Another game on the network already has this name.
            Rename(d);
            avahi_entry_group_reset(g);
            Announce(self);
            break;
        case AVAHI_ENTRY_GROUP_FAILURE:
            self->SetState(GamePublisher::State::Failed);
            break;
        default:
            break;
        }
    }

    static void Rename(Impl& d) {
        char* other = avahi_alternative_service_name(d.name.constData());
        d.name = QByteArray(other);
        avahi_free(other);
    }

    static void Announce(GamePublisher* self) {
        Impl& d = *self->d_;
        const AvahiClientState s =
            d.client != nullptr ? avahi_client_get_state(d.client) : AVAHI_CLIENT_CONNECTING;
        if (s != AVAHI_CLIENT_S_RUNNING)
            return self->SetState(ServerUsable(s) ? GamePublisher::State::Registering
                                                  : GamePublisher::State::NoService);
        if (d.group == nullptr) d.group = avahi_entry_group_new(d.client, Group, self);
        if (d.group == nullptr) return self->SetState(GamePublisher::State::Failed);
        if (!avahi_entry_group_is_empty(d.group)) return;
        for (int attempt = 0; attempt < 10; ++attempt) {
            const int r = avahi_entry_group_add_service(
                d.group, AVAHI_IF_UNSPEC, AVAHI_PROTO_UNSPEC, AvahiPublishFlags(0),
                d.name.constData(), GameServiceType, nullptr, nullptr, d.port, d.record.constData(),
                static_cast<const char*>(nullptr));
            if (r == AVAHI_ERR_COLLISION) { // a service of this machine has the name
                Rename(d);
                continue;
            }
            if (r < 0 || avahi_entry_group_commit(d.group) < 0) break;
            self->SetState(GamePublisher::State::Registering);
            return;
        }
        self->SetState(GamePublisher::State::Failed);
    }

    static void Reconnect(GamePublisher* self) {
        Impl& d = *self->d_;
        if (d.client == nullptr || avahi_client_get_state(d.client) != AVAHI_CLIENT_FAILURE) return;
        d.DropClient();
        d.client = NewClient(d.poll.api(), Client, self);
    }
};

GamePublisher::GamePublisher(QObject* parent) : QObject(parent), d_(std::make_unique<Impl>()) {}

GamePublisher::~GamePublisher() = default;

void GamePublisher::Start(const QString& nick, quint16 port) {
    Stop();
    if (DiscoveryOff()) return SetState(State::Disabled);
    const QString clean = CleanAnnouncedText(nick, MaxNickLength);
    d_->name = (clean.isEmpty() ? QStringLiteral("Corvane") : clean).toUtf8();
    d_->record = "nick=" + clean.toUtf8();
    d_->port = port;
    d_->wanted = true;
    if (d_->client == nullptr)
        d_->client = NewClient(d_->poll.api(), PublisherCallbacks::Client, this);
    if (d_->client == nullptr) return SetState(State::NoService);
    if (state_ == State::Stopped) PublisherCallbacks::Announce(this);
}

void GamePublisher::Stop() {
    d_->wanted = false;
    d_->DropGroup();
    SetState(State::Stopped);
}

QString GamePublisher::ServiceName() const {
    return d_->wanted ? QString::fromUtf8(d_->name) : QString();
}

void GamePublisher::SetState(State s) {
    if (s == state_) return;
    state_ = s;
    emit StateChanged(s);
}

// --- Browser ---

struct GameBrowser::Impl {
    struct Entry {
        QString key;
        FoundGame game;
    };
    AvahiQtPoll poll; // first: outlives the client
    AvahiClient* client = nullptr;
    AvahiServiceBrowser* browser = nullptr;
    std::map<QString, AvahiServiceResolver*> resolving;
    std::vector<Entry> found;
    bool wanted = false;

    ~Impl() { DropClient(); }
    void DropClient() {
        if (client != nullptr) avahi_client_free(client); // frees browser and resolvers
        client = nullptr;
        ForgetLookups();
    }
    void DropBrowser() {
        for (auto& [key, r] : resolving) avahi_service_resolver_free(r);
        if (browser != nullptr) avahi_service_browser_free(browser);
        ForgetLookups();
    }
    void ForgetLookups() {
        browser = nullptr;
        resolving.clear();
    }
    bool Remove(const QString& key) {
        return std::erase_if(found, [&](const Entry& e) { return e.key == key; }) > 0;
    }
};

struct BrowserCallbacks {
    static void Client(AvahiClient* c, AvahiClientState s, void* userdata) {
        auto* self = static_cast<GameBrowser*>(userdata);
        GameBrowser::Impl& d = *self->d_;
        d.client = c; // also reached while avahi_client_new runs
        if (ServerUsable(s)) {
            if (d.wanted) Browse(self);
            return;
        }
        d.DropBrowser();
        Lost(self);
        if (s == AVAHI_CLIENT_FAILURE)
            QTimer::singleShot(ReconnectMs, self, [self] { Reconnect(self); });
    }

    static void Browse(GameBrowser* self) {
        GameBrowser::Impl& d = *self->d_;
        if (d.browser == nullptr)
            d.browser = avahi_service_browser_new(d.client, AVAHI_IF_UNSPEC, AVAHI_PROTO_INET,
                                                  GameServiceType, nullptr, AvahiLookupFlags(0),
                                                  Service, self);
        self->SetState(d.browser != nullptr ? GameBrowser::State::Browsing
                                            : GameBrowser::State::NoService);
    }

    // The daemon went away: what it told us is no longer kept current.
    static void Lost(GameBrowser* self) {
        GameBrowser::Impl& d = *self->d_;
        const bool had = !d.found.empty();
        d.found.clear();
        if (d.wanted) self->SetState(GameBrowser::State::NoService);
        if (had) emit self->GamesChanged();
    }

    static void Service(AvahiServiceBrowser*, AvahiIfIndex interface, AvahiProtocol protocol,
                        AvahiBrowserEvent event, const char* name, const char* type,
                        const char* domain, AvahiLookupResultFlags, void* userdata) {
        auto* self = static_cast<GameBrowser*>(userdata);
        GameBrowser::Impl& d = *self->d_;
        if (event == AVAHI_BROWSER_FAILURE) {
            d.DropBrowser();
            Lost(self);
            return;
        }
        if (event != AVAHI_BROWSER_NEW && event != AVAHI_BROWSER_REMOVE) return;
        const QString key = ServiceKey(interface, protocol, name, domain);
        if (event == AVAHI_BROWSER_REMOVE) {
            if (auto it = d.resolving.find(key); it != d.resolving.end()) {
                avahi_service_resolver_free(it->second);
                d.resolving.erase(it);
            }
            if (d.Remove(key)) emit self->GamesChanged();
            return;
        }
        if (d.resolving.count(key) != 0 || d.resolving.size() + d.found.size() >= MaxGamesListed)
            return;
        AvahiServiceResolver* r =
            avahi_service_resolver_new(d.client, interface, protocol, name, type, domain,
                                       AVAHI_PROTO_INET, AvahiLookupFlags(0), Resolved, self);
        if (r != nullptr) d.resolving[key] = r;
    }

    static void Resolved(AvahiServiceResolver* r, AvahiIfIndex interface, AvahiProtocol protocol,
                         AvahiResolverEvent event, const char* name, const char*,
                         const char* domain, const char* hostName, const AvahiAddress* address,
                         uint16_t port, AvahiStringList* txt, AvahiLookupResultFlags,
                         void* userdata) {
        auto* self = static_cast<GameBrowser*>(userdata);
        GameBrowser::Impl& d = *self->d_;
        const QString key = ServiceKey(interface, protocol, name, domain);
        d.resolving.erase(key);
        std::optional<FoundGame> game;
        if (event == AVAHI_RESOLVER_FOUND) game = Read(hostName, address, port, txt);
        avahi_service_resolver_free(r);
        if (!game) return;
        auto same = std::find_if(d.found.begin(), d.found.end(),
                                 [&](const GameBrowser::Impl::Entry& e) { return e.key == key; });
        if (same != d.found.end())
            same->game = *game;
        else
            d.found.push_back({key, *game});
        emit self->GamesChanged();
    }

    static std::optional<FoundGame> Read(const char* hostName, const AvahiAddress* address,
                                         uint16_t port, AvahiStringList* txt) {
        if (address == nullptr || address->proto != AVAHI_PROTO_INET || port == 0) return {};
        char text[AVAHI_ADDRESS_STR_MAX] = {};
        avahi_address_snprint(text, sizeof text, address);
        const QHostAddress checked(QString::fromLatin1(text));
        if (checked.protocol() != QAbstractSocket::IPv4Protocol) return {};
        return FoundGame{NickFromRecord(txt), HostFromRecord(hostName ? hostName : ""),
                         checked.toString(), port};
    }

    static void Reconnect(GameBrowser* self) {
        GameBrowser::Impl& d = *self->d_;
        if (d.client == nullptr || avahi_client_get_state(d.client) != AVAHI_CLIENT_FAILURE) return;
        d.DropClient();
        d.client = NewClient(d.poll.api(), Client, self);
    }
};

GameBrowser::GameBrowser(QObject* parent) : QObject(parent), d_(std::make_unique<Impl>()) {}

GameBrowser::~GameBrowser() = default;

void GameBrowser::Start() {
    if (DiscoveryOff()) return SetState(State::Disabled);
    d_->wanted = true;
    if (d_->client == nullptr)
        d_->client = NewClient(d_->poll.api(), BrowserCallbacks::Client, this);
    if (d_->client == nullptr) return SetState(State::NoService);
    if (ServerUsable(avahi_client_get_state(d_->client)))
        BrowserCallbacks::Browse(this);
    else
        SetState(State::NoService);
}

void GameBrowser::Stop() {
    d_->wanted = false;
    d_->DropBrowser();
    const bool had = !d_->found.empty();
    d_->found.clear();
    SetState(State::Stopped);
    if (had) emit GamesChanged();
}

std::vector<FoundGame> GameBrowser::Games() const {
    std::vector<FoundGame> games;
    for (const auto& e : d_->found) games.push_back(e.game);
    return games;
}

QString GameBrowser::Note() const {
    switch (state_) {
    case State::Disabled:
        return QStringLiteral("A busca de jogos na rede local está desligada.");
    case State::NoService:
        return QStringLiteral(
            "Nenhum serviço mDNS neste computador: informe o nome ou IP do servidor.");
    default:
        return {};
    }
}

void GameBrowser::SetState(State s) {
    if (s == state_) return;
    state_ = s;
    emit StateChanged(s);
}

} // namespace corvane

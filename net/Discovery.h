#pragma once
// Games on the local network, through the desktop's mDNS service (the Avahi
// daemon, reached over D-Bus by its client library on the Qt event loop).
//
// A hosting copy publishes one DNS-SD service of type "_corvane._tcp" on the
// game port; its text record carries the nick ("nick=ANA") and nothing else.
// A joining copy browses for that type and keeps the list of games found as
// they appear and vanish. Everything here runs on the user-interface thread
// and never blocks it.
//
// Names and texts that arrive from the network are outside text: the nick and
// host name of a FoundGame are cleaned (no control or format characters) and
// cut, the address is a checked IPv4 address, and windows show them as plain
// text. A game found here is only a suggestion of where to connect: the
// connection and every check of the peer are the same as for a typed address.
//
// The switch: when the environment variable CORVANE_NO_DISCOVERY is set (to
// anything but "" or "0") nothing is published or browsed, and the router
// mapping of PortMapping.h stays off too. Tests set it, so that no hosting
// test sends multicast or UPnP traffic on the machine's real interfaces.
#include <QObject>
#include <QString>
#include <memory>
#include <vector>

namespace corvane {

bool DiscoveryOff();

inline constexpr char GameServiceType[] = "_corvane._tcp";
// Longest host name kept from an announcement (one DNS label).
inline constexpr int MaxHostNameLength = 63;

struct FoundGame {
    QString nick;    // at most MaxNickLength characters, may be empty
    QString host;    // the announcing machine's name, without ".local"
    QString address; // IPv4, dotted
    quint16 port = 0;
    // "ANA em ana-laptop (192.168.0.10)"; "ana-laptop (192.168.0.10)" without a nick.
    QString Label() const;
    bool operator==(const FoundGame&) const = default;
};

// Outside text of an announcement made safe to show: control and format
// characters removed, blanks at the ends trimmed, cut to maxLength characters.
QString CleanAnnouncedText(const QString& text, int maxLength);

class GamePublisher : public QObject {
    Q_OBJECT
public:
    enum class State {
        Stopped,     // not asked to publish
        Disabled,    // the switch is set
        NoService,   // no mDNS daemon (yet): published as soon as one appears
        Registering, // announced, not yet confirmed unique on the network
        Published,
        Failed // the daemon refused the service
    };
    Q_ENUM(State)

    explicit GamePublisher(QObject* parent = nullptr);
    ~GamePublisher() override;

    // Publishes nick (cleaned and cut to MaxNickLength) on port. A second
    // Start replaces the first. The service name is the nick ("Corvane" when
    // empty); another game with the same name on the network gives "ANA #2".
    void Start(const QString& nick, quint16 port);
    // Withdraws the service (the network is told it is gone).
    void Stop();

    State state() const { return state_; }
    QString ServiceName() const;

Q_SIGNALS:
    void StateChanged(corvane::GamePublisher::State state);

private:
    friend struct PublisherCallbacks;
    void SetState(State s);
    struct Impl;
    std::unique_ptr<Impl> d_;
    State state_ = State::Stopped;
};

class GameBrowser : public QObject {
    Q_OBJECT
public:
    enum class State {
        Stopped,
        Disabled,  // the switch is set
        NoService, // no mDNS daemon on this machine (browsing starts when one appears)
        Browsing
    };
    Q_ENUM(State)

    explicit GameBrowser(QObject* parent = nullptr);
    ~GameBrowser() override;

    void Start();
    void Stop(); // forgets the games found

    State state() const { return state_; }
    // The games found, in order of discovery.
    std::vector<FoundGame> Games() const;
    // One line for the dialog when no list can come (Disabled, NoService), else empty.
    QString Note() const;

Q_SIGNALS:
    void StateChanged(corvane::GameBrowser::State state);
    void GamesChanged();

private:
    friend struct BrowserCallbacks;
    void SetState(State s);
    struct Impl;
    std::unique_ptr<Impl> d_;
    State state_ = State::Stopped;
};

} // namespace corvane

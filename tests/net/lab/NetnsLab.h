#pragma once
// A test network on this machine: network namespaces joined by virtual
// Ethernet pairs, with addresses of the test's choosing. Nothing in it touches
// the machine's real interfaces; the lab removes its namespaces, and every
// process still running in them, when it goes.
#include <QProcess>
#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace corvane::lab {

class NetnsLab {
public:
    // Empty when namespaces can be made here and every program is installed,
    // else the reason why not (the test skips with it).
    static QString Unavailable(const QStringList& programs);

    NetnsLab();
    ~NetnsLab();
    NetnsLab(const NetnsLab&) = delete;
    NetnsLab& operator=(const NetnsLab&) = delete;

    // A new namespace with its loopback up; returns its full name.
    QString Add(const QString& name);
    // A virtual Ethernet pair: ifA in nsA with addressA ("10.77.0.1/24"), ifB in
    // nsB; an empty address gives none.
    void Link(const QString& nsA, const QString& ifA, const QString& addressA, const QString& nsB,
              const QString& ifB, const QString& addressB);
    // Runs a command inside ns and returns its standard output; failures fail the test.
    QString Exec(const QString& ns, const QStringList& command);
    // Starts a daemon inside ns, its error output going to logFile.
    void Spawn(const QString& ns, const QStringList& command, const QString& logFile);
    // Ends the processes of ns whose command name is name.
    void Kill(const QString& ns, const QString& name, int signal = 15);
    // True once no process of ns has that name (a few seconds at most).
    bool WaitUntilGone(const QString& ns, const QString& name);

private:
    QString prefix_;
    QStringList namespaces_;
};

// Debian's miniupnpd playing a home router: a namespace "router" whose wan0
// (11.77.0.1/24) leads to a namespace that plays the internet; the test links
// its home side, lan0. What is mapped is read from the firewall rules the
// daemon writes.
class HomeRouter {
public:
    explicit HomeRouter(NetnsLab& lab);
    QString Ns() const { return ns_; }
    enum Protocol { Upnp, NatPmp };
    // Starts the daemon speaking one protocol, with its permission rules
    // ("allow ...", "deny ..."); fails the test unless it comes up.
    void Start(Protocol protocol, const QStringList& rules);
    // Ends the daemon and forgets its mappings.
    void Stop();
    QString Log() const;
    // TCP 1243 of the public side is forwarded to address.
    bool Forwards(const QString& address);
    // Forwards(address) == want within timeoutMs.
    bool ForwardsWithin(const QString& address, bool want, int timeoutMs);

private:
    NetnsLab& lab_;
    QString ns_;
    QTemporaryDir folder_;
};

// A program in a namespace, spoken to and listened to by lines.
class Probe {
public:
    Probe(const QString& ns, const QStringList& command, const QStringList& environment = {});
    ~Probe();
    void Send(const QString& line);
    // Reads lines until one matches; returns it, or an empty text after
    // timeoutMs (the hang guard; the test then fails on the lines seen).
    QString WaitFor(const QRegularExpression& pattern, int timeoutMs = 15000);
    // Lines read so far, for failure messages.
    QString Seen() const { return seen_.join(QLatin1Char('\n')); }
    bool WaitForExit(int timeoutMs = 15000);
    qint64 Pid() const { return process_.processId(); }

private:
    QProcess process_;
    QStringList seen_;
    QByteArray pending_;
};

// Where the tests' helper programs and scripts are.
QString LabScript(const QString& name);
QString ProbeProgram();

} // namespace corvane::lab

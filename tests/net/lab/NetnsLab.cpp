#include "net/lab/NetnsLab.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QStandardPaths>
#include <QThread>
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

namespace corvane::lab {
namespace {

const QStringList SystemFolders = {"/usr/sbin", "/sbin", "/usr/bin", "/bin"};

QString Find(const QString& program) {
    const QString onPath = QStandardPaths::findExecutable(program);
    return onPath.isEmpty() ? QStandardPaths::findExecutable(program, SystemFolders) : onPath;
}

// Runs a program to its end; its standard output, or nullopt with the reason.
std::optional<QString> Run(const QStringList& command, QString* why = nullptr) {
    QProcess p;
    p.start(Find(command.first()), command.mid(1));
    const bool done = p.waitForFinished(20000);
    if (done && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0)
        return QString::fromLocal8Bit(p.readAllStandardOutput());
    if (why != nullptr)
        *why =
            command.join(' ') + ": " + QString::fromLocal8Bit(p.readAllStandardError()).trimmed();
    return std::nullopt;
}

QList<pid_t> PidsOf(const QString& ns) {
    QList<pid_t> pids;
    const auto out = Run({"ip", "netns", "pids", ns});
    if (out)
        for (const QString& p : out->split('\n', Qt::SkipEmptyParts)) pids << pid_t(p.toInt());
    return pids;
}

QList<pid_t> PidsNamed(const QString& ns, const QString& name) {
    QList<pid_t> named;
    for (pid_t pid : PidsOf(ns)) {
        QFile comm(QStringLiteral("/proc/%1/comm").arg(pid));
        if (comm.open(QIODevice::ReadOnly) && comm.readAll().trimmed() == name.toUtf8())
            named << pid;
    }
    return named;
}

} // namespace

QString NetnsLab::Unavailable(const QStringList& programs) {
    if (geteuid() != 0) return QStringLiteral("creating network namespaces needs root");
    for (const QString& p : QStringList{"ip", "unshare"} + programs)
        if (Find(p).isEmpty()) return p + QStringLiteral(" is not installed");
    const QString probe = QStringLiteral("cvprobe%1").arg(getpid());
    QString why;
    if (!Run({"ip", "netns", "add", probe}, &why)) return why;
    Run({"ip", "netns", "del", probe});
    return {};
}

NetnsLab::NetnsLab() : prefix_(QStringLiteral("cv%1").arg(getpid())) {}

NetnsLab::~NetnsLab() {
    for (const QString& ns : namespaces_)
        for (pid_t pid : PidsOf(ns)) ::kill(pid, SIGKILL);
    for (const QString& ns : namespaces_) {
        // The namespace lives on while a killed process is still being reaped.
        for (int i = 0; i < 50 && !PidsOf(ns).isEmpty(); ++i) QThread::msleep(20);
        Run({"ip", "netns", "del", ns});
    }
}

QString NetnsLab::Add(const QString& name) {
    const QString ns = prefix_ + QLatin1Char('-') + name;
    QString why;
    if (!Run({"ip", "netns", "add", ns}, &why)) ADD_FAILURE() << qPrintable(why);
    namespaces_ << ns;
    Exec(ns, {"ip", "link", "set", "lo", "up"});
    return ns;
}

void NetnsLab::Link(const QString& nsA, const QString& ifA, const QString& addressA,
                    const QString& nsB, const QString& ifB, const QString& addressB) {
    Exec(nsA, {"ip", "link", "add", ifA, "type", "veth", "peer", "name", ifB, "netns", nsB});
    if (!addressA.isEmpty()) Exec(nsA, {"ip", "addr", "add", addressA, "dev", ifA});
    if (!addressB.isEmpty()) Exec(nsB, {"ip", "addr", "add", addressB, "dev", ifB});
    Exec(nsA, {"ip", "link", "set", ifA, "up"});
    Exec(nsB, {"ip", "link", "set", ifB, "up"});
}

QString NetnsLab::Exec(const QString& ns, const QStringList& command) {
    QString why;
    const auto out = Run(QStringList{"ip", "netns", "exec", ns} + command, &why);
    if (!out) ADD_FAILURE() << qPrintable(why);
    return out.value_or(QString());
}

void NetnsLab::Spawn(const QString& ns, const QStringList& command, const QString& logFile) {
    QProcess p;
    p.setProgram(Find("ip"));
    p.setArguments(QStringList{"netns", "exec", ns} + command);
    p.setStandardOutputFile(QProcess::nullDevice());
    p.setStandardErrorFile(logFile);
    if (!p.startDetached()) ADD_FAILURE() << "cannot start " << qPrintable(command.join(' '));
}

void NetnsLab::Kill(const QString& ns, const QString& name, int signal) {
    for (pid_t pid : PidsNamed(ns, name)) ::kill(pid, signal);
}

bool NetnsLab::WaitUntilGone(const QString& ns, const QString& name) {
    for (int i = 0; i < 100; ++i, QThread::msleep(50))
        if (PidsNamed(ns, name).isEmpty()) return true;
    return false;
}

HomeRouter::HomeRouter(NetnsLab& lab) : lab_(lab), ns_(lab.Add("router")) {
    const QString internet = lab.Add("internet");
    lab.Link(ns_, "wan0", "11.77.0.1/24", internet, "eth0", "11.77.0.2/24");
    lab.Exec(ns_, {"sysctl", "-qw", "net.ipv4.ip_forward=1"});
    lab.Exec(ns_, {"nft", "-f", LabScript("router.nft")});
}

void HomeRouter::Start(Protocol protocol, const QStringList& rules) {
    QFile base(LabScript("miniupnpd.conf"));
    QFile conf(folder_.filePath("miniupnpd.conf"));
    ASSERT_TRUE(base.open(QIODevice::ReadOnly) && conf.open(QIODevice::WriteOnly));
    conf.write(base.readAll() + (protocol == Upnp ? "enable_upnp=yes\nenable_natpmp=no\n"
                                                  : "enable_upnp=no\nenable_natpmp=yes\n"));
    conf.close();
    QStringList command{"miniupnpd",     "-d", "-f",
                        conf.fileName(), "-P", folder_.filePath("miniupnpd.pid")};
    for (const QString& rule : rules) command << "-A" << rule;
    lab_.Spawn(ns_, command, folder_.filePath("miniupnpd.log"));
    const char* ready = protocol == Upnp ? "HTTP listening" : "Listening for NAT-PMP";
    for (int i = 0; i < 100 && !Log().contains(ready); ++i) QThread::msleep(50);
    ASSERT_TRUE(Log().contains(ready)) << qPrintable(Log());
}

void HomeRouter::Stop() {
    lab_.Kill(ns_, "miniupnpd");
    EXPECT_TRUE(lab_.WaitUntilGone(ns_, "miniupnpd")) << qPrintable(Log());
    lab_.Exec(ns_, {"nft", "flush", "chain", "inet", "filter", "prerouting_miniupnpd"});
}

QString HomeRouter::Log() const {
    QFile f(folder_.filePath("miniupnpd.log"));
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

bool HomeRouter::Forwards(const QString& address) {
    return lab_.Exec(ns_, {"nft", "list", "chain", "inet", "filter", "prerouting_miniupnpd"})
        .contains("dport 1243 dnat ip to " + address + ":1243");
}

bool HomeRouter::ForwardsWithin(const QString& address, bool want, int timeoutMs) {
    for (int waited = 0; Forwards(address) != want; waited += 100) {
        if (waited >= timeoutMs) return false;
        QThread::msleep(100);
    }
    return true;
}

Probe::Probe(const QString& ns, const QStringList& command, const QStringList& environment) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("CORVANE_NO_DISCOVERY")); // the probes are about discovery
    for (const QString& e : environment) env.insert(e.section('=', 0, 0), e.section('=', 1));
    process_.setProcessEnvironment(env);
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process_.start(Find("ip"), QStringList{"netns", "exec", ns} + command);
    if (!process_.waitForStarted(10000))
        ADD_FAILURE() << "cannot start " << qPrintable(command.join(' '));
}

Probe::~Probe() {
    if (process_.state() != QProcess::NotRunning) {
        process_.closeWriteChannel(); // the probe ends on end of input
        if (!process_.waitForFinished(10000)) process_.kill();
        process_.waitForFinished(2000);
    }
    // A probe that ended by itself ended cleanly (no sanitizer report either).
    if (process_.exitStatus() == QProcess::NormalExit && process_.exitCode() != 0)
        ADD_FAILURE() << "the probe ended with status " << process_.exitCode();
}

void Probe::Send(const QString& line) {
    process_.write((line + QLatin1Char('\n')).toUtf8());
    process_.waitForBytesWritten(2000);
}

QString Probe::WaitFor(const QRegularExpression& pattern, int timeoutMs) {
    const QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        for (qsizetype end; (end = pending_.indexOf('\n')) >= 0;) {
            const QString line = QString::fromUtf8(pending_.left(end));
            pending_.remove(0, end + 1);
            seen_ << line;
            if (pattern.match(line).hasMatch()) return line;
        }
        if (deadline.hasExpired() || process_.state() == QProcess::NotRunning) return {};
        if (process_.waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime()))))
            pending_ += process_.readAllStandardOutput();
    }
}

bool Probe::WaitForExit(int timeoutMs) {
    return process_.waitForFinished(timeoutMs);
}

QString LabScript(const QString& name) {
    return QStringLiteral(CORVANE_LAB_DIR "/") + name;
}

QString ProbeProgram() {
    return QStringLiteral(CORVANE_DISCOVERY_PROBE);
}

} // namespace corvane::lab

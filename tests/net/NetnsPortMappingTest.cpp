// The router opened while hosting, against a real UPnP gateway: Debian's
// miniupnpd in a namespace that plays the home router (lan0 toward the
// hosting machine, wan0 toward a namespace that plays the internet). What is
// mapped is read on the router's side, from the firewall rules the gateway
// writes.
#include "net/lab/NetnsLab.h"

#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>
#include <signal.h>

using namespace corvane::lab;
using RE = QRegularExpression;

namespace {

const QString Refusal = "O roteador não abriu a porta 1243. Para jogar pela internet, abra a porta "
                        "TCP 1243 no roteador e no firewall deste computador.";

class NetnsPortMapping : public testing::Test {
protected:
    void SetUp() override {
        if (const QString why = NetnsLab::Unavailable({"miniupnpd", "nft"}); !why.isEmpty())
            GTEST_SKIP() << qPrintable(why);
        router_ = lab_.Add("router");
        host_ = lab_.Add("host");
        const QString internet = lab_.Add("internet");
        lab_.Link(router_, "lan0", "10.77.1.1/24", host_, "eth0", "10.77.1.2/24");
        lab_.Link(router_, "wan0", "11.77.1.1/24", internet, "eth0", "11.77.1.2/24");
        lab_.Exec(host_, {"ip", "route", "add", "default", "via", "10.77.1.1"});
        lab_.Exec(router_, {"sysctl", "-qw", "net.ipv4.ip_forward=1"});
        lab_.Exec(router_, {"nft", "-f", LabScript("router.nft")});
    }

    enum Protocol { Upnp, NatPmp };
    // The gateway, speaking one protocol, with the given permission rules
    // ("allow ...", "deny ...").
    void StartGateway(Protocol protocol, const QStringList& rules) {
        QFile base(LabScript("miniupnpd.conf"));
        QFile conf(dir_.filePath("miniupnpd.conf"));
        ASSERT_TRUE(base.open(QIODevice::ReadOnly) && conf.open(QIODevice::WriteOnly));
        conf.write(base.readAll() + (protocol == Upnp ? "enable_upnp=yes\nenable_natpmp=no\n"
                                                      : "enable_upnp=no\nenable_natpmp=yes\n"));
        conf.close();
        QStringList command{"miniupnpd",     "-d", "-f",
                            conf.fileName(), "-P", dir_.filePath("miniupnpd.pid")};
        for (const QString& rule : rules) command << "-A" << rule;
        lab_.Spawn(router_, command, dir_.filePath("miniupnpd.log"));
        const char* ready = protocol == Upnp ? "HTTP listening" : "Listening for NAT-PMP";
        for (int i = 0; i < 100 && !Log().contains(ready); ++i) QThread::msleep(50);
        ASSERT_TRUE(Log().contains(ready)) << qPrintable(Log());
    }

    QString Log() {
        QFile f(dir_.filePath("miniupnpd.log"));
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }

    // The router forwards TCP 1243 of its public side to the hosting machine.
    QString RouterRules() {
        return lab_.Exec(router_,
                         {"nft", "list", "chain", "inet", "filter", "prerouting_miniupnpd"});
    }
    bool Mapped() { return RouterRules().contains("dport 1243 dnat ip to 10.77.1.2:1243"); }
    bool MappedAfter(bool want, int timeoutMs) {
        for (int waited = 0; Mapped() != want; waited += 100) {
            if (waited >= timeoutMs) return false;
            QThread::msleep(100);
        }
        return true;
    }

    Probe Host() { return Probe(host_, {ProbeProgram()}); }

    NetnsLab lab_;
    QString router_, host_;
    QTemporaryDir dir_;
};

} // namespace

const QString Allow = "allow 1024-65535 10.77.1.0/24 1024-65535";
const QString Deny = "deny 0-65535 0.0.0.0/0 0-65535";

TEST_F(NetnsPortMapping, HostingMapsRenewsAndRemovesThePort) {
    StartGateway(Upnp, {Allow});
    Probe host = Host();
    host.Send("map 1243 2 1000");
    EXPECT_FALSE(host.WaitFor(RE("^mapper Granted 11\\.77\\.1\\.1 \\| O roteador abriu a porta "
                                 "1243\\. Endereço na internet: 11\\.77\\.1\\.1$"))
                     .isEmpty())
        << qPrintable(host.Seen());
    EXPECT_TRUE(Mapped()) << qPrintable(Log());
    // Two and a half leases later it is still there: renewed while hosting.
    QThread::msleep(5000);
    EXPECT_TRUE(Mapped()) << qPrintable(Log());

    host.Send("unmap");
    EXPECT_FALSE(host.WaitFor(RE("^mapper Idle")).isEmpty()) << qPrintable(host.Seen());
    EXPECT_TRUE(MappedAfter(false, 5000)) << qPrintable(Log());

    // Mapped again, then the program closes: the mapping goes before it ends.
    host.Send("map 1243 3600 1000");
    EXPECT_FALSE(host.WaitFor(RE("^mapper Granted")).isEmpty()) << qPrintable(host.Seen());
    EXPECT_TRUE(Mapped());
    host.Send("quit");
    ASSERT_TRUE(host.WaitForExit());
    EXPECT_FALSE(Mapped()) << qPrintable(Log());
}

TEST_F(NetnsPortMapping, RouterWithNatPmpOnlyMapsAndRemovesThePort) {
    StartGateway(NatPmp, {Allow});
    Probe host = Host();
    host.Send("map 1243 3600 1000");
    EXPECT_FALSE(host.WaitFor(RE("^mapper Granted 11\\.77\\.1\\.1 ")).isEmpty())
        << qPrintable(host.Seen());
    EXPECT_TRUE(Mapped()) << qPrintable(Log());
    host.Send("unmap");
    EXPECT_TRUE(MappedAfter(false, 5000)) << qPrintable(Log());
}

TEST_F(NetnsPortMapping, MappingOfAKilledProgramEndsWithItsLease) {
    StartGateway(Upnp, {Allow});
    Probe host = Host();
    host.Send("map 1243 3 1000");
    ASSERT_FALSE(host.WaitFor(RE("^mapper Granted")).isEmpty()) << qPrintable(host.Seen());
    ::kill(pid_t(host.Pid()), SIGKILL);
    ASSERT_TRUE(host.WaitForExit());
    EXPECT_TRUE(Mapped()) << "the program had no chance to remove it";
    EXPECT_TRUE(MappedAfter(false, 20000)) << qPrintable(Log());
}

TEST_F(NetnsPortMapping, RefusingAndAbsentRoutersAreToldApartAndExplained) {
    const struct {
        const char* name;
        std::optional<Protocol> gateway; // none: no gateway on the network
        QStringList rules;
        const char* outcome;
    } rows[] = {
        {"refusing UPnP", Upnp, {Deny}, "Refused"},
        // NAT-PMP lets the router offer another public port, of no use to a
        // friend who types 1243: given back and reported as a refusal.
        {"NAT-PMP offering another port",
         NatPmp,
         {"allow 1244 10.77.1.0/24 1243", Deny},
         "Refused"},
        {"absent", std::nullopt, {}, "NoRouter"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        if (row.gateway) StartGateway(*row.gateway, row.rules);
        Probe host = Host();
        host.Send("map 1243 3600 1000");
        const QString line = host.WaitFor(RE("^mapper (Granted|Refused|NoRouter)"));
        EXPECT_EQ(line.toStdString(),
                  QStringLiteral("mapper %1  | %2").arg(row.outcome, Refusal).toStdString())
            << qPrintable(host.Seen());
        EXPECT_FALSE(RouterRules().contains("dnat")) << qPrintable(Log());
        lab_.Kill(router_, "miniupnpd");
        ASSERT_TRUE(lab_.WaitUntilGone(router_, "miniupnpd")) << qPrintable(Log());
        lab_.Exec(router_, {"nft", "flush", "chain", "inet", "filter", "prerouting_miniupnpd"});
    }
}

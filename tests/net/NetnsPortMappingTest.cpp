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

    // The gateway, with the given permission rules ("allow ...", "deny ...").
    void StartGateway(const QStringList& rules) {
        QStringList command{"miniupnpd", "-d",
                            "-f",        LabScript("miniupnpd.conf"),
                            "-P",        dir_.filePath("miniupnpd.pid")};
        for (const QString& rule : rules) command << "-A" << rule;
        const QString log = dir_.filePath("miniupnpd.log");
        lab_.Spawn(router_, command, log);
        for (int i = 0; i < 100 && !Log().contains("HTTP listening"); ++i) QThread::msleep(50);
        ASSERT_TRUE(Log().contains("HTTP listening")) << qPrintable(Log());
    }

    QString Log() {
        QFile f(dir_.filePath("miniupnpd.log"));
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }

    // The router forwards TCP 1243 of its public side to the hosting machine.
    bool Mapped() {
        return lab_
            .Exec(router_, {"nft", "list", "chain", "inet", "filter", "prerouting_miniupnpd"})
            .contains("dport 1243 dnat ip to 10.77.1.2:1243");
    }
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

TEST_F(NetnsPortMapping, HostingMapsRenewsAndRemovesThePort) {
    StartGateway({"allow 1024-65535 10.77.1.0/24 1024-65535"});
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

TEST_F(NetnsPortMapping, MappingOfAKilledProgramEndsWithItsLease) {
    StartGateway({"allow 1024-65535 10.77.1.0/24 1024-65535"});
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
        QStringList rules; // empty: no gateway on the network
        const char* outcome;
    } rows[] = {
        {"refusing", {"deny 0-65535 0.0.0.0/0 0-65535"}, "Refused"},
        {"absent", {}, "NoRouter"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        if (!row.rules.isEmpty()) StartGateway(row.rules);
        Probe host = Host();
        host.Send("map 1243 3600 1000");
        const QString line = host.WaitFor(RE("^mapper (Granted|Refused|NoRouter)"));
        EXPECT_EQ(line, QStringLiteral("mapper %1  | %2").arg(row.outcome, Refusal))
            << qPrintable(host.Seen());
        EXPECT_FALSE(Mapped());
        lab_.Kill(router_, "miniupnpd");
    }
}

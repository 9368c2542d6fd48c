// The router opened while hosting, against a real UPnP gateway (the lab's
// HomeRouter, its lan0 toward the hosting machine). A refusing UPnP router is
// met by the hosting dialog in NetnsHostingTest.
#include "net/lab/NetnsLab.h"

#include <QThread>
#include <gtest/gtest.h>
#include <optional>
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
        router_.emplace(lab_);
        host_ = lab_.Add("host");
        lab_.Link(router_->Ns(), "lan0", "10.77.1.1/24", host_, "eth0", "10.77.1.2/24");
        lab_.Exec(host_, {"ip", "route", "add", "default", "via", "10.77.1.1"});
    }

    bool Mapped() { return router_->Forwards("10.77.1.2"); }
    bool MappedAfter(bool want, int timeoutMs) {
        return router_->ForwardsWithin("10.77.1.2", want, timeoutMs);
    }
    QString Log() const { return router_->Log(); }
    Probe Host() { return Probe(host_, {ProbeProgram()}); }

    NetnsLab lab_;
    std::optional<HomeRouter> router_;
    QString host_;
};

} // namespace

const QString Allow = "allow 1024-65535 10.77.1.0/24 1024-65535";
const QString Deny = "deny 0-65535 0.0.0.0/0 0-65535";

TEST_F(NetnsPortMapping, HostingMapsRenewsAndRemovesThePort) {
    router_->Start(HomeRouter::Upnp, {Allow});
    Probe host = Host();
    host.Send("map 1243 2 1000");
    EXPECT_FALSE(host.WaitFor(RE("^mapper Granted 11\\.77\\.0\\.1 \\| O roteador abriu a porta "
                                 "1243\\. Endereço na internet: 11\\.77\\.0\\.1$"))
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
    router_->Start(HomeRouter::NatPmp, {Allow});
    Probe host = Host();
    host.Send("map 1243 3600 1000");
    EXPECT_FALSE(host.WaitFor(RE("^mapper Granted 11\\.77\\.0\\.1 ")).isEmpty())
        << qPrintable(host.Seen());
    EXPECT_TRUE(Mapped()) << qPrintable(Log());
    host.Send("unmap");
    EXPECT_TRUE(MappedAfter(false, 5000)) << qPrintable(Log());
}

TEST_F(NetnsPortMapping, MappingOfAKilledProgramEndsWithItsLease) {
    router_->Start(HomeRouter::Upnp, {Allow});
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
        std::optional<HomeRouter::Protocol> gateway; // none: no gateway on the network
        QStringList rules;
        const char* outcome;
    } rows[] = {
        // NAT-PMP lets the router offer another public port, of no use to a
        // friend who types 1243: given back and reported as a refusal.
        {"NAT-PMP offering another port",
         HomeRouter::NatPmp,
         {"allow 1244 10.77.1.0/24 1243", Deny},
         "Refused"},
        {"absent", std::nullopt, {}, "NoRouter"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        if (row.gateway) router_->Start(*row.gateway, row.rules);
        Probe host = Host();
        host.Send("map 1243 3600 1000");
        const QString line = host.WaitFor(RE("^mapper (Granted|Refused|NoRouter)"));
        EXPECT_EQ(line.toStdString(),
                  QStringLiteral("mapper %1  | %2").arg(row.outcome, Refusal).toStdString())
            << qPrintable(host.Seen());
        EXPECT_FALSE(Mapped()) << qPrintable(Log());
        router_->Stop();
    }
}

// Two real copies of the game on a home network made of namespaces: a switch
// joins the hosting machine, the joining machine and the lab's HomeRouter
// (its lan0). Each machine runs its own mDNS service (tests/net/lab). The
// copies are driven by their scripted players (app/ScriptedPlayer.h): the
// joiner types no address, it takes the game its dialog lists.
#include "net/lab/NetnsLab.h"

#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <signal.h>

using namespace corvane::lab;
using RE = QRegularExpression;

namespace {

const QString Refusal = "O roteador não abriu a porta 1243. Para jogar pela internet, abra a porta "
                        "TCP 1243 no roteador e no firewall deste computador.";
const QString Allow = "allow 1024-65535 10.77.2.0/24 1024-65535";
const QString Deny = "deny 0-65535 0.0.0.0/0 0-65535";

class NetnsHosting : public testing::Test {
protected:
    void SetUp() override {
        if (const QString why =
                NetnsLab::Unavailable({"miniupnpd", "nft", "dbus-daemon", "avahi-daemon"});
            !why.isEmpty())
            GTEST_SKIP() << qPrintable(why);
        router_.emplace(lab_);
        const QString lan = lab_.Add("lan");
        host_ = lab_.Add("host");
        join_ = lab_.Add("join");
        lab_.Exec(lan, {"ip", "link", "add", "br0", "type", "bridge"});
        lab_.Exec(lan, {"ip", "link", "set", "br0", "up"});
        for (const auto& [port, ns, name, address] :
             {std::tuple{"pr", router_->Ns(), "lan0", "10.77.2.1/24"},
              std::tuple{"ph", host_, "eth0", "10.77.2.2/24"},
              std::tuple{"pj", join_, "eth0", "10.77.2.3/24"}}) {
            lab_.Link(lan, port, "", ns, name, address);
            lab_.Exec(lan, {"ip", "link", "set", port, "master", "br0"});
        }
        lab_.Exec(host_, {"ip", "route", "add", "default", "via", "10.77.2.1"});
    }
    bool Mapped() { return router_->Forwards("10.77.2.2"); }

    // A copy of the game on the machine ns (host name hostName), with its own
    // data folder holding config and the script.
    std::unique_ptr<Probe> Copy(const QString& ns, const QString& hostName,
                                const QByteArray& script, const QByteArray& config = {}) {
        auto folder = std::make_unique<QTemporaryDir>();
        QFile file(folder->filePath("script"));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly) && file.write(script) == script.size());
        file.close();
        if (!config.isEmpty()) {
            QFile settings(folder->filePath("config.dat"));
            EXPECT_TRUE(settings.open(QIODevice::WriteOnly) && settings.write(config) > 0);
        }
        const QStringList env = {"CORVANE_PROGRAM_FOLDER=" + folder->path() + "/",
                                 "CORVANE_TEST_SCRIPT=" + file.fileName(),
                                 "CORVANE_MYIP_URL=http://127.0.0.1:1/",
                                 "CORVANE_ROUTER_LEASE=4",
                                 "CORVANE_ROUTER_WAIT_MS=500",
                                 "QT_QPA_PLATFORM=offscreen"};
        folders_.push_back(std::move(folder));
        return std::make_unique<Probe>(ns,
                                       QStringList{"unshare", "--mount", "--propagation", "private",
                                                   LabScript("mdns-host.sh"), hostName, "eth0",
                                                   CORVANE_EXECUTABLE},
                                       env);
    }
    // The copy is done with: killed (it never reads its input).
    static void End(Probe& copy) {
        ::kill(pid_t(copy.Pid()), SIGKILL);
        copy.WaitForExit();
    }

    NetnsLab lab_;
    std::optional<HomeRouter> router_;
    QString host_, join_;
    std::vector<std::unique_ptr<QTemporaryDir>> folders_;
};

} // namespace

TEST_F(NetnsHosting, TheJoinerListsTheHostJoinsAndPlaysWhileTheRouterForwardsThePort) {
    router_->Start(HomeRouter::Upnp, {Allow});
    auto host = Copy(host_, "ana-laptop", "host LUANA\ne2-e4\ng1-f3\n");
    EXPECT_FALSE(host->WaitFor(RE("^caixa 1 Abrir a porta 1243 no roteador \\(UPnP\\)$")).isEmpty())
        << qPrintable(host->Seen());
    EXPECT_FALSE(host->WaitFor(RE("^roteador O roteador abriu a porta 1243\\. "
                                  "Endereço na internet: 11\\.77\\.0\\.1$"))
                     .isEmpty())
        << qPrintable(host->Seen());
    EXPECT_TRUE(Mapped()) << qPrintable(router_->Log());

    auto join = Copy(join_, "bia-desktop", "join BRUNO *\ne7-e5\nsair\n");
    EXPECT_FALSE(
        join->WaitFor(RE("^encontrado LUANA em ana-laptop \\(10\\.77\\.2\\.2\\)$")).isEmpty())
        << qPrintable(join->Seen());
    // The host stops announcing once the game starts; the joiner's reply
    // shows the host's move arrived.
    EXPECT_FALSE(host->WaitFor(RE("^anuncio Stopped$")).isEmpty()) << qPrintable(host->Seen());
    EXPECT_FALSE(join->WaitFor(RE("^lance e7-e5$")).isEmpty()) << qPrintable(join->Seen());
    EXPECT_TRUE(Mapped()) << "kept while the game goes on";

    // The joiner leaves after the host's next move: hosting is over.
    EXPECT_FALSE(host->WaitFor(RE("^aviso BRUNO saiu do jogo$")).isEmpty())
        << qPrintable(host->Seen());
    EXPECT_TRUE(router_->ForwardsWithin("10.77.2.2", false, 5000)) << qPrintable(router_->Log());
    EXPECT_TRUE(join->WaitForExit());
    End(*host);
}

TEST_F(NetnsHosting, TheDialogSaysWhatTheRouterDidAndNothingIsMappedWhenItSaysNo) {
    const struct {
        const char* name;
        QString rule; // empty: no gateway on the network
        QByteArray config;
        const char* box;
        QString router; // the dialog's line; empty: none
    } rows[] = {
        {"refusing", Deny, {}, "1", Refusal},
        {"absent", {}, {}, "1", Refusal},
        {"box switched off", Allow, "[Corvane]\nUPNP=False\n", "0", {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        if (!row.rule.isEmpty()) router_->Start(HomeRouter::Upnp, {row.rule});
        auto host = Copy(host_, "ana-laptop", "host LUANA\n", row.config);
        EXPECT_FALSE(host->WaitFor(RE(QStringLiteral("^caixa %1 ").arg(row.box))).isEmpty())
            << qPrintable(host->Seen());
        if (!row.router.isEmpty()) {
            EXPECT_EQ(host->WaitFor(RE("^roteador O roteador (abriu|não abriu)")).toStdString(),
                      ("roteador " + row.router).toStdString())
                << qPrintable(host->Seen());
        } else {
            // Time for a router to have been looked for (twice the wait): nobody did.
            EXPECT_FALSE(host->WaitFor(RE("^anuncio Published$")).isEmpty());
            QThread::msleep(1000);
            EXPECT_FALSE(host->Seen().contains("\nroteador ")) << qPrintable(host->Seen());
            EXPECT_FALSE(router_->Log().contains("M-SEARCH")) << qPrintable(router_->Log());
        }
        EXPECT_FALSE(Mapped()) << qPrintable(router_->Log());
        End(*host);
        router_->Stop();
    }
}

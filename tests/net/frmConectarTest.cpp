// The connection dialog driven as a player would, against loopback peers and a
// local what-is-my-IP page.
#include "HttpResponder.h"
#include "NetTestSupport.h"
#include "net/frmConectar.h"

#include <QHostAddress>
#include <QNetworkProxy>
#include <QTest>
#include <gtest/gtest.h>

namespace corvane {
namespace {

using nettest::WaitUntil;

// A dialog whose network side is a socket of the test's own, connecting to
// port (the game's port stays out of the tests).
struct Join {
    frmConectar dialog{false};
    long port = 0;
    bool connectSocket = true;
    std::unique_ptr<CSocketLink> socket;
    QStringList messages, started, statuses;
    int releases = 0;
    QTimer watch;

    Join() {
        dialog.tellUser = [this](const QString& m) { messages << m; };
        dialog.releaseSocket = [this] { ++releases, socket.reset(); };
        dialog.resolveName = [](const QString& name, QObject*, std::function<void(IPv4List)> done) {
            done(name == "casa" ? IPv4List{QHostAddress("127.0.0.1").toIPv4Address()} : IPv4List{});
        };
        dialog.startNetwork = [this] {
            started << dialog.NetServerAddress();
            if (!connectSocket) return true;
            socket = std::make_unique<CSocketLink>();
            socket->OnConnect = [this] { dialog.Connected(); };
            socket->OnError = [this](int, const QString& why, long, const QString&, const QString&,
                                     long, bool&) { dialog.ConnectionFailed(why); };
            socket->Connect("127.0.0.1", port);
            return true;
        };
        // The status line as the player sees it, each text once.
        QObject::connect(&watch, &QTimer::timeout, [this] {
            if (dialog.lblMens.isVisible() && !statuses.endsWith(dialog.lblMens.text()))
                statuses << dialog.lblMens.text();
        });
        watch.start(5);
        dialog.show();
    }
    bool Settled() const { return !dialog.isVisible() || !messages.isEmpty(); }
};

TEST(Conectar, JoiningChecksTheHostThenConnects) {
    nettest::Host host;
    const struct {
        QString typed;
        bool enter;
        QStringList messages;
        QStringList started;
    } rows[] = {
        {"   ", false, {MsgInformeServidor}, {}},
        {"ninguem", true, {MsgServidorNaoEncontrado}, {}},
        {"127.0.0.1", false, {}, {"127.0.0.1"}},
        {" casa ", true, {}, {"casa"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.typed.toStdString());
        Join join;
        join.port = host.Port();
        join.dialog.txtServ.setText(row.typed);
        if (row.enter)
            QTest::keyClick(&join.dialog.txtServ, Qt::Key_Return);
        else
            QTest::mouseClick(&join.dialog.lblConectar, Qt::LeftButton);
        ASSERT_TRUE(WaitUntil([&] { return join.Settled(); }));
        EXPECT_EQ(join.messages, row.messages);
        EXPECT_EQ(join.started, row.started);
        const bool connected = !row.started.isEmpty();
        EXPECT_EQ(join.dialog.isVisible(), !connected);
        if (connected) {
            EXPECT_EQ(join.dialog.result(), QDialog::Accepted);
            EXPECT_EQ(join.statuses, (QStringList{MsgBuscando, MsgEncontrado}));
        }
        EXPECT_EQ(join.releases, 0);
    }
}

// A host that answers the check but takes no connection: the player is told
// and may try again, until the connection is made or the player gives up.
TEST(Conectar, FailedConnectionsAreReportedAndMayBeRetried) {
    nettest::Host host;
    Join join;
    join.dialog.connectBoundMs = 300;
    join.port = nettest::FreePort();
    join.dialog.txtServ.setText("127.0.0.1");
    QTest::mouseClick(&join.dialog.lblConectar, Qt::LeftButton);
    ASSERT_TRUE(WaitUntil([&] { return join.Settled(); }));
    EXPECT_EQ(join.messages, QStringList{MsgConexaoFalhou.arg("Connection refused.")});

    join.connectSocket = false; // nothing is ever reported: the dialog's own bound
    QTest::keyClick(&join.dialog.txtServ, Qt::Key_Return);
    ASSERT_TRUE(WaitUntil([&] { return join.messages.size() == 2; }));
    EXPECT_EQ(join.messages.last(), MsgSemResposta);
    EXPECT_EQ(join.releases, 1);

    join.connectSocket = true;
    join.port = host.Port();
    QTest::mouseClick(&join.dialog.lblConectar, Qt::LeftButton);
    ASSERT_TRUE(WaitUntil([&] { return !join.dialog.isVisible(); }));
    EXPECT_EQ(join.dialog.result(), QDialog::Accepted);
    EXPECT_EQ(join.started.size(), 3);
}

// Esc in the address box while the host is being looked for: the socket is
// released, the dialog closes and no connection follows.
TEST(Conectar, EscCancelsAndStopsTheAttempt) {
    Join join;
    join.dialog.resolveName = [&](const QString&, QObject*, std::function<void(IPv4List)> done) {
        QTest::keyClick(&join.dialog.txtServ, Qt::Key_Escape);
        done({QHostAddress("127.0.0.1").toIPv4Address()});
    };
    join.dialog.txtServ.setText("casa");
    QTest::keyClick(&join.dialog.txtServ, Qt::Key_Return);
    EXPECT_FALSE(join.dialog.isVisible());
    EXPECT_EQ(join.dialog.result(), QDialog::Rejected);
    nettest::Pump(1300);
    EXPECT_TRUE(join.started.isEmpty() && join.messages.isEmpty());
    EXPECT_EQ(join.releases, 1);
}

TEST(Conectar, HostShowsItsAddressesAndWaits) {
    QNetworkProxy::setApplicationProxy(QNetworkProxy::NoProxy);
    nettest::HttpResponder web;
    web.routes["/ip"] = {"<html><body>Current IP Address: 203.0.113.9</body></html>"};
    qputenv("CORVANE_MYIP_URL", web.Url("/ip").toUtf8());
    frmConectar dialog(true);
    int releases = 0;
    dialog.releaseSocket = [&] { ++releases; };
    dialog.localAddresses = [] { return QStringList{"192.168.1.4"}; };
    dialog.show();
    ASSERT_TRUE(WaitUntil([&] { return dialog.List1.count() == 2; }));
    EXPECT_EQ(dialog.List1.item(0)->text(), "192.168.1.4");
    EXPECT_EQ(dialog.List1.item(1)->text(), "203.0.113.9");
    EXPECT_TRUE(dialog.picListen.isVisible());
    EXPECT_FALSE(dialog.picServidor.isVisible() || dialog.lblConectar.isVisible());

    // The indicator bounces inside its strip, its picture pointing the way it goes.
    EXPECT_TRUE(dialog.AnimationTimer.isActive());
    const qint64 right = dialog.ImgGo.pixmap().cacheKey();
    int turns = 0, lowest = 1000, highest = 0;
    for (int tick = 0, x = dialog.ImgGo.x(); tick < 300; ++tick, x = dialog.ImgGo.x()) {
        const bool wasRight = dialog.ImgGo.pixmap().cacheKey() == right;
        dialog.AnimationTick();
        const bool nowRight = dialog.ImgGo.pixmap().cacheKey() == right;
        turns += nowRight != wasRight;
        if (nowRight == wasRight) {
            EXPECT_EQ(dialog.ImgGo.x() > x, nowRight) << tick;
        }
        lowest = std::min(lowest, dialog.ImgGo.x());
        highest = std::max(highest, dialog.ImgGo.geometry().right());
    }
    EXPECT_GE(turns, 4);
    EXPECT_EQ(lowest, 0);
    EXPECT_LT(highest, dialog.ProgressBar.width());

    QTest::mouseClick(&dialog.lblCancelar, Qt::LeftButton);
    EXPECT_FALSE(dialog.isVisible() || dialog.AnimationTimer.isActive());
    EXPECT_EQ(releases, 1);
    qunsetenv("CORVANE_MYIP_URL");
}

} // namespace
} // namespace corvane

// The connection and chat windows driven as a player would, against loopback peers.
#include "net/frmConectar.h"
#include "NetTestSupport.h"
#include "net/NetProtocol.h"
#include "net/frmChat.h"

#include "files/Settings.h"
#include "files/modINI.h"

#include <QHostAddress>
#include <QTemporaryDir>
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
    bool connectSocket = true, failAtOnce = false;
    std::unique_ptr<CSocketLink> socket;
    QStringList messages, started;
    int releases = 0;

    Join() {
        dialog.tellUser = [this](const QString& m) { messages << m; };
        dialog.releaseSocket = [this] { ++releases, socket.reset(); };
        dialog.resolveName = [](const QString& name, QObject*, std::function<void(IPv4List)> done) {
            done(name == "casa" ? IPv4List{QHostAddress("127.0.0.1").toIPv4Address()} : IPv4List{});
        };
        dialog.startNetwork = [this] {
            started << dialog.NetServerAddress();
            if (failAtOnce) dialog.ConnectionFailed("x");
            if (!connectSocket) return true;
            socket = std::make_unique<CSocketLink>();
            socket->OnConnect = [this] { dialog.Connected(); };
            socket->OnError = [this](int, const QString& why, long, const QString&, const QString&,
                                     long, bool&) { dialog.ConnectionFailed(why); };
            socket->Connect("127.0.0.1", port);
            return true;
        };
        dialog.show();
    }
    bool Settled() const { return !dialog.isVisible() || !messages.isEmpty(); }
};

TEST(Conectar, JoiningChecksTheHostThenConnects) {
    nettest::Host host;
    const struct {
        QString typed;
        bool enter;
        QStringList messages, started;
    } rows[] = {
        {"   ", false, {MsgInformeServidor}, {}},
        {"ninguem", true, {MsgServidorNaoEncontrado}, {}},
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
        EXPECT_EQ(join.dialog.isVisible(), row.started.isEmpty());
    }
}

// A host that answers the check but takes no connection: the player is told
// and may try again, until the connection is made or the player gives up.
TEST(Conectar, FailedConnectionsAreReportedAndMayBeRetried) {
    nettest::Host host;
    Join join;
    join.dialog.connectBoundMs = 300;
    const nettest::RefusingPort nobody;
    join.port = nobody.Port();
    join.dialog.txtServ.setText("127.0.0.1");
    QTest::mouseClick(&join.dialog.lblConectar, Qt::LeftButton);
    ASSERT_TRUE(WaitUntil([&] { return join.Settled(); }));
    EXPECT_EQ(join.messages, QStringList{MsgConexaoFalhou.arg("Connection refused.")});

    join.connectSocket = false; // nothing is ever reported: the dialog's own bound
    QTest::keyClick(&join.dialog.txtServ, Qt::Key_Return);
    ASSERT_TRUE(WaitUntil([&] { return join.messages.size() == 2; }));
    EXPECT_EQ(join.messages.last(), MsgSemResposta);
    EXPECT_EQ(join.releases, 1);

    join.failAtOnce = true; // told while the connection starts: no "no answer" follows
    QTest::keyClick(&join.dialog.txtServ, Qt::Key_Return);
    ASSERT_TRUE(WaitUntil([&] { return join.messages.size() == 3; }));
    QTest::qWait(3 * join.dialog.connectBoundMs);
    EXPECT_EQ(join.messages.size(), 3);

    join.failAtOnce = false;
    join.connectSocket = true;
    join.port = host.Port();
    QTest::mouseClick(&join.dialog.lblConectar, Qt::LeftButton);
    ASSERT_TRUE(WaitUntil([&] { return !join.dialog.isVisible(); }));
    EXPECT_EQ(join.dialog.result(), QDialog::Accepted);
}

// A game found on the local network is joined like a typed address: the
// host is checked first, then connected to. The list follows the browser
// and keeps the player's choice; with discovery switched off it says so.
TEST(Conectar, AGameListedIsJoinedByDoubleClickOrEnter) {
    nettest::Host host;
    for (const bool enter : {false, true}) {
        SCOPED_TRACE(enter ? "Enter" : "double click");
        Join join;
        join.port = host.Port();
        EXPECT_EQ(join.dialog.lblRedeLocal.text(),
                  "A busca de jogos na rede local está desligada.");
        EXPECT_EQ(join.dialog.lstJogos.count(), 0);
        const FoundGame far{"BIA", "bia-pc", "10.255.255.1", 1243};
        const FoundGame near{"ANA", "ana-laptop", "127.0.0.1", 1243};
        join.dialog.ShowGames({far, near});
        join.dialog.lstJogos.setCurrentRow(1);
        join.dialog.ShowGames({near}); // BIA stopped hosting
        ASSERT_EQ(join.dialog.lstJogos.count(), 1);
        EXPECT_EQ(join.dialog.lstJogos.currentRow(), 0) << "the chosen game stays chosen";
        QListWidget& list = join.dialog.lstJogos;
        EXPECT_EQ(list.item(0)->text(), "ANA em ana-laptop (127.0.0.1)");
        if (enter) {
            list.setFocus();
            QTest::keyClick(&list, Qt::Key_Return);
        } else {
            const QPoint at = list.visualItemRect(list.item(0)).center();
            QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, at);
            QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, at);
        }
        ASSERT_TRUE(WaitUntil([&] { return join.Settled(); }));
        EXPECT_EQ(join.started, QStringList{"127.0.0.1"});
        EXPECT_EQ(join.dialog.txtServ.text(), "127.0.0.1");
        EXPECT_EQ(join.dialog.result(), QDialog::Accepted);
    }
}

// The host's check box shows whether the router is asked to open the game
// port and switches it; the choice is remembered for the next time.
TEST(Conectar, TheRouterCheckBoxSwitchesTheMappingAndIsRemembered) {
    QTemporaryDir folder;
    SetProgramFolder(folder.path() + "/");
    PortMapper mapper;
    mapper.Start(1250); // asked, but switched off in tests: nothing is sent
    frmConectar dialog(true);
    dialog.ShowPortMapping(mapper, 1250);
    dialog.show();
    EXPECT_EQ(dialog.chkRoteador.text(), "Abrir a porta 1250 no roteador (UPnP)");
    EXPECT_TRUE(dialog.chkRoteador.isChecked());
    EXPECT_EQ(mapper.outcome(), PortMapper::Outcome::Disabled);
    for (const bool on : {false, true}) {
        QTest::mouseClick(&dialog.chkRoteador, Qt::LeftButton);
        EXPECT_EQ(dialog.chkRoteador.isChecked(), on);
        EXPECT_EQ(ReadOpenRouterPort(), on);
        EXPECT_EQ(mapper.outcome(), on ? PortMapper::Outcome::Disabled : PortMapper::Outcome::Idle);
    }
    SetProgramFolder(QString());
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

// Enter sends the line as typed and writes it down, connected or not; a blank
// line stays; peer text is plain text and shows the hidden window again.
TEST(frmChat, EnterSendsTheLineAndPeerTextShowsTheWindow) {
    PlayerNick = {"", "ANA", "ZEZE"};
    frmChat chat;
    QStringList sent;
    chat.send = [&](const QString& message) {
        sent << message;
        return false; // not connected: written down all the same
    };
    chat.show();
    for (const QString typed : {"  a#b ", "   "}) {
        QTest::keyClicks(&chat.txtEnviar, typed);
        QTest::keyClick(&chat.txtEnviar, Qt::Key_Return);
    }
    EXPECT_EQ(sent, QStringList{"Chat:#  a#b "});
    EXPECT_EQ(chat.txtChat.toPlainText(), "ANA :   a#b \n");
    EXPECT_EQ(chat.txtEnviar.text(), "   ") << "a blank line stays";
    EXPECT_TRUE(chat.isVisible()) << "Enter must not close the window";
    QTest::mouseClick(&chat.lblClose, Qt::LeftButton);
    EXPECT_FALSE(chat.isVisible());
    chat.AddPeerLine("<b>oi</b> &amp; <img src=x>");
    EXPECT_TRUE(chat.isVisible());
    EXPECT_TRUE(chat.txtChat.toPlainText().endsWith("ZEZE : <b>oi</b> &amp; <img src=x>\n"));
}

} // namespace
} // namespace corvane

#pragma once
// A real main window and its network session against a scripted peer on
// 127.0.0.1: the window hosts or joins, the peer is "ZEZE", the local player
// "ANA"; what the session tells the player is recorded.
#include "app/NetworkGame.h"
#include "game/GameTestSupport.h"
#include "net/NetTestSupport.h"
#include "net/ScriptedPeer.h"
#include "rules/GameState.h"

namespace corvane::nettest {

class NetworkGameFixture : public corvane::testing::GameWindowTest {
protected:
    void SetUp() override {
        GameWindowTest::SetUp();
        session = std::make_unique<NetworkGameSession>(*window);
        session->setResignTip = [this](const QString& text) { tip = text; };
        session->openNewGame = [this] { ++newGames; };
        session->tellUser = [this](const QString& text, bool) { told << text; };
        window->sendToPeer = [this](const std::string& m) {
            session->EnviarDados(QString::fromStdString(m));
        };
        PlayerNick = {"", "ANA", ""};
    }
    void TearDown() override {
        peer.reset();
        session.reset();
        qunsetenv("CORVANE_NET_PORT");
        GameWindowTest::TearDown();
    }
    void UsePort(long port) { qputenv("CORVANE_NET_PORT", QByteArray::number(qlonglong(port))); }

    // The window hosts or joins; the scripted peer is "ZEZE" unless named otherwise.
    void Connect(bool host, const QString& peerNick = QStringLiteral("ZEZE")) {
        newGames = 0;
        told.clear();
        NetServerMode = host;
        NetServerAddress = "127.0.0.1";
        if (!host) peer = ScriptedPeer::Listening();
        UsePort(host ? FreePort() : peer->Port());
        ASSERT_TRUE(session->StartNetwork());
        if (host) {
            peer = ScriptedPeer::Connecting(NetPort());
            ASSERT_TRUE(WaitUntil([] { return NetworkGame; }));
            peer->Send(QStringLiteral("StartServidor:#") + peerNick);
            ASSERT_TRUE(peer->WaitFor("StartCliente:#ANA"));
        } else {
            ASSERT_TRUE(peer->Accept());
            ASSERT_TRUE(peer->WaitFor("StartServidor:#ANA"));
            peer->Send(QStringLiteral("StartCliente:#") + peerNick);
        }
        ASSERT_TRUE(WaitUntil([this] { return session->HandshakeDone(); }));
    }
    // Whose colour is at the bottom, who moves, and whether the board takes moves.
    void ExpectSides(bool localWhite, const char* when) {
        EXPECT_EQ(window->LocalIsWhite(), localWhite) << when;
        EXPECT_EQ(WhiteAtBottom, localWhite) << when;
        EXPECT_EQ(window->WaitingForPeer(), !localWhite) << when;
        EXPECT_EQ(window->picBoard()->isEnabled(), localWhite) << when;
        EXPECT_EQ(SideToMove, "W") << when;
        EXPECT_EQ(window->LabCH(0)->text() + window->LabCH(1)->text(), "ANAZEZE") << when;
    }
    // The game ended as if the peer had left, the player told why.
    void ExpectPeerGone(const QString& message, const char* what) {
        EXPECT_TRUE(WaitUntil([this] { return newGames == 1; })) << what;
        EXPECT_EQ(told, QStringList{message}) << what;
        EXPECT_FALSE(NetworkGame) << what;
        EXPECT_EQ(tip, "Reniciar jogo") << what;
        EXPECT_FALSE(session->Chat()) << what;
        EXPECT_FALSE(window->picBoard()->isEnabled()) << what;
    }
    // Replaces the position of the game just started ("WK a1 BK h8 ..."); White moves.
    void SetPosition(const std::string& pieces) {
        for (int i = 0; i < 64; ++i) window->SetSquare(i, "");
        for (std::size_t at = 0; at + 5 <= pieces.size(); at += 6)
            window->SetSquare(corvane::testing::Sq(pieces.substr(at + 3, 2)), pieces.substr(at, 2));
        LoadBoardFromView(*window, 0);
    }
    // A move of the local side, pressed and dropped on the board ("e2-e4").
    void Play(const std::string& move) {
        BoardView& board = *window->picBoard();
        board.onPress(corvane::testing::Sq(move.substr(0, 2)), Qt::LeftButton);
        board.onDropSquare(corvane::testing::Sq(move.substr(3, 2)));
    }

    std::unique_ptr<NetworkGameSession> session;
    std::unique_ptr<ScriptedPeer> peer;
    QString tip;
    int newGames = 0;
    QStringList told;
};

} // namespace corvane::nettest

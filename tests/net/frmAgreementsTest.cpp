// The extensions between two copies, against a scripted peer that announces
// them: end marks, the keep-alive, draw offers and take-back requests both
// ways (accepted, refused, unanswered, out of step) and the match score.
#include "NetworkGameFixture.h"
#include "net/Agreements.h"
#include "net/NetProtocol.h"

#include <QElapsedTimer>
#include <cstdio>

namespace corvane::nettest {
namespace {

const QString Mark = QString(QChar(EndMark));

class AgreementsTest : public NetworkGameFixture {
protected:
    void SetUp() override {
        NetworkGameFixture::SetUp();
        session->times = {200, 1500, 400, 100};
        session->askPlayer = [this](const QString& question, int) {
            asked << question;
            return answer;
        };
    }
    // The window hosts a peer that announced the extensions; the peer is "ZEZE".
    void ConnectExtended(bool host = true) {
        Connect(host, QStringLiteral("ZEZE#+CV1") + Mark);
        ASSERT_TRUE(session->PeerExtended());
    }
    // The peer sends one extension message (with its end mark).
    void PeerSays(const QString& message) { peer->Send(message + Mark); }
    bool PeerGot(const QString& message) { return peer->WaitFor((message + Mark).toLatin1()); }
    // The host (White) plays e2-e4 and the peer answers e7-e5.
    void OneMoveEach() {
        Play("e2-e4");
        ASSERT_TRUE(PeerGot("Jogar:#WP e2-e4#"));
        peer->Send("Jogar:#BP e7-e5#" + Mark);
        ASSERT_TRUE(WaitUntil([this] { return !window->WaitingForPeer(); }));
    }
    int Plies() const { return int(window->History().Moves().size()); }

    bool answer = true;
    QStringList asked;
};

TEST_F(AgreementsTest, EachMessageEndsWithItsMarkAndIsTakenAtOnce) {
    ConnectExtended();
    EXPECT_TRUE(peer->Received().contains("StartCliente:#ANA#+CV1#"));
    OneMoveEach();
    // A move with the empty status, a chat line: waited 150 ms for without marks.
    window->blinkMilliseconds = 0;
    Play("g1-f3");
    ASSERT_TRUE(PeerGot("Jogar:#WN g1-f3#"));
    QElapsedTimer clock;
    clock.start();
    peer->Send("Jogar:#BN b8-c6#" + Mark);
    ASSERT_TRUE(WaitUntil([this] { return !window->WaitingForPeer(); }, 5000));
    std::printf("[ latency ] a peer's move with its end mark handled %lld ms after it was sent\n",
                static_cast<long long>(clock.elapsed()));
    EXPECT_EQ(Plies(), 4);
    // The keep-alive goes out while nothing else does, and is not shown anywhere.
    ASSERT_TRUE(peer->WaitFor("Corvane:#VIVO#2" + Mark.toLatin1()));
    peer->Send("Corvane:#VIVO" + Mark + "Chat:#oi" + Mark);
    ASSERT_TRUE(
        WaitUntil([this] { return session->Chat()->txtChat.toPlainText().contains("oi"); }));
    EXPECT_FALSE(session->Chat()->txtChat.toPlainText().contains("VIVO"));
}

TEST_F(AgreementsTest, APeerThatFallsSilentIsNoticedWithinTheLimit) {
    ConnectExtended();
    // The peer keeps the connection open and sends nothing more.
    ExpectPeerGone(QStringLiteral("ZEZE saiu do jogo"), "silent peer");
}

TEST_F(AgreementsTest, ThePeersOffersAreAskedAndAnswered) {
    struct Row {
        const char* offer;
        bool fits; // about this moment of this game
        bool yes;  // the local player's answer
        const char* reply;
        int plies;         // moves listed afterwards
        const char* score; // afterwards
    };
    // After e2-e4 e7-e5: 2 moves listed, the host (White) to move, game 0.
    const Row rows[] = {
        {"Corvane:#EMPATE?#0#2", true, true, "Corvane:#SIM#EMPATE#0#2", 0, "½ × ½"},
        {"Corvane:#EMPATE?#0#2", true, false, "Corvane:#NAO#EMPATE#0#2", 2, "0 × 0"},
        {"Corvane:#EMPATE?#0#1", false, true, "Corvane:#NAO#EMPATE#0#1", 2, "0 × 0"},
        {"Corvane:#EMPATE?#1#2", false, true, "Corvane:#NAO#EMPATE#1#2", 2, "0 × 0"},
        // The peer's own last move back: it waits for the host's answer to it.
        {"Corvane:#VOLTAR?#0#2#1", true, true, "Corvane:#SIM#VOLTAR#0#2", 1, "0 × 0"},
        {"Corvane:#VOLTAR?#0#2#1", true, false, "Corvane:#NAO#VOLTAR#0#2", 2, "0 × 0"},
        // Two moves back would take the host's move: not the asker's to ask.
        {"Corvane:#VOLTAR?#0#2#2", false, true, "Corvane:#NAO#VOLTAR#0#2", 2, "0 × 0"},
        {"Corvane:#VOLTAR?#0#2#3", false, true, "", 2, "0 × 0"},
    };
    for (const Row& r : rows) {
        ConnectExtended();
        OneMoveEach();
        asked.clear();
        answer = r.yes;
        const QByteArray before = peer->Received();
        PeerSays(r.offer);
        if (*r.reply) {
            ASSERT_TRUE(PeerGot(r.reply)) << r.offer;
        } else {
            QTest::qWait(100);
        }
        EXPECT_EQ(asked.size(), r.fits ? 1 : 0) << r.offer;
        if (r.fits && QByteArray(r.offer).contains("EMPATE")) {
            EXPECT_EQ(asked.value(0), "ZEZE propõe empate. Aceita?");
        }
        EXPECT_EQ(Plies(), r.plies) << r.offer;
        EXPECT_EQ(window->lblPlacar()->text(), r.score) << r.offer;
        EXPECT_TRUE(window->lblPlacar()->isVisible()) << r.offer;
        if (r.plies == 1) {
            // The peer's move is gone: the host waits for its next one.
            EXPECT_TRUE(window->WaitingForPeer()) << r.offer;
            EXPECT_EQ(window->Tag(corvane::testing::Sq("e7")), "BP") << r.offer;
            peer->Send("Jogar:#BP d7-d5#" + Mark);
            ASSERT_TRUE(WaitUntil([this] { return Plies() == 2; })) << r.offer;
        }
        if (r.plies == 0) {
            EXPECT_FALSE(window->LocalIsWhite()) << "the colours swap";
        }
        EXPECT_TRUE(NetworkGame) << r.offer;
        session->CloseConnection();
        EXPECT_FALSE(window->lblPlacar()->isVisible());
        peer.reset();
    }
}

TEST_F(AgreementsTest, TheLocalOffersWaitForThePeersAnswer) {
    struct Row {
        bool draw;
        const char* sent;
        const char* answer; // "" leaves it unanswered
        QString told;
        int plies;
    };
    const QString tooLate =
        QStringLiteral("ZEZE já recusou. Uma nova proposta só depois da próxima jogada.");
    const Row rows[] = {
        {true, "Corvane:#EMPATE?#0#2", "Corvane:#SIM#EMPATE#0#2", "", 0},
        {true, "Corvane:#EMPATE?#0#2", "Corvane:#NAO#EMPATE#0#2", "ZEZE recusou o empate.", 2},
        {true, "Corvane:#EMPATE?#0#2", "", "ZEZE não respondeu.", 2},
        // The host's move and the peer's answer to it.
        {false, "Corvane:#VOLTAR?#0#2#2", "Corvane:#SIM#VOLTAR#0#2", "", 0},
        {false, "Corvane:#VOLTAR?#0#2#2", "Corvane:#NAO#VOLTAR#0#2",
         "ZEZE recusou voltar a jogada.", 2},
        // An answer to another moment changes nothing; the offer goes unanswered.
        {false, "Corvane:#VOLTAR?#0#2#2", "Corvane:#SIM#VOLTAR#0#1", "ZEZE não respondeu.", 2},
    };
    for (const Row& r : rows) {
        ConnectExtended();
        OneMoveEach();
        told.clear();
        r.draw ? window->offerDraw() : window->askTakeBack();
        ASSERT_TRUE(PeerGot(r.sent)) << r.sent;
        EXPECT_FALSE(window->picBoard()->isEnabled()) << "locked while the peer decides";
        // A second offer waits for the first.
        r.draw ? window->offerDraw() : window->askTakeBack();
        EXPECT_EQ(told, QStringList{"Aguarde a resposta de ZEZE."}) << r.sent;
        told.clear();
        if (*r.answer) PeerSays(r.answer);
        if (!r.told.isEmpty()) {
            ASSERT_TRUE(WaitUntil([this] { return !told.isEmpty(); })) << r.sent;
            EXPECT_EQ(told, QStringList{r.told}) << r.sent;
            EXPECT_TRUE(window->picBoard()->isEnabled()) << r.sent;
            // Refused: not again before the next move.
            told.clear();
            r.draw ? window->offerDraw() : window->askTakeBack();
            EXPECT_EQ(told, QStringList{tooLate}) << r.sent;
        } else {
            ASSERT_TRUE(WaitUntil([&] { return Plies() == r.plies; }))
                << r.sent << " " << Plies() << told.join("/").toStdString();
        }
        EXPECT_EQ(Plies(), r.plies) << r.sent;
        if (r.plies == 0 && r.draw) {
            EXPECT_EQ(window->lblPlacar()->text(), "½ × ½");
        }
        if (r.plies == 0 && !r.draw) {
            EXPECT_TRUE(window->picBoard()->isEnabled());
            EXPECT_EQ(window->Tag(corvane::testing::Sq("e2")), "WP");
            Play("d2-d4");
            ASSERT_TRUE(PeerGot("Jogar:#WP d2-d4#"));
        }
        session->CloseConnection();
        peer.reset();
    }
}

TEST_F(AgreementsTest, APeerWithoutTheExtensionsGetsNoneAndTheScoreStillCounts) {
    Connect(true);
    EXPECT_FALSE(session->PeerExtended());
    EXPECT_FALSE(window->offerDraw);
    Play("e2-e4");
    ASSERT_TRUE(peer->WaitFor("Jogar:#WP e2-e4#"));
    // Only the handshake's announcement carries a mark, which the design ignores.
    EXPECT_EQ(peer->Received().count(EndMark), 1);
    EXPECT_TRUE(peer->Received().endsWith("Jogar:#WP e2-e4#"));
    peer->Send(QStringLiteral("EntregarJogo:#"));
    ASSERT_TRUE(WaitUntil([this] { return window->lblPlacar()->text() == "1 × 0"; }));
    // Offers of the peer are not acted on.
    peer->Send(QStringLiteral("Corvane:#EMPATE?#1#0"));
    QTest::qWait(250);
    EXPECT_TRUE(asked.isEmpty());
    EXPECT_FALSE(peer->Received().contains("Corvane:"));
}

} // namespace
} // namespace corvane::nettest

// A network game between two copies that announced the extensions survives a
// broken connection: the scripted peer cuts it at chosen points (after a move
// went out and before it arrived, in the middle of a message, during a chat
// line, or by falling silent) and comes back with the key of the connection;
// strangers and wrong accounts are refused; the limit and the leave end it.
#include "NetworkGameFixture.h"
#include "net/NetProtocol.h"
#include "net/Resume.h"

#include <QAbstractButton>
#include <QDialog>
#include <QLabel>
#include <QPlainTextEdit>
#include <QRegularExpression>

namespace corvane::nettest {
namespace {

const QByteArray Mark(1, EndMark);
const QString PeerToken = QStringLiteral("0123456789abcdef");

class ResumeTest : public NetworkGameFixture {
protected:
    void SetUp() override {
        NetworkGameFixture::SetUp();
        session->times.keepAliveMs = 100;
        session->times.silenceMs = 600;
        session->times.resumeHelloMs = 1000;
    }
    // The window hosts; the peer joins with its token.
    void ConnectWithToken() {
        Connect(true, "ZEZE#+CV1#" + PeerToken + QChar(EndMark));
        ASSERT_TRUE(peer->WaitFor("StartCliente:#ANA#+CV1#"));
        const QByteArray got = peer->Received();
        const qsizetype at = got.indexOf("+CV1#") + 5;
        key = QString::fromLatin1(got.mid(at, 16)) + PeerToken;
    }
    // The host (White) plays e2-e4.
    void HostMoves(const std::string& move, const QByteArray& sent) {
        Play(move);
        ASSERT_TRUE(peer->WaitFor(sent + Mark));
    }
    std::vector<std::string> Moves() const {
        std::vector<std::string> out;
        for (const auto& e : window->History().Moves()) out.push_back(e.moveText);
        return out;
    }
    // The peer comes back on a new connection with its account of the game.
    void Return(int received, int plies, const QString& digestOf = {}) {
        peer = ScriptedPeer::Connecting(NetPort());
        ASSERT_TRUE(peer->Connected());
        std::vector<std::string> moves = Moves();
        moves.resize(std::size_t(std::min<int>(plies, int(moves.size()))));
        const QString digest = digestOf.isEmpty() ? MoveListDigest(0, moves, plies) : digestOf;
        peer->Send(StateMessage(ResumeWord, {key, received, 0, plies, digest}).toLatin1() + Mark);
    }
    QString LostText() const {
        QDialog* lost = session->LostWindow();
        return lost && lost->isVisible() ? lost->findChild<QLabel*>("lblPerdida")->text()
                                         : QString();
    }

    QString key;
};

// Each way the link breaks, then the peer returns: the game goes on from the
// same position and list, with nothing lost or applied twice.
TEST_F(ResumeTest, AGameResumesWhereverTheLinkBroke) {
    enum Cut { MoveLost, MidMessage, ChatDuringBreak, Silent };
    for (const Cut cut : {MoveLost, MidMessage, ChatDuringBreak, Silent}) {
        SCOPED_TRACE(int(cut));
        ConnectWithToken();
        HostMoves("e2-e4", "Jogar:#WP e2-e4#");
        if (cut == MidMessage) peer->Send(QByteArray("Jogar:#BP e7-e5#"));
        // Silent: the peer's side of the connection stays open and sends nothing.
        if (cut != Silent) {
            QTest::qWait(30);
            peer->Reset();
        }
        ASSERT_TRUE(WaitUntil([this] { return session->Resuming(); }));
        const qint64 clockBefore = window->WhiteTime() + window->BlackTime();
        EXPECT_TRUE(QRegularExpression(
                        QStringLiteral("^Conexão perdida. Tentando reconectar… [12]:[0-5][0-9]$"))
                        .match(LostText())
                        .hasMatch())
            << LostText().toStdString();
        EXPECT_FALSE(window->picBoard()->isEnabled());
        EXPECT_TRUE(NetworkGame);
        EXPECT_EQ(Moves().size(), 1u) << "a move cut in the middle is not taken";
        if (cut == ChatDuringBreak) {
            EXPECT_TRUE(session->Chat()->send("Chat:#durante"));
        }
        QTest::qWait(200); // the clocks do not run while the link is down
        EXPECT_EQ(window->WhiteTime() + window->BlackTime(), clockBefore);
        if (cut == Silent) peer.reset();
        // The peer got the move unless it was lost on the way.
        const int received = cut == MoveLost ? 0 : 1;
        Return(received, received);
        ASSERT_TRUE(peer->WaitFor("Corvane:#RETOMADO#0#0#1#")) << peer->Received().data();
        ASSERT_TRUE(peer->WaitFor("Corvane:#CONFERE#"));
        const QByteArray after = peer->Received();
        EXPECT_EQ(after.count("Jogar:#WP e2-e4#"), cut == MoveLost ? 1 : 0) << after.data();
        EXPECT_EQ(after.count("Chat:#durante"), cut == ChatDuringBreak ? 1 : 0);
        EXPECT_FALSE(session->Resuming());
        EXPECT_FALSE(LostText().size());
        // The peer's move, whole this time, arrives once.
        peer->Send("Jogar:#BP e7-e5#" + Mark);
        ASSERT_TRUE(WaitUntil([this] { return !window->WaitingForPeer(); }));
        EXPECT_EQ(Moves(), (std::vector<std::string>{"WP e2-e4", "BP e7-e5"}));
        EXPECT_TRUE(window->picBoard()->isEnabled());
        HostMoves("g1-f3", "Jogar:#WN g1-f3#");
        session->CloseConnection();
        EXPECT_TRUE(peer->WaitFor("Corvane:#SAIR" + Mark));
        peer.reset();
    }
}

// While the host waits, only its own peer may come back.
TEST_F(ResumeTest, StrangersAndWrongAccountsAreRefused) {
    ConnectWithToken();
    HostMoves("e2-e4", "Jogar:#WP e2-e4#");
    peer->Reset();
    ASSERT_TRUE(WaitUntil([this] { return session->Resuming(); }));
    const QString goodKey = key;
    struct Row {
        const char* what;
        QByteArray hello; // empty: the key, the counts and the digest below
        QString key = {};
        int game = 0, received = 0, plies = 0;
        QString digest = {};
    };
    const QString forged = QStringLiteral("00000000deadbeef");
    const Row rows[] = {
        {"a third party joins", "StartServidor:#INTRUSO#+CV1#" + PeerToken.toLatin1() + Mark},
        {"a third party says nothing", "x"},
        {"a wrong key", "", goodKey.left(31) + u'0', 0, 1, 1, {}},
        // (one game ahead is taken: the game may have ended on the peer's side only)
        {"another game", "", goodKey, 2, 1, 1, {}},
        {"more received than sent", "", goodKey, 0, 5, 1, {}},
        {"a forged digest", "", goodKey, 0, 1, 1, forged},
    };
    for (const Row& r : rows) {
        auto stranger = ScriptedPeer::Connecting(NetPort());
        ASSERT_TRUE(stranger->Connected()) << r.what;
        if (!r.hello.isEmpty()) {
            stranger->Send(r.hello);
        } else {
            key = r.key;
            const QString digest =
                r.digest.isEmpty() ? MoveListDigest(r.game, Moves(), r.plies) : r.digest;
            stranger->Send(
                StateMessage(ResumeWord, {r.key, r.received, r.game, r.plies, digest}).toLatin1() +
                Mark);
        }
        EXPECT_TRUE(stranger->SeesClose(3000)) << r.what;
        EXPECT_FALSE(stranger->Received().contains("RETOMADO")) << r.what;
        EXPECT_TRUE(session->Resuming()) << r.what;
        EXPECT_EQ(Moves().size(), 1u) << r.what;
    }
    // Its own peer still comes back.
    key = goodKey;
    Return(1, 1);
    ASSERT_TRUE(peer->WaitFor("Corvane:#RETOMADO#"));
    EXPECT_FALSE(session->Resuming());
}

// The break lasts too long, the player gives up, or the peer said it leaves:
// the game ends as when the peer leaves.
TEST_F(ResumeTest, TheLimitGivingUpAndALeaveEndTheGame) {
    for (const char* way : {"limit", "give up", "leave"}) {
        session->times.resumeLimitMs = std::string(way) == "limit" ? 700 : 60000;
        ConnectWithToken();
        if (std::string(way) == "leave") peer->Send("Corvane:#SAIR" + Mark);
        QTest::qWait(50);
        peer->Close();
        if (std::string(way) == "give up") {
            ASSERT_TRUE(WaitUntil([this] { return session->Resuming(); })) << way;
            session->LostWindow()->findChild<QAbstractButton*>("cmdDesistir")->click();
        }
        ExpectPeerGone(QStringLiteral("ZEZE saiu do jogo"), way);
        EXPECT_FALSE(session->Resuming()) << way;
        EXPECT_FALSE(LostText().size()) << way;
        peer.reset();
    }
}

// The joiner finds its way back to the host by itself.
TEST_F(ResumeTest, TheJoinerConnectsAgainByItself) {
    Connect(false, "ZEZE#+CV1#" + PeerToken + QChar(EndMark));
    ASSERT_TRUE(peer->WaitFor("StartServidor:#ANA#+CV1#"));
    const QByteArray got = peer->Received();
    key = PeerToken + QString::fromLatin1(got.mid(got.indexOf("+CV1#") + 5, 16));
    // An extension message counts as received (the peer keeps it for sending
    // again) even when this side does not know its word.
    peer->Send("Jogar:#WP e2-e4#" + Mark + "Corvane:#NOVIDADE" + Mark);
    ASSERT_TRUE(WaitUntil([this] { return !window->WaitingForPeer(); }));
    peer->Reset();
    ASSERT_TRUE(WaitUntil([this] { return session->Resuming(); }));
    ASSERT_TRUE(peer->Accept(5000));
    ASSERT_TRUE(peer->WaitFor("Corvane:#RETOMAR#" + key.toLatin1() + "#2#0#1#"));
    peer->Send(StateMessage(ResumedWord, {{}, 0, 0, 1, MoveListDigest(0, Moves(), 1)}).toLatin1() +
               Mark);
    ASSERT_TRUE(WaitUntil([this] { return !session->Resuming(); }));
    EXPECT_TRUE(window->picBoard()->isEnabled());
    Play("e7-e5");
    ASSERT_TRUE(peer->WaitFor("Jogar:#BP e7-e5#" + Mark));
    // A host whose list does not begin like this side's cannot be repaired.
    peer->Reset();
    ASSERT_TRUE(WaitUntil([this] { return session->Resuming(); }));
    ASSERT_TRUE(peer->Accept(5000));
    ASSERT_TRUE(peer->WaitFor("Corvane:#RETOMAR#" + key.toLatin1() + "#2#0#2#"));
    peer->Send(
        StateMessage(ResumedWord, {{}, 1, 0, 2, QStringLiteral("00000000deadbeef")}).toLatin1() +
        Mark);
    ExpectPeerGone(MsgJogoNaoConfere.arg("ZEZE"), "a list that does not match");
}

} // namespace
} // namespace corvane::nettest

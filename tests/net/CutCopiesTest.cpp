// Two real copies of the game play through a loopback proxy that breaks their
// connection at chosen points (a move sent into a dead link, a move held and
// lost, a move or a chat line cut in the middle, a link that goes silent
// without closing) or at random ones: each break is resumed with the same
// position, side to move, move list and clocks on both sides, or, when the
// proxy keeps the host out longer than the limit, ends as a leave.
// CORVANE_CUT_GAMES sets the number of random games (1 by default; the
// reviewers' check runs 20), CORVANE_CUT_SEED their seed and
// CORVANE_CUT_ON_SCREEN=1 shows the copies on the display.
#include "net/NetTestSupport.h"
#include "net/ProgramCopy.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <algorithm>
#include <functional>
#include <map>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace corvane::nettest;

namespace {

enum class Cut {
    DropThenCut,    // forward what came, lose what follows, close after holdMs
    HoldThenCut,    // keep the bytes from the trigger on, close after holdMs
    PartialThenCut, // forward keep bytes from the trigger on, then close
    Silence,        // forward what came, then nothing more either way, never close
    Outage,         // close, and keep the host out of reach for holdMs
};

// What sets off a break: pattern in the bytes one way, or (empty pattern)
// afterBytes bytes forwarded on the connection.
struct Trigger {
    bool fromHost = true;
    QByteArray pattern;
    qint64 afterBytes = 0;
    Cut cut = Cut::DropThenCut;
    int holdMs = 0;
    int keep = 0;
};

// A TCP proxy on 127.0.0.1 between the joiner and the host's port, one
// connection at a time, each trigger used once, in order. Step() moves the
// bytes; nothing runs between the calls.
class CuttingProxy {
public:
    explicit CuttingProxy(long hostPort) : hostPort_(hostPort) { listener_ = RawListen(port_); }
    ~CuttingProxy() {
        Close();
        if (listener_ >= 0) ::close(listener_);
    }
    long Port() const { return port_; }
    void Arm(const Trigger& t) { triggers_.push_back(t); }
    int Fired() const { return fired_; }
    // The first break came on the first connection before this many bytes had
    // passed it.
    bool FirstBreakBefore(qint64 bytes) const { return firstBreak_ >= 0 && firstBreak_ < bytes; }
    // Everything lost or held back at the breaks.
    const QByteArray& Lost() const { return lost_; }

    void Step(int waitMs) {
        if (open_ && cutAt_ >= 0 && clock_.elapsed() >= cutAt_) Close();
        pollfd p[3] = {{listener_, POLLIN, 0}, {fd_[0], POLLIN, 0}, {fd_[1], POLLIN, 0}};
        if (poll(p, 3, waitMs) <= 0) return;
        if (listener_ >= 0 && (p[0].revents & POLLIN)) Accept();
        for (int side = 0; side < 2 && open_; ++side)
            if (p[side + 1].revents & (POLLIN | POLLHUP | POLLERR)) Move(side);
    }

private:
    void Accept() {
        const int joiner = ::accept(listener_, nullptr, nullptr);
        if (joiner < 0) return;
        // During an outage the host cannot be reached.
        const int host = clock_.elapsed() < outageEnd_ ? -1 : RawConnect(hostPort_);
        if (host < 0) { // the host does not listen (yet): the joiner tries again
            ::close(joiner);
            return;
        }
        Close();
        ++links_;
        fd_[0] = joiner;
        fd_[1] = host;
        open_ = true;
        dropping_ = false;
        cutAt_ = -1;
        forwarded_ = 0;
        seen_[0].clear();
        seen_[1].clear();
    }
    void Close() {
        for (int& fd : fd_) {
            if (fd >= 0) ::close(fd);
            fd = -1;
        }
        open_ = false;
    }
    // Bytes from side (0 joiner, 1 host) to the other.
    void Move(int side) {
        char buffer[4096];
        const ssize_t n = ::recv(fd_[side], buffer, sizeof buffer, 0);
        if (n <= 0) return Close();
        QByteArray bytes(buffer, qsizetype(n));
        if (dropping_) {
            lost_ += bytes;
            return;
        }
        qsizetype at = -1;
        if (fired_ < int(triggers_.size())) {
            const Trigger& t = triggers_[std::size_t(fired_)];
            if (t.pattern.isEmpty()) {
                if (forwarded_ + n >= t.afterBytes)
                    at = std::max<qint64>(0, t.afterBytes - forwarded_);
            } else if (t.fromHost == (side == 1)) {
                const QByteArray seen = seen_[side] + bytes;
                const qsizetype found = seen.indexOf(t.pattern);
                if (found >= 0) at = std::max<qsizetype>(0, found - seen_[side].size());
            }
        }
        if (at < 0) {
            Forward(side, bytes);
            return;
        }
        if (fired_ == 0 && links_ == 1) firstBreak_ = forwarded_ + at;
        const Trigger t = triggers_[std::size_t(fired_++)];
        switch (t.cut) {
        case Cut::DropThenCut:
        case Cut::Silence:
            Forward(side, bytes);
            break;
        case Cut::HoldThenCut:
        case Cut::Outage:
            Forward(side, bytes.left(at));
            lost_ += bytes.mid(at);
            break;
        case Cut::PartialThenCut:
            Forward(side, bytes.left(at + t.keep));
            lost_ += bytes.mid(at + t.keep);
            return Close();
        }
        dropping_ = true;
        if (t.cut == Cut::Outage) {
            Close();
            outageEnd_ = clock_.elapsed() + t.holdMs;
        } else if (t.cut != Cut::Silence) {
            cutAt_ = clock_.elapsed() + t.holdMs;
        }
    }
    void Forward(int side, const QByteArray& bytes) {
        RawWrite(fd_[1 - side], bytes);
        forwarded_ += bytes.size();
        seen_[side] = (seen_[side] + bytes).right(64);
    }

    long hostPort_, port_ = 0;
    int listener_ = -1;
    int fd_[2] = {-1, -1};
    bool open_ = false, dropping_ = false;
    qint64 cutAt_ = -1, outageEnd_ = 0, forwarded_ = 0;
    QByteArray seen_[2], lost_;
    std::vector<Trigger> triggers_;
    int fired_ = 0, links_ = 0;
    qint64 firstBreak_ = -1;
    QElapsedTimer clock_ = [] {
        QElapsedTimer c;
        c.start();
        return c;
    }();
};

// Légal's mate: 13 plies with captures, a check and a mate.
const char* const WhiteMoves[] = {"e2-e4", "g1-f3", "f1-c4", "b1-c3", "f3-e5", "c4-f7", "c3-d5"};
const char* const BlackMoves[] = {"e7-e5", "d7-d6", "c8-g4", "g7-g6", "g4-d1", "e8-e7"};
constexpr int Plies = 13;
// The two handshake messages with their tokens and end marks.
const qint64 HandshakeBytes = QByteArray("StartServidor:#VISITANTE#+CV1#").size() +
                              QByteArray("StartCliente:#ANFITRIAO#+CV1#").size() + 2 * 17;

struct Pair {
    CuttingProxy proxy;
    ProgramCopy host, joiner;

    explicit Pair(long hostPort) : proxy(hostPort) {}
    // Both copies through the proxy: the host (White) and the joiner with
    // their scripts after the first line.
    void Start(long hostPort, const QByteArray& hostScript, const QByteArray& joinerScript) {
        const bool onScreen = qEnvironmentVariable("CORVANE_CUT_ON_SCREEN") == "1";
        host.Start(CORVANE_EXECUTABLE, hostPort, "host ANFITRIAO\n" + hostScript, onScreen);
        ASSERT_TRUE(host.WaitFor("aguardando", 30000)) << host.output.toStdString();
        joiner.Start(CORVANE_EXECUTABLE, proxy.Port(), "join VISITANTE 127.0.0.1\n" + joinerScript,
                     onScreen);
    }
    // Runs the proxy and takes what the copies print until done holds.
    bool RunUntil(const std::function<bool()>& done, int timeoutMs) {
        QElapsedTimer timer;
        timer.start();
        while (!done() && timer.elapsed() < timeoutMs) {
            proxy.Step(5);
            host.Collect(0);
            joiner.Collect(0);
        }
        return done();
    }
    bool WaitBoth(const QByteArray& line, int timeoutMs) {
        return RunUntil([&] { return host.output.contains(line) && joiner.output.contains(line); },
                        timeoutMs);
    }
    void Stop() {
        for (ProgramCopy* copy : {&host, &joiner}) {
            if (!copy->process.waitForFinished(copy->process.state() == QProcess::NotRunning ? 0
                                                                                             : 200))
                copy->process.kill();
            copy->process.waitForFinished(5000);
            copy->output += copy->process.readAllStandardOutput();
        }
    }
};

// Moves from..to-1 of a side, after the lines given.
QByteArray Script(const char* const* moves, int from, int to, const QByteArray& before = {}) {
    QByteArray script = before;
    for (int i = from; i < to; ++i) script += QByteArray(moves[i]) + '\n';
    return script;
}

// The two copies' positions after each ply: the same board, side to move and
// move list; a ply missing on a side, or shown twice, is a mismatch too. And
// the same clocks after each resume (in play each side's view of the other's
// clock also counts the time a move travels). Returns the number of mismatches.
int CompareAfterEachPly(const Pair& pair, int plies, std::string& report) {
    std::map<int, QList<QByteArray>> seen[2];
    const ProgramCopy* copies[2] = {&pair.host, &pair.joiner};
    for (int i = 0; i < 2; ++i) {
        for (const QByteArray& line : copies[i]->Lines("posicao ")) {
            const QList<QByteArray> f = line.split(' ');
            if (f.size() == 6) seen[i][f[0].toInt()] = f;
        }
    }
    int mismatches = 0;
    for (int ply = 1; ply <= plies; ++ply) {
        const auto a = seen[0].find(ply), b = seen[1].find(ply);
        bool same = a != seen[0].end() && b != seen[1].end();
        same = same && a->second.mid(1, 3) == b->second.mid(1, 3);
        if (!same) {
            ++mismatches;
            report += "ply " + std::to_string(ply) + " differs\n";
        }
    }
    for (const ProgramCopy* copy : copies)
        if (copy->Lines("posicao ").size() != plies) ++mismatches;
    // A break during a resume may be seen by one side only: the readings are
    // compared, not how often they were shown.
    const auto readings = [](const ProgramCopy& copy) {
        QList<QByteArray> lines = copy.Lines("retomada ");
        std::sort(lines.begin(), lines.end());
        lines.erase(std::unique(lines.begin(), lines.end()), lines.end());
        return lines;
    };
    if (readings(pair.host) != readings(pair.joiner)) {
        ++mismatches;
        report += "clocks differ after a resume\n";
    }
    return mismatches;
}

// Each row is a break at a chosen point of the game; all of them happen in
// one game, which then goes on to its mate.
TEST(CutCopies, EveryBreakResumesWithTheSameGameOnBothSides) {
    const long hostPort = FreePort();
    Pair pair(hostPort);
    struct Row {
        const char* what;
        Trigger trigger;
        QByteArray lost; // what the break must have lost, proving where it came
    };
    const Row rows[] = {
        {"the host moves into a dead link",
         {false, "Jogar:#BP e7-e5", 0, Cut::DropThenCut, 700},
         "Jogar:#WN g1-f3"},
        {"a move sent and lost on the way",
         {true, "Jogar:#WB f1-c4", 0, Cut::HoldThenCut, 2500},
         "Jogar:#WB f1-c4"},
        {"a move cut in the middle",
         {false, "Jogar:#BB c8-g4", 0, Cut::PartialThenCut, 0, 12},
         "-g4"},
        {"a chat line cut in the middle",
         {true, "Chat:#boa", 0, Cut::PartialThenCut, 0, 8},
         "a sorte"},
        {"the link goes silent", {true, "Jogar:#WN f3xe5", 0, Cut::Silence}, "Jogar:#BB g4xd1"},
        {"the mating move lost: the game ended on one side only",
         {true, "Jogar:#WN c3-d5", 0, Cut::HoldThenCut, 1200},
         "Jogar:#WN c3-d5#XEQUE-MATE"},
    };
    for (const Row& row : rows) pair.proxy.Arm(row.trigger);
    const QByteArray times = "tempos 200 3000 20000\npiscar 10\n";
    pair.Start(hostPort,
               Script(WhiteMoves, 0, 3, times) + "chat boa sorte\n" + Script(WhiteMoves, 3, 7),
               Script(BlackMoves, 0, 6, times));
    EXPECT_TRUE(pair.WaitBoth("estado XEQUE-MATE", 60000))
        << pair.host.output.toStdString() << pair.joiner.output.toStdString();
    pair.WaitBoth("trocadas", 5000);
    pair.Stop();
    EXPECT_EQ(pair.proxy.Fired(), int(std::size(rows)));
    for (const Row& row : rows) EXPECT_TRUE(pair.proxy.Lost().contains(row.lost)) << row.what;
    for (const ProgramCopy* copy : {&pair.host, &pair.joiner}) {
        EXPECT_EQ(copy->Lines("perdida").size(), std::size(rows)) << copy->output.toStdString();
        EXPECT_EQ(copy->Lines("retomada").size(), std::size(rows));
        EXPECT_TRUE(copy->Lines("aviso ").isEmpty()) << copy->output.toStdString();
    }
    EXPECT_EQ(pair.joiner.Lines("chat ANFITRIAO : boa sorte").size(), 1);
    std::string report;
    EXPECT_EQ(CompareAfterEachPly(pair, Plies, report), 0)
        << report << pair.host.output.toStdString() << pair.joiner.output.toStdString();
}

// The host stays out of reach longer than the limit: both sides end the game
// as a leave and say so.
TEST(CutCopies, ABreakLongerThanTheLimitEndsAsALeave) {
    const long hostPort = FreePort();
    Pair pair(hostPort);
    pair.proxy.Arm({true, "Jogar:#WP e2-e4", 0, Cut::Outage, 60000});
    const QByteArray times = "tempos 200 3000 1500\npiscar 10\n";
    pair.Start(hostPort, Script(WhiteMoves, 0, 2, times), Script(BlackMoves, 0, 2, times));
    EXPECT_TRUE(pair.WaitBoth("aviso ", 30000))
        << pair.host.output.toStdString() << pair.joiner.output.toStdString();
    pair.Stop();
    EXPECT_EQ(pair.host.Lines("aviso "), QList<QByteArray>{"VISITANTE saiu do jogo"});
    EXPECT_EQ(pair.joiner.Lines("aviso "), QList<QByteArray>{"ANFITRIAO saiu do jogo"});
    for (const ProgramCopy* copy : {&pair.host, &pair.joiner})
        EXPECT_EQ(copy->Lines("perdida").size() + copy->Lines("encerrada").size(), 2);
}

// Games broken at random moments, in random ways: each ends in its mate with
// every break resumed and the same game on both sides, or ends as a leave on
// both sides after an outage longer than the limit (or a break in the
// handshake, before the joiner had the game).
TEST(CutCopies, RandomBreaks) {
    const int games = std::max(1, qEnvironmentVariableIntValue("CORVANE_CUT_GAMES"));
    const quint32 seed = qEnvironmentVariableIsSet("CORVANE_CUT_SEED")
                             ? quint32(qEnvironmentVariableIntValue("CORVANE_CUT_SEED"))
                             : QRandomGenerator::system()->generate();
    int resumed = 0, ended = 0, mismatched = 0;
    for (int game = 0; game < games; ++game) {
        // Game g replays alone with the seed seed + g.
        QRandomGenerator random(seed + quint32(game));
        std::string plan;
        const long hostPort = FreePort();
        Pair pair(hostPort);
        // Whether each break may end the game: an outage clearly longer than
        // the limit (4 s); a shorter one must be resumed like any other break.
        std::vector<bool> mayEnd(std::size_t(random.bounded(1, 4)));
        for (std::size_t i = 0; i < mayEnd.size(); ++i) {
            Trigger t;
            t.afterBytes = random.bounded(20, 500);
            t.cut = Cut(random.bounded(5));
            mayEnd[i] = t.cut == Cut::Outage && random.bounded(2) == 1;
            t.holdMs = mayEnd[i] ? random.bounded(6000, 7000) : random.bounded(0, 1500);
            t.keep = random.bounded(0, 12);
            plan += "cut " + std::to_string(int(t.cut)) + " after " + std::to_string(t.afterBytes) +
                    " bytes, " + std::to_string(t.holdMs) + " ms, keep " + std::to_string(t.keep) +
                    "\n";
            pair.proxy.Arm(t);
        }
        const QByteArray times = "tempos 200 1500 4000\npiscar 10\npensar 0 400\n";
        pair.Start(hostPort, Script(WhiteMoves, 0, 7, times), Script(BlackMoves, 0, 6, times));
        pair.RunUntil(
            [&pair] {
                for (const ProgramCopy* copy : {&pair.host, &pair.joiner})
                    if (!copy->output.contains("estado XEQUE-MATE") &&
                        !copy->output.contains("aviso "))
                        return false;
                return true;
            },
            90000);
        pair.WaitBoth("trocadas", 3000);
        pair.Stop();
        const bool outage = std::find(mayEnd.begin(), mayEnd.begin() + pair.proxy.Fired(), true) !=
                            mayEnd.begin() + pair.proxy.Fired();
        std::string report;
        const bool mate = pair.host.output.contains("estado XEQUE-MATE") &&
                          pair.joiner.output.contains("estado XEQUE-MATE");
        const bool leave = pair.host.output.contains("saiu do jogo") &&
                           pair.joiner.output.contains("saiu do jogo");
        const int breaks = int(pair.host.Lines("perdida").size());
        if (mate && CompareAfterEachPly(pair, Plies, report) == 0 &&
            pair.host.Lines("aviso ").isEmpty()) {
            ++resumed;
            std::printf("seed %u: %d breaks resumed\n", seed + quint32(game), breaks);
            // A break in the handshake, before both sides hold the key, leaves
            // nothing to resume.
        } else if (leave && !mate && (outage || pair.proxy.FirstBreakBefore(HandshakeBytes))) {
            ++ended;
            std::printf("seed %u: ended as a leave (%s)\n", seed + quint32(game),
                        outage ? "outage" : "handshake");
        } else {
            ++mismatched;
            ADD_FAILURE() << "seed " << seed + quint32(game) << ", " << pair.proxy.Fired()
                          << " fired of\n"
                          << plan << report << pair.host.output.toStdString()
                          << pair.joiner.output.toStdString();
        }
    }
    std::printf("cortes aleatorios (seed %u): %d jogos, %d retomados, %d encerrados, %d "
                "divergentes\n",
                seed, games, resumed, ended, mismatched);
    EXPECT_EQ(mismatched, 0);
}

} // namespace

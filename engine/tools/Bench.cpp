// "corvane-engine bench": the computer's move on fixed positions at each level,
// with times, work counters and the node-count fingerprint; the time of every
// move of games the computer plays against itself; then perft speed.
#include <algorithm>
#include <chrono>
#include <iomanip>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "engine/ModCompMove.h"
#include "engine/UciFrontEnd.h"
#include "engine/tools/CpuCounters.h"

namespace corvane {

namespace {

struct BenchPosition {
    const char* name;
    const char* fen;
};

// Openings out of book, middlegames, endgames, mates in 1-3, few-piece positions
// whose mate search goes 7 and 9 plies deep, promotion endings and a stalemate.
constexpr BenchPosition kPositions[] = {
    {"a3 opening", "rnbqkbnr/pppppppp/8/8/8/P7/1PPPPPPP/RNBQKBNR b KQkq - 0 1"},
    {"italian", "r1bqkbnr/pppp1ppp/2n5/4p3/2B1P3/5N2/PPPP1PPP/RNBQK2R b KQkq - 3 3"},
    {"sicilian", "rnbqkbnr/pp2pppp/3p4/2p5/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq - 0 3"},
    {"queen's gambit", "rnbqkb1r/ppp2ppp/4pn2/3p4/2PP4/2N5/PP2PPPP/R1BQKBNR w KQkq - 2 4"},
    {"french", "rnbqkbnr/ppp2ppp/4p3/3p4/3PP3/8/PPP2PPP/RNBQKBNR w KQkq d6 0 3"},
    {"ruy lopez", "r1bqkb1r/1ppp1ppp/p1n2n2/4p3/B3P3/5N2/PPPP1PPP/RNBQK2R w KQkq - 2 5"},
    {"kiwipete", "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1"},
    {"colle", "r1bq1rk1/pp2bppp/2n2n2/2pp4/3P4/2PBPN2/PP1N1PPP/R2QK2R w KQ - 0 8"},
    {"slav", "r2q1rk1/pp1nbppp/2p1pn2/3p4/2PP4/2N1PN2/PPQ2PPP/R1B1KB1R w KQ - 0 8"},
    {"hedgehog", "2rq1rk1/pb2bppp/1pn1pn2/2pp4/3P4/1PNBPN2/PB3PPP/R2Q1RK1 w - - 0 11"},
    {"position 4", "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1"},
    {"position 5", "rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8"},
    {"pins", "r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - - 0 10"},
    {"black middlegame", "r1bqk2r/pp2bppp/2n1pn2/2pp4/3P4/2PBPN2/PP1N1PPP/R1BQK2R b KQkq - 1 7"},
    {"position 3", "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1"},
    {"rook ending", "8/8/4k3/8/2R5/4K3/4P3/8 w - - 0 1"},
    {"pawn ending", "8/5pk1/6p1/8/8/6P1/5PK1/8 w - - 0 1"},
    {"king and pawn", "4k3/8/8/8/8/8/4P3/4K3 w - - 0 1"},
    {"queen and rook", "8/8/8/3k4/8/8/3r4/3QK3 w - - 0 1"},
    {"back rank mate", "6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - - 0 1"},
    {"scholar's mate", "r1bqkb1r/pppp1ppp/2n2n2/4p2Q/2B1P3/8/PPPP1PPP/RNB1K1NR w KQkq - 4 4"},
    {"mate in 2", "r2qkb1r/pp2nppp/3p4/2pNN1B1/2BnP3/3P4/PPP2PPP/R2bK2R w KQkq - 1 10"},
    {"queen mate", "k7/8/2K5/8/8/8/8/1Q6 w - - 0 1"},
    {"king and queen", "8/8/8/4k3/8/8/8/3QK3 w - - 0 1"},
    {"rook mate", "7k/8/6K1/8/8/8/8/R7 w - - 0 1"},
    {"cornered king", "K7/P7/k7/8/8/8/8/8 w - - 0 1"},
    {"promotion race", "8/P6k/8/8/8/8/8/K7 w - - 0 1"},
    {"promotion b-file", "8/1P6/8/8/8/k7/8/K7 w - - 0 1"},
    {"black promotes", "k7/8/8/8/8/8/p7/7K b - - 0 1"},
    {"promotion ending", "8/P7/8/8/8/8/k7/4K3 w - - 0 1"},
    {"stalemated", "4k3/4P3/4K3/8/8/8/8/8 b - - 0 1"},
};

constexpr int kSelfPlayGames = 2;
constexpr int kSelfPlayPlies = 100;

double Milliseconds(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// "median 2.10 ms, p90 8.00 ms, max 40.00 ms"
std::string SpreadText(const std::vector<double>& values) {
    const bench::Spread s = bench::SpreadOf(values);
    std::ostringstream text;
    text << std::fixed << std::setprecision(2) << "median " << s.median << " ms, p90 " << s.p90
         << " ms, max " << s.max << " ms";
    return text.str();
}

std::string InstructionText(const bench::InstructionCounter& counter, std::uint64_t count) {
    if (!counter.Available()) return "instructions: no counter on this machine";
    std::ostringstream text;
    text << std::fixed << std::setprecision(1) << "instructions " << count / 1e6 << " M";
    return text.str();
}

// The first line of the reply to "go" without its prefix: status and move
// ("CHECK move WR b4xf4", " move WP e2-e4").
std::string StatusOf(const std::string& reply) {
    std::string first = reply.substr(0, reply.find('\n'));
    const std::string prefix = "info string status ";
    if (first.rfind(prefix, 0) == 0) first = first.substr(prefix.size());
    return first;
}

std::string BestMoveOf(const std::string& reply) {
    const auto at = reply.find("bestmove ");
    if (at == std::string::npos) return "0000";
    return reply.substr(at + 9, reply.find('\n', at) - at - 9);
}

void BenchLevel(UciFrontEnd& frontEnd, int level, bench::InstructionCounter& counter,
                std::ostream& out) {
    std::ostringstream replies;
    frontEnd.Handle("setoption name Nivel value " + std::to_string(level), replies);
    out << "Level " << level << "\n";
    out << std::left << std::setw(4) << "#" << std::setw(18) << "position" << std::right
        << std::setw(10) << "ms" << std::setw(10) << "cpu ms" << std::setw(12) << "MoveBarred"
        << std::setw(10) << "evals" << std::setw(10) << "nodes"
        << "  move / status\n";
    std::vector<double> times, cpuTimes;
    std::int64_t levelNodes = 0;
    std::uint64_t instructions = 0;
    int n = 0;
    for (const BenchPosition& p : kPositions) {
        ++n;
        frontEnd.Handle("ucinewgame", replies);
        frontEnd.Handle(std::string("position fen ") + p.fen, replies);
        const std::int64_t barred0 = MoveBarredCalls;
        const std::int64_t evals0 = EvaluationCount;
        const std::int64_t nodes0 = SearchNodes;
        std::ostringstream reply;
        const auto start = std::chrono::steady_clock::now();
        const double cpuStart = bench::ThreadCpuMs();
        counter.Start();
        frontEnd.Handle("go", reply);
        instructions += counter.Stop();
        const double cpu = bench::ThreadCpuMs() - cpuStart;
        const double ms = Milliseconds(std::chrono::steady_clock::now() - start);
        const std::int64_t barred = MoveBarredCalls - barred0;
        const std::int64_t evals = EvaluationCount - evals0;
        const std::int64_t nodes = SearchNodes - nodes0 + barred;
        times.push_back(ms);
        cpuTimes.push_back(cpu);
        levelNodes += nodes;
        out << std::left << std::setw(4) << n << std::setw(18) << p.name << std::right
            << std::setw(10) << ms << std::setw(10) << cpu << std::setw(12) << barred
            << std::setw(10) << evals << std::setw(10) << nodes << "  " << StatusOf(reply.str())
            << "\n";
    }
    out << "Level " << level << ": processor time per move " << SpreadText(cpuTimes)
        << " (wall clock " << SpreadText(times) << "), " << InstructionText(counter, instructions)
        << ", nodes " << levelNodes << "\n\n";
}

// The computer against itself from the start at one level: the time of every
// move over positions a player meets in real games.
void BenchSelfPlay(UciFrontEnd& frontEnd, int level, bench::InstructionCounter& counter,
                   std::ostream& out) {
    std::ostringstream replies;
    frontEnd.Handle("setoption name Nivel value " + std::to_string(level), replies);
    std::vector<double> cpuTimes;
    double worst = -1;
    std::string worstAt;
    std::uint64_t instructions = 0;
    for (int game = 1; game <= kSelfPlayGames; ++game) {
        frontEnd.Handle("setoption name Seed value " + std::to_string(game), replies);
        frontEnd.Handle("ucinewgame", replies);
        std::string moves;
        for (int ply = 0; ply < kSelfPlayPlies; ++ply) {
            frontEnd.Handle("position startpos" + (moves.empty() ? "" : " moves" + moves), replies);
            std::ostringstream reply;
            const double cpuStart = bench::ThreadCpuMs();
            counter.Start();
            frontEnd.Handle("go", reply);
            instructions += counter.Stop();
            const double cpu = bench::ThreadCpuMs() - cpuStart;
            const std::string best = BestMoveOf(reply.str());
            if (best == "0000") break;
            cpuTimes.push_back(cpu);
            if (cpu > worst) {
                // "<status> move <move>": the move, and the status when there is one.
                const std::string said = StatusOf(reply.str());
                const auto at = said.find(" move ");
                const std::string status = at == std::string::npos ? "" : said.substr(0, at);
                worst = cpu;
                worstAt = "game " + std::to_string(game) + ", ply " + std::to_string(ply + 1) +
                          ", " + (at == std::string::npos ? said : said.substr(at + 6)) +
                          (status.empty() ? "" : " (" + status + ")");
            }
            moves += " " + best;
            const std::string status = StatusOf(reply.str());
            if (status.rfind("DRAW", 0) == 0 || status.find("XEQUE-MATE") != std::string::npos)
                break;
        }
    }
    out << "Level " << level << ": " << cpuTimes.size() << " moves, processor time per move "
        << SpreadText(cpuTimes) << ", " << InstructionText(counter, instructions)
        << "\n    slowest: " << worstAt << "\n";
}

} // namespace

int RunBench(std::ostream& out) {
    UciFrontEnd frontEnd;
    bench::InstructionCounter counter;
    std::ostringstream replies;
    frontEnd.Handle("setoption name Seed value 1", replies);
    out << std::fixed << std::setprecision(2);
    for (int level = 1; level <= 3; ++level) BenchLevel(frontEnd, level, counter, out);

    out << "Self-play: " << kSelfPlayGames << " games a level from the start (seeds 1.."
        << kSelfPlayGames << ", at most " << kSelfPlayPlies << " plies each)\n";
    for (int level = 1; level <= 3; ++level) BenchSelfPlay(frontEnd, level, counter, out);
    out << "\n";

    frontEnd.Handle("setoption name Seed value 1", replies);
    frontEnd.Handle("ucinewgame", replies);
    frontEnd.Handle("position startpos", replies);
    std::ostringstream perft;
    const auto start = std::chrono::steady_clock::now();
    const double cpuStart = bench::ThreadCpuMs();
    counter.Start();
    frontEnd.Handle("go perft 5", perft);
    const std::uint64_t instructions = counter.Stop();
    const double cpu = bench::ThreadCpuMs() - cpuStart;
    const double ms = Milliseconds(std::chrono::steady_clock::now() - start);
    const std::string text = perft.str();
    const auto at = text.find("Nodes searched: ");
    const long long nodes = at == std::string::npos ? 0 : std::stoll(text.substr(at + 16));
    out << "perft 5 from the start: " << nodes << " nodes in " << ms << " ms ("
        << static_cast<long long>(nodes / (ms / 1000.0)) << " nodes/s; processor time " << cpu
        << " ms; " << InstructionText(counter, instructions) << ")\n";
    return nodes == 4865609 ? 0 : 1;
}

} // namespace corvane

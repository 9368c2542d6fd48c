// Lines of text for the engine's command loop after a fresh start. Besides
// never crashing: a refused move leaves the position as it stood before it,
// "go" leaves the position alone, and perft lists each legal move once with
// counts that add up.
#include "FuzzCheck.h"
#include "engine/UciFrontEnd.h"
#include "rules/ModChecker.h"

#include <algorithm>
#include <regex>
#include <sstream>
#include <vector>

using namespace corvane;

namespace {

struct Position {
    PlyBoard board;
    std::array<PlyFlags, 5> flags;
    std::string side;
    bool operator==(const Position&) const = default;
};

Position Now(const UciFrontEnd& engine) {
    return {Board[0],
            {WhiteCastleFlags[0], BlackCastleFlags[0], WhitePawnFlags[0], BlackPawnFlags[0],
             CastleMade[0]},
            engine.SideToMoveNow()};
}

std::string Run(UciFrontEnd& engine, const std::string& line) {
    std::ostringstream out;
    engine.Handle(line, out);
    return out.str();
}

std::vector<std::string> Words(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> words;
    for (std::string w; in >> w;) words.push_back(w);
    return words;
}

// The same command without the move it refused and those after it, when the
// move it names stands once in the move list.
void CheckRefusedMove(UciFrontEnd& engine, const std::vector<std::string>& words,
                      const std::string& output) {
    static const std::regex Refused("illegal move (\\S+)");
    std::smatch refused;
    if (!std::regex_search(output, refused, Refused)) return;
    const auto moves = std::find(words.begin(), words.end(), "moves");
    const auto at = std::find(moves, words.end(), refused[1].str());
    if (at == words.end() || std::count(moves, words.end(), *at) != 1) return;
    const Position after = Now(engine);
    std::string shorter;
    for (auto w = words.begin(); w != at; ++w) shorter += *w + ' ';
    Run(engine, shorter);
    FUZZ_CHECK(Now(engine) == after);
}

void CheckPerft(const UciFrontEnd& engine, int depth, const std::string& output) {
    static const std::regex MoveLine("^([a-h][1-8][a-h][1-8]q?): ([0-9]+)$");
    std::istringstream lines(output);
    std::string line;
    // Past the move list's capacity the count says so instead of listing more.
    static const std::regex Cut(
        "^info string only the first ([0-9]+) of ([0-9]+) moves are listed$");
    long long sum = 0, moves = 0, total = -1, listed = -1, all = -1;
    bool incomplete = false;
    while (std::getline(lines, line)) {
        std::smatch m;
        if (std::regex_match(line, m, MoveLine)) {
            sum += std::stoll(m[2].str());
            ++moves;
        } else if (line.rfind("Nodes searched: ", 0) == 0) {
            total = std::stoll(line.substr(16));
        } else if (std::regex_match(line, m, Cut)) {
            listed = std::stoll(m[1].str());
            all = std::stoll(m[2].str());
        } else if (line.rfind("info string more moves than", 0) == 0) {
            incomplete = true;
        } else {
            FUZZ_CHECK(line.empty());
        }
    }
    if (depth != 1) {
        FUZZ_CHECK(total == sum || incomplete);
        return;
    }
    RulesMoveList legal;
    ListLegalMoves(engine.SideToMoveNow(), 0, legal);
    if (listed >= 0) {
        FUZZ_CHECK(moves == listed && sum == listed && total == all && all == legal.count);
        return;
    }
    FUZZ_CHECK(total == sum);
    FUZZ_CHECK(moves == legal.count);
}

// Deep perft and many searches take too long for a fuzzer; both stay out.
bool Affordable(const std::vector<std::string>& words, int& searches, int& perftDepth) {
    perftDepth = 0;
    if (words.empty() || words[0] != "go") return true;
    if (words.size() < 3 || words[1] != "perft") return ++searches <= 2;
    const std::string& depth = words[2];
    if (depth == "1" || depth == "2") perftDepth = depth[0] - '0';
    return perftDepth != 0 || (depth[0] != '+' && (depth[0] < '0' || depth[0] > '9'));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool prepared = (PrepareComputerPlayer(), true);
    FUZZ_CHECK(prepared);
    UciFrontEnd engine;
    for (const char* line : {"ucinewgame", "setoption name Seed value 1",
                             "setoption name Nivel value 2", "position startpos"}) {
        Run(engine, line);
    }
    std::istringstream lines(std::string(reinterpret_cast<const char*>(data), size));
    std::string line;
    int searches = 0;
    while (std::getline(lines, line)) {
        const std::vector<std::string> words = Words(line);
        if (words.empty()) continue;
        int perftDepth = 0;
        if (!Affordable(words, searches, perftDepth)) continue;
        const Position before = Now(engine);
        std::ostringstream out;
        if (!engine.Handle(line, out)) break;
        const std::string output = out.str();
        if (words[0] == "position") CheckRefusedMove(engine, words, output);
        if (words[0] != "go") continue;
        FUZZ_CHECK(Now(engine) == before);
        if (perftDepth > 0) CheckPerft(engine, perftDepth, output);
    }
    return 0;
}

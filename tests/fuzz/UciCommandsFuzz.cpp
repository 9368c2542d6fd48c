// Engine commands: refused moves and "go" leave the position alone; perft counts add up.
#include "FuzzCheck.h"
#include "engine/UciFrontEnd.h"
#include "rules/ModChecker.h"

#include <algorithm>
#include <iterator>
#include <regex>
#include <sstream>
#include <tuple>
#include <vector>

using namespace corvane;

namespace {

using Position =
    std::tuple<PlyBoard, PlyFlags, PlyFlags, PlyFlags, PlyFlags, PlyFlags, std::string>;

Position Now(const UciFrontEnd& engine) {
    return {Board[0],          WhiteCastleFlags[0], BlackCastleFlags[0],   WhitePawnFlags[0],
            BlackPawnFlags[0], CastleMade[0],       engine.SideToMoveNow()};
}

std::string Run(UciFrontEnd& engine, const std::string& line, bool* goesOn = nullptr) {
    std::ostringstream out;
    const bool on = engine.Handle(line, out);
    if (goesOn != nullptr) *goesOn = on;
    return out.str();
}

// The command cut before the refused move (when it stands once) gives the same position.
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
    static const std::regex MoveLine("^[a-h][1-8][a-h][1-8]q?: ([0-9]+)$"),
        Nodes("^Nodes searched: ([0-9]+)$"),
        Cut("^info string only the first ([0-9]+) of ([0-9]+) moves are listed$"),
        More("^info string more moves than.*");
    std::istringstream lines(output);
    long long sum = 0, moves = 0, total = -1, listed = -1, all = -1;
    bool incomplete = false;
    std::smatch m;
    for (std::string line; std::getline(lines, line);) {
        if (std::regex_match(line, m, MoveLine))
            sum += std::stoll(m[1].str()), ++moves;
        else if (std::regex_match(line, m, Nodes))
            total = std::stoll(m[1].str());
        else if (std::regex_match(line, m, Cut))
            listed = std::stoll(m[1].str()), all = std::stoll(m[2].str());
        else
            FUZZ_CHECK(line.empty() || (incomplete = std::regex_match(line, More)));
    }
    RulesMoveList legal;
    ListLegalMoves(engine.SideToMoveNow(), 0, legal);
    if (depth != 1)
        FUZZ_CHECK(total == sum || incomplete);
    else if (listed >= 0)
        FUZZ_CHECK(moves == listed && sum == listed && total == all && all == legal.count);
    else
        FUZZ_CHECK(total == sum && moves == legal.count);
}

// Deep perft and many searches take too long for a fuzzer; both stay out.
bool Affordable(const std::vector<std::string>& words, int& searches, int& perftDepth) {
    if (words[0] != "go") return true;
    if (words.size() < 3 || words[1] != "perft") return ++searches <= 2;
    const std::string& depth = words[2];
    if (depth == "1" || depth == "2") perftDepth = depth[0] - '0';
    return perftDepth != 0 || (depth[0] != '+' && (depth[0] < '0' || depth[0] > '9'));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    [[maybe_unused]] static const bool prepared = (PrepareComputerPlayer(), true);
    UciFrontEnd engine;
    for (const char* line : {"ucinewgame", "setoption name Seed value 1",
                             "setoption name Nivel value 2", "position startpos"})
        Run(engine, line);
    std::istringstream lines(std::string(reinterpret_cast<const char*>(data), size));
    int searches = 0;
    for (std::string line; std::getline(lines, line);) {
        std::istringstream in(line);
        const std::vector<std::string> words{std::istream_iterator<std::string>(in), {}};
        if (words.empty()) continue;
        int perftDepth = 0;
        if (!Affordable(words, searches, perftDepth)) continue;
        const Position before = Now(engine);
        bool goesOn = true;
        const std::string output = Run(engine, line, &goesOn);
        if (words[0] == "position") CheckRefusedMove(engine, words, output);
        if (words[0] == "go") FUZZ_CHECK(Now(engine) == before);
        if (perftDepth > 0) CheckPerft(engine, perftDepth, output);
        if (!goesOn) break;
    }
    return 0;
}

// The UCI command loop over the computer player.
#include "engine/UciFrontEnd.h"

#include <array>
#include <istream>
#include <ostream>
#include <sstream>
#include <vector>

#include "engine/ModCompMove.h"
#include "engine/ModScoreArrays.h"
#include "rules/Fen.h"
#include "rules/MoveText.h"
#include "rules/PositionCheck.h"
#include "rules/RulesState.h"

namespace corvane {

namespace {

constexpr const char* kStartFen = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";

std::vector<std::string> Words(const std::string& line) {
    std::vector<std::string> words;
    std::istringstream in(line);
    std::string w;
    while (in >> w) words.push_back(w);
    return words;
}

// A generated move as the front end writes it: "e2e4", "a7a8q" (the generator
// always promotes to a queen).
std::string GeneratedMoveText(const MoveRecord& m) {
    MoveText move{m.piece, m.fromRank, m.fromFile, m.toRank, m.toFile, m.capture != 0, ""};
    if ((m.piece == WhitePawn && m.toRank == 8) || (m.piece == BlackPawn && m.toRank == 1)) {
        move.promotion = "Q";
    }
    return LongAlgebraicOf(move);
}

// The stored moves of a generation: the count may exceed what the list holds.
int Stored(std::int32_t generated, bool& overflow) {
    if (generated <= MoveListCapacity) return generated;
    overflow = true;
    return MoveListCapacity;
}

std::uint64_t PerftFrom(bool white, int ply, int depth, bool& overflow) {
    const std::string_view side = white ? "W" : "B";
    if (depth == 1) return static_cast<std::uint64_t>(GenerateMoves(side, ply, 1, 0));
    const int n = Stored(GenerateMoves(side, ply, depth, 2), overflow);
    std::uint64_t total = 0;
    for (int i = 1; i <= n; ++i) {
        const MoveRecord& m = MoveList[white ? 0 : 1][depth][i];
        PlayIntoNextPly(m.fromRank, m.fromFile, m.toRank, m.toFile, ply);
        total += PerftFrom(!white, ply + 1, depth - 1, overflow);
    }
    return total;
}

// Why a position is refused, for the "info string" that says so.
const char* FaultText(PositionFault fault) {
    switch (fault) {
    case PositionFault::KingCount:
        return "each side needs exactly one king";
    case PositionFault::KingsTouching:
        return "the kings stand on neighbouring squares";
    case PositionFault::WaitingInCheck:
        return "the side not to move is in check";
    case PositionFault::PawnOnEndRank:
        return "a pawn stands on the first or last rank";
    case PositionFault::None:
        break;
    }
    return "";
}

} // namespace

void PrepareComputerPlayer() {
    InitSearchArrays();
    LoadScoreTables();
    InitGameArrays();
    MaterialScale = 10;
    Level = 2;
    ListCursor = -1;
    ResetComputerForNewGame();
    // The computer player's arrays start empty.
    HistoryIndex = 1;
    PositionHistory.fill(PlyBoard{});
    MobilityCount.fill(0);
    MoveCountPly.fill(0);
    KnightWeight = BishopWeight = 1;
    StopSearch = false;
}

std::uint64_t GeneratorPerft(std::string_view side, int depth) {
    if (depth < 1 || depth > MoveListDepths - 1) return 0;
    CountPieces(0);
    bool overflow = false;
    return PerftFrom(side != "B", 0, depth, overflow);
}

std::string UciMoveOf(const std::string& moveText) {
    MoveText move;
    return ParseMoveText(moveText, move) ? LongAlgebraicOf(move) : "0000";
}

UciFrontEnd::UciFrontEnd() {
    PrepareComputerPlayer();
    NewGame();
    std::ostringstream quiet;
    SetPosition("position startpos", quiet);
}

void UciFrontEnd::Run(std::istream& in, std::ostream& out) {
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!Handle(line, out)) break;
    }
}

bool UciFrontEnd::Handle(const std::string& line, std::ostream& out) {
    const std::vector<std::string> words = Words(line);
    if (words.empty()) return true;
    const std::string& command = words[0];
    if (command == "uci") {
        out << "id name Corvane\n"
            << "id author Corvane\n"
            << "option name Nivel type spin default 2 min 1 max 3\n"
            << "option name Seed type spin default 0 min 0 max 2147483647\n"
            << "uciok" << std::endl;
    } else if (command == "isready") {
        out << "readyok" << std::endl;
    } else if (command == "ucinewgame") {
        NewGame();
    } else if (command == "setoption") {
        SetOption(line, out);
    } else if (command == "position") {
        SetPosition(line, out);
    } else if (command == "go") {
        Go(line, out);
    } else if (command == "quit") {
        return false;
    } else {
        out << "info string unknown command " << command << std::endl;
    }
    return true;
}

void UciFrontEnd::NewGame() {
    // What a new game does for the computer player.
    ResetComputerForNewGame();
    ClearAllFlags();  // "Set full board"
    HistoryIndex = 1; // start of play
    StopSearch = false;
    if (Random().SeedFixed()) Random().Seed(Random().FixedSeedValue());
}

void UciFrontEnd::SetOption(const std::string& line, std::ostream& out) {
    const std::vector<std::string> w = Words(line);
    // setoption name <id> value <x>
    std::string name, value;
    for (std::size_t i = 1; i < w.size(); ++i) {
        if (w[i] == "name" && i + 1 < w.size()) name = w[i + 1];
        if (w[i] == "value" && i + 1 < w.size()) value = w[i + 1];
    }
    long number = 0;
    try {
        std::size_t used = 0;
        number = std::stol(value, &used);
        if (used != value.size()) throw std::invalid_argument(value);
    } catch (const std::exception&) {
        out << "info string invalid value for " << name << std::endl;
        return;
    }
    if (name == "Nivel") {
        if (number < 1 || number > 3) {
            out << "info string Nivel must be 1, 2 or 3" << std::endl;
            return;
        }
        Level = static_cast<std::int16_t>(number);
        DirectionSwitch = Level == 3 ? 0 : 1;
        // Only level 1 skips searches; a level left after an odd number of
        // level-1 moves must not keep skipping.
        if (Level != 1) SkipSearch = false;
    } else if (name == "Seed") {
        if (number < 0 || number > 2147483647) {
            out << "info string Seed must be 0..2147483647" << std::endl;
            return;
        }
        Random().FixSeed(static_cast<std::uint32_t>(number));
    } else {
        out << "info string unknown option " << name << std::endl;
    }
}

void UciFrontEnd::SetPosition(const std::string& line, std::ostream& out) {
    const std::vector<std::string> w = Words(line);
    std::size_t i = 1;
    std::string fen;
    if (i < w.size() && w[i] == "startpos") {
        fen = kStartFen;
        ++i;
    } else if (i < w.size() && w[i] == "fen") {
        ++i;
        while (i < w.size() && w[i] != "moves") {
            if (!fen.empty()) fen += ' ';
            fen += w[i++];
        }
    } else {
        out << "info string position needs startpos or fen" << std::endl;
        return;
    }
    // Tried on a spare ply first: a refused position leaves the current one.
    FenPosition info;
    if (!LoadFen(fen, MaxDepth, info)) {
        out << "info string invalid fen" << std::endl;
        return;
    }
    if (const PositionFault fault = FindPositionFault(Board[MaxDepth], info.sideToMove);
        fault != PositionFault::None) {
        out << "info string refused fen: " << FaultText(fault) << std::endl;
        return;
    }
    LoadFen(fen, 0, info);
    side_ = info.sideToMove;
    ListCursor = (info.fullmoveNumber - 1) * 2 + (side_ == "B" ? 1 : 0) - 1;
    OpeningLine.clear();
    if (i < w.size() && w[i] == "moves") {
        for (++i; i < w.size(); ++i) {
            if (!ApplyMove(w[i])) {
                out << "info string illegal move " << w[i] << std::endl;
                break;
            }
        }
    }
    CountPieces(0);
}

bool UciFrontEnd::ApplyMove(const std::string& uciMove) {
    MoveText move;
    if (!ParseLongAlgebraic(uciMove, move)) return false;
    CountPieces(0);
    const PieceIndex piece = Board[0][move.fromRank][move.fromFile];
    const bool white = IsWhitePiece(piece);
    if (piece == Empty || white != (side_ == "W")) return false;
    const bool promotes =
        (piece == WhitePawn && move.toRank == 8) || (piece == BlackPawn && move.toRank == 1);
    // A promotion letter belongs to a pawn reaching the last rank, nothing else.
    if (!move.promotion.empty() && !promotes) return false;
    move.piece = piece;
    move.capture = Board[0][move.toRank][move.toFile] != Empty;
    if (!corvane::ApplyMove(move)) return false;
    // The opening line grows as the move list builds it.
    if (ListCursor < 10) OpeningLine += CoordinateText(move) + " ";
    ++ListCursor;
    side_.assign(1, white ? 'B' : 'W');
    return true;
}

void UciFrontEnd::Go(const std::string& line, std::ostream& out) {
    const std::vector<std::string> w = Words(line);
    if (w.size() >= 3 && w[1] == "perft") {
        int depth = 0;
        try {
            depth = std::stoi(w[2]);
        } catch (const std::exception&) {
            depth = 0;
        }
        if (depth < 1 || depth > MoveListDepths - 1) {
            out << "info string perft depth must be 1.." << MoveListDepths - 1 << std::endl;
            return;
        }
        Perft(depth, out);
        return;
    }
    // The computer-turn driver: the computer plays the side to move.
    GameMode = side_ == "W" ? "CW" : "CB";
    SideToMove = side_;
    if (Level == 1) SkipSearch = !SkipSearch;
    // The position stays as it was given; the next "position" command moves on.
    const RulesStateKeeper position;
    TakeGamePosition(1);
    CopyPlyFlags(0, 1);
    ComputerMove(1);
    NameNoMoveOutcome(side_, 0);
    out << "info string status " << GameStatus << " move " << CurrentMove << std::endl;
    out << "bestmove " << UciMoveOf(CurrentMove) << std::endl;
}

void UciFrontEnd::Perft(int depth, std::ostream& out) {
    const bool white = side_ == "W";
    CountPieces(0);
    const std::int32_t generated = GenerateMoves(side_, 0, depth, 2);
    bool overflow = false;
    const int n = Stored(generated, overflow);
    std::uint64_t total = 0;
    for (int i = 1; i <= n; ++i) {
        const MoveRecord m = MoveList[white ? 0 : 1][depth][i];
        std::uint64_t count = 1;
        if (depth > 1) {
            PlayIntoNextPly(m.fromRank, m.fromFile, m.toRank, m.toFile, 0);
            count = PerftFrom(!white, 1, depth - 1, overflow);
        }
        out << GeneratedMoveText(m) << ": " << count << '\n';
        total += count;
    }
    // Past its capacity the move list keeps no more moves.
    if (overflow && depth == 1) {
        out << "info string only the first " << MoveListCapacity << " of " << generated
            << " moves are listed" << std::endl;
        total = static_cast<std::uint64_t>(generated);
    } else if (overflow) {
        out << "info string more moves than the move list holds (" << MoveListCapacity
            << "): the count is incomplete" << std::endl;
    }
    out << "\nNodes searched: " << total << std::endl;
}

} // namespace corvane

// The PGN and FEN writers. The game is replayed from its start position on the
// top plies of Board, through the core's own legality test.
#include "rules/Pgn.h"

#include <algorithm>
#include <iterator>

#include "rules/Fen.h"
#include "rules/Notation.h"

namespace corvane {

namespace {

// The replay uses these two plies (the search never reaches them while the
// game is written, and everything is put back anyway).
constexpr int kWorkPly = MaxDepth - 1;

// A tag value between its quotes: quotes and backslashes escaped, control
// characters (a line break in a name would end the tag) made blanks.
std::string TagValue(const std::string& value, const char* unknown) {
    if (value.empty()) return unknown;
    std::string text;
    for (const char c : value) {
        if (c == '"' || c == '\\') text += '\\';
        text += static_cast<unsigned char>(c) < 0x20 || c == 0x7f ? ' ' : c;
    }
    return text;
}

std::string TagLine(const char* name, const std::string& value, const char* unknown = "?") {
    return std::string("[") + name + " \"" + TagValue(value, unknown) + "\"]\n";
}

bool IsResult(const std::string& text) {
    static const std::string results[] = {"1-0", "0-1", "1/2-1/2", "*"};
    return std::find(std::begin(results), std::end(results), text) != std::end(results);
}

// What the position at the ply says of the game, sideToMove to play.
std::string ResultOfPosition(const std::string& sideToMove, int ply) {
    const MoveOutcome outcome = OutcomeAfterMove(sideToMove, ply, true);
    if (outcome.checkmate) return sideToMove == "B" ? "1-0" : "0-1";
    if (outcome.stalemate || outcome.drawByMaterial) return "1/2-1/2";
    return "*";
}

// Tokens joined by blanks into lines shorter than 80 characters.
std::string Wrapped(const std::vector<std::string>& tokens) {
    std::string text, line;
    for (const std::string& token : tokens) {
        if (!line.empty() && line.size() + 1 + token.size() > 79) {
            text += line + '\n';
            line.clear();
        }
        if (!line.empty()) line += ' ';
        line += token;
    }
    return text + line + '\n';
}

// The game's moves played from its start on kWorkPly, each checked by the
// core's legality test: the position reached is left there.
struct Replay {
    bool started = false;            // the start is a FEN
    std::string startFen;            // as the game's own FEN writer gives it
    std::vector<std::string> tokens; // move numbers and SAN
    std::string side;                // to move after the moves replayed
    int number = 1;                  // full-move number then
    int halfmoveClock = 0;           // half-moves since the last capture or pawn move
    int played = 0;
    bool complete = false; // every move was legal
};

Replay ReplayGame(const PgnGame& game) {
    Replay r;
    FenPosition start;
    if (!LoadFen(game.startFen, kWorkPly, start)) return r;
    r.started = true;
    r.startFen = FenOf(kWorkPly, start.sideToMove, start.halfmoveClock, start.fullmoveNumber);
    r.side = start.sideToMove;
    r.number = start.fullmoveNumber;
    r.halfmoveClock = start.halfmoveClock;
    r.complete = true;
    for (const std::string& text : game.moves) {
        MoveText move;
        std::string san;
        if (ParseMoveText(text, move) && IsBlackPiece(move.piece) == (r.side == "B"))
            san = detail::SanPlayingInto(move, kWorkPly);
        if (san.empty()) {
            r.complete = false;
            break;
        }
        const PlyBoard& before = Board[kWorkPly];
        const PieceIndex mover = before[move.fromRank][move.fromFile];
        const bool resets =
            mover == WhitePawn || mover == BlackPawn || before[move.toRank][move.toFile] != Empty;
        r.halfmoveClock = resets ? 0 : r.halfmoveClock + 1;
        Board[kWorkPly] = Board[kWorkPly + 1];
        CopyPlyFlags(kWorkPly + 1, kWorkPly);
        if (r.side == "W") {
            r.tokens.push_back(std::to_string(r.number) + ". " + san);
        } else {
            r.tokens.push_back(r.tokens.empty() ? std::to_string(r.number) + "... " + san : san);
            ++r.number;
        }
        r.side = r.side == "W" ? "B" : "W";
        ++r.played;
    }
    return r;
}

} // namespace

PgnText WritePgn(const PgnGame& game) {
    PgnText out;
    const RulesStateKeeper keeper;
    Replay replay = ReplayGame(game);
    if (!replay.started) return out;
    out.complete = replay.complete;
    out.movesWritten = replay.played;
    std::string result = "*";
    if (out.complete)
        result = IsResult(game.result) ? game.result : ResultOfPosition(replay.side, kWorkPly);
    replay.tokens.push_back(result);

    out.text = TagLine("Event", game.event) + TagLine("Site", game.site) +
               TagLine("Date", game.date, "????.??.??") + TagLine("Round", game.round) +
               TagLine("White", game.white) + TagLine("Black", game.black) +
               TagLine("Result", result);
    if (replay.startFen != StandardStartFen)
        out.text += TagLine("SetUp", "1") + TagLine("FEN", replay.startFen);
    out.text += '\n' + Wrapped(replay.tokens) + '\n';
    return out;
}

std::string GameEndFen(const PgnGame& game) {
    const RulesStateKeeper keeper;
    const Replay replay = ReplayGame(game);
    if (!replay.complete) return std::string();
    return FenOf(kWorkPly, replay.side, replay.halfmoveClock, replay.number);
}

int StartFullmoveNumber() {
    return LoadedMoveNumber > 0 ? LoadedMoveNumber / 2 + 1 : 1;
}

int CurrentFullmoveNumber(std::string_view sideToMove, int movesPlayed) {
    const int n = movesPlayed > 0 ? movesPlayed : 0;
    // Each move of Black completes a full move.
    const bool blackStarted = (sideToMove == "B") == (n % 2 == 0);
    return StartFullmoveNumber() + (blackStarted ? (n + 1) / 2 : n / 2);
}

std::string StartPositionFen(std::string_view sideToMove) {
    return FenOf(0, sideToMove, 0, StartFullmoveNumber());
}

std::string CurrentPositionFen(std::string_view sideToMove, int movesPlayed, int halfmoveClock) {
    return FenOf(0, sideToMove, halfmoveClock, CurrentFullmoveNumber(sideToMove, movesPlayed));
}

} // namespace corvane

// Any PGN bytes: the index stays inside the text, each game listed is read or refused where it
// says, a game read replays to its final position, and the rules state is left as it was.
#include "FuzzCheck.h"
#include "rules/Fen.h"
#include "rules/GameState.h"
#include "rules/ModChecker.h"
#include "rules/PgnFile.h"
#include "rules/TypedMove.h"

using namespace corvane;

namespace {

// Only the board part, side, castling and en passant: the counters of a replay start at 0.
std::string Position(const std::string& fen) {
    std::size_t end = 0;
    for (int i = 0; i < 4 && end != std::string::npos; ++i) end = fen.find(' ', end + 1);
    return fen.substr(0, end);
}

void CheckGame(std::string_view text, const PgnIndex& index, int game) {
    PgnGameRead read;
    PgnFailure failure;
    const auto boards = Board;
    const bool ok = ReadPgnGame(text, index, game, read, failure);
    FUZZ_CHECK(Board == boards);
    if (!ok) {
        FUZZ_CHECK(failure.game == game && failure.fault != PgnFault::None);
        FUZZ_CHECK(failure.text.size() <= 4 * MaxPgnTagChars);
        FUZZ_CHECK(read.moves.empty() && read.finalFen.empty());
        return;
    }
    FUZZ_CHECK(read.moves.size() <= std::size_t(MaxPgnGamePlies));
    FenPosition start;
    FUZZ_CHECK(LoadFen(read.startFen, 0, start));
    bool black = start.sideToMove == "B";
    for (const MoveText& move : read.moves) {
        FUZZ_CHECK(IsBlackPiece(move.piece) == black);
        FUZZ_CHECK(PlayReadMove(move, 0));
        black = !black;
    }
    FUZZ_CHECK(Position(FenOf(0, black ? "B" : "W")) == Position(read.finalFen));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ResetGameState();
    InitSearchArrays();
    InitGameArrays();
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const PgnIndex index = IndexPgn(text);
    FUZZ_CHECK(index.games.size() <= std::size_t(MaxPgnIndexGames));
    std::size_t previousEnd = 0;
    for (const PgnGameEntry& entry : index.games) {
        FUZZ_CHECK(entry.offset >= previousEnd && entry.offset + entry.length <= text.size());
        previousEnd = entry.offset + entry.length;
    }
    // The first games and the last one.
    const int count = int(index.games.size());
    for (int game = 1; game <= std::min(count, 4); ++game) CheckGame(text, index, game);
    if (count > 4) CheckGame(text, index, count);

    // The text's first line as a typed move on the start position: a legal move or a reason.
    FenPosition start;
    FUZZ_CHECK(LoadFen("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", 0, start));
    MoveText typed;
    const MoveRefusal refusal = ReadTypedMove(text.substr(0, text.find('\n')), "W", 0, typed);
    if (refusal == MoveRefusal::None) FUZZ_CHECK(PlayReadMove(typed, 0));
    return 0;
}

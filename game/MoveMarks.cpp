#include "game/MoveMarks.h"

#include "rules/MoveText.h"
#include "rules/Notation.h"

namespace corvane {

std::vector<int> LegalTargets(int from) {
    std::vector<int> targets;
    const PlyBoard& game = Board[0];
    const PieceIndex piece = game[RankOfImage(from)][FileOfImage(from)];
    if (piece == Empty) return targets;
    const RulesStateKeeper keeper;
    for (int to = 0; to < 64; ++to) {
        if (to == from) continue;
        const MoveText move{piece,
                            RankOfImage(from),
                            FileOfImage(from),
                            RankOfImage(to),
                            FileOfImage(to),
                            game[RankOfImage(to)][FileOfImage(to)] != Empty,
                            ""};
        // Each test starts from the game's flags: an accepted move changes them.
        const RulesStateKeeper each;
        const bool legal = IsMoveLegal(FormatMoveText(move));
        const bool ownKingAttacked =
            (MoverSide == "W" && WhiteInCheck) || (MoverSide == "B" && BlackInCheck);
        if (legal && !ownKingAttacked) targets.push_back(to);
    }
    return targets;
}

std::vector<int> KingsInCheck() {
    std::vector<int> kings;
    const RulesStateKeeper keeper;
    CountPieces(0);
    for (const char* side : {"W", "B"}) {
        std::int32_t rank = 0, file = 0;
        if (FindKing(side, rank, file, 0) && KingInCheck(side, 0)) {
            kings.push_back(ImageIndexOf(rank, file));
        }
    }
    return kings;
}

SquareMarks MarksFor(const std::string& lastMove, int held, const std::vector<int>& targets) {
    SquareMarks marks{};
    MoveText move;
    if (ParseMoveText(lastMove, move)) {
        marks[ImageIndexOf(move.fromRank, move.fromFile)] |= MarkLastMove;
        marks[ImageIndexOf(move.toRank, move.toFile)] |= MarkLastMove;
    }
    for (const int king : KingsInCheck()) marks[king] |= MarkCheck;
    if (held >= 0 && held < 64) {
        marks[held] |= MarkHeld;
        for (const int to : targets) marks[to] |= MarkTarget;
    }
    return marks;
}

} // namespace corvane

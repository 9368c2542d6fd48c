// The four-ply alpha-beta search: move lists per depth, making and undoing
// moves through per-depth snapshots, one-move look-ahead ordering and the
// quicksort that orders the lists.
#include <string>

#include "engine/ModCompMove.h"
#include "engine/ModScoreArrays.h"
#include "rules/CoreHooks.h"

namespace corvane {

namespace {

constexpr std::int32_t Infinity = 100000;

// Side of the computer for the search in progress.
bool ComputerIsWhite(std::string_view side) {
    return side != "B";
}

// The side that moves at a depth: the computer at odd depths.
bool MoverIsWhite(std::string_view side, int depth) {
    return (depth % 2 == 1) == ComputerIsWhite(side);
}

SideMoveList& ListAt(std::string_view side, int depth) {
    return MoveList[MoverIsWhite(side, depth) ? 0 : 1];
}

std::int32_t ComputerScore(std::string_view side) {
    return ComputerIsWhite(side) ? WhiteTotal - BlackTotal : BlackTotal - WhiteTotal;
}

// The material of the position at a ply, followed through each of its moves
// so that the position after a move need not be counted afresh.
class MaterialFollower {
public:
    explicit MaterialFollower(int ply) : ply_(ply) {
        if (ply_ != 0) base_ = TallyMaterial(Board[ply_]);
    }
    // The tally after the move (made from the position of the ply as it stands).
    bool After(const MoveRecord& move, MaterialTally& after) const {
        return ply_ != 0 && TallyAfterMove(base_, Board[ply_], move, after);
    }

private:
    int ply_;
    MaterialTally base_;
};

void SaveSnapshot(int ply, int depth) {
    DepthSnapshot& s = SnapshotBoards[depth];
    s.board = Board[ply];
    s.counts = PieceCount;
    s.whiteTotal = WhitePieceTotal;
    s.blackTotal = BlackPieceTotal;
    s.total = PieceTotal;
    SaveFlags(ply, depth);
}

} // namespace

void GenerateAtDepth(std::string_view side, int sourcePly, int depth) {
    SaveSnapshot(sourcePly, depth);
    const std::string_view mover = MoverIsWhite(side, depth) ? "W" : "B";
    std::int32_t count = GenerateMoves(mover, sourcePly, depth, 2);
    if (count > MoveListCapacity) count = MoveListCapacity;
    MoveCountPly[depth] = count;
}

void UndoSearchMove(int sourcePly, int depth) {
    const DepthSnapshot& s = SnapshotBoards[depth];
    Board[sourcePly] = s.board;
    PieceCount = s.counts;
    WhitePieceTotal = s.whiteTotal;
    BlackPieceTotal = s.blackTotal;
    PieceTotal = s.total;
    RestoreFlags(depth, sourcePly);
}

void MakeSearchMove(std::string_view side, int index, int sourcePly, int depth) {
    const MoveRecord& m = ListAt(side, depth)[depth][index];
    PlyBoard& b = Board[sourcePly];
    ++SearchNodes;
    PromotionChoice.clear();
    const int fr = m.fromRank, ff = m.fromFile, tr = m.toRank, tf = m.toFile;
    const PieceIndex piece = m.piece;
    const PieceIndex captured = b.squares[(tr - 1) * 8 + (tf - 1)];
    b.squares[(fr - 1) * 8 + (ff - 1)] = Empty;
    b.squares[(tr - 1) * 8 + (tf - 1)] = piece;
    LastFromRank = fr;
    LastFromFile = ff;
    LastToRank = tr;
    LastToFile = tf;
    LastCaptured = captured;
    const bool white = IsWhitePiece(piece);
    if (piece == WhiteKing || piece == BlackKing) {
        PlyFlags& castle = (white ? WhiteCastleFlags : BlackCastleFlags)[sourcePly];
        if (ff == 5 && (tf == 7 || tf == 3) && fr == tr) {
            // The rook goes alongside the king.
            const int rookFrom = tf == 7 ? 8 : 1;
            const int rookTo = tf == 7 ? 6 : 4;
            const PieceIndex rook = b.squares[(tr - 1) * 8 + (rookFrom - 1)];
            b.squares[(tr - 1) * 8 + (rookFrom - 1)] = Empty;
            b.squares[(tr - 1) * 8 + (rookTo - 1)] = rook;
            castle[0] = tf == 7 ? 2 : 3;
        } else {
            castle[0] = 1;
        }
    } else if (piece == WhiteRook || piece == BlackRook) {
        const int home = white ? 1 : 8;
        PlyFlags& castle = (white ? WhiteCastleFlags : BlackCastleFlags)[sourcePly];
        if (fr == home && ff == 8) castle[1] = 1;
        if (fr == home && ff == 1) castle[2] = 1;
    } else if (piece == WhitePawn || piece == BlackPawn) {
        if (ff != tf && captured == Empty) {
            b.squares[(fr - 1) * 8 + (tf - 1)] = Empty; // en passant
        }
        if (tr == (white ? 8 : 1)) {
            b.squares[(tr - 1) * 8 + (tf - 1)] = white ? WhiteQueen : BlackQueen;
            PromotionChoice.assign(1, 'Q');
            // The new queen must be seen by the attack tests that follow.
            ++PieceCount[CountSlot(white ? WhiteQueen : BlackQueen)];
        }
    }
}

void SortMoves(std::array<std::int32_t, MoveListCapacity + 1>& scores, SideMoveList& list,
               int depth, int count, bool descending) {
    if (count <= 1) return;
    auto& moves = list[depth];
    struct Range {
        int low, high;
    };
    std::array<Range, MoveListCapacity + 1> stack{};
    int top = 0;
    stack[top++] = {1, count};
    while (top > 0) {
        const Range range = stack[--top];
        int low = range.low;
        int high = range.high;
        while (low < high) {
            int i = low;
            int j = high;
            const std::int32_t pivot = scores[(low + high) / 2];
            while (i <= j) {
                if (descending) {
                    while (scores[i] > pivot) ++i;
                    while (pivot > scores[j]) --j;
                } else {
                    while (scores[i] < pivot) ++i;
                    while (pivot < scores[j]) --j;
                }
                if (i <= j) {
                    std::swap(scores[i], scores[j]);
                    std::swap(moves[i], moves[j]);
                    ++i;
                    --j;
                }
            }
            if (i < high && top < static_cast<int>(stack.size())) stack[top++] = {i, high};
            high = j;
        }
    }
}

bool ReplyCheck(std::string_view side, int sourcePly, int index, int depth, int captured,
                std::int32_t& score) {
    const bool computerWhite = ComputerIsWhite(side);
    if (captured == (computerWhite ? WhiteKing : BlackKing)) score = -Infinity;
    const MoveRecord& m = ListAt(side, depth)[depth][index];
    if (m.givesCheck == 0) return false;
    score -= 10;
    const std::string_view own = computerWhite ? "W" : "B";
    const std::string_view opponent = computerWhite ? "B" : "W";
    std::int32_t kr = 0, kf = 0;
    if (!FindKing(own, kr, kf, sourcePly)) return false;
    if (!IsSquareAttacked(kr, kf, opponent, sourcePly)) return false;
    if (!IsCheckmate(own, sourcePly)) return false;
    score = -Infinity;
    return true;
}

void OrderMoves(std::string_view side, int sourcePly, int depth, int count) {
    const bool odd = depth % 2 == 1;
    SideMoveList& list = ListAt(side, depth);
    const MaterialFollower material(sourcePly);
    for (int i = 1; i <= count; ++i) {
        MaterialTally after;
        const bool followed = material.After(list[depth][i], after);
        MakeSearchMove(side, i, sourcePly, depth);
        // The opponent's replies are ordered by material alone.
        if (odd && followed) {
            EvaluateTallied(sourcePly, after);
        } else if (odd) {
            Evaluate(sourcePly);
        } else if (followed) {
            UseTally(after);
        } else {
            CountMaterial(sourcePly);
        }
        std::int32_t score = ComputerScore(side);
        if (!odd) ReplyCheck(side, sourcePly, i, depth, list[depth][i].captured, score);
        if (!ComputerIsWhite(side) && depth == 1 && score < 0) score = -10000;
        OrderScore[i] = score;
        UndoSearchMove(sourcePly, depth);
    }
    SortMoves(OrderScore, list, depth, count, odd);
}

namespace {

// Depths 3 and 4 below one reply: the best the computer reaches against it.
std::int32_t SearchOwnMoves(std::string_view side, int ply, std::int32_t beta1, bool& hadMoves) {
    std::int32_t alpha2 = -Infinity;
    GenerateAtDepth(side, ply, 3);
    const int n3 = MoveCountPly[3];
    hadMoves = n3 > 0;
    if (!hadMoves) return alpha2;
    OrderMoves(side, ply, 3, n3);
    SideMoveList& replies = ListAt(side, 4);
    for (int k = 1; k <= n3; ++k) {
        MakeSearchMove(side, k, ply, 3);
        std::int32_t beta3 = Infinity;
        GenerateAtDepth(side, ply, 4);
        const int n4 = MoveCountPly[4];
        bool cut = false;
        if (n4 > 0) {
            OrderMoves(side, ply, 4, n4);
            const MaterialFollower material(ply);
            for (int l = 1; l <= n4; ++l) {
                MaterialTally after;
                const bool followed = material.After(replies[4][l], after);
                MakeSearchMove(side, l, ply, 4);
                if (followed) {
                    EvaluateTallied(ply, after);
                } else {
                    Evaluate(ply);
                }
                std::int32_t score = ComputerScore(side);
                ReplyCheck(side, ply, l, 4, replies[4][l].captured, score);
                if (score < beta3) beta3 = score;
                UndoSearchMove(ply, 4);
            }
            if (beta3 >= alpha2) {
                alpha2 = beta3;
                if (alpha2 >= beta1) cut = true;
            }
        }
        UndoSearchMove(ply, 3);
        if (cut) break;
    }
    return alpha2;
}

enum class RootOutcome { Scored, Dropped, Skipped, Stopped };

// Depth 2 and below for root move i (already made): its value in beta1.
RootOutcome SearchReplies(std::string_view side, int ply, std::int32_t alpha0,
                          std::int32_t& beta1) {
    beta1 = Infinity;
    GenerateAtDepth(side, ply, 2);
    const int n2 = MoveCountPly[2];
    if (n2 == 0) return RootOutcome::Dropped;
    OrderMoves(side, ply, 2, n2);
    SideMoveList& replies = ListAt(side, 2);
    for (int j = 1; j <= n2; ++j) {
        // A reply subtree can take a while: let events run here too when they
        // have waited long enough, so that closing the window stops the search promptly.
        LetEventsRunWhenDue();
        if (StopSearch) return RootOutcome::Stopped;
        if (SkipSearch) return RootOutcome::Skipped;
        MakeSearchMove(side, j, ply, 2);
        std::int32_t unused = 0;
        if (ReplyCheck(side, ply, j, 2, replies[2][j].captured, unused)) {
            UndoSearchMove(ply, 2);
            return RootOutcome::Dropped;
        }
        bool hadMoves = false;
        const std::int32_t alpha2 = SearchOwnMoves(side, ply, beta1, hadMoves);
        bool cut = false;
        if (hadMoves && alpha2 <= beta1) {
            beta1 = alpha2;
            if (beta1 <= alpha0) cut = true;
        }
        UndoSearchMove(ply, 2);
        if (cut) break;
    }
    return RootOutcome::Scored;
}

} // namespace

bool SearchBestMove(std::string_view side, int ply) {
    MoveCountPly.fill(0);
    int best = 1;
    std::int32_t alpha0 = -Infinity;
    GenerateAtDepth(side, ply, 1);
    const int n1 = MoveCountPly[1];
    if (n1 == 0) {
        GameStatus = "STALEMATE";
        return false;
    }
    Hooks().SetProgressLabel(2, "C");
    Hooks().SetProgressLabel(1, std::to_string(n1));
    if (n1 > 1) {
        OrderMoves(side, ply, 1, n1);
        for (int i = 1; i <= n1; ++i) {
            Hooks().SetProgressLabel(0, std::to_string(i));
            LetEventsRunNow();
            if (StopSearch) return false;
            if (SkipSearch) break;
            MakeSearchMove(side, i, ply, 1);
            std::int32_t beta1 = Infinity;
            const RootOutcome outcome = SearchReplies(side, ply, alpha0, beta1);
            UndoSearchMove(ply, 1);
            if (outcome == RootOutcome::Stopped) return false;
            if (outcome == RootOutcome::Skipped) break;
            if (outcome == RootOutcome::Dropped) continue;
            if (beta1 > alpha0) {
                alpha0 = beta1;
                best = i;
            }
        }
    }
    return MakeBESTMove(side, best, ply);
}

} // namespace corvane

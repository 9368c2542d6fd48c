// The move generator: direction tables, the piece iterator, the acceptance test
// of one candidate and the generation of all legal moves of a side.
#include "engine/ModCompMove.h"
#include "engine/ModScoreArrays.h"
#include "rules/CoreHooks.h"

namespace corvane {

namespace {

inline PieceIndex SquareAt(const PlyBoard& board, int rank, int file) {
    return board.squares[(rank - 1) * 8 + (file - 1)];
}

inline bool SameColour(int a, int b) {
    return (a <= 6) == (b <= 6);
}

} // namespace

DirectionTable DirectionsOf(int piece, std::int32_t directionSwitch) {
    const bool one = directionSwitch != 0;
    switch (piece) {
    case WhiteRook:
    case BlackRook:
        return {RookDirections.data(), 4, true};
    case WhiteKnight:
    case BlackKnight:
        return {one ? KnightDirections1.data() : KnightDirections0.data(), 8, false};
    case WhiteBishop:
    case BlackBishop:
        return {one ? BishopDirections1.data() : BishopDirections0.data(), 4, true};
    case WhiteQueen:
    case BlackQueen:
        return {one ? QueenDirections1.data() : QueenDirections0.data(), 8, true};
    case WhiteKing:
    case BlackKing:
        return {KingDirections.data(), 10, false};
    case WhitePawn:
        return {WhitePawnDirections.data(), 4, false};
    case BlackPawn:
        return {BlackPawnDirections.data(), 4, false};
    default:
        return {};
    }
}

void PieceMoveIterator::Start(PieceIndex movingPiece, int rank, int file,
                              std::int32_t directionSwitch) {
    piece = movingPiece;
    fromRank = rank;
    fromFile = file;
    table = DirectionsOf(movingPiece, directionSwitch);
    direction = 0;
    step = 0;
}

bool PieceMoveIterator::Next(int& toRank, int& toFile) {
    while (direction < table.count) {
        const DirectionStep d = table.steps[direction];
        if (table.slides) {
            ++step;
            toRank = fromRank + d.rank * step;
            toFile = fromFile + d.file * step;
            if (OnBoard(toRank, toFile)) return true;
            // Off the board ends the direction (the acceptance test would refuse it).
            ++direction;
            step = 0;
            continue;
        }
        ++direction;
        toRank = fromRank + d.rank;
        toFile = fromFile + d.file;
        return true;
    }
    return false;
}

void PieceMoveIterator::EndDirection() {
    if (table.slides) {
        ++direction;
        step = 0;
    }
}

Candidate TestCandidate(PieceIndex piece, int fromRank, int fromFile, int toRank, int toFile,
                        int ply) {
    if (!OnBoard(toRank, toFile)) return Candidate::Refused;
    const PlyBoard& board = Board[ply];
    const PieceIndex target = SquareAt(board, toRank, toFile);
    if (target != Empty && SameColour(target, piece)) return Candidate::Refused;
    FromRank = fromRank;
    FromFile = fromFile;
    ToRank = toRank;
    ToFile = toFile;
    SaveFlags(ply, MaxDepth + 2);
    ++MoveBarredCalls;
    PieceIndex moving = piece;
    const bool barred = MoveBarred(moving, ply);
    RestoreFlags(MaxDepth + 2, ply);
    if (barred) return Candidate::Refused;
    const bool ownCheck = IsWhitePiece(piece) ? WhiteInCheck : BlackInCheck;
    return ownCheck ? Candidate::LeavesCheck : Candidate::Accepted;
}

bool TestForCheck(std::string_view checkingSide, int ply) {
    const bool whiteChecks = checkingSide != "B";
    std::int32_t rank = 0, file = 0;
    if (!FindKing(whiteChecks ? "B" : "W", rank, file, ply)) {
        GameStatus =
            whiteChecks ? "No Black King in TestForCheck ??" : "No White King in TestForCheck ??";
        Hooks().ErrorBox(GameStatus);
        return false;
    }
    return IsSquareAttacked(rank, file, whiteChecks ? "W" : "B", ply);
}

std::int32_t GenerateMoves(std::string_view side, int sourcePly, int depth, int mode) {
    const bool white = side != "B";
    const PlyBoard scratch = Board[sourcePly];
    const int firstKind = white ? 1 : 7;
    if (mode > 0) {
        for (int k = firstKind; k < firstKind + 6; ++k) MobilityCount[k] = 0;
    }
    SideMoveList& list = MoveList[white ? 0 : 1];
    const bool store = mode == 2 && depth >= 1 && depth <= MoveListDepths;
    std::int32_t count = 0;
    PieceMoveIterator it;
    for (int r = 1; r <= 8; ++r) {
        for (int f = 1; f <= 8; ++f) {
            const PieceIndex p = SquareAt(scratch, r, f);
            if (p == Empty || (p <= 6) != white) continue;
            it.Start(p, r, f, DirectionSwitch);
            int tr = 0, tf = 0;
            while (it.Next(tr, tf)) {
                const Candidate c = TestCandidate(p, r, f, tr, tf, sourcePly);
                if (c == Candidate::Refused) {
                    it.EndDirection();
                    continue;
                }
                if (c == Candidate::LeavesCheck) continue;
                ++count;
                if (mode > 0) ++MobilityCount[p];
                if (store && count <= MoveListCapacity) {
                    MoveRecord& m = list[depth][count];
                    m.piece = p;
                    m.fromRank = static_cast<std::uint8_t>(r);
                    m.fromFile = static_cast<std::uint8_t>(f);
                    m.toRank = static_cast<std::uint8_t>(tr);
                    m.toFile = static_cast<std::uint8_t>(tf);
                    m.captured = SquareAt(scratch, tr, tf);
                    m.givesCheck = (white ? BlackInCheck : WhiteInCheck) ? 1 : 0;
                    m.capture = m.captured != Empty ? 1 : 0;
                }
            }
        }
    }
    return count;
}

} // namespace corvane

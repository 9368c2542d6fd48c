// The legality test of one move: the move text reader, the shape table, the
// path tests and the full test with its side effects on the flags of the ply.
#include <cstdlib>

#include "rules/CoreHooks.h"
#include "rules/MoveText.h"
#include "rules/RulesInternal.h"

namespace corvane {

using detail::KindOf;
using detail::SameColour;
using detail::ValidPly;

namespace {

bool MoverIsBlack() {
    return detail::IsBlackSide(MoverSide);
}

bool OwnPiece(PieceIndex piece) {
    return piece != Empty && (MoverIsBlack() ? IsBlackPiece(piece) : IsWhitePiece(piece));
}

int Sign(int v) {
    return (v > 0) - (v < 0);
}

// The king's two-file move along its rank. Leaves GameStatus with the reason of
// a refusal that has one.
bool CastlingAccepted(int ply) {
    const bool black = MoverIsBlack();
    const int home = black ? 8 : 1;
    if (ToRank != FromRank || (FromRank != 1 && FromRank != 8)) return false;
    CastleMade[ply] = PlyFlags{}; // no stale mark of an earlier castling survives
    if (FromFile != 5 || (ToFile != 7 && ToFile != 3) || FromRank != home) return false;
    const bool kingSide = ToFile == 7;
    PlyBoard& b = Board[ply];
    const PieceIndex rook = black ? BlackRook : WhiteRook;
    if (b[home][kingSide ? 8 : 1] != rook) return false;
    if (!kingSide && b[home][2] != Empty) return false;
    // Every square between king and rook must be empty, the destination included.
    if (b[home][ToFile] != Empty || !StraightPathClear(ply)) return false;

    // Reasons in the order they are tested; a later one replaces an earlier one.
    static constexpr const char* kRights[2][3] = {
        {" White king has been moved", " White queen rook has been moved",
         " White king rook has been moved"},
        {" Black king has been moved", " Black queen rook has been moved",
         " Black king rook has been moved"}};
    static constexpr const char* kAttacks[2][3] = {
        {"White King in check, castling out of check not allowed!",
         "White King castling into check!", "White King castling across check not allowed!"},
        {"Black King in check, castling out of check not allowed!",
         "Black King castling into check!", "Black King castling across check not allowed!"}};
    const PlyFlags& rights = black ? BlackCastleFlags[ply] : WhiteCastleFlags[ply];
    const char* reason = nullptr;
    if (rights[0] == 1) reason = kRights[black][0];
    if (rights[0] > 1) reason = " Castling done";
    if (!kingSide && rights[2] == 1) reason = kRights[black][1];
    if (kingSide && rights[1] == 1) reason = kRights[black][2];
    if (reason == nullptr) {
        const int crossed = kingSide ? 6 : 4;
        if (IsSquareAttacked(home, 5, OpponentSide, ply)) reason = kAttacks[black][0];
        if (IsSquareAttacked(home, ToFile, OpponentSide, ply)) reason = kAttacks[black][1];
        if (IsSquareAttacked(home, crossed, OpponentSide, ply)) reason = kAttacks[black][2];
    }
    if (reason != nullptr) {
        GameStatus = reason;
        return false;
    }
    CastleMade[ply][(black ? 2 : 0) + (kingSide ? 0 : 1)] = 1;
    return true;
}

// A king step: path, then the destination must not be attacked (king still on its square).
bool KingStepAccepted(int ply) {
    const bool straight = FromRank == ToRank || FromFile == ToFile;
    const bool pass = straight ? StraightPathClear(ply) : DiagonalPathClear(ply);
    PlyFlags& rights = MoverIsBlack() ? BlackCastleFlags[ply] : WhiteCastleFlags[ply];
    if (pass) rights[0] = 1;
    GameStatus.clear();
    if (!pass) return false;
    if (IsSquareAttacked(ToRank, ToFile, OpponentSide, ply)) {
        GameStatus = "Movimento Inválido o Rei fica em Xeque";
        (MoverIsBlack() ? BlackInCheck : WhiteInCheck) = true;
        return false;
    }
    return true;
}

// Pawn moves of either colour; sets the pawn flags and reports an en-passant capture.
bool PawnAccepted(int ply, bool black, bool& enPassant) {
    PlyFlags& own = black ? BlackPawnFlags[ply] : WhitePawnFlags[ply];
    PlyFlags& other = black ? WhitePawnFlags[ply] : BlackPawnFlags[ply];
    const int lastRank = black ? 1 : 8;
    if (FromFile == ToFile) {
        if (!(black ? BlackPawnPushClear(ply) : WhitePawnPushClear(ply))) return false;
        own = PlyFlags{};
        if (std::abs(ToRank - FromRank) == 2) own[1] = static_cast<std::uint8_t>(FromFile);
        if (ToRank == lastRank) own[2] = 1;
        return true;
    }
    if (std::abs(ToFile - FromFile) != 1) return false;
    if (!(black ? BlackPawnCaptureOk(ply) : WhitePawnCaptureOk(ply))) return false;
    own = PlyFlags{};
    if (Board[ply][ToRank][ToFile] != Empty) {
        if (ToRank == lastRank) own[2] = 1;
        return true;
    }
    if (ToRank != (black ? 3 : 6) || other[1] != ToFile) return false;
    own[0] = 1;
    other[1] = 0;
    enPassant = true;
    return true;
}

// The attack test's en-passant rule can reach a king only on the fourth rank
// (White) or the fifth (Black), on the file of its own side's double step.
bool DoubleStepReaches(bool blackKing, int rank, int file, int ply) {
    return rank == (blackKing ? 5 : 4) &&
           (blackKing ? BlackPawnFlags : WhitePawnFlags)[ply][1] == file;
}

// Whether each king is attacked in the position before a move. Every candidate
// of one position asks the same, so the answers are kept, per ply, for the
// position they were worked out on: its board, its counters, the side to move
// and whether the en-passant rule reaches either king.
struct KingsBefore {
    PlyBoard board;
    std::array<std::int32_t, 13> counts{};
    std::uint8_t key = 0; // 0 until worked out
    bool ownAttacked = false, oppAttacked = false;
};

const KingsBefore& KingsAttackedBefore(int ply, bool black, std::int32_t ownRank,
                                       std::int32_t ownFile, std::int32_t oppRank,
                                       std::int32_t oppFile) {
    static std::array<KingsBefore, MaxDepth + 1> memo;
    KingsBefore& m = memo[ply];
    const std::uint8_t key = static_cast<std::uint8_t>(
        0x80 | (black ? 1 : 0) | (DoubleStepReaches(black, ownRank, ownFile, ply) ? 2 : 0) |
        (DoubleStepReaches(!black, oppRank, oppFile, ply) ? 4 : 0));
    if (m.key == key && m.board == Board[ply] && m.counts == PieceCount) return m;
    const std::int32_t kind = AttackerKind, rank = AttackerRank, file = AttackerFile;
    const bool enPassant = EnPassantAttack;
    m.ownAttacked = IsSquareAttacked(ownRank, ownFile, OpponentSide, ply);
    m.oppAttacked = IsSquareAttacked(oppRank, oppFile, MoverSide, ply);
    AttackerKind = kind;
    AttackerRank = rank;
    AttackerFile = file;
    EnPassantAttack = enPassant;
    m.board = Board[ply];
    m.counts = PieceCount;
    m.key = key;
    return m;
}

bool OnLineWith(int rank, int file, int kingRank, int kingFile) {
    const int dr = rank - kingRank, df = file - kingFile;
    return dr == 0 || df == 0 || std::abs(dr) == std::abs(df);
}

// Whether the piece standing on (rank, file) might attack the king's square
// (more often than it does: it only spares the attack test).
bool MightAttack(PieceIndex piece, int rank, int file, int kingRank, int kingFile) {
    const int dr = kingRank - rank, df = kingFile - file;
    const int adr = std::abs(dr), adf = std::abs(df);
    switch (KindOf(piece)) {
    case 1:
        return dr == 0 || df == 0;
    case 2:
        return (adr == 1 && adf == 2) || (adr == 2 && adf == 1);
    case 3:
        return adr == adf;
    case 4:
        return dr == 0 || df == 0 || adr == adf;
    case 5:
        return adr <= 1 && adf <= 1;
    case 6: // a capture, or the en-passant rule from beside the king
        return adf == 1 && adr <= 1;
    default:
        return true;
    }
}

// Makes the accepted move on the ply and looks at both kings. False refuses it
// (a missing king). A move cannot attack a king that was not attacked before it
// unless it leaves a line through that king (a line that may open), the piece
// may attack the king from where it lands, or it takes en passant or promotes;
// the attack test is spared where none of these holds, and its results are
// left as a test that found nothing leaves them.
bool TestPositionAfter(PieceIndex piece, int ply, bool enPassant, bool report) {
    const bool black = IsBlackPiece(piece);
    PlyBoard& b = Board[ply];
    const bool kingMoves = KindOf(piece) == 5;
    const bool promotes =
        KindOf(piece) == 6 && (black ? BlackPawnFlags : WhitePawnFlags)[ply][2] == 1;
    // The kings before the move; only the mover's king can stand elsewhere after it.
    std::int32_t wr = 0, wf = 0, br = 0, bf = 0;
    const bool whiteFound = FindKing("W", wr, wf, ply);
    const bool blackFound = whiteFound && FindKing("B", br, bf, ply);
    bool ownQuiet = false, oppQuiet = false;
    if (blackFound && !enPassant) {
        const std::int32_t ownRank = black ? br : wr, ownFile = black ? bf : wf;
        const std::int32_t oppRank = black ? wr : br, oppFile = black ? wf : bf;
        ownQuiet = !kingMoves && !OnLineWith(FromRank, FromFile, ownRank, ownFile);
        oppQuiet = !promotes && !OnLineWith(FromRank, FromFile, oppRank, oppFile) &&
                   !MightAttack(piece, ToRank, ToFile, oppRank, oppFile);
        if (ownQuiet || oppQuiet) {
            const KingsBefore& before =
                KingsAttackedBefore(ply, black, ownRank, ownFile, oppRank, oppFile);
            ownQuiet = ownQuiet && !before.ownAttacked;
            oppQuiet = oppQuiet && !before.oppAttacked;
        }
    }
    b[ToRank][ToFile] = piece;
    b[FromRank][FromFile] = Empty;
    if (enPassant) b[FromRank][ToFile] = Empty;

    const char* missing = nullptr;
    if (!whiteFound) {
        missing = "No White King in MoveBarred ??";
    } else if (!blackFound) {
        missing = "No Black King in MoveBarred ??";
    }
    if (missing != nullptr) {
        GameStatus = missing;
        if (report) Hooks().ErrorBox(GameStatus);
        return false;
    }
    if (kingMoves) FindKing(black ? "B" : "W", black ? br : wr, black ? bf : wf, ply);
    // Only a pawn arriving on the last rank promotes; it is examined as a queen,
    // and the counters learn of the new queen while the kings are tested.
    const PieceIndex queen = black ? BlackQueen : WhiteQueen;
    if (promotes) {
        b[ToRank][ToFile] = queen;
        PromotionChoice = "Q";
        ++PieceCount[CountSlot(queen)];
    }
    const std::int32_t ownRank = black ? br : wr, ownFile = black ? bf : wf;
    const std::int32_t oppRank = black ? wr : br, oppFile = black ? wf : bf;
    if (ownQuiet) {
        AttackerKind = 0;
        EnPassantAttack = false;
    } else if (IsSquareAttacked(ownRank, ownFile, OpponentSide, ply)) {
        GameStatus = "Movimento Inválido o Rei em Xeque!";
        (black ? BlackInCheck : WhiteInCheck) = true;
    }
    if (oppQuiet) {
        AttackerKind = 0;
        EnPassantAttack = false;
    } else if (IsSquareAttacked(oppRank, oppFile, MoverSide, ply)) {
        (black ? WhiteInCheck : BlackInCheck) = true;
    }
    if (promotes) --PieceCount[CountSlot(queen)];
    return true;
}

} // namespace

bool ShapeAllows(PieceIndex piece, int fromRank, int fromFile, int toRank, int toFile) {
    const int dr = toRank - fromRank, df = toFile - fromFile;
    const int adr = std::abs(dr), adf = std::abs(df);
    switch (piece) {
    case WhiteRook:
    case BlackRook:
        return dr == 0 || df == 0;
    case WhiteBishop:
    case BlackBishop:
        return adr == adf;
    case WhiteKnight:
    case BlackKnight:
        return (adf == 2 && adr == 1) || (adr == 2 && adf == 1);
    case WhiteQueen:
    case BlackQueen:
        return dr == 0 || df == 0 || adr == adf;
    case WhiteKing:
    case BlackKing:
        return (dr == 0 && (adf == 1 || adf == 2)) || (df == 0 && adr == 1) ||
               (adr == 1 && adf == 1);
    case WhitePawn:
        return (df == 0 && (dr == 1 || (fromRank == 2 && toRank == 4))) || (adf == 1 && dr == 1);
    case BlackPawn:
        return (df == 0 && (dr == -1 || (fromRank == 7 && toRank == 5))) || (adf == 1 && dr == -1);
    default:
        return false;
    }
}

bool CheckMoveShape(const std::string& moveText) {
    if (moveText.size() < 2) return false;
    return ShapeAllows(PieceIndexOf(std::string_view(moveText).substr(0, 2)), FromRank, FromFile,
                       ToRank, ToFile);
}

bool IsMoveLegal(const std::string& moveText) {
    GameStatus.clear();
    MoveText move;
    if (!ParseMoveText(moveText, move)) return false;
    FromRank = move.fromRank;
    FromFile = move.fromFile;
    ToRank = move.toRank;
    ToFile = move.toFile;
    PieceIndex piece = Board[0][FromRank][FromFile];
    // The text must name the piece that stands on its from-square.
    if (piece != move.piece) return false;
    return CheckMoveShape(moveText) && !MoveBarred(piece, 0);
}

bool MoveBarred(PieceIndex piece, int ply) {
    return detail::MoveBarredImpl(piece, ply, true);
}

bool detail::MoveBarredImpl(PieceIndex piece, int ply, bool report) {
    WhiteInCheck = BlackInCheck = false;
    GameStatus.clear();
    if (piece == Empty || piece > 12 || !ValidPly(ply) || !OnBoard(FromRank, FromFile) ||
        !OnBoard(ToRank, ToFile))
        return true;
    const PlyBoard snapshot = Board[ply];
    SaveFlags(ply, MaxDepth + 1);
    const bool black = IsBlackPiece(piece);
    SetSides(black);

    bool accepted = false, castling = false, enPassant = false;
    PlyFlags& rights = black ? BlackCastleFlags[ply] : WhiteCastleFlags[ply];
    const int home = black ? 8 : 1;
    switch (KindOf(piece)) {
    case 1:
        accepted = StraightPathClear(ply);
        if (accepted && FromRank == home) {
            if (FromFile == 1) rights[2] = 1;
            if (FromFile == 8) rights[1] = 1;
        }
        break;
    case 2: {
        const PieceIndex target = Board[ply][ToRank][ToFile];
        accepted = target == Empty || !SameColour(target, piece);
        break;
    }
    case 3:
        accepted = DiagonalPathClear(ply);
        break;
    case 4:
        accepted = (FromRank != ToRank && FromFile != ToFile) ? DiagonalPathClear(ply)
                                                              : StraightPathClear(ply);
        break;
    case 5: {
        const int adr = std::abs(ToRank - FromRank), adf = std::abs(ToFile - FromFile);
        if (adr <= 1 && adf <= 1 && adr + adf > 0) {
            accepted = KingStepAccepted(ply);
        } else if (adf == 2) {
            accepted = castling = CastlingAccepted(ply);
        }
        break;
    }
    default:
        accepted = PawnAccepted(ply, black, enPassant);
        break;
    }

    if (accepted && !castling && GameStatus.empty()) {
        const PieceIndex target = Board[ply][ToRank][ToFile];
        accepted = target != WhiteKing && target != BlackKing &&
                   TestPositionAfter(piece, ply, enPassant, report);
        if (accepted) MarkCornerRooks(FromRank, FromFile, ToRank, ToFile, ply);
    }
    if (!accepted) {
        RestoreFlags(MaxDepth + 1, ply);
        Board[ply] = snapshot;
        return true;
    }
    if (!enPassant) {
        (black ? WhitePawnFlags : BlackPawnFlags)[ply][1] = 0;
        (black ? BlackPawnFlags : WhitePawnFlags)[ply][0] = 0;
    }
    // A move that leaves the mover's own king attacked is rejected by the caller;
    // its flag changes are taken back so they cannot outlive it.
    if (black ? BlackInCheck : WhiteInCheck) RestoreFlags(MaxDepth + 1, ply);
    Board[ply] = snapshot;
    return false;
}

void MarkCornerRooks(int fromRank, int fromFile, int toRank, int toFile, int ply) {
    if (!ValidPly(ply)) return;
    auto mark = [ply](int rank, int file) {
        if (file != 1 && file != 8) return;
        const int entry = file == 8 ? 1 : 2;
        if (rank == 1) WhiteCastleFlags[ply][entry] = 1;
        if (rank == 8) BlackCastleFlags[ply][entry] = 1;
    };
    mark(fromRank, fromFile);
    mark(toRank, toFile);
}

bool StraightPathClear(int ply) {
    if (!ValidPly(ply) || !OnBoard(FromRank, FromFile) || !OnBoard(ToRank, ToFile)) return false;
    if (FromRank == ToRank && FromFile == ToFile) return false;
    if (FromRank != ToRank && FromFile != ToFile) return false;
    const PlyBoard& b = Board[ply];
    const int dr = Sign(ToRank - FromRank), df = dr != 0 ? 0 : Sign(ToFile - FromFile);
    for (int r = FromRank + dr, f = FromFile + df;; r += dr, f += df) {
        const PieceIndex p = b[r][f];
        const bool atDestination = r == ToRank && f == ToFile;
        if (p != Empty && (OwnPiece(p) || !atDestination)) return false;
        if (atDestination) return true;
    }
}

bool DiagonalPathClear(int ply) {
    if (!ValidPly(ply) || !OnBoard(FromRank, FromFile) || !OnBoard(ToRank, ToFile)) return false;
    const int dr = ToRank - FromRank, df = ToFile - FromFile;
    if (dr == 0 || std::abs(dr) != std::abs(df)) return false;
    const PlyBoard& b = Board[ply];
    const int sr = Sign(dr), sf = Sign(df);
    for (int r = FromRank + sr, f = FromFile + sf;; r += sr, f += sf) {
        const PieceIndex p = b[r][f];
        const bool atDestination = r == ToRank;
        if (p != Empty && (OwnPiece(p) || !atDestination)) return false;
        if (atDestination) return true;
    }
}

bool WhitePawnPushClear(int ply) {
    if (!ValidPly(ply) || !OnBoard(FromRank, FromFile) || !OnBoard(ToRank, ToFile)) return false;
    if (ToFile != FromFile || Board[ply][ToRank][ToFile] != Empty) return false;
    if (ToRank - FromRank == 1) return true;
    return ToRank - FromRank == 2 && FromRank == 2 && Board[ply][3][FromFile] == Empty;
}

bool BlackPawnPushClear(int ply) {
    if (!ValidPly(ply) || !OnBoard(FromRank, FromFile) || !OnBoard(ToRank, ToFile)) return false;
    if (ToFile != FromFile || Board[ply][ToRank][ToFile] != Empty) return false;
    if (FromRank - ToRank == 1) return true;
    return FromRank - ToRank == 2 && FromRank == 7 && Board[ply][6][FromFile] == Empty;
}

bool WhitePawnCaptureOk(int ply) {
    if (!ValidPly(ply) || !OnBoard(FromRank, FromFile) || !OnBoard(ToRank, ToFile)) return false;
    if (ToRank - FromRank != 1 || std::abs(ToFile - FromFile) != 1) return false;
    return !IsWhitePiece(Board[ply][ToRank][ToFile]);
}

bool BlackPawnCaptureOk(int ply) {
    if (!ValidPly(ply) || !OnBoard(FromRank, FromFile) || !OnBoard(ToRank, ToFile)) return false;
    if (FromRank - ToRank != 1 || std::abs(ToFile - FromFile) != 1) return false;
    return !IsBlackPiece(Board[ply][ToRank][ToFile]);
}

} // namespace corvane

// Standard algebraic notation, found through the core's own legal moves.
#include "rules/Notation.h"

#include <cstdlib>

#include "rules/RulesInternal.h"

namespace corvane {

using detail::KindOf;

namespace {

constexpr char kKindLetters[] = " RNBQKP";

// The piece a pawn arriving on the last rank becomes: the one the text names,
// a queen when it names none; Empty when the text is not a promotion of this
// move or names a piece of the other colour.
PieceIndex PromotionOf(const MoveText& move, bool promotes) {
    if (!promotes) return move.promotion.empty() ? move.piece : Empty;
    const bool black = IsBlackPiece(move.piece);
    if (move.promotion.empty()) return black ? BlackQueen : WhiteQueen;
    const PieceIndex chosen = PromotedPieceOf(move);
    return chosen != Empty && IsBlackPiece(chosen) == black ? chosen : Empty;
}

// "", the file letter, the rank digit or both: whatever tells the move apart
// from the other legal moves of the same kind of piece onto the same square.
std::string Disambiguation(const MoveText& move, const RulesMoveList& legal, int ply) {
    bool rival = false, sameFile = false, sameRank = false;
    for (int i = 0; i < legal.count; ++i) {
        const RulesMove& m = legal.moves[i];
        if (m.toRank != move.toRank || m.toFile != move.toFile) continue;
        if (m.fromRank == move.fromRank && m.fromFile == move.fromFile) continue;
        if (Board[ply][m.fromRank][m.fromFile] != move.piece) continue;
        rival = true;
        sameFile |= m.fromFile == move.fromFile;
        sameRank |= m.fromRank == move.fromRank;
    }
    const std::string from = SquareName(move.fromRank, move.fromFile);
    if (!rival) return "";
    if (!sameFile) return from.substr(0, 1);
    if (!sameRank) return from.substr(1, 1);
    return from;
}

bool IsLegal(const MoveText& move, const RulesMoveList& legal) {
    for (int i = 0; i < legal.count; ++i) {
        const RulesMove& m = legal.moves[i];
        if (m.fromRank == move.fromRank && m.fromFile == move.fromFile && m.toRank == move.toRank &&
            m.toFile == move.toFile)
            return true;
    }
    return false;
}

} // namespace

std::string detail::SanPlayingInto(const MoveText& move, int ply) {
    if (ply < 0 || ply >= MaxDepth || !OnBoard(move.fromRank, move.fromFile) ||
        !OnBoard(move.toRank, move.toFile))
        return "";
    const PlyBoard& b = Board[ply];
    if (move.piece == Empty || b[move.fromRank][move.fromFile] != move.piece) return "";
    const bool black = IsBlackPiece(move.piece);
    const int kind = KindOf(move.piece);
    const PieceIndex placed = PromotionOf(move, kind == 6 && move.toRank == (black ? 1 : 8));
    if (placed == Empty) return "";
    RulesMoveList legal;
    ListLegalMoves(black ? "B" : "W", ply, legal);
    if (!IsLegal(move, legal)) return "";

    const bool capture = b[move.toRank][move.toFile] != Empty ||
                         (kind == 6 && move.fromFile != move.toFile); // en passant
    const std::string to = SquareName(move.toRank, move.toFile);
    std::string san;
    if (kind == 5 && std::abs(move.toFile - move.fromFile) == 2) {
        san = move.toFile == 7 ? "O-O" : "O-O-O";
    } else if (kind == 6) {
        if (capture) san = SquareName(move.fromRank, move.fromFile).substr(0, 1) + "x";
        san += to;
        if (placed != move.piece) san += std::string("=") + kKindLetters[KindOf(placed)];
    } else {
        san = kKindLetters[kind] + Disambiguation(move, legal, ply) + (capture ? "x" : "") + to;
    }

    if (!PlayMoveIntoNextPly(move, ply)) return "";
    CountPieces(ply + 1);
    const std::string_view other = black ? "W" : "B";
    if (KingInCheck(other, ply + 1)) san += HasLegalMove(other, ply + 1) ? "+" : "#";
    return san;
}

// --- Reading ---------------------------------------------------------------------------

std::string MoveRefusalText(MoveRefusal refusal) {
    switch (refusal) {
    case MoveRefusal::Malformed:
        return "Lance mal escrito";
    case MoveRefusal::NoSuchMove:
        return "Lance impossível nesta posição";
    case MoveRefusal::Ambiguous:
        return "Lance ambíguo";
    case MoveRefusal::None:
        break;
    }
    return "";
}

namespace {

constexpr PieceLetters MakeEnglishLetters() {
    PieceLetters letters{};
    letters['R' - 'A'] = KindBit(1);
    letters['N' - 'A'] = KindBit(2);
    letters['B' - 'A'] = KindBit(3);
    letters['Q' - 'A'] = KindBit(4);
    letters['K' - 'A'] = KindBit(5);
    letters['P' - 'A'] = KindBit(6);
    return letters;
}

// Rook, knight, bishop, queen: what a pawn may become.
constexpr std::uint8_t kPromotable = KindBit(1) | KindBit(2) | KindBit(3) | KindBit(4);

std::uint8_t LetterKinds(char c, const PieceLetters& letters) {
    return c >= 'A' && c <= 'Z' ? letters[c - 'A'] : 0;
}

bool SingleBit(std::uint8_t bits) {
    return bits != 0 && (bits & (bits - 1)) == 0;
}

// The text without its trailing marks and annotations.
std::string_view WithoutMarks(std::string_view text) {
    while (!text.empty() && std::string_view("+#!?").find(text.back()) != std::string_view::npos)
        text.remove_suffix(1);
    return text;
}

} // namespace

const PieceLetters EnglishPieceLetters = MakeEnglishLetters();

bool ParseSan(std::string_view text, const PieceLetters& letters, SanPattern& out) {
    std::string_view t = WithoutMarks(text);
    SanPattern p;
    if (t == "O-O" || t == "0-0" || t == "O-O-O" || t == "0-0-0") {
        p.castling = t.size() == 3 ? Castling::KingSide : Castling::QueenSide;
        p.kinds = KindBit(5);
        out = p;
        return true;
    }
    // Read from the end: promotion, destination, separator, from-rank, from-file, piece.
    if (t.size() >= 3 && LetterKinds(t.back(), letters) != 0) {
        p.promotion = LetterKinds(t.back(), letters) & kPromotable;
        if (!SingleBit(p.promotion)) return false;
        t.remove_suffix(1);
        if (t.back() == '=') t.remove_suffix(1);
    }
    if (t.size() < 2 || !ReadSquareName(t.substr(t.size() - 2), p.toRank, p.toFile)) return false;
    t.remove_suffix(2);
    bool hyphen = false;
    if (!t.empty() && (t.back() == 'x' || t.back() == '-')) {
        p.capture = t.back() == 'x';
        hyphen = !p.capture;
        t.remove_suffix(1);
    }
    if (!t.empty() && t.back() >= '1' && t.back() <= '8') {
        p.fromRank = t.back() - '0';
        t.remove_suffix(1);
    }
    if (!t.empty() && t.back() >= 'a' && t.back() <= 'h') {
        p.fromFile = t.back() - 'a' + 1;
        t.remove_suffix(1);
    }
    p.kinds = KindBit(6);
    if (t.size() == 1) {
        p.kinds = LetterKinds(t[0], letters);
        t.remove_prefix(1);
    }
    const bool pawnOnly = p.kinds == KindBit(6);
    if (!t.empty() || p.kinds == 0 || (hyphen && (p.fromFile == 0 || p.fromRank == 0)) ||
        (p.promotion != 0 && (p.kinds & KindBit(6)) == 0) ||
        (pawnOnly && p.capture && p.fromFile == 0))
        return false;
    out = p;
    return true;
}

namespace {

// Whether a legal move fits the pattern on the position at the ply.
bool Fits(const SanPattern& p, const RulesMove& m, const PlyBoard& b) {
    const PieceIndex piece = b[m.fromRank][m.fromFile];
    const int kind = KindOf(piece);
    const bool castling = kind == 5 && std::abs(m.toFile - m.fromFile) == 2;
    if (p.castling != Castling::None)
        return castling && (m.toFile == 7) == (p.castling == Castling::KingSide);
    if (castling || (p.kinds & KindBit(kind)) == 0) return false;
    if (m.toRank != p.toRank || m.toFile != p.toFile) return false;
    if (p.fromRank != 0 && m.fromRank != p.fromRank) return false;
    // A pawn written without its file moves straight ahead.
    const int fromFile = p.fromFile != 0 || kind != 6 ? p.fromFile : p.toFile;
    if (fromFile != 0 && m.fromFile != fromFile) return false;
    const bool takes = b[m.toRank][m.toFile] != Empty || (kind == 6 && m.fromFile != m.toFile);
    if (p.capture && !takes) return false;
    const bool promotes = kind == 6 && (m.toRank == 1 || m.toRank == 8);
    return p.promotion == 0 || promotes;
}

} // namespace

MoveRefusal ResolveSan(const SanPattern& pattern, std::string_view side, int ply, MoveText& out) {
    if (!detail::ValidPly(ply) || (side != "W" && side != "B")) return MoveRefusal::NoSuchMove;
    RulesMoveList legal;
    ListLegalMoves(side, ply, legal);
    const PlyBoard& b = Board[ply];
    const RulesMove* found = nullptr;
    for (int i = 0; i < legal.count; ++i) {
        if (!Fits(pattern, legal.moves[i], b)) continue;
        if (found != nullptr) return MoveRefusal::Ambiguous;
        found = &legal.moves[i];
    }
    if (found == nullptr) return MoveRefusal::NoSuchMove;
    MoveText move;
    move.piece = b[found->fromRank][found->fromFile];
    move.fromRank = found->fromRank;
    move.fromFile = found->fromFile;
    move.toRank = found->toRank;
    move.toFile = found->toFile;
    move.capture = b[move.toRank][move.toFile] != Empty;
    if (pattern.promotion != 0) {
        int kind = 1;
        while (pattern.promotion != KindBit(kind)) ++kind;
        move.promotion = PieceCodeOf(IsBlackPiece(move.piece) ? kind + 6 : kind);
    }
    out = move;
    return MoveRefusal::None;
}

MoveRefusal ReadSan(std::string_view text, std::string_view side, int ply, MoveText& out) {
    SanPattern pattern;
    if (!ParseSan(text, EnglishPieceLetters, pattern)) return MoveRefusal::Malformed;
    return ResolveSan(pattern, side, ply, out);
}

std::string SanOf(std::string_view moveText, int ply) {
    MoveText move;
    if (!ParseMoveText(moveText, move)) return "";
    const RulesStateKeeper keeper;
    return detail::SanPlayingInto(move, ply);
}

} // namespace corvane

#include "rules/MoveText.h"

namespace corvane {

namespace {

bool In(char c, std::string_view set) {
    return c != '\0' && set.find(c) != std::string_view::npos;
}

char Upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// What may follow "=": a kind letter, or a PieceCode of one of those kinds.
bool ValidPromotion(std::string_view p) {
    if (p.size() == 1) return In(p[0], "RNBQ");
    return p.size() == 2 && In(p[0], "WB") && In(p[1], "RNBQ");
}

// Two squares at text[0..1] and text[3..4] around a "-" or "x".
bool ParseCoordinates(std::string_view text, MoveText& out) {
    if (text.size() != 5 || !In(text[2], "-x")) return false;
    MoveText m;
    if (!ReadSquareName(text.substr(0, 2), m.fromRank, m.fromFile) ||
        !ReadSquareName(text.substr(3, 2), m.toRank, m.toFile))
        return false;
    m.capture = text[2] == 'x';
    out = m;
    return true;
}

} // namespace

std::string SquareName(int rank, int file) {
    if (!OnBoard(rank, file)) return std::string();
    return {static_cast<char>('a' + file - 1), static_cast<char>('0' + rank)};
}

std::string SquareNameOfImage(int index) {
    if (index < 0 || index > 63) return std::string();
    return SquareName(RankOfImage(index), FileOfImage(index));
}

bool ReadSquareName(std::string_view name, int& rank, int& file) {
    if (name.size() != 2 || !In(name[0], "abcdefgh") || !In(name[1], "12345678")) return false;
    file = name[0] - 'a' + 1;
    rank = name[1] - '0';
    return true;
}

bool ParseMoveText(std::string_view text, MoveText& out) {
    if (text.size() < 8 || text[2] != ' ') return false;
    const PieceIndex piece = PieceIndexOf(text.substr(0, 2));
    MoveText m;
    if (piece == Empty || !ParseCoordinates(text.substr(3, 5), m)) return false;
    const std::string_view rest = text.substr(8);
    if (!rest.empty() && (rest[0] != '=' || !ValidPromotion(rest.substr(1)))) return false;
    m.piece = piece;
    if (!rest.empty()) m.promotion = std::string(rest.substr(1));
    out = m;
    return true;
}

bool ParseMoveTextLoosely(std::string_view text, MoveText& out) {
    constexpr std::string_view blanks = " \t\r\n";
    const std::size_t first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos) return false;
    std::string t(text.substr(first, text.find_last_not_of(blanks) - first + 1));
    for (std::size_t i = 0; i < t.size(); ++i) {
        const bool square = i >= 3 && i <= 7;
        t[i] = square ? Lower(t[i]) : Upper(t[i]);
    }
    return ParseMoveText(t, out);
}

std::string FormatMoveText(const MoveText& move) {
    const PieceCode code = PieceCodeOf(move.piece);
    const std::string coordinates = CoordinateText(move);
    if (code.empty() || coordinates.empty()) return std::string();
    std::string text = code + " " + coordinates;
    if (!move.promotion.empty()) text += "=" + move.promotion;
    return text;
}

std::string CoordinateText(const MoveText& move) {
    const std::string from = SquareName(move.fromRank, move.fromFile);
    const std::string to = SquareName(move.toRank, move.toFile);
    if (from.empty() || to.empty()) return std::string();
    return from + (move.capture ? "x" : "-") + to;
}

bool ParseCoordinateText(std::string_view text, MoveText& out) {
    return ParseCoordinates(text, out);
}

PieceIndex PromotedPieceOf(const MoveText& move) {
    if (move.promotion.size() == 2) return PieceIndexOf(move.promotion);
    if (move.promotion.size() != 1 || move.piece == Empty || move.piece > 12) return Empty;
    const std::string code{IsBlackPiece(move.piece) ? 'B' : 'W', move.promotion[0]};
    return PieceIndexOf(code);
}

Castling CastlingOf(std::string_view moveText) {
    if (moveText == "WK e1-g1" || moveText == "BK e8-g8") return Castling::KingSide;
    if (moveText == "WK e1-c1" || moveText == "BK e8-c8") return Castling::QueenSide;
    return Castling::None;
}

std::string LongAlgebraicOf(const MoveText& move) {
    const std::string from = SquareName(move.fromRank, move.fromFile);
    const std::string to = SquareName(move.toRank, move.toFile);
    if (from.empty() || to.empty()) return std::string();
    std::string text = from + to;
    if (!move.promotion.empty()) text += Lower(move.promotion.back());
    return text;
}

bool ParseLongAlgebraic(std::string_view text, MoveText& out) {
    if (text.size() != 4 && text.size() != 5) return false;
    MoveText m;
    if (!ReadSquareName(text.substr(0, 2), m.fromRank, m.fromFile) ||
        !ReadSquareName(text.substr(2, 2), m.toRank, m.toFile))
        return false;
    if (text.size() == 5) {
        if (!In(text[4], "rnbq")) return false;
        m.promotion = std::string(1, Upper(text[4]));
    }
    out = m;
    return true;
}

} // namespace corvane

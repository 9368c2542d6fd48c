// Typed moves: coordinates first, then standard notation in either language.
#include "rules/TypedMove.h"

#include <cctype>
#include <string>

#include "rules/RulesInternal.h"

namespace corvane {

namespace {

constexpr std::uint8_t kRook = KindBit(1), kKnight = KindBit(2), kBishop = KindBit(3),
                       kQueen = KindBit(4), kKing = KindBit(5), kPawn = KindBit(6);

constexpr PieceLetters MakeTypedLetters() {
    PieceLetters letters{};
    letters['K' - 'A'] = kKing;
    letters['Q' - 'A'] = kQueen;
    letters['D' - 'A'] = kQueen;
    letters['R' - 'A'] = kRook | kKing; // rook in English, rei in Portuguese
    letters['T' - 'A'] = kRook;
    letters['B' - 'A'] = kBishop;
    letters['N' - 'A'] = kKnight;
    letters['C' - 'A'] = kKnight;
    letters['P' - 'A'] = kPawn;
    return letters;
}
constexpr PieceLetters kTypedLetters = MakeTypedLetters();

bool IsFileLetter(char c) {
    return c >= 'a' && c <= 'h';
}

// "e2e4", "e2-e4", "e4xd5", "e7e8q", "e7e8=q" in lower case.
bool ParseCoordinates(std::string_view t, SanPattern& p) {
    SanPattern read;
    if (t.size() < 4 || !ReadSquareName(t.substr(0, 2), read.fromRank, read.fromFile)) return false;
    t.remove_prefix(2);
    if (t[0] == '-' || t[0] == 'x') {
        read.capture = t[0] == 'x';
        t.remove_prefix(1);
    }
    if (t.size() < 2 || !ReadSquareName(t.substr(0, 2), read.toRank, read.toFile)) return false;
    t.remove_prefix(2);
    if (!t.empty() && t[0] == '=' && t.size() == 2) t.remove_prefix(1);
    if (t.size() > 1) return false;
    if (t.size() == 1) {
        const char c = static_cast<char>(std::toupper(static_cast<unsigned char>(t[0])));
        if (c < 'A' || c > 'Z') return false;
        read.promotion = kTypedLetters[c - 'A'] & (kRook | kKnight | kBishop | kQueen);
        if (read.promotion == 0) return false;
    }
    read.kinds = kRook | kKnight | kBishop | kQueen | kKing | kPawn;
    p = read;
    return true;
}

// Lower-case piece, castling and promotion letters put in the case standard
// notation writes them; the file letters stay as they are.
std::string InSanCase(std::string t) {
    if (!t.empty() && (t[0] == 'o' || t[0] == 'O')) {
        for (char& c : t) c = c == 'o' ? 'O' : c;
        return t;
    }
    if (!t.empty() && std::string_view("kqrntp").find(t[0]) != std::string_view::npos)
        t[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(t[0])));
    if (t.size() >= 3 && std::islower(static_cast<unsigned char>(t.back())) &&
        (t[t.size() - 2] == '=' || std::isdigit(static_cast<unsigned char>(t[t.size() - 2]))))
        t.back() = static_cast<char>(std::toupper(static_cast<unsigned char>(t.back())));
    return t;
}

} // namespace

MoveRefusal ReadTypedMove(std::string_view text, std::string_view side, int ply, MoveText& out) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    if (text.empty() || text.size() > MaxTypedMoveLength) return MoveRefusal::Malformed;
    for (const char c : text) {
        if (static_cast<unsigned char>(c) <= 0x20 || static_cast<unsigned char>(c) >= 0x7f)
            return MoveRefusal::Malformed;
    }
    // Marks and annotations say nothing of the move.
    std::string t(text);
    while (!t.empty() && std::string_view("+#!?").find(t.back()) != std::string_view::npos)
        t.pop_back();

    std::string lower = t;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    SanPattern pattern;
    if (lower.size() >= 4 && IsFileLetter(lower[0]) &&
        std::isdigit(static_cast<unsigned char>(lower[1])) && ParseCoordinates(lower, pattern)) {
        // A king's move of two files is castling, which the pattern must say.
        if (detail::ValidPly(ply) &&
            detail::KindOf(Board[ply][pattern.fromRank][pattern.fromFile]) == 5 &&
            std::abs(pattern.toFile - pattern.fromFile) == 2)
            pattern.castling = pattern.toFile == 7 ? Castling::KingSide : Castling::QueenSide;
        return ResolveSan(pattern, side, ply, out);
    }
    if (!ParseSan(InSanCase(t), kTypedLetters, pattern)) return MoveRefusal::Malformed;
    return ResolveSan(pattern, side, ply, out);
}

} // namespace corvane

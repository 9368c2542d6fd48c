#include "ReferenceRules.h"

#include <algorithm>
#include <cctype>
#include <sstream>

namespace reftest {

namespace {

const auto Own = [](char c, bool white) { return c != '.' && bool(std::isupper(c)) == white; };
const auto Inside = [](int r, int f) { return r >= 0 && r < 8 && f >= 0 && f < 8; };

constexpr int kKnight[8][2] = {{1, 2},   {2, 1},   {2, -1}, {1, -2},
                               {-1, -2}, {-2, -1}, {-2, 1}, {-1, 2}};
constexpr int kKing[8][2] = {{1, 0}, {1, 1}, {0, 1}, {-1, 1}, {-1, 0}, {-1, -1}, {0, -1}, {1, -1}};
constexpr int kRookDirs[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
constexpr int kBishopDirs[4][2] = {{1, 1}, {1, -1}, {-1, 1}, {-1, -1}};
constexpr int kCorners[4] = {7, 0, 63, 56}; // h1, a1, h8, a8: the rooks of K, Q, k, q

void Pseudo(const Position& p, std::vector<Move>& out) {
    const bool w = p.whiteToMove;
    for (int s = 0; s < 64; ++s) {
        const char c = p.square[s];
        if (!Own(c, w)) continue;
        const int r = s / 8, f = s % 8;
        const char kind = static_cast<char>(std::toupper(c));
        auto add = [&](int tr, int tf) {
            if (Inside(tr, tf) && !Own(p.square[tr * 8 + tf], w)) out.push_back({s, tr * 8 + tf});
        };
        auto slide = [&](const int(&dirs)[4][2]) {
            for (const auto& d : dirs) {
                for (int tr = r + d[0], tf = f + d[1]; Inside(tr, tf); tr += d[0], tf += d[1]) {
                    add(tr, tf);
                    if (p.square[tr * 8 + tf] != '.') break;
                }
            }
        };
        if (kind == 'N') {
            for (const auto& d : kKnight) add(r + d[0], f + d[1]);
        } else if (kind == 'K') {
            for (const auto& d : kKing) add(r + d[0], f + d[1]);
        } else if (kind == 'R' || kind == 'Q' || kind == 'B') {
            if (kind != 'B') slide(kRookDirs);
            if (kind != 'R') slide(kBishopDirs);
        } else if (kind == 'P') {
            const int dir = w ? 1 : -1, startRank = w ? 1 : 6;
            if (Inside(r + dir, f) && p.square[(r + dir) * 8 + f] == '.') {
                out.push_back({s, (r + dir) * 8 + f});
                if (r == startRank && p.square[(r + 2 * dir) * 8 + f] == '.')
                    out.push_back({s, (r + 2 * dir) * 8 + f});
            }
            for (const int df : {-1, 1}) {
                const int tr = r + dir, tf = f + df;
                if (!Inside(tr, tf)) continue;
                const char t = p.square[tr * 8 + tf];
                if ((t != '.' && !Own(t, w)) || tr * 8 + tf == p.epSquare)
                    out.push_back({s, tr * 8 + tf});
            }
        }
    }
    // Castling: rights, empty squares between, and no attacked square on the king's way.
    const int home = w ? 0 : 7;
    const char king = w ? 'K' : 'k', rook = w ? 'R' : 'r';
    if (p.square[home * 8 + 4] != king || IsAttacked(p, home * 8 + 4, !w)) return;
    auto empty = [&](int f) { return p.square[home * 8 + f] == '.'; };
    if (p.castle[w ? 0 : 2] && p.square[home * 8 + 7] == rook && empty(5) && empty(6) &&
        !IsAttacked(p, home * 8 + 5, !w) && !IsAttacked(p, home * 8 + 6, !w))
        out.push_back({home * 8 + 4, home * 8 + 6});
    if (p.castle[w ? 1 : 3] && p.square[home * 8] == rook && empty(1) && empty(2) && empty(3) &&
        !IsAttacked(p, home * 8 + 3, !w) && !IsAttacked(p, home * 8 + 2, !w))
        out.push_back({home * 8 + 4, home * 8 + 2});
}

} // namespace

std::string SquareName(int square) {
    return std::string{static_cast<char>('a' + square % 8), static_cast<char>('1' + square / 8)};
}

bool ParseFen(const std::string& fen, Position& out) {
    std::istringstream in(fen);
    std::string placement, side, castling = "-", ep = "-";
    if (!(in >> placement >> side)) return false;
    in >> castling >> ep;
    Position p;
    p.square.fill('.');
    int r = 7, f = 0;
    for (const char c : placement) {
        if (c == '/') {
            --r;
            f = 0;
        } else if (std::isdigit(static_cast<unsigned char>(c))) {
            f += c - '0';
        } else {
            if (r < 0 || f > 7) return false;
            p.square[r * 8 + f++] = c;
        }
    }
    p.whiteToMove = side == "w";
    for (const char c : castling) {
        const auto i = std::string("KQkq").find(c);
        if (i != std::string::npos) p.castle[i] = true;
    }
    if (ep.size() == 2) p.epSquare = (ep[1] - '1') * 8 + (ep[0] - 'a');
    out = p;
    return true;
}

bool IsAttacked(const Position& p, int square, bool byWhite) {
    const int r = square / 8, f = square % 8;
    auto is = [&](int tr, int tf, char white) {
        return Inside(tr, tf) &&
               p.square[tr * 8 + tf] == (byWhite ? white : static_cast<char>(std::tolower(white)));
    };
    for (const auto& d : kKnight)
        if (is(r + d[0], f + d[1], 'N')) return true;
    for (const auto& d : kKing)
        if (is(r + d[0], f + d[1], 'K')) return true;
    const int pawnRank = byWhite ? r - 1 : r + 1;
    if (is(pawnRank, f - 1, 'P') || is(pawnRank, f + 1, 'P')) return true;
    auto ray = [&](const int(&dirs)[4][2], char a, char b) {
        for (const auto& d : dirs) {
            for (int tr = r + d[0], tf = f + d[1]; Inside(tr, tf); tr += d[0], tf += d[1]) {
                if (p.square[tr * 8 + tf] == '.') continue;
                if (is(tr, tf, a) || is(tr, tf, b)) return true;
                break;
            }
        }
        return false;
    };
    return ray(kRookDirs, 'R', 'Q') || ray(kBishopDirs, 'B', 'Q');
}

bool InCheck(const Position& p, bool white) {
    const char king = white ? 'K' : 'k';
    for (int s = 0; s < 64; ++s)
        if (p.square[s] == king) return IsAttacked(p, s, !white);
    return false;
}

Position Play(const Position& p, const Move& m) {
    Position n = p;
    const char c = p.square[m.from];
    const char kind = static_cast<char>(std::toupper(c));
    const bool w = p.whiteToMove;
    n.square[m.to] = c;
    n.square[m.from] = '.';
    n.epSquare = -1;
    if (kind == 'P') {
        if (m.to == p.epSquare) n.square[m.to + (w ? -8 : 8)] = '.';
        if (std::abs(m.to - m.from) == 16) n.epSquare = (m.to + m.from) / 2;
        const char piece = m.promotion != 0 ? m.promotion : 'Q';
        if (m.to / 8 == 7 || m.to / 8 == 0)
            n.square[m.to] = w ? piece : static_cast<char>(std::tolower(piece));
    }
    if (kind == 'K') {
        if (m.to - m.from == 2) std::swap(n.square[m.from + 1], n.square[m.from + 3]);
        if (m.from - m.to == 2) std::swap(n.square[m.from - 1], n.square[m.from - 4]);
        n.castle[w ? 0 : 2] = n.castle[w ? 1 : 3] = false;
    }
    for (int i = 0; i < 4; ++i) // a move from or onto a corner ends that corner's right
        n.castle[i] = n.castle[i] && m.from != kCorners[i] && m.to != kCorners[i];
    n.whiteToMove = !w;
    return n;
}

std::vector<Move> LegalMoves(const Position& p, bool allPromotions) {
    std::vector<Move> pseudo, legal;
    Pseudo(p, pseudo);
    for (const Move& m : pseudo) {
        if (InCheck(Play(p, m), p.whiteToMove)) continue;
        const bool promotes = std::toupper(p.square[m.from]) == 'P' && (m.to / 8) % 7 == 0;
        if (!allPromotions || !promotes) {
            legal.push_back(m);
            continue;
        }
        for (const char piece : {'Q', 'R', 'B', 'N'}) legal.push_back({m.from, m.to, piece});
    }
    std::sort(legal.begin(), legal.end());
    return legal;
}

std::vector<Position> RandomGame(const Position& start, std::mt19937& random, int maxPlies) {
    std::vector<Position> game{start};
    for (int ply = 0; ply < maxPlies; ++ply) {
        const std::vector<Move> moves = LegalMoves(game.back());
        if (moves.empty()) break;
        std::uniform_int_distribution<std::size_t> pick(0, moves.size() - 1);
        game.push_back(Play(game.back(), moves[pick(random)]));
    }
    return game;
}

bool MatesIn(const Position& p, int n) {
    for (const Move& m : LegalMoves(p)) {
        const Position q = Play(p, m);
        if (n == 1 && !InCheck(q, q.whiteToMove)) continue;
        if (DefenderLost(q, n)) return true;
    }
    return false;
}

bool DefenderLost(const Position& p, int n) {
    const std::vector<Move> replies = LegalMoves(p, true);
    if (replies.empty()) return InCheck(p, p.whiteToMove);
    if (n == 1) return false;
    return std::all_of(replies.begin(), replies.end(),
                       [&](const Move& r) { return MatesIn(Play(p, r), n - 1); });
}

} // namespace reftest

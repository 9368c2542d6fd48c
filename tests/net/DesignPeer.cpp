#include "DesignPeer.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace corvane::nettest {
namespace {

// The board by rank and file, both 1..8; '.' empty, upper case White.
struct Grid {
    char at[10][10];
    explicit Grid(const reftest::Position& p) {
        for (auto& row : at)
            for (char& c : row) c = '.';
        for (int s = 0; s < 64; ++s) at[s / 8 + 1][s % 8 + 1] = p.square[s];
    }
};

bool On(int r, int f) {
    return r >= 1 && r <= 8 && f >= 1 && f <= 8;
}
bool Of(char c, bool white) {
    return c != '.' && bool(std::isupper(c)) == white;
}
char Kind(char c) {
    return char(std::toupper(c));
}

struct Hit {
    char piece = 0;
    int r = 0, f = 0;
};

// The first piece of the side found attacking (r, f), looked for kind by kind:
// knight, rook then queen on lines, bishop then queen on diagonals, pawn, king.
Hit Attacker(const Grid& g, int r, int f, bool byWhite, bool skipKing) {
    const auto at = [&](int rr, int ff, char kind) {
        return On(rr, ff) && Of(g.at[rr][ff], byWhite) && Kind(g.at[rr][ff]) == kind;
    };
    static const int knight[8][2] = {{-2, -1}, {-2, 1}, {2, -1}, {2, 1},
                                     {-1, -2}, {1, -2}, {-1, 2}, {1, 2}};
    for (const auto& d : knight)
        if (at(r + d[0], f + d[1], 'N')) return {g.at[r + d[0]][f + d[1]], r + d[0], f + d[1]};
    static const int lines[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
    static const int diagonals[4][2] = {{1, -1}, {1, 1}, {-1, 1}, {-1, -1}};
    for (const auto& [dirs, kinds] : {std::pair{&lines, "RQ"}, std::pair{&diagonals, "BQ"}}) {
        for (const char* kind = kinds; *kind != 0; ++kind) {
            for (const auto& d : *dirs) {
                int rr = r + d[0], ff = f + d[1];
                while (On(rr, ff) && g.at[rr][ff] == '.') rr += d[0], ff += d[1];
                if (at(rr, ff, *kind)) return {g.at[rr][ff], rr, ff};
            }
        }
    }
    const int behind = byWhite ? -1 : 1;
    if ((byWhite && r >= 3) || (!byWhite && r <= 6))
        for (const int df : {-1, 1})
            if (at(r + behind, f + df, 'P')) return {g.at[r + behind][f + df], r + behind, f + df};
    if (!skipKing)
        for (int dr = -1; dr <= 1; ++dr)
            for (int df = -1; df <= 1; ++df)
                if ((dr || df) && at(r + dr, f + df, 'K'))
                    return {g.at[r + dr][f + df], r + dr, f + df};
    return {};
}

bool FindKing(const Grid& g, bool white, int& r, int& f) {
    for (int i = 0; i < 8; ++i) {
        r = white ? 1 + i : 8 - i;
        for (f = 1; f <= 8; ++f)
            if (g.at[r][f] == (white ? 'K' : 'k')) return true;
    }
    return false;
}

// The design's test of the side that may be mated (the mover).
class Mate {
public:
    Mate(const reftest::Position& p) : g_(p), white_(p.whiteToMove) {}

    bool IsCheckmate() {
        if (!FindKing(g_, white_, kr_, kf_)) return false;
        const char king = g_.at[kr_][kf_];
        g_.at[kr_][kf_] = '.';
        for (int dr = -1; dr <= 1; ++dr)
            for (int df = -1; df <= 1; ++df)
                if ((dr || df) && On(kr_ + dr, kf_ + df) && !Unsafe(kr_ + dr, kf_ + df)) {
                    g_.at[kr_][kf_] = king;
                    return false;
                }
        g_.at[kr_][kf_] = king;
        const std::vector<Hit> checkers = Collect(kr_, kf_, !white_);
        if (checkers.empty()) return false;
        Hit nearest;
        long best = 100;
        for (const Hit& h : checkers) {
            const long d = std::lround(
                std::sqrt(double((h.r - kr_) * (h.r - kr_) + (h.f - kf_) * (h.f - kf_))));
            if (d < best) best = d, nearest = h;
        }
        return Parried(nearest) == false;
    }

private:
    bool Unsafe(int r, int f) const {
        return Of(g_.at[r][f], white_) || Attacker(g_, r, f, !white_, false).piece != 0;
    }
    // Every piece of the side attacking (r, f), each taken off while the next is looked for.
    std::vector<Hit> Collect(int r, int f, bool byWhite) {
        const Grid saved = g_;
        std::vector<Hit> found;
        for (Hit h; (h = Attacker(g_, r, f, byWhite, false)).piece != 0;) {
            found.push_back(h);
            g_.at[h.r][h.f] = '.';
        }
        g_ = saved;
        return found;
    }
    bool Reach(char piece, int fr, int ff, int tr, int tf) {
        const int dr = tr - fr, df = tf - ff, sr = (dr > 0) - (dr < 0), sf = (df > 0) - (df < 0);
        const auto clear = [&] {
            for (int r = tr, f = tf; r != fr || f != ff; r -= sr, f -= sf)
                if (g_.at[r][f] != '.') return false;
            return true;
        };
        const bool straight = (dr == 0 || df == 0) && clear();
        const bool diagonal = std::abs(dr) == std::abs(df) && clear();
        const bool white = std::isupper(piece);
        bool pattern = false;
        switch (Kind(piece)) {
        case 'R':
            pattern = straight;
            break;
        case 'B':
            pattern = diagonal;
            break;
        case 'Q':
            pattern = straight || diagonal;
            break;
        case 'N':
            pattern = std::abs(dr * df) == 2;
            break;
        case 'P': {
            const int step = white ? 1 : -1;
            const bool inRange = white ? tr >= 3 : tr <= 6;
            pattern = df == 0 && inRange &&
                      (dr == step ||
                       (dr == 2 * step && fr == (white ? 2 : 7) && g_.at[fr + step][ff] == '.'));
            break;
        }
        default:
            return false;
        }
        int kr = 0, kf = 0;
        if (!pattern || !FindKing(g_, white, kr, kf)) return false;
        const char target = g_.at[tr][tf];
        g_.at[tr][tf] = piece;
        g_.at[fr][ff] = '.';
        const bool attacked = Attacker(g_, kr, kf, !white, true).piece != 0;
        g_.at[fr][ff] = piece;
        g_.at[tr][tf] = target;
        return !attacked;
    }
    bool Block(int r, int f) {
        for (int rr = 1; rr <= 8; ++rr)
            for (int ff = 1; ff <= 8; ++ff)
                if (Of(g_.at[rr][ff], white_) && Reach(g_.at[rr][ff], rr, ff, r, f)) return true;
        return false;
    }
    bool Parried(const Hit& c) {
        if (Attacker(g_, c.r, c.f, white_, false).piece == 0) {
            const char kind = Kind(c.piece);
            const int dr = c.r - kr_, df = c.f - kf_;
            if (kind == 'N' || kind == 'P' || (std::abs(dr) <= 1 && std::abs(df) <= 1))
                return false;
            const int sr = (dr > 0) - (dr < 0), sf = (df > 0) - (df < 0);
            for (int r = kr_ + sr, f = kf_ + sf; r != c.r || f != c.f; r += sr, f += sf)
                if (Block(r, f)) return true;
            return false;
        }
        std::vector<Hit> capturers = Collect(c.r, c.f, white_);
        if (capturers.size() > 1) {
            std::vector<Hit> kept;
            const char checker = g_.at[c.r][c.f];
            g_.at[c.r][c.f] = '.';
            for (const Hit& h : capturers)
                if (std::string("RBQ").find(Kind(h.piece)) == std::string::npos ||
                    Reach(h.piece, h.r, h.f, c.r, c.f))
                    kept.push_back(h);
            g_.at[c.r][c.f] = checker;
            capturers = kept;
        }
        int failures = 0;
        for (const Hit& h : capturers) {
            const Grid saved = g_;
            g_.at[h.r][h.f] = '.';
            g_.at[c.r][c.f] = h.piece;
            int kr = 0, kf = 0;
            const bool attacked =
                FindKing(g_, white_, kr, kf) && Attacker(g_, kr, kf, !white_, false).piece != 0;
            failures = attacked ? failures + 1 : 0;
            g_ = saved;
        }
        return !(failures >= 1 && failures == int(capturers.size()));
    }

    Grid g_;
    bool white_;
    int kr_ = 0, kf_ = 0;
};

} // namespace

bool DesignCheckmate(const reftest::Position& p) {
    return Mate(p).IsCheckmate();
}

std::string DesignStatus(const reftest::Position& p) {
    const Grid g(p);
    int kr = 0, kf = 0;
    const bool check =
        FindKing(g, p.whiteToMove, kr, kf) && Attacker(g, kr, kf, !p.whiteToMove, false).piece;
    if (check && DesignCheckmate(p)) return "XEQUE-MATE";
    if (!check && reftest::LegalMoves(p).empty()) return "STALEMATE";
    int pieces[2] = {0, 0};
    bool heavy = false;
    for (const char c : p.square) {
        if (c == '.') continue;
        ++pieces[std::isupper(c) ? 0 : 1];
        heavy = heavy || std::string("RQP").find(Kind(c)) != std::string::npos;
    }
    if ((pieces[0] == 1 && pieces[1] == 1) || (pieces[0] < 3 && pieces[1] < 3 && !heavy))
        return "EMPATE";
    return check ? "XEQUE" : "";
}

} // namespace corvane::nettest

// The mate search against a small independent referee: a legal move generator
// of its own (castling, en passant, all four promotions) and a full-width
// minimax over every defender reply. Every mate the search reports is replayed
// and proved by the referee; positions without a mate must stay without one.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/ModCompMove.h"
#include "engine/ModMate.h"
#include "rules/Fen.h"
#include "rules/ModChecker.h"

namespace corvane {
namespace {

constexpr int kRandomPositions = 300;

// --- The referee ----------------------------------------------------------------------

// Squares 0..63 = (rank - 1) * 8 + (file - 1); pieces as FEN letters, '.' empty.
struct RefPos {
    std::array<char, 64> sq{};
    bool whiteToMove = true;
    bool castle[4] = {false, false, false, false}; // K Q k q
    int epSquare = -1;                             // square a pawn may take on
};

struct RefMove {
    int from = 0, to = 0;
    char promotion = 0; // upper-case letter, 0 for none
};

bool IsWhite(char c) {
    return c >= 'A' && c <= 'Z';
}
bool IsOwn(char c, bool white) {
    return c != '.' && IsWhite(c) == white;
}
char Upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c;
}

RefPos ParseFen(const std::string& fen) {
    RefPos p;
    p.sq.fill('.');
    size_t i = 0;
    int rank = 8, file = 1;
    for (; i < fen.size() && fen[i] != ' '; ++i) {
        const char c = fen[i];
        if (c == '/') {
            --rank;
            file = 1;
        } else if (c >= '1' && c <= '8') {
            file += c - '0';
        } else {
            p.sq[(rank - 1) * 8 + file - 1] = c;
            ++file;
        }
    }
    p.whiteToMove = fen.at(i + 1) == 'w';
    i += 3;
    for (; i < fen.size() && fen[i] != ' '; ++i) {
        const char* rights = "KQkq";
        for (int k = 0; k < 4; ++k) {
            if (fen[i] == rights[k]) p.castle[k] = true;
        }
    }
    ++i;
    if (i < fen.size() && fen[i] != '-') p.epSquare = (fen[i + 1] - '1') * 8 + (fen[i] - 'a');
    return p;
}

// Whether a piece of the side attacks square s.
bool Attacked(const RefPos& p, int s, bool byWhite) {
    const int r = s / 8, f = s % 8;
    auto at = [&](int rr, int ff) { return p.sq[rr * 8 + ff]; };
    auto inside = [](int rr, int ff) { return rr >= 0 && rr < 8 && ff >= 0 && ff < 8; };
    auto is = [&](int rr, int ff, char white) {
        return inside(rr, ff) && at(rr, ff) == (byWhite ? white : static_cast<char>(white + 32));
    };
    const int pr = byWhite ? r - 1 : r + 1;
    if (is(pr, f - 1, 'P') || is(pr, f + 1, 'P')) return true;
    static const int kn[8][2] = {{1, 2},  {2, 1},  {-1, 2},  {-2, 1},
                                 {1, -2}, {2, -1}, {-1, -2}, {-2, -1}};
    for (const auto& d : kn) {
        if (is(r + d[0], f + d[1], 'N')) return true;
    }
    for (int dr = -1; dr <= 1; ++dr) {
        for (int df = -1; df <= 1; ++df) {
            if ((dr || df) && is(r + dr, f + df, 'K')) return true;
            if (!(dr || df)) continue;
            const bool diagonal = dr && df;
            for (int rr = r + dr, ff = f + df; inside(rr, ff); rr += dr, ff += df) {
                const char c = at(rr, ff);
                if (c == '.') continue;
                if (IsWhite(c) == byWhite &&
                    (Upper(c) == 'Q' || Upper(c) == (diagonal ? 'B' : 'R')))
                    return true;
                break;
            }
        }
    }
    return false;
}

int KingSquare(const RefPos& p, bool white) {
    for (int s = 0; s < 64; ++s) {
        if (p.sq[s] == (white ? 'K' : 'k')) return s;
    }
    return -1;
}

bool InCheck(const RefPos& p, bool white) {
    const int k = KingSquare(p, white);
    return k >= 0 && Attacked(p, k, !white);
}

RefPos Play(const RefPos& p, const RefMove& m) {
    RefPos q = p;
    const char piece = p.sq[m.from];
    const bool white = IsWhite(piece);
    q.sq[m.to] = piece;
    q.sq[m.from] = '.';
    q.epSquare = -1;
    if (Upper(piece) == 'P') {
        if (m.to == p.epSquare) q.sq[m.to + (white ? -8 : 8)] = '.';
        if (std::abs(m.to - m.from) == 16) q.epSquare = (m.to + m.from) / 2;
        if (m.promotion) q.sq[m.to] = white ? m.promotion : static_cast<char>(m.promotion + 32);
    }
    if (Upper(piece) == 'K' && std::abs(m.to - m.from) == 2) {
        const bool kingSide = m.to > m.from;
        const int rookFrom = kingSide ? m.from + 3 : m.from - 4;
        const int rookTo = kingSide ? m.from + 1 : m.from - 1;
        q.sq[rookTo] = q.sq[rookFrom];
        q.sq[rookFrom] = '.';
    }
    auto touch = [&](int s) {
        if (s == 4) q.castle[0] = q.castle[1] = false;
        if (s == 60) q.castle[2] = q.castle[3] = false;
        if (s == 7) q.castle[0] = false;
        if (s == 0) q.castle[1] = false;
        if (s == 63) q.castle[2] = false;
        if (s == 56) q.castle[3] = false;
    };
    touch(m.from);
    touch(m.to);
    q.whiteToMove = !p.whiteToMove;
    return q;
}

std::vector<RefMove> LegalMoves(const RefPos& p) {
    std::vector<RefMove> out;
    const bool white = p.whiteToMove;
    auto add = [&](int from, int to, char promotion) {
        const RefMove m{from, to, promotion};
        if (!InCheck(Play(p, m), white)) out.push_back(m);
    };
    for (int s = 0; s < 64; ++s) {
        const char c = p.sq[s];
        if (!IsOwn(c, white)) continue;
        const int r = s / 8, f = s % 8;
        auto target = [&](int rr, int ff) {
            return rr >= 0 && rr < 8 && ff >= 0 && ff < 8 && !IsOwn(p.sq[rr * 8 + ff], white);
        };
        const char kind = Upper(c);
        if (kind == 'P') {
            const int dir = white ? 1 : -1, last = white ? 7 : 0, start = white ? 1 : 6;
            auto pawnTo = [&](int to) {
                if (to / 8 == last) {
                    for (char k : {'Q', 'R', 'B', 'N'}) add(s, to, k);
                } else {
                    add(s, to, 0);
                }
            };
            const int one = s + 8 * dir;
            if (p.sq[one] == '.') {
                pawnTo(one);
                if (r == start && p.sq[one + 8 * dir] == '.') add(s, one + 8 * dir, 0);
            }
            for (int df : {-1, 1}) {
                if (f + df < 0 || f + df > 7) continue;
                const int to = one + df;
                const char t = p.sq[to];
                if ((t != '.' && !IsOwn(t, white)) || to == p.epSquare) pawnTo(to);
            }
            continue;
        }
        static const int kn[8][2] = {{1, 2},  {2, 1},  {-1, 2},  {-2, 1},
                                     {1, -2}, {2, -1}, {-1, -2}, {-2, -1}};
        if (kind == 'N') {
            for (const auto& d : kn) {
                if (target(r + d[0], f + d[1])) add(s, (r + d[0]) * 8 + f + d[1], 0);
            }
            continue;
        }
        for (int dr = -1; dr <= 1; ++dr) {
            for (int df = -1; df <= 1; ++df) {
                if (!(dr || df)) continue;
                const bool diagonal = dr && df;
                if (kind == 'R' && diagonal) continue;
                if (kind == 'B' && !diagonal) continue;
                for (int rr = r + dr, ff = f + df; target(rr, ff); rr += dr, ff += df) {
                    add(s, rr * 8 + ff, 0);
                    if (kind == 'K' || p.sq[rr * 8 + ff] != '.') break;
                }
            }
        }
        if (kind == 'K' && s == (white ? 4 : 60) && !InCheck(p, white)) {
            const int base = white ? 0 : 2;
            const char rook = white ? 'R' : 'r';
            if (p.castle[base] && p.sq[s + 3] == rook && p.sq[s + 1] == '.' && p.sq[s + 2] == '.' &&
                !Attacked(p, s + 1, !white))
                add(s, s + 2, 0);
            if (p.castle[base + 1] && p.sq[s - 4] == rook && p.sq[s - 1] == '.' &&
                p.sq[s - 2] == '.' && p.sq[s - 3] == '.' && !Attacked(p, s - 1, !white))
                add(s, s - 2, 0);
        }
    }
    return out;
}

bool DefenderLost(const RefPos& q, int n);

// The side to move mates in at most n moves.
bool MatesIn(const RefPos& p, int n) {
    for (const RefMove& m : LegalMoves(p)) {
        const RefPos q = Play(p, m);
        if (n == 1 && !InCheck(q, q.whiteToMove)) continue;
        if (DefenderLost(q, n)) return true;
    }
    return false;
}

// After the attacker's move (its n-th from the end), every defence loses.
bool DefenderLost(const RefPos& q, int n) {
    const std::vector<RefMove> replies = LegalMoves(q);
    if (replies.empty()) return InCheck(q, q.whiteToMove);
    if (n == 1) return false;
    for (const RefMove& r : replies) {
        if (!MatesIn(Play(q, r), n - 1)) return false;
    }
    return true;
}

// --- Driving the search -----------------------------------------------------------------

struct MateResult {
    bool played = false;
    std::int32_t moves = 0;
    std::string status, move;
    PlyBoard after{};
};

MateResult RunMateSearch(const std::string& fen, int level, int depth) {
    FenPosition pos;
    EXPECT_TRUE(LoadFen(fen, 0, pos)) << fen;
    Level = static_cast<std::int16_t>(level);
    DirectionSwitch = level == 3 ? 0 : 1;
    StopSearch = false;
    DrawBoard(ComputerView(), 0);
    Board[1] = Board[0];
    CopyPlyFlags(0, 1);
    CountPieces(1);
    CurrentMove.clear();
    MateResult r;
    r.played = MateSearch(pos.sideToMove, depth, r.moves);
    r.status = GameStatus;
    r.move = CurrentMove;
    r.after = Board[1];
    return r;
}

// The referee's position after the key move, found by comparing the boards.
bool KeyMoveOf(const RefPos& p, const PlyBoard& after, RefPos& result) {
    for (const RefMove& m : LegalMoves(p)) {
        if (m.promotion != 0 && m.promotion != 'Q') continue;
        const RefPos q = Play(p, m);
        bool same = true;
        for (int s = 0; s < 64 && same; ++s) {
            const PieceCode code = PieceCodeOf(after.squares[s]);
            char c = '.';
            if (!code.empty()) {
                c = code[1];
                if (code[0] == 'B') c = static_cast<char>(c + 32);
            }
            same = c == q.sq[s];
        }
        if (same) {
            result = q;
            return true;
        }
    }
    return false;
}

struct MateCase {
    const char* name;
    const char* fen;
    int depth;
    int expectedMoves;        // 0: no mate within the depth
    const char* expectedMove; // "" when any proved key move will do
};

class MateSuite : public ::testing::TestWithParam<MateCase> {};

TEST_P(MateSuite, EveryReportedMateIsForcedAndShortest) {
    const MateCase& c = GetParam();
    const RefPos start = ParseFen(c.fen);
    for (int level : {2, 3}) {
        SCOPED_TRACE(std::string(c.name) + " level " + std::to_string(level));
        const MateResult r = RunMateSearch(c.fen, level, c.depth);
        if (c.expectedMoves == 0) {
            EXPECT_FALSE(r.played) << r.status;
            EXPECT_EQ(r.status, "");
            EXPECT_EQ(r.moves, (c.depth + 1) / 2);
            continue;
        }
        ASSERT_TRUE(r.played) << r.status;
        EXPECT_EQ(r.moves, c.expectedMoves);
        if (*c.expectedMove) {
            EXPECT_EQ(r.move, c.expectedMove);
        }
        RefPos afterKey;
        ASSERT_TRUE(KeyMoveOf(start, r.after, afterKey)) << "key move is not legal: " << r.move;
        EXPECT_TRUE(DefenderLost(afterKey, r.moves)) << "the defender escapes " << r.move;
        if (r.moves > 1) {
            EXPECT_FALSE(MatesIn(start, r.moves - 1)) << "a shorter mate exists";
            const bool check = InCheck(afterKey, afterKey.whiteToMove);
            EXPECT_EQ(r.status.ends_with("CHECK"), check) << r.status;
        }
    }
}

const MateCase kMateCases[] = {
    {"BackRankWhite", "6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1", 5, 1, "WR a1-a8"},
    {"BackRankBlack", "r5k1/8/8/8/8/8/5PPP/6K1 b - - 0 1", 5, 1, "BR a8-a1"},
    {"PromotionMate", "7k/P7/6K1/8/8/8/8/8 w - - 0 1", 5, 1, "WP a7-a8=WQ"},
    {"EnPassantDiscoveredMate", "3rkr2/5p2/1N6/3pP3/8/8/8/4R2K w - d6 0 1", 5, 1, "WP e5-d6"},
    {"MorphyMateInTwo", "kbK5/pp6/1P6/8/8/8/8/R7 w - - 0 1", 5, 2, "WR a1-a6"},
    {"CastlingMate", "1n6/8/8/8/1p5p/4P1Q1/4RP2/2k1K2R w K - 0 1", 5, 1, "WK e1-g1"},
    // e2-e4 gives check, but d4xe3 en passant parries it: the mate is elsewhere.
    {"EnPassantParriesCheck", "8/6Q1/8/3K1k2/3p2R1/8/4P3/8 w - - 0 1", 1, 1, "WQ g7-g6"},
    // With queen promotions only the defender would be mated in two; d1=N+ escapes.
    {"KnightPromotionEscapes", "6k1/8/3R4/8/p3P3/8/3p1K2/Q7 w - - 0 1", 5, 0, ""},
    {"UnderPromotionThenMateInThree", "B7/p7/5p2/8/7k/K3Q3/1p1R4/8 w - - 0 1", 5, 3, ""},
    {"RookMateInTwo", "7k/8/5K2/8/8/8/8/6R1 w - - 0 1", 5, 2, "WK f6-f7"},
    {"RookMateInThree", "1k6/8/8/K7/3R4/8/8/8 w - - 0 1", 5, 3, "WK a5-b6"},
    {"PawnAndQueenMateInThree", "8/8/4K2k/5P2/8/1Q6/8/8 w - - 0 1", 5, 3, ""},
    {"RookPawnStalemateTrap", "7k/7P/6K1/8/8/8/8/8 w - - 0 1", 9, 0, ""},
    {"BareRookNoMateInThree", "8/8/8/4k3/8/8/8/R3K3 w - - 0 1", 5, 0, ""},
};

INSTANTIATE_TEST_SUITE_P(Positions, MateSuite, ::testing::ValuesIn(kMateCases),
                         [](const auto& info) { return std::string(info.param.name); });

// The referee itself must generate exactly the legal moves (perft counts are
// public facts for these positions).
long RefPerft(const RefPos& p, int depth) {
    if (depth == 0) return 1;
    long n = 0;
    for (const RefMove& m : LegalMoves(p)) n += RefPerft(Play(p, m), depth - 1);
    return n;
}

TEST(MateReferee, GeneratesExactlyTheLegalMoves) {
    struct Row {
        const char* fen;
        int depth;
        long nodes;
    } rows[] = {
        {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", 3, 8902},
        {"r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1", 2, 2039},
        {"8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1", 3, 2812},
        {"r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1", 2, 264},
    };
    for (const Row& r : rows) EXPECT_EQ(RefPerft(ParseFen(r.fen), r.depth), r.nodes) << r.fen;
}

// Random sparse positions: every mate reported must be forced, and no mate in
// one or two may be missed (the search is exact to that depth).
std::string RandomFen(unsigned& seed) {
    auto next = [&seed](int n) {
        seed = seed * 1103515245u + 12345u;
        return static_cast<int>((seed >> 16) % static_cast<unsigned>(n));
    };
    for (;;) {
        RefPos p;
        p.sq.fill('.');
        p.sq[next(64)] = 'K';
        int s = next(64);
        if (p.sq[s] != '.') continue;
        p.sq[s] = 'k';
        const char* kinds = "QRRBNPPPP";
        for (int side = 0; side < 2; ++side) {
            const int extra = 1 + next(side == 0 ? 4 : 3);
            for (int i = 0; i < extra; ++i) {
                char c = kinds[next(9)];
                s = next(64);
                if (p.sq[s] != '.' || (c == 'P' && (s < 8 || s >= 56))) continue;
                p.sq[s] = side == 0 ? c : static_cast<char>(c + 32);
            }
        }
        p.whiteToMove = next(2) == 0;
        if (InCheck(p, !p.whiteToMove)) continue;
        std::string fen;
        for (int rank = 8; rank >= 1; --rank) {
            int gap = 0;
            for (int file = 1; file <= 8; ++file) {
                const char c = p.sq[(rank - 1) * 8 + file - 1];
                if (c == '.') {
                    ++gap;
                    continue;
                }
                if (gap) fen += static_cast<char>('0' + gap);
                gap = 0;
                fen += c;
            }
            if (gap) fen += static_cast<char>('0' + gap);
            if (rank > 1) fen += '/';
        }
        return fen + (p.whiteToMove ? " w - - 0 1" : " b - - 0 1");
    }
}

TEST(MateSearchRandom, ReportedMatesAreForcedAndShortMatesAreFound) {
    unsigned seed = 20261206u;
    int mates = 0, positions = 0;
    for (int i = 0; i < kRandomPositions; ++i) {
        const std::string fen = RandomFen(seed);
        const RefPos start = ParseFen(fen);
        if (LegalMoves(start).empty()) continue;
        ++positions;
        const int level = 1 + i % 3;
        SCOPED_TRACE(fen + " level " + std::to_string(level));
        const MateResult r = RunMateSearch(fen, level, 5);
        if (r.played) {
            ++mates;
            RefPos afterKey;
            ASSERT_TRUE(KeyMoveOf(start, r.after, afterKey)) << r.move;
            EXPECT_TRUE(DefenderLost(afterKey, r.moves)) << "the defender escapes " << r.status;
            if (r.moves > 1) {
                EXPECT_FALSE(MatesIn(start, r.moves - 1)) << r.status;
            }
        } else {
            EXPECT_FALSE(MatesIn(start, 2)) << "missed a short mate";
        }
    }
    std::printf("%d positions, %d mates\n", positions, mates);
    EXPECT_GT(mates, positions / 40);
}

} // namespace
} // namespace corvane

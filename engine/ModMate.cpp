// The mate search: iterative deepening by whole moves over a depth-first AND/OR
// driver without recursion. Each ply keeps its own move iterator (square scan,
// piece in progress, direction, step) and its counters of legal moves and mates.
#include "engine/ModMate.h"

#include <array>
#include <cstdlib>
#include <string>

#include "engine/ModCompMove.h"
#include "rules/CoreHooks.h"
#include "rules/GameState.h"
#include "rules/MoveText.h"

namespace corvane {

bool FullyMated = false;

namespace {

// --- Own state ------------------------------------------------------------------------

// The move iterator and counters of one ply.
struct MatePlyState {
    std::int32_t scanRank = 0, scanFile = 0; // square of the scan (and of the piece in progress)
    std::int32_t inProgress = 0;             // 1 while the piece still has destinations
    PieceMoveIterator moves;                 // the piece's directions and steps
    // A defender's promotion is tried as a queen, then as a knight, a rook and a
    // bishop (1..3 here), on the destination kept in promotionRank/File.
    std::int32_t promotion = 0;
    std::int32_t promotionRank = 0, promotionFile = 0;
    std::int32_t toRank = 0, toFile = 0; // destination of the move last made
    std::int32_t legalMoves = 0;
    std::int32_t mates = 0;
};

// The piece counters of one ply's position.
struct PlyCounters {
    std::array<std::int32_t, 13> count{};
    std::int32_t white = 0, black = 0, total = 0;
};

// The key move as made on ply 1.
struct KeyMove {
    std::int32_t fromRank = 0, fromFile = 0, toRank = 0, toFile = 0;
    PieceCode code;
    std::string promotion;
};

class MateState {
public:
    std::array<MatePlyState, MaxDepth + 1> plies{};
    // counters[p] describes Board[p]; the attack tests read them through PieceCount.
    std::array<PlyCounters, MaxDepth + 1> counters{};
    Side attacker = "W", defender = "B";
    std::int32_t triedKeyMoves = 0;
    std::int32_t rootMoves = 0;
    std::int32_t orderSwitch = 1;
    KeyMove key;
    long passes = 0;
    bool stopped = false;
};

MateState& State() {
    static MateState state;
    return state;
}

PlyCounters CurrentCounters() {
    PlyCounters c;
    c.count = PieceCount;
    c.white = WhitePieceTotal;
    c.black = BlackPieceTotal;
    c.total = PieceTotal;
    return c;
}

void UseCounters(const PlyCounters& c) {
    PieceCount = c.count;
    WhitePieceTotal = c.white;
    BlackPieceTotal = c.black;
    PieceTotal = c.total;
}

PlyCounters CountersOf(int ply) {
    const PlyCounters saved = CurrentCounters();
    CountPieces(ply);
    const PlyCounters result = CurrentCounters();
    UseCounters(saved);
    return result;
}

void RemoveFromCounters(PlyCounters& c, int piece) {
    --c.count[CountSlot(piece)];
    if (IsWhitePiece(piece)) {
        --c.white;
    } else {
        --c.black;
    }
    --c.total;
}

// Whether the side's king is attacked by the other side at the ply.
bool KingAttacked(std::string_view side, int ply) {
    return TestForCheck(side == "W" ? "B" : "W", ply);
}

void SetScanStart(MatePlyState& s, int orderSwitch) {
    if (orderSwitch != 0) {
        s.scanRank = 8;
        s.scanFile = 9;
    } else {
        s.scanRank = 1;
        s.scanFile = 0;
    }
}

// Advances the scan by one square; False when it has run out.
bool AdvanceScan(MatePlyState& s, int orderSwitch) {
    if (orderSwitch != 0) {
        if (--s.scanFile < 1) {
            s.scanFile = 8;
            --s.scanRank;
        }
        return s.scanRank >= 1;
    }
    if (++s.scanFile > 8) {
        s.scanFile = 1;
        ++s.scanRank;
    }
    return s.scanRank <= 8;
}

void ResetPly(MatePlyState& s, int orderSwitch) {
    SetScanStart(s, orderSwitch);
    s.inProgress = 0;
    s.moves = PieceMoveIterator{};
    s.promotion = 0;
    s.legalMoves = 0;
    s.mates = 0;
}

// Puts Board[ply] and its flags back to the position before the move.
void RestorePly(int ply) {
    Board[ply] = Board[ply - 1];
    CopyPlyFlags(ply - 1, ply);
}

// Promotion kinds (White): queen, then the under-promotions knight, rook, bishop.
constexpr int kPromotionKind[4] = {WhiteQueen, WhiteKnight, WhiteRook, WhiteBishop};

// Makes on Board[ply] the move FromRank/FromFile -> ToRank/ToFile that MoveBarred
// has just accepted there, completes castling, en passant and promotion, and
// brings the ply's counters up to date. Returns True when the move is one of the
// three special moves (its check must be tested afresh).
bool CompleteMove(int ply, int piece, int promotion, PlyCounters& counters) {
    PlyBoard& b = Board[ply];
    const bool white = IsWhitePiece(piece);
    const int captured = b[ToRank][ToFile];
    bool special = false;
    if (captured != Empty) RemoveFromCounters(counters, captured);
    b[ToRank][ToFile] = static_cast<PieceIndex>(piece);
    b[FromRank][FromFile] = Empty;

    if (piece == WhitePawn || piece == BlackPawn) {
        auto& pawnFlags = white ? WhitePawnFlags[ply] : BlackPawnFlags[ply];
        if (captured == Empty && ToFile != FromFile) {
            // En passant: the passed pawn stands beside the from-square.
            const int passed = b[FromRank][ToFile];
            if (passed != Empty) RemoveFromCounters(counters, passed);
            b[FromRank][ToFile] = Empty;
            pawnFlags[0] = 0;
            special = true;
        }
        if (ToRank == (white ? 8 : 1)) {
            const int kind = kPromotionKind[promotion] + (white ? 0 : 6);
            b[ToRank][ToFile] = static_cast<PieceIndex>(kind);
            --counters.count[CountSlot(piece)];
            ++counters.count[CountSlot(kind)];
            pawnFlags[2] = 0;
            special = true;
        }
    } else if ((piece == WhiteKing || piece == BlackKing) && FromFile == 5 &&
               (ToFile == 7 || ToFile == 3) && FromRank == ToRank) {
        // Castling: the rook goes to the other side of the king.
        const int rookFrom = ToFile == 7 ? 8 : 1;
        const int rookTo = ToFile == 7 ? 6 : 4;
        b[ToRank][rookTo] = b[ToRank][rookFrom];
        b[ToRank][rookFrom] = Empty;
        auto& castle = white ? WhiteCastleFlags[ply] : BlackCastleFlags[ply];
        castle[0] = ToFile == 7 ? 2 : 3;
        CastleMade[ply] = PlyFlags{};
        special = true;
    }
    return special;
}

// False only when the move of piece from (fr, ff) to (tr, tf) cannot attack the
// king on (kr, kf): the piece does not bear on the king from its new square, the
// from-square is on no line through the king (no discovered check), and the move
// is not a promotion, an en-passant capture or a castling.
bool MayGiveCheck(int piece, int fr, int ff, int tr, int tf, int target, int kr, int kf) {
    const int kind = piece > 6 ? piece - 6 : piece;
    if (kind == WhitePawn && (tr == 1 || tr == 8 || (ff != tf && target == Empty))) return true;
    if (kind == WhiteKing && std::abs(tf - ff) == 2) return true;
    const int fromDr = kr - fr, fromDf = kf - ff;
    if (fromDr == 0 || fromDf == 0 || std::abs(fromDr) == std::abs(fromDf)) return true;
    const int dr = kr - tr, df = kf - tf;
    const bool straight = dr == 0 || df == 0;
    const bool diagonal = std::abs(dr) == std::abs(df);
    switch (kind) {
    case WhiteRook:
        return straight;
    case WhiteBishop:
        return diagonal;
    case WhiteQueen:
        return straight || diagonal;
    case WhiteKnight:
        return (std::abs(dr) == 1 && std::abs(df) == 2) || (std::abs(dr) == 2 && std::abs(df) == 1);
    case WhitePawn:
        return std::abs(df) == 1 && dr == (piece == WhitePawn ? 1 : -1);
    default:
        return false;
    }
}

} // namespace

void ResetMatePlies(int fromPly, int d) {
    MateState& st = State();
    for (int p = fromPly < 0 ? 0 : fromPly; p <= d && p <= MaxDepth; ++p) {
        ResetPly(st.plies[p], st.orderSwitch);
    }
}

void NextMateMove(std::string_view mover, std::string_view other, int ply, bool& mate,
                  bool& exhausted, bool& found, int d) {
    MateState& st = State();
    MatePlyState& s = st.plies[ply];
    mate = exhausted = found = false;
    UseCounters(st.counters[ply - 1]);

    if (s.inProgress == 0) {
        // Squares without a piece of the mover would each end the call with
        // nothing found and be asked for again at once: pass over them here.
        const bool whiteMover = mover == "W";
        PieceIndex piece = Empty;
        do {
            if (!AdvanceScan(s, st.orderSwitch)) {
                exhausted = true;
                return;
            }
            piece = Board[ply - 1][s.scanRank][s.scanFile];
        } while (!(whiteMover ? IsWhitePiece(piece) : IsBlackPiece(piece)));
        s.inProgress = 1;
        s.moves.Start(piece, s.scanRank, s.scanFile, st.orderSwitch);
        s.promotion = 0;
    }

    const bool white = mover == "W";
    const bool attacker = mover == st.attacker;
    const int piece = s.moves.piece;
    // Board[ply] and its flags are brought back to the position before the move
    // only when a candidate needs them.
    bool dirty = true;
    // At the attacker's last ply only checks count: a candidate that cannot give
    // check is passed over without the legality test (its outcome would be
    // skipped anyway), so that the leaves of the search stay cheap.
    const bool checksOnly = attacker && ply == d;
    std::int32_t kingRank = 0, kingFile = 0;
    if (checksOnly && !FindKing(other, kingRank, kingFile, ply - 1)) {
        s.inProgress = 0;
        return;
    }
    int toRank = 0, toFile = 0;
    for (;;) {
        if (s.promotion > 0) {
            toRank = s.promotionRank;
            toFile = s.promotionFile;
        } else if (!s.moves.Next(toRank, toFile)) {
            break;
        }
        if (!OnBoard(toRank, toFile)) {
            s.moves.EndDirection();
            continue;
        }
        const int target = Board[ply - 1][toRank][toFile];
        if (target != Empty && (white ? IsWhitePiece(target) : IsBlackPiece(target))) {
            s.moves.EndDirection();
            continue;
        }
        if (checksOnly && !MayGiveCheck(piece, s.scanRank, s.scanFile, toRank, toFile, target,
                                        kingRank, kingFile)) {
            // An empty square lets a slider go on; a capture ends its direction.
            if (target != Empty) s.moves.EndDirection();
            continue;
        }
        if (dirty) {
            RestorePly(ply);
            dirty = false;
        }
        FromRank = s.scanRank;
        FromFile = s.scanFile;
        ToRank = toRank;
        ToFile = toFile;
        PieceIndex moving = static_cast<PieceIndex>(piece);
        ++MoveBarredCalls;
        const bool refused = MoveBarred(moving, ply);
        dirty = true;
        if (refused || (white ? WhiteInCheck : BlackInCheck)) {
            // A refusal ends a slider's direction; a move into check does not.
            if (refused) s.moves.EndDirection();
            s.promotion = 0;
            continue;
        }
        bool givesCheck = white ? BlackInCheck : WhiteInCheck;

        const bool promotes =
            (piece == WhitePawn && toRank == 8) || (piece == BlackPawn && toRank == 1);
        const int promotion = s.promotion;
        if (promotes && !attacker && promotion < 3) {
            s.promotion = promotion + 1;
            s.promotionRank = toRank;
            s.promotionFile = toFile;
        } else {
            s.promotion = 0;
        }

        PlyCounters& counters = st.counters[ply];
        counters = st.counters[ply - 1];
        const bool special = CompleteMove(ply, piece, promotion, counters);
        UseCounters(counters);
        // The three special moves change the board beyond what the legality test
        // examined: their check is tested on the finished position.
        if (special) givesCheck = KingAttacked(other, ply);
        ++s.legalMoves;
        s.toRank = toRank;
        s.toFile = toFile;

        if (attacker && givesCheck) {
            if (IsCheckmate(other, ply)) {
                ++s.mates;
                mate = true;
            }
            found = true;
            return;
        }
        if (ply < d || !attacker) {
            found = true;
            return;
        }
        // The attacker's last ply: only checking moves count.
        UseCounters(st.counters[ply - 1]);
    }
    s.inProgress = 0;
}

namespace {

// The side to move at a ply of the try: the attacker at odd plies.
std::string_view MoverAt(const MateState& st, int ply) {
    return ply % 2 == 1 ? std::string_view(st.attacker) : std::string_view(st.defender);
}

void RecordKeyMove(MateState& st) {
    const MatePlyState& s = st.plies[1];
    st.key.fromRank = s.scanRank;
    st.key.fromFile = s.scanFile;
    st.key.toRank = s.toRank;
    st.key.toFile = s.toFile;
    st.key.code = PieceCodeOf(Board[0][s.scanRank][s.scanFile]);
    st.key.promotion.clear();
    if ((st.key.code == "WP" && s.toRank == 8) || (st.key.code == "BP" && s.toRank == 1)) {
        st.key.promotion = st.key.code == "WP" ? "WQ" : "BQ";
    }
}

// The depth-first driver over plies 1..d. p is the ply of the last pass; a
// pass works on p + 1. "Back to ply q" sets p = q - 1.
bool RunMateDriver(MateState& st, int d) {
    int p = 0;
    bool mate = false, exhausted = false, found = false;
    for (;;) {
        if (st.passes++ % MateClockInterval == 0) {
            LetEventsRunWhenDue();
            if (StopSearch) {
                st.stopped = true;
                return false;
            }
        }
        ++p;
        NextMateMove(MoverAt(st, p), MoverAt(st, p + 1), p, mate, exhausted, found, d);
        // Nothing found: the next pass tries the same ply again.
        const auto descendOrStay = [&] {
            if (!found) --p;
        };
        const auto backTo = [&](int q, int resetFrom) {
            ResetMatePlies(resetFrom, d);
            p = q - 1;
        };

        if (p == 1) {
            if (exhausted) {
                GameStatus = "NO MATE";
                return false;
            }
            if (found) RecordKeyMove(st);
            if (d == 1) {
                if (mate) return true;
                if (found) ++st.triedKeyMoves;
                p = 0;
            } else if (found) {
                ++st.triedKeyMoves;
                Hooks().SetProgressLabel(0, std::to_string(st.triedKeyMoves));
            } else {
                p = 0;
            }
        } else if (p == 2) {
            if (!exhausted) {
                descendOrStay();
                continue;
            }
            const bool wins =
                d == 3 ? st.plies[3].mates >= 1 && st.plies[3].mates == st.plies[2].legalMoves
                       : st.plies[2].legalMoves >= 1 && FullyMated;
            if (wins) return true;
            backTo(1, 2);
        } else if (p == d) {
            if (mate) {
                // Next defender reply; the mates found at this ply keep counting.
                MatePlyState& s = st.plies[d];
                const std::int32_t mates = s.mates;
                ResetPly(s, st.orderSwitch);
                s.mates = mates;
                p = d - 2;
            } else if (exhausted) {
                backTo(d - 2, d - 1);
            } else {
                --p;
            }
        } else if (p == d - 1) {
            if (!exhausted) {
                descendOrStay();
            } else if (st.plies[d].mates >= 1 && st.plies[d].mates == st.plies[d - 1].legalMoves) {
                FullyMated = true;
                backTo(d - 3, d - 2);
            } else {
                backTo(d - 2, d - 1);
            }
        } else if (p % 2 == 1) {
            if (mate) {
                backTo(p - 1, p);
            } else if (exhausted) {
                backTo(p - 2, p - 1);
            } else {
                descendOrStay();
            }
        } else {
            if (!exhausted) {
                descendOrStay();
            } else if (st.plies[p].legalMoves >= 1 && FullyMated) {
                backTo(p - 2, p - 1);
            } else {
                backTo(p - 1, p);
            }
        }
    }
}

} // namespace

bool MateTry(std::string_view side, int basePly, int d) {
    MateState& st = State();
    const int first = basePly + 1;
    TakeGamePosition(basePly);
    TakeGamePosition(first);
    st.counters[basePly] = CountersOf(basePly);
    UseCounters(st.counters[basePly]);

    st.rootMoves = GenerateMoves(side, first, 1, 0);
    if (st.rootMoves == 0) return false;

    st.attacker = Side(side);
    st.defender.assign(1, side == "W" ? 'B' : 'W');
    GameStatus.clear();
    WhiteInCheck = BlackInCheck = false;
    st.key.promotion.clear();
    FullyMated = false;
    st.triedKeyMoves = 0;
    ResetMatePlies(1, MaxDepth);

    Hooks().SetProgressLabel(0, "0");
    Hooks().SetProgressLabel(1, std::to_string(st.rootMoves));
    Hooks().SetProgressLabel(2, std::to_string((d + 1) / 2));

    const bool mated = RunMateDriver(st, d);
    WhiteInCheck = BlackInCheck = false;
    if (mated) {
        UseCounters(st.counters[first]);
        if (KingAttacked(st.defender, first)) {
            (st.defender == "W" ? WhiteInCheck : BlackInCheck) = true;
        }
    }
    return mated;
}

bool MateSearch(std::string_view side, int depth, std::int32_t& movesToMate) {
    MateState& st = State();
    const PlyCounters callerCounters = CurrentCounters();
    st.orderSwitch = DirectionSwitch;
    st.stopped = false;
    st.passes = 0;
    st.rootMoves = -1;
    for (auto& s : st.plies) s = MatePlyState{};
    if (depth > MaxDepth - 1) depth = MaxDepth - 1;

    int d = 1;
    bool mated = false;
    for (; d <= depth; d += 2) {
        if (MateTry(side, 0, d)) {
            mated = true;
            break;
        }
        if (st.rootMoves == 0 || st.stopped) break;
    }
    if (st.rootMoves == 0) {
        UseCounters(callerCounters);
        GameStatus = "STALEMATE";
        return false;
    }
    if (!mated) {
        UseCounters(callerCounters);
        movesToMate = (depth + 1) / 2;
        GameStatus.clear();
        return false;
    }

    movesToMate = (d + 1) / 2;
    const KeyMove& k = st.key;
    CurrentMove = FormatMoveText({PieceIndexOf(k.code), k.fromRank, k.fromFile, k.toRank, k.toFile,
                                  Board[0][k.toRank][k.toFile] != Empty, k.promotion});
    if (d == 1) {
        GameStatus = CurrentMove + "   XEQUE-MATE";
    } else {
        GameStatus = std::to_string(movesToMate) + " Key move = " + CurrentMove;
        if (WhiteInCheck || BlackInCheck) GameStatus += "CHECK";
    }
    UseCounters(st.counters[1]);
    return true;
}

} // namespace corvane

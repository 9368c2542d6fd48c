#pragma once
// Standard algebraic notation: the game's own move texts written out ("Nf3",
// "exd6", "O-O-O+", "bxa8=N#") and such texts read back into move texts.
//
// Everything here works through the rules core's own legality and check tests
// and may run while a game is in progress (even while the computer thinks):
// the whole shared state of the core is kept and put back.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "rules/ModChecker.h"
#include "rules/MoveText.h"
#include "rules/RulesState.h"

namespace corvane {

// The SAN of a move text ("WP e2-e4", "BK e8-c8", "WP e7-e8=WN", "BP b2-b1=Q")
// on the position at a ply (below MaxDepth: the next ply is used to test the
// check), the mover's colour being the side to move. A pawn reaching the last
// rank without a piece named becomes a queen. "" when the text is not a legal
// move there. The rules state is left as it was.
std::string SanOf(std::string_view moveText, int ply);

// --- Reading standard notation ---------------------------------------------------------

// Why a text was not taken as a move.
enum class MoveRefusal { None, Malformed, NoSuchMove, Ambiguous };
// A short Portuguese reason for the player: "Lance mal escrito", "Lance impossível
// nesta posição", "Lance ambíguo"; "" for None.
std::string MoveRefusalText(MoveRefusal refusal);

// The piece kinds each upper-case letter A..Z may name, as bits 1 << kind (1 rook,
// 2 knight, 3 bishop, 4 queen, 5 king, 6 pawn); 0 for a letter that names none.
using PieceLetters = std::array<std::uint8_t, 26>;
constexpr std::uint8_t KindBit(int kind) {
    return static_cast<std::uint8_t>(1u << kind);
}
// K Q R B N, and P for a pawn.
extern const PieceLetters EnglishPieceLetters;

// What a text in standard notation says of its move before any position is
// looked at.
struct SanPattern {
    Castling castling = Castling::None;
    std::uint8_t kinds = 0;         // the kinds the mover may be (KindBit)
    int fromFile = 0, fromRank = 0; // 0 where the text does not say
    int toRank = 0, toFile = 0;
    bool capture = false;       // "x" written: the move must take something
    std::uint8_t promotion = 0; // the one kind (KindBit) a promotion names; 0 none written
};

// Parses "e4", "exd5", "Nbd7", "R1e2", "Qh4xe1", "Ng1-f3" (a hyphen only after a
// whole from-square), "e8=Q" or "e8Q", "O-O", "O-O-O", "0-0", "0-0-0"; any trailing
// "+", "#", "!" and "?" are dropped unread. Piece letters are upper case and
// looked up in the table. False for anything else.
bool ParseSan(std::string_view text, const PieceLetters& letters, SanPattern& out);

// The one legal move of side ("W"/"B") at the ply that fits the pattern. A pawn
// written without a from-file moves straight ahead; a capture may be written
// without "x", but an "x" on a move that takes nothing fits no move; a king's
// move of two files is only read from "O-O"/"O-O-O". On success out holds the
// mover, the squares, capture = the target square was occupied (so an en-passant
// capture has none, as in the game's own move texts) and, for a promotion, the
// PieceCode of the piece written ("WN"), or "" when the text names none (the
// caller asks for one or takes a queen). NoSuchMove when none fits, Ambiguous
// when several do. As ListLegalMoves, which it calls, it leaves the boards, the
// flags and the shared results as they were.
MoveRefusal ResolveSan(const SanPattern& pattern, std::string_view side, int ply, MoveText& out);

// ParseSan with English letters, then ResolveSan (Malformed when it does not parse).
MoveRefusal ReadSan(std::string_view text, std::string_view side, int ply, MoveText& out);

namespace detail {
// SanOf on a parsed move, without keeping the state: the position after the
// move is left at ply + 1 (board, flags and counters). "" for an illegal move.
std::string SanPlayingInto(const MoveText& move, int ply);
} // namespace detail

} // namespace corvane

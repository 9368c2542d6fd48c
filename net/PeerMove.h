#pragma once
// The tests a move of the network peer passes before it touches the board, and
// what this side makes of the status the peer sent with it. No windows: the
// board model of the rules core only, on ply 0 as the caller loaded it.
#include <string>

namespace corvane {

// True when move (a "Jogar:" move text) is well formed, moves a piece of the
// peer's colour and is legal on ply 0 of Board, its mover's king not left
// attacked. The board, its flags and the legality results are left as they
// were, whatever the answer.
bool PeerMoveIsLegal(const std::string& move, bool peerIsWhite);

// How the status a peer sent with its move stands against this side's own
// finding after the move. A peer that follows the design decides check, draws
// and stalemate exactly as this side does, but its mate test may call a check
// mate that a block parries, or miss a mate.
enum class PeerClaim {
    // Both sides find the same: the game goes on, or it ends.
    Agreed,
    // No honest peer can say it here: "XEQUE" or "XEQUE-MATE" while the local
    // king is not in check, "STALEMATE" while it is, "EMPATE" when the
    // material is not one of the drawn cases. Refused like an illegal move.
    Impossible,
    // The peer ends the game where this side's rules find it goes on. Followed,
    // so that both sides start the next game together.
    Disputed,
    // This side finds a mate, a stalemate or a draw the peer did not announce.
    Missed,
};

struct PeerJudgement {
    PeerClaim claim = PeerClaim::Agreed;
    // This side's own finding, as a status word: "", "XEQUE", "XEQUE-MATE",
    // "STALEMATE" or "EMPATE".
    std::string status;
};

// Judges status, sent with move (which PeerMoveIsLegal accepted on ply 0), by
// the outcome of the move for the local side: the move is played on a scratch
// ply and tested as every move is (OutcomeAfterMove, stalemate included). The
// board, its flags and the shared results are left as they were.
PeerJudgement JudgePeerMove(const std::string& move, const std::string& status, bool peerIsWhite);

} // namespace corvane

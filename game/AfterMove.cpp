// What every move ends with, whoever made it, and the network peer's move.
#include "game/Announcer.h"
#include "game/frmMain.h"
#include "kit/EventWait.h"
#include "kit/frmMensagem.h"
#include "rules/MoveText.h"

namespace corvane {

void frmMain::AfterMove(Mover mover, bool whiteMoved, const std::string& move,
                        const Announcement& outcome) {
    Announce(Announcer::MoveWords(history_.LastMove(), false));
    if (mover == Mover::Person) {
        SendMoveToPeer(move, !outcome.ending.empty() ? outcome.ending
                             : outcome.check         ? "XEQUE"
                                                     : "");
    }
    if (outcome.check) {
        GameStatus = "XEQUE";
        // The sender of a check in a network game only hears it.
        if (mover == Mover::Person && NetworkGame) {
            Announce(Announcer::StatusWords(GameStatus, whiteMoved ? "W" : "B"));
            Sound(frmMensagem::SoundFor(GameStatus, SideToMove));
        } else {
            ShowGameMessage();
        }
        if (closing_) return;
    }
    if (!outcome.ending.empty()) {
        GameStatus = outcome.ending;
        if (mover == Mover::Person) PeerPause();
        if (closing_) return;
        ShowGameMessage();
        ComputerBusy = false;
        GameMode = "H";
        if (outcome.resign && NetworkGame && sendToPeer) sendToPeer("EntregarJogo:#");
        if (NetworkGame && networkGameOver) networkGameOver(whiteMoved, outcome.ending);
        if (NetworkGame) {
            StartNextNetworkGame();
        } else {
            EndGame();
        }
        return;
    }
    if (mover == Mover::Person && NetworkGame) {
        // The board waits for the peer's answer.
        waitingForPeer_ = true;
        picBoard()->setEnabled(false);
    }
    if (mover == Mover::Peer) {
        picToobar()->setEnabled(true);
        picBoard()->setEnabled(true);
        tmrElapsed()->start();
        waitingForPeer_ = false;
    }
    WhoMoves(whiteMoved ? 1 : 0);
    if (mover == Mover::Computer) UnlockBoard();
    if (mover == Mover::Person &&
        ((SideToMove == "W" && GameMode == "CW") || (SideToMove == "B" && GameMode == "CB"))) {
        ComputerTurn(1);
    }
}

void frmMain::SendMoveToPeer(const std::string& move, const std::string& status) {
    if (!NetworkGame || !sendToPeer) return;
    sendToPeer("Jogar:#" + move + "#" + status);
}

// A castling steps twice, a capture sounds as one, any other move steps once
// (unless quiet).
void frmMain::PlayMoveSound(const std::string& moveText, bool capture, bool quiet) {
    if (CastlingOf(moveText) != Castling::None) {
        Sound(0);
        Sound(0);
    } else if (capture) {
        Sound(9);
    } else if (!quiet) {
        Sound(0);
    }
}

// The square of a moved piece is hidden and shown again four times.
void frmMain::BlinkSquare(int index) {
    if (index < 0 || index > 63) return;
    SquareImage& square = IM(index);
    for (int i = 0; i < 8 && !closing_; ++i) {
        square.visible = !square.visible;
        picBoard()->update();
        RunEventsFor(blinkMilliseconds, [this] { return closing_; });
    }
    square.visible = true;
}

// --- The peer's move -----------------------------------------------------------------

// A move text that names the piece standing on its from-square.
bool frmMain::PeerMoveFits(const std::string& text, MoveText& move) const {
    return ParseMoveTextLoosely(text, move) && Board[0][move.fromRank][move.fromFile] == move.piece;
}

bool frmMain::PlayPeerMove(const std::string& text, const PeerAnnouncement& announcement) {
    MoveText move;
    if (!PeerMoveFits(text, move)) return false;
    const MoveUnderway underway(movesUnderway_);
    // Kept for a take-back the two players agree on.
    GameSnapshot before = Snapshot();
    tmrElapsed()->stop();
    picToobar()->setEnabled(false);
    CurrentMove = FormatMoveText(move);
    GameStatus = announcement.status;
    SetMoveLabel(CurrentMove);
    BlinkSquare(ImageIndexOf(move.fromRank, move.fromFile));
    if (closing_) return true;
    ShowMoveRecord(CurrentMove);
    pendingBefore_ = std::move(before);
    pendingByComputer_ = false;
    ListTheMove(CurrentMove);
    PlayMoveSound(CurrentMove, move.capture);
    Announcement outcome;
    if (!announcement.note.empty()) {
        outcome.ending = announcement.note;
    } else if (StatusEndsGame(announcement.status)) {
        outcome.ending = announcement.status;
    } else {
        outcome.check = announcement.status == "XEQUE";
    }
    outcome.resign = announcement.resign;
    AfterMove(Mover::Peer, IsWhitePiece(move.piece), CurrentMove, outcome);
    return true;
}

bool frmMain::ShowMoveRecord(const std::string& text) {
    MoveText m;
    if (!PeerMoveFits(text, m)) return false;
    const PieceIndex placed = m.promotion.empty() ? m.piece : PromotedPieceOf(m);
    if (placed == Empty) return false;
    const PlyBoard before = Board[0];
    if (!ApplyMove(m)) return false;
    if (!m.promotion.empty()) PromotedPiece = placed;
    SetUpPiece = placed;
    // What left the board: the piece on the target, or the pawn taken en passant.
    for (int rank = 1; rank <= 8; ++rank) {
        for (int file = 1; file <= 8; ++file) {
            const PieceIndex was = before[rank][file];
            if (was != Empty && IsWhitePiece(was) != IsWhitePiece(m.piece) &&
                Board[0][rank][file] != was)
                CountCapture(PieceCodeOf(was));
        }
    }
    DrawChangedSquares();
    return true;
}

} // namespace corvane

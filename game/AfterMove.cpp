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
        LoadBoardFromView(*this, 0);
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
    return ParseMoveTextLoosely(text, move) &&
           Tag(ImageIndexOf(move.fromRank, move.fromFile)).substr(0, 2) == PieceCodeOf(move.piece);
}

bool frmMain::PlayPeerMove(const std::string& text, const PeerAnnouncement& announcement) {
    MoveText move;
    if (!PeerMoveFits(text, move)) return false;
    const MoveUnderway underway(movesUnderway_);
    // Kept for a take-back the two players agree on.
    GameSnapshot before = Snapshot();
    tmrElapsed()->stop();
    picToobar()->setEnabled(false);
    LoadBoardFromView(*this, 0);
    CurrentMove = FormatMoveText(move);
    GameStatus = announcement.status;
    SetMoveLabel(CurrentMove);
    BlinkSquare(ImageIndexOf(move.fromRank, move.fromFile));
    if (closing_) return true;
    ShowMoveRecord(CurrentMove);
    pendingBefore_ = std::move(before);
    pendingByComputer_ = false;
    ListTheMove(CurrentMove);
    LoadBoardFromView(*this, 1);
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
    if (!m.promotion.empty()) PromotedPiece = placed;
    const bool white = IsWhitePiece(m.piece);
    const bool pawn = m.piece == WhitePawn || m.piece == BlackPawn;
    const int from = ImageIndexOf(m.fromRank, m.fromFile);
    const int to = ImageIndexOf(m.toRank, m.toFile);
    if (!Tag(to).empty()) CountCapture(Tag(to).substr(0, 2));
    if (pawn && m.fromFile != m.toFile && Tag(to).empty() && m.fromRank == (white ? 5 : 4)) {
        // En passant: the pawn beside the origin goes.
        const int beside = ImageIndexOf(m.fromRank, m.toFile);
        CountCapture(Tag(beside).substr(0, 2));
        SetSquare(beside, "");
    }
    FlagArray& own = white ? WhitePawnFlags : BlackPawnFlags;
    FlagArray& other = white ? BlackPawnFlags : WhitePawnFlags;
    own[0][1] = (pawn && std::abs(m.toRank - m.fromRank) == 2) ? m.fromFile : 0;
    other[0][1] = 0;
    SetUpPiece = placed;
    SetSquare(to, PieceCodeOf(placed));
    SetSquare(from, "");
    FlagArray& castle = white ? WhiteCastleFlags : BlackCastleFlags;
    const PieceCode rook = white ? "WR" : "BR";
    if (m.piece == WhiteKing || m.piece == BlackKing) {
        castle[0][0] = 1;
        const bool queenSide = m.toFile < m.fromFile;
        const int rookFrom = queenSide ? m.toFile - 2 : m.toFile + 1;
        const int rookTo = queenSide ? m.toFile + 1 : m.toFile - 1;
        // The rook of a castling moves only when it stands where the king's
        // two-file move says; near the edge there is no such square.
        if (std::abs(m.toFile - m.fromFile) == 2 && OnBoard(m.toRank, rookFrom) &&
            Tag(ImageIndexOf(m.toRank, rookFrom)).substr(0, 2) == rook) {
            SetSquare(ImageIndexOf(m.toRank, rookTo), rook);
            SetSquare(ImageIndexOf(m.toRank, rookFrom), "");
            castle[0][0] = queenSide ? 3 : 2;
        }
    }
    if ((m.piece == WhiteRook || m.piece == BlackRook) && m.fromRank == (white ? 1 : 8)) {
        if (m.fromFile == 8) castle[0][1] = 1;
        if (m.fromFile == 1) castle[0][2] = 1;
    }
    MarkCornerRooks(m.fromRank, m.fromFile, m.toRank, m.toFile, 0);
    LoadBoardFromView(*this, 0);
    return true;
}

} // namespace corvane

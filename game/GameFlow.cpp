// Game lifecycle and turn flow, the move list and the clocks.
#include "game/Announcer.h"
#include "game/ComputerPlayer.h"
#include "game/frmMain.h"
#include "kit/EventWait.h"
#include "kit/frmMensagem.h"
#include "rules/MoveText.h"

namespace corvane {

void frmMain::NovoJogo(int mode) {
    if (ComputerBusy) return;
    if (LoadedGame) {
        WhoMoves(LoadedSide);
    } else {
        SelectOption(1, false);
        WhoMoves(0);
    }
    ResetClocks();
    tmrElapsed()->stop();
    ComputerNewGame();
    switch (mode) {
    case 1:
        GameMode = "CB";
        SetPlayerCaptions();
        SelectOption(2, true);
        if (!WhiteAtBottom) Flip();
        break;
    case 2:
        GameMode = "CW";
        SetPlayerCaptions();
        SelectOption(2, true);
        if (WhiteAtBottom) Flip();
        break;
    case 3:
        GameMode = "H";
        SetPlayerCaptions();
        WhoMoves(SideToMove == "B" ? 1 : 0);
        if (!WhiteAtBottom) Flip();
        break;
    default:
        break;
    }
    SetPlayerCaptions();
    UnlockBoard();
    LoadedGame = false;
    NetworkGame = false;
    waitingForPeer_ = true;
    gameEnded_ = false;
    SelectOption(3, false);
}

void frmMain::WhoMoves(int side) {
    if (ComputerBusy) return;
    ShowIndicator(0, true);
    ShowIndicator(1, true);
    if (side == 0) {
        SideToMove = "W";
        ShowIndicator(WhiteAtBottom ? 1 : 0, false);
    } else if (side == 1) {
        SideToMove = "B";
        ShowIndicator(WhiteAtBottom ? 0 : 1, false);
    }
    ShowFirstMover();
}

void frmMain::Reset_ALL_BOOLS() {
    ClearAllFlags();
}

void frmMain::EndGame() {
    ComputerBusy = false;
    GameMode = "H";
    LabTime()->setText(QString("Max %1 s").arg(LongestThinkTime));
    UnlockBoard();
    waitingForPeer_ = false;
    picBoard()->setEnabled(false);
    tmrElapsed()->stop();
    gameEnded_ = true;
}

void frmMain::PeerPause() {
    if (!NetworkGame) return;
    tmrElapsed()->stop();
    LockBoard();
    RunEventsFor(800, [this] { return closing_; });
}

void frmMain::StartNextNetworkGame() {
    tmrElapsed()->stop();
    GameMode = "H";
    SelectOption(1, false);
    SelectOption(3, false);
    picToobar()->setEnabled(true);
    localIsWhite_ = !localIsWhite_;
    waitingForPeer_ = !localIsWhite_;
    if (WhiteAtBottom != localIsWhite_) Flip();
    picBoard()->setEnabled(localIsWhite_);
    SetPlayerCaptions();
    WhoMoves(0);
    gameEnded_ = false;
    ResetClocks();
    StartClocks();
}

void frmMain::ResumeLoadedGame(const std::string& positionString, const GameRecord* record) {
    ClearMoveList();
    ResetCapturePanel();
    UnlockBoard();
    ResetClocks();
    StartClocks();
    std::string side;
    LoadPosition(*this, positionString, side);
    LoadBoardFromView(*this, 0);
    WhoMoves(LoadedSide);
    StartHistory();
    SetMoveLabel("");
    GameMode = PlayerOption == 1 ? "CB" : PlayerOption == 2 ? "CW" : "H";
    if (record != nullptr) ResumeRecord(*record); // the whole game, when kept
    SetPlayerCaptions();
    WhoMoves(SideToMove == "B" ? 1 : 0);
    gameEnded_ = false;
    waitingForPeer_ = true; // a game runs: it may be paused and saved
    // Opened during set-up, the game is played, not set up.
    SetUpMode = false;
    SelectOption(3, true);
    ShowSetUpControls();
    if (AnnounceFinishedPosition()) return;
    // The computer moves when it is to move, as at the start of a new game.
    if ((SideToMove == "W" && GameMode == "CW") || (SideToMove == "B" && GameMode == "CB"))
        ComputerTurn(1);
}

// A position opened with its side to move already mated, stalemated or short
// of material ends the game at once with the announcement its last move would
// have made. True when it did.
bool frmMain::AnnounceFinishedPosition() {
    const MoveOutcome o = OutcomeAfterMove(SideToMove, 0, true);
    if (o.checkmate) {
        GameStatus = "XEQUE-MATE";
    } else if (o.stalemate) {
        GameStatus = "STALEMATE";
    } else if (o.drawByMaterial) {
        GameStatus = "EMPATE";
    } else {
        return false;
    }
    // The message names (and sounds) the side that made the last move.
    const std::string toMove = SideToMove;
    SideToMove = toMove == "W" ? "B" : "W";
    ShowGameMessage();
    SideToMove = toMove;
    EndGame();
    return true;
}

void frmMain::ShowGameMessage() {
    // SideToMove still names the side that has just moved.
    Announce(Announcer::StatusWords(GameStatus, SideToMove));
    if (messagePresenter) {
        messagePresenter();
        return;
    }
    corvane::ShowGameMessage(picBoard());
}

// --- Move list ------------------------------------------------------------------------

void frmMain::ListTheMove(const std::string& move) {
    const int n = MoveCount();
    // Counted wide: the offset read from a saved position may be large.
    const qint64 number = qint64(n) + LoadedMoveNumber + 1;
    QString numberText = number >= 0 ? " " + QString::number(number) : QString::number(number);
    if (number > 9) numberText = QString::number(number);
    QString entry = numberText + " " + QString::fromStdString(move);
    const Castling castling = CastlingOf(move);
    if (castling == Castling::KingSide) entry = numberText + " WK 0-0";
    if (castling == Castling::QueenSide) entry = numberText + " WK 0-0-0";
    ListMoves()->addItem(entry);
    MoveText parsed;
    if (ListCursor < 10 && ParseMoveText(move, parsed)) OpeningLine += CoordinateText(parsed) + " ";
    ListCursor = MoveCount() - 1;
    ListMoves()->setCurrentRow(ListCursor);
    if (n > 10) ListMoves()->scrollToItem(ListMoves()->item(ListCursor));
    history_.Record({move, pendingByComputer_, std::move(pendingBefore_)});
    pendingBefore_.reset();
    selected_ = held_ = -1;
    heldTargets_.clear();
    RefreshMarks();
}

// --- Clocks -----------------------------------------------------------------------------

void frmMain::ResetClocks() {
    whiteTime_ = 0;
    blackTime_ = 0;
    lblTime(0)->setText("00:00");
    lblTime(1)->setText("00:00");
}

void frmMain::StartClocks() {
    clockStart_ = clockNow();
    tmrElapsed()->start();
}

void frmMain::PauseClocks() {
    // The side to move's clock is brought up to the moment of the pause.
    if (tmrElapsed()->isActive()) ClockTick();
    tmrElapsed()->stop();
    pausedAt_ = clockNow();
}

void frmMain::ResumeClocks() {
    // The clock start moves forward by the pause's length: neither clock counts it.
    clockStart_ = clockNow() - (pausedAt_ - clockStart_);
    tmrElapsed()->start();
}

void frmMain::SetClocks(qint64 white, qint64 black) {
    whiteTime_ = white;
    blackTime_ = black;
    clockStart_ = (tmrElapsed()->isActive() ? clockNow() : pausedAt_) - (white + black);
    lblTime(0)->setText(ClockText(white));
    lblTime(1)->setText(ClockText(black));
}

QString frmMain::ClockText(qint64 milliseconds) {
    const qint64 seconds = std::max<qint64>(0, milliseconds) / 1000;
    return QString("%1:%2")
        .arg((seconds / 60) % 60, 2, 10, QChar('0'))
        .arg(seconds % 60, 2, 10, QChar('0'));
}

void frmMain::ClockTick() {
    const qint64 elapsed = clockNow() - clockStart_;
    if (SideToMove == "W") {
        whiteTime_ = elapsed - blackTime_;
        lblTime(0)->setText(ClockText(whiteTime_));
    } else {
        blackTime_ = elapsed - whiteTime_;
        lblTime(1)->setText(ClockText(blackTime_));
    }
}

} // namespace corvane

// Game lifecycle and turn flow, the move list, the clocks and set-up mode.
#include <QApplication>
#include <QThread>
#include <cmath>

#include "game/ComputerPlayer.h"
#include "game/Widgets.h"
#include "game/frmMain.h"
#include "rules/ModChecker.h"
#include "shell/kit/frmMensagem.h"

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
    tmrElapsed_->stop();
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
    WaitingForPeer = true;
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
}

void frmMain::Reset_ALL_BOOLS() {
    ClearAllFlags();
}

void frmMain::EndGame() {
    ComputerBusy = false;
    GameMode = "H";
    LabTime_->setText(QString("Max %1 s").arg(LongestThinkTime));
    UnlockBoard();
    WaitingForPeer = false;
    picBoard_->setEnabled(false);
    tmrElapsed_->stop();
}

void frmMain::PeerPause() {
    if (!NetworkGame) return;
    tmrElapsed_->stop();
    LockBoard();
    for (int i = 0; i < 4; ++i) {
        QCoreApplication::processEvents();
        QThread::msleep(100);
        QThread::msleep(100);
    }
}

void frmMain::ResumeLoadedGame(const std::string& positionString) {
    ClearMoveList();
    ResetCapturePanel();
    UnlockBoard();
    ResetClocks();
    StartClocks();
    std::string side;
    LoadPosition(*this, positionString, side);
    LoadBoardFromView(*this, 0);
    WhoMoves(LoadedSide);
    SetMoveLabel("");
    GameMode = PlayerOption == 1 ? "CB" : PlayerOption == 2 ? "CW" : "H";
    SetPlayerCaptions();
    WhoMoves(SideToMove == "B" ? 1 : 0);
}

void frmMain::ShowGameMessage() {
    if (messagePresenter) {
        messagePresenter();
        return;
    }
    corvane::ShowGameMessage(picBoard_);
}

// --- Move list ------------------------------------------------------------------------

void frmMain::ListTheMove() {
    const int n = ListMoves_->count();
    const int number = n + LoadedMoveNumber + 1;
    QString numberText = number >= 0 ? " " + QString::number(number) : QString::number(number);
    if (number > 9) numberText = QString::number(number);
    const std::string move = LabMvString_->text().toStdString();
    QString entry;
    if (move == "WK e1-g1" || move == "BK e8-g8") {
        entry = numberText + " WK 0-0";
    } else if (move == "WK e1-c1" || move == "BK e8-c8") {
        entry = numberText + " WK 0-0-0";
    } else {
        entry = numberText + " " + QString::fromStdString(move);
    }
    ListMoves_->addItem(entry);
    if (ListCursor < 10 && move.size() >= 8) OpeningLine += move.substr(3, 5) + " ";
    ListCursor = ListMoves_->count() - 1;
    ListMoves_->setCurrentRow(ListCursor);
    if (n > 10) ListMoves_->scrollToItem(ListMoves_->item(ListCursor));
}

// --- Clocks -----------------------------------------------------------------------------

void frmMain::ResetClocks() {
    WhiteTime = 0;
    BlackTime = 0;
    lblTime_[0]->setText("00:00");
    lblTime_[1]->setText("00:00");
}

void frmMain::StartClocks() {
    ClockStart = clockNow();
    tmrElapsed_->start();
}

QString frmMain::ClockText(qint64 milliseconds) {
    const qint64 seconds = std::max<qint64>(0, milliseconds) / 1000;
    return QString("%1:%2")
        .arg((seconds / 60) % 60, 2, 10, QChar('0'))
        .arg(seconds % 60, 2, 10, QChar('0'));
}

void frmMain::ClockTick() {
    const qint64 elapsed = clockNow() - ClockStart;
    if (SideToMove == "W") {
        WhiteTime = elapsed - BlackTime;
        lblTime_[0]->setText(ClockText(WhiteTime));
    } else {
        BlackTime = elapsed - WhiteTime;
        lblTime_[1]->setText(ClockText(BlackTime));
    }
}

// --- Set-up mode --------------------------------------------------------------------------

void frmMain::SelectOption(int index, bool guarded) {
    const bool saved = OptionGuard;
    OptionGuard = guarded;
    optSetUp_[index]->setChecked(true);
    if (!guarded) OptionClicked(index);
    OptionGuard = saved;
}

namespace {

// A short reason in Portuguese for a refused start of play.
QString SetUpReason(int test) {
    switch (test) {
    case 1:
    case 2:
        return "Falta o rei branco no tabuleiro";
    case 3:
        return "Falta o rei preto no tabuleiro";
    case 4:
        return "Os reis não podem ficar lado a lado";
    case 5:
    case 6:
        return "Um rei está em xeque";
    case 7:
        return "Peão na primeira ou na última fileira";
    case 8:
        return "Só pode haver um rei de cada cor";
    default:
        return {};
    }
}

} // namespace

void frmMain::OptionClicked(int index) {
    if (OptionGuard) return;
    if (ComputerBusy) {
        QCoreApplication::processEvents();
        return;
    }
    if (index <= 2) {
        if (index == 0) {
            ClearBoardView(*this);
            InitGameArrays();
        }
        if (index == 1) {
            ResetCapturePanel();
            InitGameArrays();
            LoadInitialBoard(*this);
        }
        ResetCapturePanel();
        LoadBoardFromView(*this, 0);
        SelectOption(2, true);
        SetUpMode = true;
        ClearMoveList();
        Reset_ALL_BOOLS();
        if (index == 1) {
            SetUpBoard = Board[0];
            ListCursor = -1;
        }
        // Setting up is always possible, also on the board of a finished game.
        picBoard_->setEnabled(true);
    } else {
        CountPieces(0);
        if (PieceTotal == 0) {
            LoadBoardFromView(*this, 0);
            SelectOption(2, false);
            ClearMoveList();
        } else if (!ValidateSetUp()) {
            LoadBoardFromView(*this, 0);
            SelectOption(2, true);
            SetUpMode = true;
            ClearMoveList();
            ListCursor = 0;
            const std::string status = GameStatus;
            GameStatus = SetUpReason(setUpFailure_).toStdString();
            ShowGameMessage();
            GameStatus = status;
        } else {
            LongestThinkTime = 0;
            StartPosition = BuildPositionString();
            ComputerStartFromSetUp();
            OpeningLine.clear();
            LoadedMoveNumber = 0;
            SetUpMode = false;
            InitGameArrays();
            ResetCapturePanel();
            LoadBoardFromView(*this, 0);
            SetUpBoard = Board[0];
            if (GameMode != "H") SelectOption(3, true);
            palette_->setVisible(false);
            if ((SideToMove == "W" && GameMode == "CW") ||
                (SideToMove == "B" && GameMode == "CB")) {
                ComputerTurn(1);
            } else if (GameMode == "CCW") {
                SideToMove = "W";
                ComputerTurn(1);
            } else if (GameMode == "CCB") {
                SideToMove = "B";
                ComputerTurn(1);
            }
        }
    }
    DropOutside = false;
    Dragging = false;
    CountPieces(0);
    palette_->setVisible(SetUpMode);
}

bool frmMain::ValidateSetUp() {
    setUpFailure_ = 0;
    LoadBoardFromView(*this, 0);
    CountPieces(0);
    std::int32_t wr = 0, wf = 0, br = 0, bf = 0;
    const bool white = FindKing("W", wr, wf, 0);
    const bool black = FindKing("B", br, bf, 0);
    auto fail = [this](int test, const char* status) {
        setUpFailure_ = test;
        GameStatus = status;
        return false;
    };
    if (!white && !black) return fail(1, "Missing Kings");
    if (!white) return fail(2, "Missing Kings");
    if (!black) return fail(3, " Missing Black King");
    const int dr = wr - br, df = wf - bf;
    if (static_cast<int>(std::sqrt(static_cast<double>(dr * dr + df * df))) == 1) {
        return fail(4, " Missing Black King");
    }
    if (IsSquareAttacked(wr, wf, "B", 0)) return fail(5, "XEQUE");
    if (IsSquareAttacked(br, bf, "W", 0)) return fail(6, "XEQUE");
    for (int i = 0; i < 8; ++i) {
        for (const int index : {i, 56 + i}) {
            const std::string tag = Tag(index).substr(0, 2);
            if (tag == "WP" || tag == "BP") return fail(7, "XEQUE");
        }
    }
    CountPieces(0);
    if (PieceCount[CountSlot(WhiteKing)] > 1 || PieceCount[CountSlot(BlackKing)] > 1) {
        return fail(8, "XEQUE");
    }
    GameStatus.clear();
    return true;
}

void frmMain::SetUpDrop(int target) {
    if (Dragging) {
        // Dropped back on its own square: the piece stays where it is.
        if (target != PickedSquare) {
            SquareImage& from = IM(PickedSquare);
            SquareImage& to = IM(target);
            MovePieceImage(from, to);
        }
    } else {
        SetSquare(target, PieceCodeOf(SetUpPiece));
    }
    picBoard_->update();
    LoadBoardFromView(*this, 0);
    CountPieces(0);
    Dragging = false;
    CurrentMove = Tag(target).substr(0, 2) + " " + SquareName(target);
    SetMoveLabel(CurrentMove);
}

void frmMain::PaletteDrag(int piece, QPoint globalPos, bool finished) {
    if (!SetUpMode || ComputerBusy || !picBoard_->isEnabled()) return;
    if (finished) {
        SetUpPiece = static_cast<std::int16_t>(piece);
        Dragging = false;
        picBoard_->FinishForeignDrag(globalPos);
    } else if (piece > 0) {
        picBoard_->BeginForeignDrag(PieceCodeOf(piece), globalPos);
    } else {
        picBoard_->MoveForeignDrag(globalPos);
    }
}

} // namespace corvane

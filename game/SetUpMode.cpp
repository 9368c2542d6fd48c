// Board set-up mode: the four options, the validation of a position before
// play, the drops of set-up mode, the palette and the choice of who moves first.
#include <QApplication>
#include <cmath>

#include "game/ComputerPlayer.h"
#include "game/Widgets.h"
#include "game/frmMain.h"
#include "rules/MoveText.h"

namespace corvane {

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

void frmMain::SelectOption(int index, bool guarded) {
    const bool saved = OptionGuard;
    OptionGuard = guarded;
    optionInForce_ = index;
    optSetUp(index)->setChecked(true);
    if (!guarded) OptionClicked(index);
    OptionGuard = saved;
}

// An ignored click must not leave its option looking selected.
void frmMain::ShowOptionInForce() {
    optSetUp(optionInForce_)->setChecked(true);
}

void frmMain::OptionClicked(int index) {
    if (OptionGuard) return;
    if (ComputerBusy || promotionWaiting_) {
        ShowOptionInForce();
        QCoreApplication::processEvents();
        return;
    }
    optionInForce_ = index;
    if (index <= 2) {
        EnterSetUp(index);
    } else {
        Play();
    }
    dropOutside_ = false;
    dragging_ = false;
    CountPieces(0);
    ShowSetUpControls();
}

// The palette, the indicators' clicks and the first-mover line belong to set-up mode.
void frmMain::ShowSetUpControls() {
    Palette()->setVisible(SetUpMode);
    RefreshMarks();
    for (int i = 0; i < 2; ++i) {
        Indicator(i)->setToolTip(SetUpMode ? "Clique para escolher quem joga primeiro" : "");
        Indicator(i)->setCursor(SetUpMode ? Qt::PointingHandCursor : Qt::ArrowCursor);
    }
    ShowFirstMover();
}

// In set-up mode the side to move, which play starts with, is spelled out
// beside its indicator; from the initial position White moves first.
void frmMain::ShowFirstMover() {
    const bool fixed = Board[0] == InitialBoard;
    for (int i = 0; i < 2; ++i) {
        const bool white = (i == 0) == WhiteAtBottom;
        QString text = white ? "Brancas jogam" : "Pretas jogam";
        if (!fixed) text += " — clique para trocar";
        lblVez(i)->setText(text);
        lblVez(i)->setVisible(SetUpMode && SideToMove == (white ? "W" : "B"));
    }
}

void frmMain::EnterSetUp(int index) {
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
    history_.Clear();
    Reset_ALL_BOOLS();
    if (index == 1) {
        SetUpBoard = Board[0];
        ListCursor = -1;
        WhoMoves(0); // White always moves first from the initial position
    }
    // Setting up is always possible, also on the board of a finished game.
    picBoard()->setEnabled(true);
}

void frmMain::Play() {
    CountPieces(0);
    if (PieceTotal == 0) {
        LoadBoardFromView(*this, 0);
        SelectOption(2, false);
        ClearMoveList();
        return;
    }
    if (!ValidateSetUp()) {
        LoadBoardFromView(*this, 0);
        SelectOption(2, true);
        SetUpMode = true;
        ClearMoveList();
        ListCursor = 0;
        const std::string status = GameStatus;
        GameStatus = SetUpReason(setUpFailure_).toStdString();
        ShowGameMessage();
        GameStatus = status;
        return;
    }
    LongestThinkTime = 0;
    startPosition_ = BuildPositionString();
    ComputerStartFromSetUp();
    OpeningLine.clear();
    LoadedMoveNumber = 0;
    SetUpMode = false;
    InitGameArrays();
    ResetCapturePanel();
    LoadBoardFromView(*this, 0);
    SetUpBoard = Board[0];
    StartHistory();
    if (gameEnded_) {
        // After a finished game the position is played as a live game of the
        // mode the player captions show: clocks, pause and save, the computer.
        gameEnded_ = false;
        GameMode = captionMode_;
        waitingForPeer_ = true;
        ResetClocks();
        StartClocks();
    }
    if (GameMode != "H") SelectOption(3, true);
    Palette()->setVisible(false);
    if ((SideToMove == "W" && GameMode == "CW") || (SideToMove == "B" && GameMode == "CB")) {
        ComputerTurn(1);
    } else if (GameMode == "CCW") {
        SideToMove = "W";
        ComputerTurn(1);
    } else if (GameMode == "CCB") {
        SideToMove = "B";
        ComputerTurn(1);
    }
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
    if (dragging_) {
        // Dropped back on its own square: the piece stays where it is.
        if (target != pickedSquare_) MovePieceImage(IM(pickedSquare_), IM(target));
    } else {
        SetSquare(target, PieceCodeOf(SetUpPiece));
    }
    picBoard()->update();
    LoadBoardFromView(*this, 0);
    CountPieces(0);
    dragging_ = false;
    CurrentMove = Tag(target).substr(0, 2) + " " + SquareNameOfImage(target);
    SetMoveLabel(CurrentMove);
    ShowFirstMover();
}

// A board piece dropped on the palette leaves the board.
void frmMain::DropOnPalette() {
    SetSquare(pickedSquare_, "");
    dragging_ = false;
    LoadBoardFromView(*this, 0);
    CountPieces(0);
    ShowFirstMover();
}

void frmMain::PaletteDrag(int piece, QPoint globalPos, bool finished) {
    if (!SetUpMode || ComputerBusy || !picBoard()->isEnabled()) return;
    if (finished) {
        SetUpPiece = static_cast<std::int16_t>(piece);
        dragging_ = false;
        picBoard()->FinishForeignDrag(globalPos);
    } else if (piece > 0) {
        picBoard()->BeginForeignDrag(PieceCodeOf(piece), globalPos);
    } else {
        picBoard()->MoveForeignDrag(globalPos);
    }
}

// In set-up mode a click on the move indicator beside a side gives that side
// the first move; from the initial position White always moves first.
void frmMain::IndicatorPressed(int i, Qt::MouseButton button) {
    if (button != Qt::LeftButton || !SetUpMode || ComputerBusy || promotionWaiting_) return;
    const bool white = (i == 0) == WhiteAtBottom;
    LoadBoardFromView(*this, 0);
    if (!white && Board[0] == InitialBoard) return;
    WhoMoves(white ? 0 : 1);
}

} // namespace corvane

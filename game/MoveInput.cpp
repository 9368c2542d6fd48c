// Human move input and commit, and the promotion chooser.
#include <QApplication>

#include "game/ComputerPlayer.h"
#include "game/frmMain.h"
#include "rules/ModChecker.h"

namespace corvane {

void frmMain::PickUp(int index, Qt::MouseButton button) {
    if (button != Qt::LeftButton || ComputerBusy || Tag(index).empty()) return;
    if (NetworkGame) {
        const char colour = Tag(index)[0];
        if ((LocalIsWhite && colour == 'B') || (!LocalIsWhite && colour == 'W')) return;
    }
    PickedSquare = static_cast<std::int16_t>(index);
    PickedLeft = IM(index).left;
    PickedTop = IM(index).top;
    if (!SetUpMode && SideToMove == "W" && GameMode == "CW") {
        // The computer's opening move, when it plays White.
        ComputerTurn(1);
        if (closing_ || ComputerBusy || Tag(index).empty()) return;
    }
    DropOutside = false;
    Dragging = true;
    PickedSquare = static_cast<std::int16_t>(index);
    const SquareImage& im = IM(index);
    picBoard_->BeginDrag(index, QPointF(im.left + 22, im.top + 22));
    if (!SetUpMode) IM(index).visible = false;
    PickedLeft = im.left;
    PickedTop = im.top;
    CurrentMove = Tag(index).substr(0, 2) + " " + SquareName(index);
    SetMoveLabel(CurrentMove);
}

void frmMain::ReturnPiece() {
    if (PickedSquare >= 0 && PickedSquare <= 63) {
        IM(PickedSquare).left = PickedLeft;
        IM(PickedSquare).top = PickedTop;
        IM(PickedSquare).visible = true;
    }
    picBoard_->CancelDrag();
    CurrentMove.clear();
    if (ListMoves_->count() >= 1 && ListCursor >= 0 && ListCursor < ListMoves_->count()) {
        CurrentMove = ListMoves_->item(ListCursor)->text().toStdString();
    }
    SetMoveLabel(CurrentMove);
}

void frmMain::DropOnSquare(int target) {
    if (ComputerBusy) return;
    if (SetUpMode) {
        SetUpDrop(target);
        return;
    }
    if (PickedSquare < 0 || !Dragging) return;
    if (target == PickedSquare) {
        IM(PickedSquare).visible = true;
        picBoard_->update();
        return;
    }
    const std::string tag = Tag(PickedSquare);
    const std::string mover = tag.substr(0, 1);
    if (SideToMove != mover && SideToMove != "A") {
        ReturnPiece();
        return;
    }
    const int last = ListMoves_->count() - 1;
    if (ListCursor < last) {
        ListCursor = last;
        ListMoves_->setCurrentRow(last);
        ListMoves_->scrollToItem(ListMoves_->item(last));
        IM(PickedSquare).visible = true;
    }
    FinishHumanDrop(target);
}

void frmMain::DropOnBoard(double x, double y) {
    // Squares are counted from the first square, not from the picture's edge, and
    // column and row each stay on the board: a drop on the frame takes the square
    // beside it.
    const auto cell = [](double v) {
        const long units = std::lround(v) - BoardView::Margin;
        return std::clamp(static_cast<int>(units >= 0 ? units / 44 : -1), 0, 7);
    };
    const int column = cell(x);
    const int row = cell(y);
    int index = std::clamp(column + 8 * row, 0, 63);
    if (!WhiteAtBottom) index = 63 - index;
    if (!SetUpMode) {
        if (PickedSquare < 0) return;
        if (ListCursor < ListMoves_->count() - 1 || DropOutside) {
            IM(PickedSquare).left = PickedLeft;
            IM(PickedSquare).top = PickedTop;
            IM(PickedSquare).visible = true;
            picBoard_->CancelDrag();
            if (DropOutside) {
                CurrentMove.clear();
                SetMoveLabel(CurrentMove);
            }
            return;
        }
    }
    if (SetUpMode) {
        SetUpDrop(index);
        return;
    }
    if (ComputerBusy || !Dragging) return;
    const std::string mover = Tag(PickedSquare).substr(0, 1);
    if (SideToMove != mover && SideToMove != "A") {
        ReturnPiece();
        return;
    }
    FinishHumanDrop(index);
}

void frmMain::DropOutsideBoard() {
    if (ComputerBusy || SetUpMode) return;
    DropOutside = true;
    DropOnBoard(0, 0);
}

void frmMain::FinishHumanDrop(int target) {
    Dragging = false;
    CurrentMove += (Tag(target).empty() ? "-" : "x") + SquareName(target);
    SetMoveLabel(CurrentMove);
    LoadBoardFromView(*this, 0);
    const bool legal = IsMoveLegal(CurrentMove);
    const bool ownKingAttacked =
        (MoverSide == "W" && WhiteInCheck) || (MoverSide == "B" && BlackInCheck);
    if (!legal || ownKingAttacked) {
        ReturnPiece();
        if (!GameStatus.empty()) Sound(5);
        ReturnPiece();
        return;
    }
    if (!GameStatus.empty()) Sound(5);
    CommitMove(target);
}

void frmMain::MoveCastlingRook(int kingTarget) {
    int from = -1, to = -1;
    if (Tag(kingTarget).substr(0, 2) == "WK") {
        if (CastleMade[0][0] == 1) from = 63, to = 61;
        if (CastleMade[0][1] == 1) from = 56, to = 59;
    } else {
        if (CastleMade[0][2] == 1) from = 7, to = 5;
        if (CastleMade[0][3] == 1) from = 0, to = 3;
    }
    if (from < 0) return;
    SquareImage& rook = IM(from);
    SquareImage& dest = IM(to);
    MovePieceImage(rook, dest);
}

// Shows the game-ending status, then ends the game.
void frmMain::AnnounceAndEnd() {
    PeerPause();
    ShowGameMessage();
    EndGame();
}

bool frmMain::CommitMove(int target) {
    const int fromRank = FromRank, fromFile = FromFile, toRank = ToRank, toFile = ToFile;
    PromotedPiece = -1;
    LoadBoardFromView(*this, 0);
    CountPieces(0);
    std::string captured = Tag(target).substr(0, 2);

    SquareImage& picked = IM(PickedSquare);
    SquareImage& dest = IM(target);
    MovePieceImage(picked, dest);
    picked.left = PickedLeft;
    picked.top = PickedTop;
    picBoard_->update();
    QCoreApplication::processEvents();
    if (closing_) {
        DrawBoard(*this, 0);
        return false;
    }
    LoadBoardFromView(*this, 1);

    const std::string code = Tag(target).substr(0, 2);
    if ((code == "WP" && WhitePawnFlags[0][2] == 1) ||
        (code == "BP" && BlackPawnFlags[0][2] == 1)) {
        if (!ChoosePromotion(target)) {
            DrawBoard(*this, 0);
            return false;
        }
    }
    ComputerHumanMoved();

    // Castling: the rook follows; the king's entry records which castling was made.
    if (code == "WK" && (CastleMade[0][0] == 1 || CastleMade[0][1] == 1)) {
        MoveCastlingRook(target);
        WhiteCastleFlags[0][0] = CastleMade[0][0] == 1 ? 2 : 3;
        CastleMade[0][0] = CastleMade[0][1] = 0;
    }
    if (code == "BK" && (CastleMade[0][2] == 1 || CastleMade[0][3] == 1)) {
        MoveCastlingRook(target);
        BlackCastleFlags[0][0] = CastleMade[0][2] == 1 ? 2 : 3;
        CastleMade[0][2] = CastleMade[0][3] = 0;
    }
    if (code == "WP" && WhitePawnFlags[0][0] == 1 && fromFile != toFile && target + 8 <= 63) {
        SetSquare(target + 8, "");
        WhitePawnFlags[0][0] = 0;
        captured = "BP";
    }
    if (code == "BP" && BlackPawnFlags[0][0] == 1 && fromFile != toFile && target - 8 >= 0) {
        SetSquare(target - 8, "");
        BlackPawnFlags[0][0] = 0;
        captured = "WP";
    }

    // The game position keeps the flags the legality test recorded for this move.
    MarkCornerRooks(fromRank, fromFile, toRank, toFile, 0);
    LoadBoardFromView(*this, 0);
    LoadBoardFromView(*this, 1);
    CopyPlyFlags(0, 1);
    CountPieces(1);
    CountCapture(captured);

    if (CurrentMove == "WK e1-g1" || CurrentMove == "WK e1-c1" || CurrentMove == "BK e8-g8" ||
        CurrentMove == "BK e8-c8") {
        Sound(0);
        Sound(0);
    } else {
        Sound(captured.empty() ? 0 : 9);
    }

    GameStatus.clear();
    const bool whiteMoved = code[0] == 'W';
    const std::string attacked = whiteMoved ? "B" : "W";
    const bool check = whiteMoved ? IsSquareAttacked(BlackKingRank, BlackKingFile, "W", 1)
                                  : IsSquareAttacked(WhiteKingRank, WhiteKingFile, "B", 1);
    if (check) {
        if (IsCheckmate(attacked, 1)) {
            ListTheMove();
            GameStatus = "XEQUE-MATE";
            PeerPause();
            ShowGameMessage();
            ComputerBusy = false;
            GameMode = "H";
            EndGame();
            LoadBoardFromView(*this, 0);
            return true;
        }
        GameStatus = "XEQUE";
        ShowGameMessage();
        if (closing_) return true;
        LoadBoardFromView(*this, 0);
        LoadBoardFromView(*this, 1);
    }
    const std::string next = whiteMoved ? "B" : "W";
    if (GameMode == "H" && GameStatus != "XEQUE" && !HasLegalMove(next, 1)) {
        ListTheMove();
        GameStatus = "STALEMATE";
        AnnounceAndEnd();
        return true;
    }
    const auto count = [](int piece) { return PieceCount[CountSlot(piece)]; };
    const bool bareKings = WhitePieceTotal == 1 && BlackPieceTotal == 1;
    const bool noMaterial = WhitePieceTotal < 3 && BlackPieceTotal < 3 && count(WhiteRook) == 0 &&
                            count(BlackRook) == 0 && count(WhiteQueen) == 0 &&
                            count(BlackQueen) == 0 && count(WhitePawn) == 0 &&
                            count(BlackPawn) == 0;
    if (bareKings || noMaterial) {
        ListTheMove();
        GameStatus = "EMPATE";
        AnnounceAndEnd();
        return true;
    }
    CountPieces(1);
    ListTheMove();
    IM(PickedSquare).visible = true;
    picBoard_->update();
    WhoMoves(whiteMoved ? 1 : 0);
    if ((SideToMove == "W" && GameMode == "CW") || (SideToMove == "B" && GameMode == "CB")) {
        ComputerTurn(1);
    }
    return true;
}

bool frmMain::ChoosePromotion(int target) {
    PromotedPiece = -1;
    const std::string code = Tag(target).substr(0, 2);
    const bool white = code == "WP" && WhitePawnFlags[0][2] == 1;
    const bool black = code == "BP" && BlackPawnFlags[0][2] == 1;
    if (white || black) {
        FlagArray& flags = white ? WhitePawnFlags : BlackPawnFlags;
        const bool attacked = white ? IsSquareAttacked(WhiteKingRank, WhiteKingFile, "B", 1)
                                    : IsSquareAttacked(BlackKingRank, BlackKingFile, "W", 1);
        if (attacked) {
            flags[0][2] = 0;
            return false;
        }
        QWidget* panel = white ? picWPP_ : picBPP_;
        lblPromover_->show();
        LockBoard();
        PromotionChoice.clear();
        panel->show();
        QCoreApplication::processEvents();
        Sound(8);
        while (PromotionChoice.empty() && !closing_) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        }
        panel->hide();
        lblPromover_->hide();
        if (closing_) return false;
        const char kind = PromotionChoice.size() >= 2 ? PromotionChoice[1] : 'Q';
        const int base = white ? 0 : 6;
        PromotedPiece = base + (kind == 'R' ? 1 : kind == 'N' ? 2 : kind == 'B' ? 3 : 4);
        flags[0][2] = 0;
        LabMvString_->setText(LabMvString_->text() + "=" + QString::fromStdString(PromotionChoice));
        UnlockBoard();
    }
    if (PromotedPiece != -1 && PromotedPiece != 0) SetSquare(target, PieceCodeOf(PromotedPiece));
    return true;
}

void frmMain::ChoosePromotionPiece(int index, Qt::MouseButton button) {
    if (button != Qt::LeftButton || index < 1 || index > 4) return;
    const char* kinds = " RNBQ";
    const bool white = picWPP_->isVisible() || !picBPP_->isVisible();
    PromotionChoice = std::string(white ? "W" : "B") + kinds[index];
}

// Applies a move text of the network peer: "WP e2-e4", "BP d2-d1=BN", ...
bool frmMain::ShowMoveRecord(const std::string& raw) {
    const auto first = raw.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return false;
    const std::string text = raw.substr(first, raw.find_last_not_of(" \t\r\n") - first + 1);
    if (text.size() < 8) return false;
    std::string code = text.substr(0, 2);
    for (char& c : code) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    auto square = [&](std::size_t at, int& file, int& rank) {
        const char f = static_cast<char>(std::tolower(static_cast<unsigned char>(text[at])));
        file = f - 96;
        rank = text[at + 1] - '0';
        return OnBoard(rank, file);
    };
    int ff = 0, fr = 0, tf = 0, tr = 0;
    const PieceIndex mover = PieceIndexOf(code);
    if (mover == Empty || !square(3, ff, fr) || !square(6, tf, tr)) return false;
    const int from = 63 + ff - 8 * fr;
    const int to = 63 + tf - 8 * tr;
    if (Tag(from).substr(0, 2) != code) return false;
    PieceIndex placed = mover;
    if (text.find('=') != std::string::npos) {
        std::string promo = text.substr(text.size() - 2);
        for (char& c : promo) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        const PieceIndex p = PieceIndexOf(promo);
        if (p == Empty) return false;
        placed = p;
        PromotedPiece = p;
    }
    const bool white = code[0] == 'W';
    FlagArray& own = white ? WhitePawnFlags : BlackPawnFlags;
    FlagArray& other = white ? BlackPawnFlags : WhitePawnFlags;
    if (!Tag(to).empty()) CountCapture(Tag(to).substr(0, 2));
    const bool pawn = code[1] == 'P';
    if (pawn && ff != tf && Tag(to).empty() && fr == (white ? 5 : 4)) {
        const int beside = 63 + tf - 8 * fr;
        CountCapture(Tag(beside).substr(0, 2));
        SetSquare(beside, "");
    }
    own[0][1] = (pawn && std::abs(tr - fr) == 2) ? static_cast<std::uint8_t>(ff) : 0;
    other[0][1] = 0;
    SetUpPiece = placed;
    SetSquare(to, PieceCodeOf(placed));
    SetSquare(from, "");
    FlagArray& castle = white ? WhiteCastleFlags : BlackCastleFlags;
    const int home = white ? 1 : 8;
    if (code[1] == 'K') {
        castle[0][0] = 1;
        if (std::abs(tf - ff) == 2) {
            const bool queenSide = to < from;
            const int rookFrom = queenSide ? to - 2 : to + 1;
            const int rookTo = queenSide ? to + 1 : to - 1;
            SetSquare(rookTo, white ? "WR" : "BR");
            SetSquare(rookFrom, "");
            castle[0][0] = queenSide ? 3 : 2;
        }
    }
    if (code[1] == 'R' && fr == home) {
        if (ff == 8) castle[0][1] = 1;
        if (ff == 1) castle[0][2] = 1;
    }
    MarkCornerRooks(fr, ff, tr, tf, 0);
    LoadBoardFromView(*this, 0);
    return true;
}

} // namespace corvane

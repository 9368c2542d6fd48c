#include "game/BoardKeys.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMenu>

#include "game/Announcer.h"
#include "game/BoardAccessible.h"
#include "game/TypedMoveLine.h"
#include "game/frmMain.h"
#include "rules/GameState.h"
#include "rules/MoveText.h"

namespace corvane {

namespace {

constexpr char KeysName[] = "BoardKeys";

bool Modified(const QKeyEvent* event) {
    return (event->modifiers() & (Qt::AltModifier | Qt::ControlModifier | Qt::MetaModifier)) != 0;
}

bool IsEnter(int key) {
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

// Printable text of a key: ASCII letters, digits and the signs of a move.
bool MoveTyping(const QKeyEvent* event) {
    const QString text = event->text();
    if (text.size() != 1 || Modified(event)) return false;
    const QChar c = text[0];
    return c.unicode() > 0x20 && c.unicode() < 0x7f;
}

} // namespace

BoardKeys::BoardKeys(frmMain& window)
    : QObject(window.picBoard()), window_(window), board_(*window.picBoard()) {
    setObjectName(QString::fromLatin1(KeysName));
    board_.setFocusPolicy(Qt::StrongFocus);
    board_.setAccessibleName(QStringLiteral("Tabuleiro"));
    board_.installEventFilter(this);
    window_.installEventFilter(this);
    // The keys reach the board first (the window gives its focus back to it
    // when its dialogs close); a locked board takes it once unlocked.
    if (board_.isEnabled()) {
        board_.setFocus(Qt::OtherFocusReason);
    } else {
        refocus_ = true;
    }
}

int BoardKeys::FocusOf(const BoardView* board) {
    const auto* keys = board ? board->findChild<BoardKeys*>(QString::fromLatin1(KeysName),
                                                            Qt::FindDirectChildrenOnly)
                             : nullptr;
    return keys ? keys->Focus() : -1;
}

bool BoardKeys::InSetUp() {
    return corvane::SetUpMode;
}

void BoardKeys::AddMarks(SquareMarks& marks) const {
    if (shown_ && board_.hasFocus() && focus_ >= 0) marks[focus_] |= MarkFocus;
    if (Carried() >= 0) marks[carried_] |= MarkHeld;
}

void BoardKeys::Detach() {
    board_.removeEventFilter(this);
    window_.removeEventFilter(this);
}

bool BoardKeys::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &board_) {
        switch (event->type()) {
        case QEvent::FocusIn: {
            refocus_ = false;
            const auto reason = static_cast<QFocusEvent*>(event)->reason();
            if (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason) shown_ = true;
            if (focus_ < 0 || !shown_) focus_ = StartSquare();
            Refresh();
            ReportBoardFocus(&board_, focus_);
            break;
        }
        case QEvent::MouseButtonPress:
            // The mouse plays: the focus square hides until the keys are used again.
            if (shown_) {
                shown_ = false;
                Refresh();
            }
            break;
        case QEvent::FocusOut:
            // Locked while the computer thinks or the chooser waits: the focus
            // comes back when the board does.
            if (!board_.isEnabled()) refocus_ = true;
            Refresh();
            break;
        case QEvent::EnabledChange:
            if (board_.isEnabled() && (refocus_ || FocusLeftForLock())) {
                refocus_ = false;
                board_.setFocus(Qt::OtherFocusReason);
            }
            break;
        case QEvent::ShortcutOverride: {
            // Esc is the line's while it holds text, and the carried piece's in set-up.
            auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() == Qt::Key_Escape && (LineHasText() || Carried() >= 0)) {
                event->accept();
                return true;
            }
            break;
        }
        case QEvent::KeyPress:
            return BoardKey(static_cast<QKeyEvent*>(event));
        default:
            break;
        }
        return false;
    }
    // Keys that no control of the window took.
    if (watched == &window_ && event->type() == QEvent::KeyPress)
        return WindowKey(static_cast<QKeyEvent*>(event));
    if (watched == &window_ && event->type() == QEvent::ShortcutOverride &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape && LineHasText()) {
        event->accept();
        return true;
    }
    return false;
}

// Where the focus went when the board was locked (without a focus-out, when
// the window was not the active one): nowhere, or the empty move line next to it.
bool BoardKeys::FocusLeftForLock() const {
    const QWidget* focus = window_.focusWidget();
    return focus == nullptr || (focus == window_.TypedLine() && !LineHasText());
}

bool BoardKeys::LineHasText() const {
    return !window_.TypedLine()->text().isEmpty();
}

bool BoardKeys::TypeIntoLine(QKeyEvent* event) {
    if (InSetUp() || !MoveTyping(event)) return false;
    window_.TypedLine()->insert(event->text());
    return true;
}

bool BoardKeys::WindowKey(QKeyEvent* event) {
    if (LineHasText() && IsEnter(event->key())) return window_.TypedLine()->Submit(), true;
    if (LineHasText() && event->key() == Qt::Key_Escape) return window_.TypedLine()->clear(), true;
    return TypeIntoLine(event);
}

bool BoardKeys::BoardKey(QKeyEvent* event) {
    if (Modified(event)) return false;
    if (!shown_) {
        // The first key since the mouse played: the walk starts afresh.
        shown_ = true;
        focus_ = StartSquare();
        Refresh();
    }
    const int key = event->key();
    TypedMoveLine* line = window_.TypedLine();
    if (LineHasText()) {
        if (IsEnter(key)) {
            line->Submit();
        } else if (key == Qt::Key_Escape) {
            line->clear();
        } else if (key == Qt::Key_Backspace) {
            line->backspace();
        } else if (!TypeIntoLine(event)) {
            return false;
        }
        return true;
    }
    // Up is towards the far side of the board as it is shown.
    const int towardsTop = WhiteAtBottom ? -1 : 1;
    const int towardsRight = WhiteAtBottom ? 1 : -1;
    switch (key) {
    case Qt::Key_Up:
        MoveFocus(towardsTop, 0);
        return true;
    case Qt::Key_Down:
        MoveFocus(-towardsTop, 0);
        return true;
    case Qt::Key_Left:
        MoveFocus(0, -towardsRight);
        return true;
    case Qt::Key_Right:
        MoveFocus(0, towardsRight);
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        Act();
        return true;
    case Qt::Key_Escape:
        carried_ = -1;
        Refresh();
        return true;
    default:
        break;
    }
    if (InSetUp() && focus_ >= 0) {
        if (key == Qt::Key_Delete) {
            carried_ = -1;
            window_.PlaceSetUpPiece(focus_, 0);
            Refresh();
            return true;
        }
        if (key == Qt::Key_P || key == Qt::Key_Menu) {
            const int piece = choosePalettePiece ? choosePalettePiece() : MenuPiece();
            if (piece >= 0) {
                carried_ = -1;
                window_.PlaceSetUpPiece(focus_, piece);
                Refresh();
            }
            return true;
        }
    }
    return TypeIntoLine(event);
}

// Until the keys are used the walk starts on the king's pawn of the side at the bottom.
int BoardKeys::StartSquare() {
    return ImageIndexOf(WhiteAtBottom ? 2 : 7, 5);
}

void BoardKeys::MoveFocus(int rows, int columns) {
    const int row = focus_ / 8 + rows, column = focus_ % 8 + columns;
    // The focus stops at the edges.
    if (row < 0 || row > 7 || column < 0 || column > 7) return;
    SetFocusSquare(row * 8 + column);
}

void BoardKeys::SetFocusSquare(int index) {
    focus_ = index;
    Refresh();
    ReportBoardFocus(&board_, focus_);
}

void BoardKeys::Act() {
    if (focus_ < 0 || !board_.isEnabled()) return;
    if (InSetUp()) {
        SetUpAct();
    } else {
        carried_ = -1;
        Click(focus_);
    }
    Refresh();
}

// A press and a release on the square, as the mouse makes them.
void BoardKeys::Click(int index) {
    if (board_.onPress) board_.onPress(index, Qt::LeftButton);
    if (board_.IsDragging()) {
        board_.CancelDrag();
        if (board_.onDropSquare) board_.onDropSquare(index);
    }
}

// Set-up: a first press picks the piece up, a second puts it on the focused
// square (on its own square it stays).
void BoardKeys::SetUpAct() {
    if (carried_ < 0) {
        if (!board_.IM(focus_).tag.empty()) carried_ = focus_;
        return;
    }
    const int from = carried_;
    carried_ = -1;
    if (from == focus_) return;
    if (board_.onPress) board_.onPress(from, Qt::LeftButton);
    if (board_.IsDragging()) {
        board_.CancelDrag();
        if (board_.onDropSquare) board_.onDropSquare(focus_);
    }
}

// The palette as a menu: the twelve pieces, then an empty square.
int BoardKeys::MenuPiece() {
    QMenu menu(&board_);
    menu.setObjectName(QStringLiteral("menuPaleta"));
    menu.setTitle(QStringLiteral("Paleta"));
    for (int piece = 1; piece <= 12; ++piece) {
        QString words = Announcer::PieceWords(PieceCodeOf(piece));
        words[0] = words[0].toUpper();
        menu.addAction(words)->setData(piece);
    }
    menu.addSeparator();
    menu.addAction(QStringLiteral("Esvaziar a casa"))->setData(0);
    const SquareImage& im = board_.IM(focus_);
    const QPoint at = board_.mapToGlobal(
        board_.ToWidget(QPointF(im.left + BoardView::SquareSize, im.top)).toPoint());
    const QAction* chosen = menu.exec(at);
    return chosen ? chosen->data().toInt() : -1;
}

void BoardKeys::Refresh() {
    window_.RefreshMarks();
}

// --- Promotion by keys ------------------------------------------------------------------

PromotionKeys::PromotionKeys(std::function<void(int)> choose) : choose_(std::move(choose)) {
    qApp->installEventFilter(this);
}

PromotionKeys::~PromotionKeys() {
    qApp->removeEventFilter(this);
}

bool PromotionKeys::eventFilter(QObject*, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    if (Modified(key)) return false;
    int index = 0;
    switch (key->key()) {
    case Qt::Key_D:
    case Qt::Key_Q:
    case Qt::Key_4:
        index = 4;
        break;
    case Qt::Key_T:
    case Qt::Key_R:
    case Qt::Key_1:
        index = 1;
        break;
    case Qt::Key_B:
    case Qt::Key_3:
        index = 3;
        break;
    case Qt::Key_C:
    case Qt::Key_N:
    case Qt::Key_2:
        index = 2;
        break;
    default:
        return false;
    }
    choose_(index);
    return true;
}

} // namespace corvane

#include "game/BoardAccessible.h"

#include <QAccessibleWidget>
#include <QLabel>
#include <QPointer>
#include <QWindow>
#include <array>

#include "game/Announcer.h"
#include "game/BoardKeys.h"
#include "game/BoardView.h"
#include "game/MainLayout.h"
#include "rules/GameState.h"
#include "rules/MoveText.h"

namespace corvane {

namespace {

// Cell i is row i / 8 and column i % 8 of the board as it is shown.
int ImageOfCell(int cell) {
    return WhiteAtBottom ? cell : 63 - cell;
}

class SquareCell : public QAccessibleInterface, public QAccessibleTableCellInterface {
public:
    SquareCell(BoardView* board, int cell) : board_(board), cell_(cell) {}

    bool isValid() const override { return !board_.isNull(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return board_ ? board_->window()->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override {
        return QAccessible::queryAccessibleInterface(board_.data());
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* focusChild() const override { return nullptr; }
    QString text(QAccessible::Text t) const override {
        if (t != QAccessible::Name || !board_) return {};
        return SquareReaderName(*board_, ImageOfCell(cell_));
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override {
        if (!board_) return {};
        const SquareImage& im = board_->IM(ImageOfCell(cell_));
        const QPointF topLeft = board_->ToWidget(QPointF(im.left, im.top));
        const QPointF bottomRight = board_->ToWidget(
            QPointF(im.left + BoardView::SquareSize, im.top + BoardView::SquareSize));
        return QRect(board_->mapToGlobal(topLeft.toPoint()),
                     board_->mapToGlobal(bottomRight.toPoint()) - QPoint(1, 1));
    }
    QAccessible::Role role() const override { return QAccessible::Cell; }
    QAccessible::State state() const override {
        QAccessible::State s;
        s.focusable = true;
        s.selectable = true;
        if (!board_) return s;
        s.focused = board_->hasFocus() && BoardKeys::FocusOf(board_) == ImageOfCell(cell_);
        s.selected = isSelected();
        s.disabled = !board_->isEnabled();
        return s;
    }
    void* interface_cast(QAccessible::InterfaceType t) override {
        if (t == QAccessible::TableCellInterface)
            return static_cast<QAccessibleTableCellInterface*>(this);
        return nullptr;
    }

    // The held piece's square is the selected cell.
    bool isSelected() const override {
        return board_ && (board_->Marks()[ImageOfCell(cell_)] & MarkHeld) != 0;
    }
    QList<QAccessibleInterface*> columnHeaderCells() const override { return {}; }
    QList<QAccessibleInterface*> rowHeaderCells() const override { return {}; }
    int columnIndex() const override { return cell_ % 8; }
    int rowIndex() const override { return cell_ / 8; }
    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    QAccessibleInterface* table() const override { return parent(); }

private:
    QPointer<BoardView> board_;
    int cell_;
};

class BoardAccessible : public QAccessibleWidget, public QAccessibleTableInterface {
public:
    explicit BoardAccessible(BoardView* board)
        : QAccessibleWidget(board, QAccessible::Table, QStringLiteral("Tabuleiro")) {
        for (int i = 0; i < 64; ++i) {
            cells_[i] = new SquareCell(board, i); // the accessibility cache owns it
            ids_[i] = QAccessible::registerAccessibleInterface(cells_[i]);
            names_[i] = cells_[i]->text(QAccessible::Name);
        }
    }
    ~BoardAccessible() override {
        for (const QAccessible::Id id : ids_) QAccessible::deleteAccessibleInterface(id);
    }

    BoardView* Board() const { return static_cast<BoardView*>(widget()); }
    int childCount() const override { return 64; }
    QAccessibleInterface* child(int index) const override {
        return index >= 0 && index < 64 ? cells_[index] : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        for (int i = 0; i < 64; ++i)
            if (cells_[i] == child) return i;
        return -1;
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        for (SquareCell* cell : cells_)
            if (cell->rect().contains(x, y)) return cell;
        return nullptr;
    }
    QAccessibleInterface* focusChild() const override {
        const int focus = BoardKeys::FocusOf(Board());
        if (!Board()->hasFocus() || focus < 0) return nullptr;
        return cells_[WhiteAtBottom ? focus : 63 - focus];
    }
    void* interface_cast(QAccessible::InterfaceType t) override {
        if (t == QAccessible::TableInterface) return static_cast<QAccessibleTableInterface*>(this);
        return QAccessibleWidget::interface_cast(t);
    }

    // The cells whose name changed since last asked.
    std::vector<int> ChangedCells() {
        std::vector<int> changed;
        for (int i = 0; i < 64; ++i) {
            const QString name = cells_[i]->text(QAccessible::Name);
            if (name == names_[i]) continue;
            names_[i] = name;
            changed.push_back(i);
        }
        return changed;
    }

    // The table.
    QAccessibleInterface* caption() const override { return nullptr; }
    QAccessibleInterface* summary() const override { return nullptr; }
    QAccessibleInterface* cellAt(int row, int column) const override {
        return row >= 0 && row < 8 && column >= 0 && column < 8 ? cells_[row * 8 + column]
                                                                : nullptr;
    }
    int selectedCellCount() const override { return int(selectedCells().size()); }
    QList<QAccessibleInterface*> selectedCells() const override {
        QList<QAccessibleInterface*> selected;
        for (SquareCell* cell : cells_)
            if (cell->isSelected()) selected.push_back(cell);
        return selected;
    }
    // Columns are files and rows ranks, as the board is turned.
    QString columnDescription(int column) const override {
        const int file = WhiteAtBottom ? column : 7 - column;
        return file >= 0 && file < 8 ? QString(QChar('a' + file)) : QString();
    }
    QString rowDescription(int row) const override {
        const int rank = WhiteAtBottom ? 8 - row : row + 1;
        return rank >= 1 && rank <= 8 ? QString::number(rank) : QString();
    }
    int selectedColumnCount() const override { return 0; }
    int selectedRowCount() const override { return 0; }
    int columnCount() const override { return 8; }
    int rowCount() const override { return 8; }
    QList<int> selectedColumns() const override { return {}; }
    QList<int> selectedRows() const override { return {}; }
    bool isColumnSelected(int) const override { return false; }
    bool isRowSelected(int) const override { return false; }
    bool selectRow(int) override { return false; }
    bool selectColumn(int) override { return false; }
    bool unselectRow(int) override { return false; }
    bool unselectColumn(int) override { return false; }
    void modelChange(QAccessibleTableModelChangeEvent*) override {}

private:
    std::array<SquareCell*, 64> cells_{};
    std::array<QAccessible::Id, 64> ids_{};
    std::array<QString, 64> names_{};
};

// The announcer: a status bar whose name is the last announcement.
class AnnouncerAccessible : public QAccessibleWidget {
public:
    explicit AnnouncerAccessible(Announcer* announcer)
        : QAccessibleWidget(announcer, QAccessible::StatusBar) {}
    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name) return static_cast<Announcer*>(widget())->LastSaid();
        return QAccessibleWidget::text(t);
    }
};

QAccessibleInterface* Factory(const QString& className, QObject* object) {
    if (object == nullptr || !object->isWidgetType()) return nullptr;
    if (className == QLatin1String("corvane::BoardView"))
        return new BoardAccessible(static_cast<BoardView*>(object));
    if (className == QLatin1String("corvane::Announcer"))
        return new AnnouncerAccessible(static_cast<Announcer*>(object));
    return nullptr;
}

BoardAccessible* BoardInterface(BoardView* board) {
    if (!QAccessible::isActive()) return nullptr;
    return dynamic_cast<BoardAccessible*>(QAccessible::queryAccessibleInterface(board));
}

} // namespace

void InstallBoardAccessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(Factory);
        return true;
    }();
    (void)installed;
}

QString SquareReaderName(const BoardView& board, int index) {
    const QString square = QString::fromStdString(SquareNameOfImage(index));
    const QString piece = Announcer::PieceWords(board.IM(index).tag.substr(0, 2));
    return square + QStringLiteral(", ") + (piece.isEmpty() ? QStringLiteral("vazia") : piece);
}

void ReportBoardFocus(BoardView* board, int index) {
    if (BoardInterface(board) == nullptr || index < 0 || index > 63) return;
    QAccessibleEvent event(board, QAccessible::Focus);
    event.setChild(WhiteAtBottom ? index : 63 - index);
    QAccessible::updateAccessibility(&event);
}

void ReportBoardChanged(BoardView* board) {
    BoardAccessible* iface = BoardInterface(board);
    if (iface == nullptr) return;
    for (const int cell : iface->ChangedCells()) {
        QAccessibleEvent event(board, QAccessible::NameChanged);
        event.setChild(cell);
        QAccessible::updateAccessibility(&event);
    }
}

void NameForReaders(MainLayout& window) {
    // A label that shows a number keeps it as its name; what the number is
    // goes into its description, which screen readers read after it.
    window.lblTime(0)->setAccessibleDescription(QString::fromUtf8("Relógio das brancas"));
    window.lblTime(1)->setAccessibleDescription(QString::fromUtf8("Relógio das pretas"));
    static const char* const captured[10] = {"WQ", "WR", "WB", "WN", "WP",
                                             "BQ", "BR", "BB", "BN", "BP"};
    for (int k = 0; k < 10; ++k)
        window.lblMW(k)->setAccessibleDescription(QStringLiteral("Capturados, ") +
                                                  Announcer::PieceWords(captured[k]));
    // Pictures are named by what they show.
    const QList<QLabel*> pictures = window.findChildren<QLabel*>(QStringLiteral("capturedPiece"));
    for (int k = 0; k < pictures.size() && k < 10; ++k)
        pictures[k]->setAccessibleName(Announcer::PieceWords(captured[k]));
    for (int i = 1; i <= 4; ++i)
        for (QWidget* image : {window.IMWPP(i), window.IMBPP(i)})
            image->setAccessibleName(image->toolTip());
}

} // namespace corvane

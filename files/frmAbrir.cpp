#include "files/frmAbrir.h"

#include "assets/frmPieces.h"
#include "files/SavedGame.h"
#include "kit/PlainText.h"
#include "rules/GameState.h"
#include "rules/ModChecker.h"

#include "kit/QuestionBox.h"

#include <QPainter>
#include <cstdlib>
#include <memory>

namespace corvane {

// --- PreviewBoard -------------------------------------------------------------------

PreviewBoard::PreviewBoard(QWidget* parent) : QWidget(parent) {
    setFixedSize(8 * Cell, 8 * Cell);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void PreviewBoard::SetPieces(const std::array<QString, 64>& pieces) {
    pieces_ = pieces;
    update();
}

void PreviewBoard::ClearPieces() {
    SetPieces({});
}

bool PreviewBoard::DarkSquare(int row, int column) {
    return std::abs(row - column) % 2 == 1;
}

void PreviewBoard::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const qreal dpr = devicePixelRatioF();
    for (int i = 0; i < 64; ++i) {
        const int row = i / 8;
        const int column = i % 8;
        const QRect square(column * Cell, row * Cell, Cell, Cell);
        p.fillRect(square,
                   DarkSquare(row, column) ? frmPieces::DarkSquare() : frmPieces::LightSquare());
        if (!pieces_[i].isEmpty()) {
            p.drawPixmap(square,
                         frmPieces::Instance().PieceByCode(pieces_[i].toStdString(), Cell, dpr));
        }
    }
}

// --- frmAbrir -----------------------------------------------------------------------

frmAbrir::frmAbrir(SquareImages& mainView, QWidget* parent)
    : BorderlessDialog(parent), Label2(this), List1(this), Picture1(this), picBoard(this),
      lblData(this), lblAbrir(QStringLiteral("&Abrir"), this),
      lblExcluir(QStringLiteral("&Excluir"), this), lblCancelar(QStringLiteral("&Cancelar"), this),
      Image1(this), view_(mainView) {
    setWindowTitle(QStringLiteral("ABRIR JOGO"));
    setFixedSize(470, 330);
    tellFailure = [this](const QString& text) {
        ShowWarningNotice(this, QStringLiteral("Aviso"), text);
    };
    tellNote = tellFailure;

    SetDialogHeading(Image1, Label2, 11, QStringLiteral("Abrir Jogo"), 14, 300);
    lblData.setStyleSheet(DialogTextStyle);
    lblData.setAttribute(Qt::WA_TransparentForMouseEvents); // drags reach the window
    List1.setGeometry(22, 64, 210, 196);
    Picture1.setGeometry(250, 62, 8 * PreviewBoard::Cell + 4, 8 * PreviewBoard::Cell + 4);
    Picture1.setFrameShape(QFrame::Box);
    Picture1.setAttribute(Qt::WA_TransparentForMouseEvents);
    picBoard.move(252, 64);
    lblData.setGeometry(250, 262, 200, 22);
    lblAbrir.setGeometry(30, 284, 120, 34);
    lblExcluir.setGeometry(175, 284, 120, 34);
    lblCancelar.setGeometry(320, 284, 120, 34);

    connect(&List1, &QListWidget::currentRowChanged, this, &frmAbrir::ListSelected);
    connect(&List1, &QListWidget::itemDoubleClicked, this, &frmAbrir::AbrirClick);
    connect(&lblAbrir, &QAbstractButton::clicked, this, &frmAbrir::AbrirClick);
    connect(&lblExcluir, &QAbstractButton::clicked, this, &frmAbrir::ExcluirClick);
    connect(&lblCancelar, &QAbstractButton::clicked, this, &QDialog::reject);
    SetDefaultButton(&lblAbrir); // Enter opens the selected game, in the list too

    for (const QString& name : ListSavedGames()) {
        // The list shows the file's name cleaned and cut, the tooltip longer;
        // the item keeps the name itself.
        auto item = std::make_unique<QListWidgetItem>(CleanOutsideText(name));
        item->setData(Qt::UserRole, name);
        item->setToolTip(PlainToolTip(name));
        List1.addItem(item.release());
    }
    if (List1.count() > 0) List1.setCurrentRow(0);
    ListSelected();
    LoadedGame = false;
}

QString frmAbrir::Selected() const {
    const QListWidgetItem* item = List1.currentItem();
    return item != nullptr && List1.currentRow() >= 0 ? item->data(Qt::UserRole).toString()
                                                      : QString();
}

void frmAbrir::ListSelected() {
    lblData.setVisible(List1.count() > 0);
    const QString name = Selected();
    if (name.isEmpty()) {
        picBoard.ClearPieces();
        return;
    }
    const SavedGamePreview preview = PreviewSavedGame(name);
    // The date is the file's own text: "Jogo salvo em: " and a date of the
    // saving format's length, a few characters to spare.
    ShowPlain(lblData, CleanOutsideText(preview.dateLabel, 40));
    picBoard.SetPieces(preview.squares);
}

void frmAbrir::AbrirClick() {
    const QString name = Selected();
    if (name.isEmpty()) return;
    const OpenedGame game = OpenSavedGame(name, SideToMove == "B" ? 1 : 0);
    // A game that cannot be played is refused before anything of the game in
    // progress changes.
    if (!game.ok) {
        tellFailure(game.message);
        return;
    }
    if (game.level > 0) Level = static_cast<std::int16_t>(game.level);
    if (game.playerOption > 0) PlayerOption = static_cast<std::int16_t>(game.playerOption);
    LoadedSide = static_cast<std::int16_t>(game.loadedSide);
    std::string side;
    LoadPosition(view_, game.position.toStdString(), side);
    LoadedGame = true;
    if (const QString note = ReplacedValuesNote(game); !note.isEmpty()) tellNote(note);
    accept();
}

void frmAbrir::ExcluirClick() {
    if (List1.count() == 0) return;
    const int index = List1.currentRow();
    const QString name = Selected();
    if (index < 0 || name.isEmpty()) return;
    if (!DeleteSavedGame(name)) {
        tellFailure(DeleteFailedMessage(name));
        return;
    }
    {
        const QSignalBlocker quiet(List1);
        std::unique_ptr<QListWidgetItem>(List1.takeItem(index)).reset();
        picBoard.ClearPieces();
        if (List1.count() > 0) List1.setCurrentRow(index == 0 ? 0 : index - 1);
    }
    ListSelected();
}

} // namespace corvane

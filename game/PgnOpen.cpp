#include "game/PgnOpen.h"

#include <QFileDialog>
#include <QFileInfo>

#include "files/GameRecord.h"
#include "game/frmMain.h"
#include "kit/PlainText.h"
#include "kit/QuestionBox.h"
#include "rules/GameState.h"

namespace corvane {

// --- The picker ------------------------------------------------------------------

frmPartidas::frmPartidas(const PgnIndex& index, QWidget* parent)
    : BorderlessDialog(parent), Image1(this), Label2(this), List1(this), lblNota(this),
      lblAbrir(QStringLiteral("&Abrir"), this), lblCancelar(QStringLiteral("&Cancelar"), this) {
    setWindowTitle(QStringLiteral("ABRIR PGN"));
    setFixedSize(470, 400);
    SetDialogHeading(Image1, Label2, 11, QStringLiteral("Abrir PGN"), 14, 300);
    List1.setGeometry(22, 64, 426, 176);
    for (std::size_t i = 0; i < index.games.size(); ++i) {
        // Tag values come from the file: cleaned and cut by the reader, shown as plain items.
        List1.addItem(CleanOutsideText(EntryText(static_cast<int>(i) + 1, index.games[i]), 120));
    }
    if (List1.count() > 0) List1.setCurrentRow(0);
    lblNota.setStyleSheet(DialogTextStyle);
    lblNota.setGeometry(22, 242, 426, 20);
    if (index.moreGames) {
        ShowPlain(lblNota,
                  QStringLiteral("O arquivo tem mais partidas; a lista mostra as primeiras %1.")
                      .arg(MaxPgnIndexGames));
    }
    const char* modes[] = {"Computador com as Pretas", "Computador com as Brancas",
                           "Dois jogadores"};
    for (int i = 0; i < 3; ++i) {
        optModo[i] = new QRadioButton(QString::fromUtf8(modes[i]), this);
        optModo[i]->setStyleSheet(DialogTextStyle);
        optModo[i]->setGeometry(22, 266 + 24 * i, 426, 22); // one under the other: whole captions
    }
    optModo[2]->setChecked(true);
    lblAbrir.setGeometry(90, 350, 120, 34);
    lblCancelar.setGeometry(260, 350, 120, 34);
    connect(&lblAbrir, &QAbstractButton::clicked, this, [this] {
        if (List1.currentRow() >= 0) accept();
    });
    connect(&List1, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
    connect(&lblCancelar, &QAbstractButton::clicked, this, &QDialog::reject);
    SetDefaultButton(&lblAbrir);
}

int frmPartidas::Mode() const {
    for (int i = 0; i < 3; ++i) {
        if (optModo[i]->isChecked()) return i + 1;
    }
    return 3;
}

QString frmPartidas::EntryText(int number, const PgnGameEntry& game) {
    const auto or_ = [](const std::string& text) {
        return text.empty() ? QStringLiteral("?") : QString::fromStdString(text);
    };
    return QString::number(number) + QStringLiteral(". ") + or_(game.white) +
           QStringLiteral(" – ") + or_(game.black) + QStringLiteral(" (") + or_(game.date) +
           QStringLiteral(") ") + or_(game.result);
}

// --- Opening ----------------------------------------------------------------------

void PgnOpener::Fail(const QString& message) {
    if (tellFailure) {
        tellFailure(message);
    } else {
        ShowWarningNotice(&window_, QStringLiteral("Aviso"), message);
    }
}

bool PgnOpener::Open() {
    QString path;
    if (chooseFile) {
        path = chooseFile();
    } else {
        QFileDialog dialog(&window_, QStringLiteral("Abrir PGN"), QString(),
                           QStringLiteral("Partidas PGN (*.pgn);;Todos os arquivos (*)"));
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setLabelText(QFileDialog::LookIn, QStringLiteral("Procurar em:"));
        dialog.setLabelText(QFileDialog::FileName, QStringLiteral("Nome do arquivo:"));
        dialog.setLabelText(QFileDialog::FileType, QStringLiteral("Tipo:"));
        dialog.setLabelText(QFileDialog::Accept, QStringLiteral("Abrir"));
        dialog.setLabelText(QFileDialog::Reject, QStringLiteral("Cancelar"));
        if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
            path = dialog.selectedFiles().first();
    }
    return !path.isEmpty() && OpenFile(path);
}

bool PgnOpener::OpenFile(const QString& path) {
    // A game is opened only between moves of a local game.
    if (ComputerBusy || window_.MoveBeingMade()) return false;
    if (NetworkGame) {
        Fail(QStringLiteral("Uma partida PGN não pode ser aberta durante um jogo em rede."));
        return false;
    }
    std::string text;
    PgnFailure failure;
    if (!LoadPgnFile(QFile::encodeName(path).toStdString(), text, failure)) {
        Fail(QString::fromStdString(failure.Message()));
        return false;
    }
    const PgnIndex index = IndexPgn(text);
    if (index.games.empty()) {
        failure.fault = PgnFault::NoGames;
        Fail(QString::fromStdString(failure.Message()));
        return false;
    }
    frmPartidas picker(index, &window_);
    window_.CenterOverBoard(&picker);
    const bool chosen = pick ? pick(picker) : picker.exec() == QDialog::Accepted;
    if (!chosen || picker.Game() < 1) return false;
    PgnGameRead read;
    if (!ReadPgnGame(text, index, picker.Game(), read, failure)) {
        Fail(QString::fromStdString(failure.Message()));
        return false;
    }
    // The game goes on from its last position in the chosen mode; its moves
    // are replayed from its start through the window's record.
    GameRecord record;
    record.startFen = read.startFen;
    for (const MoveText& move : read.moves) record.moves.push_back(FormatMoveText(move));
    const int mode = picker.Mode();
    record.whiteAtBottom = mode != 2;
    PlayerOption = static_cast<std::int16_t>(mode);
    LoadedSide = read.finalFen.find(" b ") != std::string::npos ? 1 : 0;
    const std::string placement = read.finalFen.substr(0, read.finalFen.find(' '));
    window_.ResumeLoadedGame(placement + " w - - 0", &record);
    return true;
}

} // namespace corvane

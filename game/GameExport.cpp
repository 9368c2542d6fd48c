// The game taken out of the program: PGN to a file, the position as FEN to the clipboard.
#include <QApplication>
#include <QClipboard>
#include <QDate>
#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QSaveFile>

#include "game/frmMain.h"
#include "kit/QuestionBox.h"
#include "rules/Notation.h"
#include "rules/Pgn.h"

namespace corvane {

namespace {

std::string LevelName() {
    switch (Level) {
    case 1:
        return "Iniciante";
    case 3:
        return "Avançado";
    default:
        return "Intermediário";
    }
}

} // namespace

// Over the window that is open (the Save window when it offers the export).
QWidget* frmMain::ExportParent() {
    QWidget* modal = QApplication::activeModalWidget();
    return modal != nullptr ? modal : this;
}

// The file chooser, in the program's language.
QString frmMain::AskExportFile(const QString& proposed) {
    QFileDialog dialog(ExportParent(), "Exportar PGN", proposed, "Partidas PGN (*.pgn)");
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix("pgn");
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setLabelText(QFileDialog::LookIn, "Procurar em:");
    dialog.setLabelText(QFileDialog::FileName, "Nome do arquivo:");
    dialog.setLabelText(QFileDialog::FileType, "Tipo:");
    dialog.setLabelText(QFileDialog::Accept, "Salvar");
    dialog.setLabelText(QFileDialog::Reject, "Cancelar");
    dialog.selectFile(proposed);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().first();
}

PgnGame frmMain::PlayedGame() const {
    PgnGame game;
    game.startFen = startFen_.empty() ? std::string(StandardStartFen) : startFen_;
    for (const GameHistory::Entry& entry : history_.Moves()) game.moves.push_back(entry.moveText);
    return game;
}

std::string frmMain::GamePgn() const {
    PgnGame game = PlayedGame();
    game.event = "Corvane";
    game.site = "Corvane";
    game.date = QDate::currentDate().toString("yyyy.MM.dd").toStdString();
    game.round = "-";
    const std::string cpu = "CPU (" + LevelName() + ")";
    game.white = captionMode_ == "CW" ? cpu : "Jogador";
    game.black = captionMode_ == "CB" ? cpu : "Jogador";
    if (NetworkGame) {
        game.white = localIsWhite_ ? nicks_[0] : nicks_[1];
        game.black = localIsWhite_ ? nicks_[1] : nicks_[0];
    }
    return WritePgn(game).text;
}

std::string frmMain::PositionFen() const {
    // In play the game's own moves tell the side to move (a mate leaves the
    // turn with the side that mated) and the half-move clock.
    if (!SetUpMode) {
        if (std::string fen = GameEndFen(PlayedGame()); !fen.empty()) return fen;
    }
    const RulesStateKeeper keeper;
    if (SetUpMode) LoadBoardFromView(*this, 0); // the position being set up
    return CurrentPositionFen(SideToMove == "B" ? "B" : "W", 0);
}

bool frmMain::GameInProgress() const {
    return !SetUpMode && !gameEnded_ && !NetworkGame && !history_.Moves().empty();
}

bool frmMain::PositionInProgress(std::string& position, std::string& sideToMove) const {
    const std::string fen = GameEndFen(PlayedGame());
    const std::size_t blank = fen.find(' ');
    if (blank == std::string::npos || blank + 1 >= fen.size()) return false;
    position = fen.substr(0, blank) + " w - - 0";
    sideToMove = fen[blank + 1] == 'b' ? "B" : "W";
    return true;
}

void frmMain::CopyPosition() {
    QGuiApplication::clipboard()->setText(QString::fromStdString(PositionFen()));
}

bool frmMain::ExportPgn() {
    // Not in the middle of a move: the chooser would hold it up.
    if (closing_ || ComputerBusy || promotionWaiting_ || movesUnderway_ > 0) return false;
    const QString proposed =
        QDir::home().filePath(QDate::currentDate().toString("'corvane-'yyyy-MM-dd'.pgn'"));
    const QString file = chooseExportFile ? chooseExportFile(proposed) : AskExportFile(proposed);
    if (file.isEmpty()) return false;
    QSaveFile out(file);
    const QByteArray text = QByteArray::fromStdString(GamePgn());
    if (!out.open(QIODevice::WriteOnly) || out.write(text) != text.size() || !out.commit()) {
        const QString message = "Não foi possível gravar o arquivo " + file;
        if (tellExportFailure) {
            tellExportFailure(message);
        } else {
            ShowWarningNotice(ExportParent(), "Exportar PGN", message);
        }
        return false;
    }
    return true;
}

} // namespace corvane

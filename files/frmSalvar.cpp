#include "files/frmSalvar.h"

#include "files/SavedGame.h"
#include "kit/PlainText.h"
#include "kit/QuestionBox.h"
#include "rules/GameState.h"
#include "rules/ModChecker.h"

#include <QApplication>

namespace corvane {

frmSalvar::frmSalvar(QWidget* parent)
    : BorderlessDialog(parent), Label2(this), Label1(this), txtNome(this),
      lblOk(QStringLiteral("&Ok"), this), lblCancelar(QStringLiteral("Cancelar"), this),
      lblExportar(QStringLiteral("Exportar PGN"), this), Image1(this) {
    setWindowTitle(QStringLiteral("SALVAR JOGO"));
    setFixedSize(380, 196);
    // Questions and notices cover the lower half of this window only: centred
    // on it they hid all of it but its edges, which showed as an empty frame.
    const auto place = [this](QDialog& box) {
        box.move(mapToGlobal(QPoint((width() - box.width()) / 2, height() / 2)));
        box.exec();
    };
    askOverwrite = [this, place](const QString& q) {
        QuestionBox box(QStringLiteral("Aviso"), q, WarningPicture(), this);
        place(box);
        return box.Answer();
    };
    tellFailure = [this, place](const QString& m) {
        MessageNotice notice(QStringLiteral("Aviso"), m, WarningPicture(), this);
        place(notice);
    };
    beep = [] { QApplication::beep(); };

    SetDialogHeading(Image1, Label2, 4, QStringLiteral("Salvar Jogo"), 16, 280);
    Label1.setText(QStringLiteral("Informe um nome descritivo:"));
    Label1.setGeometry(24, 66, 332, 22);
    Label1.setStyleSheet(DialogTextStyle);
    Label1.setAttribute(Qt::WA_TransparentForMouseEvents); // drags reach the window
    txtNome.setGeometry(24, 92, 332, 28);
    lblOk.setGeometry(70, 140, 110, 34);
    lblCancelar.setGeometry(200, 140, 110, 34);
    lblExportar.hide();

    connect(&txtNome, &QLineEdit::textChanged, this, &frmSalvar::NomeChanged);
    connect(&lblOk, &QAbstractButton::clicked, this, &frmSalvar::OkClick);
    SetDefaultButton(&lblOk); // Enter in the name box saves too
    connect(&lblCancelar, &QAbstractButton::clicked, this, &QDialog::reject);
    connect(&lblExportar, &QAbstractButton::clicked, this, [this] {
        if (export_ && export_()) reject();
    });

    MakeSaveFolder();
    txtNome.setText(ProposedSaveName());
    txtNome.selectAll();
    txtNome.setFocus();
}

void frmSalvar::OfferExport(std::function<bool()> action) {
    export_ = std::move(action);
    lblOk.setGeometry(18, 140, 100, 34);
    lblExportar.setGeometry(128, 140, 124, 34);
    lblCancelar.setGeometry(262, 140, 100, 34);
    lblExportar.show();
}

void frmSalvar::NomeChanged(const QString& text) {
    const QString clean = CleanSaveName(text);
    if (clean == text) return;
    // Keep the cursor after the same typed character.
    const int cursor = txtNome.cursorPosition();
    const int keptBefore = CleanSaveName(text.left(cursor)).size();
    const int before = clean.isEmpty() ? 0 : qMin<int>(keptBefore, clean.size());
    txtNome.setText(clean);
    txtNome.setCursorPosition(before);
}

void frmSalvar::OkClick() {
    const QString name = txtNome.text();
    if (name.isEmpty()) {
        beep();
        return;
    }
    if (SavedGameExists(name) && !askOverwrite(OverwriteQuestion(name))) return;
    const GameToSave game{QString::fromStdString(BuildPositionString()), Level, PlayerOption,
                          QString::fromStdString(SideToMove),
                          record ? record() : std::optional<GameRecord>()};
    if (!WriteSavedGame(name, game)) {
        tellFailure(SaveFailedMessage(name));
        return;
    }
    accept();
}

} // namespace corvane

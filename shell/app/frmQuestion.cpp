#include "shell/app/frmQuestion.h"

#include "assets/frmPieces.h"

namespace corvane {
namespace {

constexpr QSize kSize(380, 166);

void Look(QLabel& label, int pixels, bool bold) {
    QFont f = label.font();
    f.setPixelSize(pixels);
    f.setBold(bold);
    label.setFont(f);
    // a style sheet, so that the main window's label style cannot override it
    label.setStyleSheet(QStringLiteral("color: %1;").arg(QColor(QColor(236, 222, 190)).name()));
}

void Title(QLabel& label) {
    label.setText(QStringLiteral("Corvane"));
    Look(label, 16, true);
    label.setGeometry(20, 12, 200, 24);
}

void Text(QLabel& label, const QString& text) {
    label.setText(text);
    label.setWordWrap(true);
    Look(label, 14, false);
    label.setGeometry(92, 46, 270, 60);
    label.setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
}

void Picture(QLabel& label, const QString& name, QSize size) {
    label.setPixmap(frmPieces::Instance().Pixmap(name, size));
    label.setGeometry(
        QRect(QPoint(24 + (56 - size.width()) / 2, 48 + (56 - size.height()) / 2), size));
}

} // namespace

frmQuestion::frmQuestion(bool networkGame, QWidget* parent)
    : BorderlessDialog(parent), Label1(this), Label2(this), Image1(this),
      lblSim(QStringLiteral("&Sim"), this), lblNao(QStringLiteral("&Não"), this) {
    setFixedSize(kSize);
    setWindowTitle(QStringLiteral("Corvane"));
    Title(Label1);
    Text(Label2, networkGame ? QStringLiteral("Desejo entregar o jogo ?")
                             : QStringLiteral("Deseja Reniciar o jogo atual ?"));
    Picture(Image1, QStringLiteral("IMO5"), QSize(52, 52));
    lblSim.setGeometry(kSize.width() / 2 - 120, kSize.height() - 50, 110, 34);
    lblNao.setGeometry(kSize.width() / 2 + 10, kSize.height() - 50, 110, 34);
    connect(&lblSim, &ImageButton::clicked, this, &frmQuestion::Sim);
    connect(&lblNao, &ImageButton::clicked, this, &frmQuestion::Nao);
}

void frmQuestion::Sim() {
    answer_ = true;
    accept();
}

void frmQuestion::Nao() {
    answer_ = false;
    reject();
}

frmPause::frmPause(QWidget* parent)
    : BorderlessDialog(parent), Label1(this), Label2(this), Image1(this),
      lbOk(QStringLiteral("&OK"), this) {
    setFixedSize(kSize);
    setWindowTitle(QStringLiteral("Corvane"));
    Title(Label1);
    Text(Label2, QStringLiteral("Jogo em pausa. Clique no botão Ok para retornar"));
    Picture(Image1, QStringLiteral("ImgMao"), QSize(48, 48));
    lbOk.setGeometry((kSize.width() - 110) / 2, kSize.height() - 50, 110, 34);
    connect(&lbOk, &ImageButton::clicked, this, &frmPause::Ok);
}

} // namespace corvane

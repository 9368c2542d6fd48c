#include "shell/app/frmQuestion.h"

#include "shell/app/ShellPictures.h"

namespace corvane {
namespace {

constexpr QSize kSize(360, 160);

void Title(QLabel& label) {
    label.setText(QStringLiteral("Corvane"));
    QFont f = label.font();
    f.setPixelSize(16);
    f.setBold(true);
    label.setFont(f);
    label.setGeometry(18, 10, 200, 24);
}

void Text(QLabel& label, const QString& text) {
    label.setText(text);
    label.setWordWrap(true);
    QFont f = label.font();
    f.setPixelSize(14);
    label.setFont(f);
    label.setGeometry(84, 44, 256, 56);
    label.setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
}

} // namespace

frmQuestion::frmQuestion(bool networkGame, QWidget* parent)
    : ShellDialog(kSize, 2, parent), Label1(this), Label2(this), Image1(this),
      lblSim(QStringLiteral("&Sim"), QSize(100, 30), this),
      lblNao(QStringLiteral("&Não"), QSize(100, 30), this) {
    setWindowTitle(QStringLiteral("Corvane"));
    Title(Label1);
    Text(Label2, networkGame ? QStringLiteral("Desejo entregar o jogo ?")
                             : QStringLiteral("Deseja Reniciar o jogo atual ?"));
    Image1.setPixmap(ShellPictures::Res());
    Image1.setGeometry(22, 48, 48, 48);
    lblSim.move(kSize.width() / 2 - 110, kSize.height() - 46);
    lblNao.move(kSize.width() / 2 + 10, kSize.height() - 46);
    connect(&lblSim, &CaptionButton::clicked, this, &frmQuestion::Sim);
    connect(&lblNao, &CaptionButton::clicked, this, &frmQuestion::Nao);
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
    : ShellDialog(kSize, 2, parent), Label1(this), Label2(this), Image1(this),
      lbOk(QStringLiteral("&OK"), QSize(100, 30), this) {
    setWindowTitle(QStringLiteral("Corvane"));
    Title(Label1);
    Text(Label2, QStringLiteral("Jogo em pausa. Clique no botão Ok para retornar"));
    Image1.setPixmap(ShellPictures::Mao());
    Image1.setGeometry(22, 48, 48, 48);
    lbOk.move((kSize.width() - 100) / 2, kSize.height() - 46);
    connect(&lbOk, &CaptionButton::clicked, this, &frmPause::Ok);
}

} // namespace corvane

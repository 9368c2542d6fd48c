#include "app/frmQuestion.h"

#include "assets/frmPieces.h"

namespace corvane {

frmQuestion::frmQuestion(bool networkGame, QWidget* parent)
    : QuestionBox(QStringLiteral("Corvane"),
                  networkGame ? QStringLiteral("Desejo entregar o jogo ?")
                              : QStringLiteral("Deseja Reniciar o jogo atual ?"),
                  frmPieces::Instance().Pixmap(QStringLiteral("IMO5"), QSize(52, 52)), parent) {}

frmPause::frmPause(QWidget* parent)
    : NoticeDialog(QStringLiteral("Corvane"),
                   QStringLiteral("Jogo em pausa. Clique no botão Ok para retornar"),
                   frmPieces::Instance().Pixmap(QStringLiteral("ImgMao"), QSize(48, 48)), parent),
      lbOk(QStringLiteral("&OK"), this) {
    PlaceButton(lbOk, 0, 1);
    connect(&lbOk, &ImageButton::clicked, this, &frmPause::Ok);
    SetDefaultButton(&lbOk);
}

} // namespace corvane

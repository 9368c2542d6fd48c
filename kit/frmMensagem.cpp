#include "kit/frmMensagem.h"

#include "kit/EventWait.h"
#include "kit/ModResWav.h"
#include "kit/PlainText.h"
#include "rules/GameState.h"

#include <QFont>
#include <cmath>

namespace corvane {
namespace {

double timeScale = 1.0;

int Scaled(int ms) {
    return int(std::lround(ms * timeScale));
}

} // namespace

void frmMensagem::SetTimeScale(double scale) {
    timeScale = scale < 0 ? 0 : scale;
}
double frmMensagem::TimeScale() {
    return timeScale;
}

int frmMensagem::SoundFor(const std::string& status, const std::string& sideToMove) {
    const bool white = sideToMove == "W";
    if (status == "XEQUE") return white ? SoundCheck : SoundCheckMan;
    if (status == "XEQUE-MATE") return white ? SoundCheckmate : SoundCheckmateMan;
    if (status == "EMPATE") return SoundDraw;
    if (status == "STALEMATE") return SoundStalemate;
    return -1;
}

frmMensagem::frmMensagem(QWidget* parent) : BorderlessDialog(parent), LabMessage(this) {
    setWindowTitle(QStringLiteral("Corvane"));
    SetOpacity(Alpha);
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(24);
    f.setBold(true);
    LabMessage.setFont(f);
    LabMessage.setAlignment(Qt::AlignCenter);
    LabMessage.setStyleSheet(QStringLiteral("color: rgb(240, 226, 194); background: transparent;"));
    LabMessage.setAttribute(Qt::WA_TransparentForMouseEvents); // drags reach the window
    layout_.setContentsMargins(28, 18, 28, 18);
    layout_.addWidget(&LabMessage);
    setLayout(&layout_);
    ShowPlain(LabMessage, QString::fromStdString(GameStatus));
    LabMessage.repaint();
    setMinimumSize(260, 90);
    adjustSize();

    tmrSom.setSingleShot(false);
    tmrClose.setSingleShot(false);
    connect(&tmrSom, &QTimer::timeout, this, &frmMensagem::SomTick);
    connect(&tmrClose, &QTimer::timeout, this, &frmMensagem::CloseTick);
    tmrSom.start(Scaled(SoundDelayMs));
}

void frmMensagem::FitWidth(int width) {
    LabMessage.setWordWrap(true);
    setMaximumWidth(std::max(width, minimumWidth()));
    adjustSize();
}

void frmMensagem::SomTick() {
    tmrSom.stop();
    closeDelay_ = GameStatus == "XEQUE" ? CheckCloseMs : CloseMs;
    // SideToMove still names the side that has just moved.
    const int sound = SoundFor(GameStatus, SideToMove);
    if (sound >= 0) PlaySound(std::int16_t(sound));
    tmrClose.start(Scaled(closeDelay_));
}

void frmMensagem::CloseTick() {
    tmrClose.stop();
    accept();
}

void ShowGameMessage(QWidget* boardWidget) {
    // No parent: the window must not be destroyed under its own modal loop when
    // the main window goes away meanwhile.
    frmMensagem message;
    if (boardWidget != nullptr) message.FitWidth(boardWidget->width());
    message.adjustSize();
    CenterOverBoard(&message, boardWidget);
    ShowModally(message);
}

} // namespace corvane

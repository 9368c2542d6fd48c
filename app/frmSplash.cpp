#include "app/frmSplash.h"

#include "assets/frmPieces.h"
#include "kit/EventWait.h"

namespace corvane {

frmSplash::frmSplash(int closeAfterMs, QWidget* parent)
    : QDialog(parent, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::SplashScreen),
      Image1(this), lblLoading(this) {
    setWindowTitle(QStringLiteral("Corvane"));
    const QPixmap picture = frmPieces::Instance().Pixmap(QStringLiteral("Splash"));
    setFixedSize(picture.size());
    Image1.setPixmap(picture);
    Image1.setGeometry(QRect(QPoint(0, 0), picture.size()));
    lblLoading.setText(QStringLiteral("Aguarde, carregando...  "));
    QFont f = lblLoading.font();
    f.setPixelSize(14);
    lblLoading.setFont(f);
    // a style sheet, so that the main window's label style cannot override it
    lblLoading.setStyleSheet(
        QStringLiteral("color: %1;").arg(QColor(QColor(236, 222, 190)).name()));
    // under the title's brass line
    lblLoading.setGeometry(picture.width() * 45 / 100, picture.height() * 62 / 100,
                           picture.width() / 2, 24);
    tmrClose.setSingleShot(true);
    tmrClose.setInterval(closeAfterMs);
    connect(&tmrClose, &QTimer::timeout, this, &QDialog::accept);
}

void frmSplash::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    tmrClose.start(); // the time counts from the moment the window shows
}

void frmSplash::Run() {
    ShowModally(*this);
}

} // namespace corvane

#include "shell/app/frmSplash.h"

#include "shell/app/ShellPictures.h"

namespace corvane {

frmSplash::frmSplash(int closeAfterMs, QWidget* parent)
    : QDialog(parent, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::SplashScreen),
      Image1(this), lblLoading(this) {
    setWindowTitle(QStringLiteral("Corvane"));
    setAttribute(Qt::WA_TranslucentBackground);
    const QPixmap picture = ShellPictures::Splash();
    setFixedSize(picture.size());
    Image1.setPixmap(picture);
    Image1.setGeometry(QRect(QPoint(0, 0), picture.size()));
    lblLoading.setText(QStringLiteral("Aguarde, carregando...  "));
    QFont f = lblLoading.font();
    f.setPixelSize(14);
    lblLoading.setFont(f);
    QPalette pal = lblLoading.palette();
    pal.setColor(QPalette::WindowText, ShellPictures::CaptionChosen);
    lblLoading.setPalette(pal);
    lblLoading.setGeometry(174, 124, 210, 24);
    tmrClose.setSingleShot(true);
    tmrClose.setInterval(closeAfterMs);
    connect(&tmrClose, &QTimer::timeout, this, &QDialog::accept);
}

void frmSplash::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    tmrClose.start(); // the time counts from the moment the window shows
}

} // namespace corvane

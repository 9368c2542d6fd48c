#include "shell/app/ShellDialog.h"

#include "shell/app/ShellPictures.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QShortcut>
#include <QWindow>

namespace corvane {

CaptionButton::CaptionButton(const QString& caption, QSize size, QWidget* parent)
    : QLabel(parent), caption_(caption), normal_(ShellPictures::Button(false, size)),
      highlighted_(ShellPictures::Button(true, size)) {
    setFixedSize(size);
    setCursor(Qt::PointingHandCursor);
    // "&Jogar": Alt+J presses the button, as the underlined letter promises.
    const qsizetype amp = caption.indexOf(QLatin1Char('&'));
    if (amp >= 0 && amp + 1 < caption.size()) {
        shortcut_ = std::make_unique<QShortcut>(
            QKeySequence(QStringLiteral("Alt+") + caption[amp + 1]), parent);
        connect(shortcut_.get(), &QShortcut::activated, this, &CaptionButton::clicked);
    }
    setText(caption); // the accessible text carries the caption as the system shows it
}

void CaptionButton::SetLit(bool lit) {
    if (lit == lit_) return;
    lit_ = lit;
    update();
}

void CaptionButton::enterEvent(QEnterEvent*) {
    SetLit(true);
}
void CaptionButton::leaveEvent(QEvent*) {
    SetLit(false);
}

void CaptionButton::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
}

void CaptionButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawPixmap(0, 0, lit_ ? highlighted_ : normal_);
    QFont f = font();
    f.setBold(true);
    p.setFont(f);
    p.setPen(lit_ ? QColor(255, 255, 255) : ShellPictures::CaptionChosen);
    QString shown = caption_;
    const qsizetype amp = shown.indexOf(QLatin1Char('&'));
    if (amp >= 0) shown.remove(amp, 1);
    p.drawText(rect(), Qt::AlignCenter, shown);
    if (amp >= 0) { // underline the mnemonic letter
        const QFontMetrics fm(f);
        const int x0 =
            (width() - fm.horizontalAdvance(shown)) / 2 + fm.horizontalAdvance(shown.left(amp));
        const int y = (height() + fm.ascent() - fm.descent()) / 2 + 2;
        p.drawLine(x0, y, x0 + fm.horizontalAdvance(shown.mid(amp, 1)), y);
    }
}

ShellDialog::ShellDialog(QSize size, int frame, QWidget* parent)
    : QDialog(parent, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Dialog),
      frame_(frame == 1 ? ShellPictures::Frame1(size) : ShellPictures::Frame2(size)) {
    setFixedSize(size);
    setModal(true);
    setAttribute(Qt::WA_TranslucentBackground);
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, ShellPictures::CaptionChosen);
    setPalette(pal);
}

void ShellDialog::Beep() const {
    if (beep)
        beep();
    else
        QApplication::beep();
}

void ShellDialog::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    // Prefer the window manager's own move; without one, move by hand.
    if (windowHandle() != nullptr && windowHandle()->startSystemMove()) return;
    dragging_ = true;
    dragOffset_ = event->globalPosition().toPoint() - frameGeometry().topLeft();
}

void ShellDialog::mouseMoveEvent(QMouseEvent* event) {
    if (dragging_) move(event->globalPosition().toPoint() - dragOffset_);
}

void ShellDialog::mouseReleaseEvent(QMouseEvent*) {
    dragging_ = false;
}

void ShellDialog::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawPixmap(0, 0, frame_);
}

} // namespace corvane

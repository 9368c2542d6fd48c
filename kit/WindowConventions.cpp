#include "kit/WindowConventions.h"

#include "assets/frmPieces.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QWindow>

namespace corvane {

void SetDialogHeading(QLabel& picture, QLabel& title, int piece, const QString& text, int top,
                      int titleWidth) {
    picture.setPixmap(frmPieces::Instance().Piece(piece, 40, picture.devicePixelRatioF()));
    picture.setGeometry(22, top, 40, 40);
    QFont font = title.font();
    font.setPixelSize(20);
    font.setBold(true);
    title.setFont(font);
    title.setText(text);
    title.setGeometry(72, top + 4, titleWidth, 32);
    for (QLabel* label : {&picture, &title}) {
        label->setStyleSheet(DialogTextStyle);
        label->setAttribute(Qt::WA_TransparentForMouseEvents);
    }
}

void CenterOverBoard(QWidget* window, const QWidget* boardWidget) {
    if (window == nullptr || boardWidget == nullptr) return;
    const QPoint boardCentre = boardWidget->mapToGlobal(boardWidget->rect().center());
    QRect frame = window->frameGeometry();
    if (frame.isEmpty()) frame = QRect(window->pos(), window->sizeHint());
    window->move(window->pos() + boardCentre - frame.center());
}

// --- BorderlessDialog ---------------------------------------------------------------

BorderlessDialog::BorderlessDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setModal(true);
    setMouseTracking(true);
    setAttribute(Qt::WA_TranslucentBackground, false);
}

void BorderlessDialog::SetOpacity(int alpha) {
    opacity_ = qBound(0, alpha, 255);
    setWindowOpacity(opacity_ / 255.0);
}

void BorderlessDialog::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    if (!enter || mods != Qt::NoModifier) {
        QDialog::keyPressEvent(event); // Esc rejects
        return;
    }
    QAbstractButton* button = qobject_cast<ImageButton*>(focusWidget());
    if (button == nullptr || !isAncestorOf(button)) button = defaultButton_;
    if (button != nullptr && button->isVisible() && button->isEnabled()) button->click();
    event->accept();
}

void BorderlessDialog::paintEvent(QPaintEvent*) {
    QPainter p(this);
    // The window is rectangular: the rounded panel's corners show a dark edge.
    p.fillRect(rect(), QColor(30, 22, 16));
    p.drawPixmap(rect(), frmPieces::Instance().Panel(size(), devicePixelRatioF()));
}

void BorderlessDialog::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QDialog::mousePressEvent(event);
        return;
    }
    // Let the window system move the window where it can (Wayland needs that);
    // otherwise follow the mouse ourselves.
    if (windowHandle() != nullptr && QGuiApplication::platformName() != u"offscreen" &&
        windowHandle()->startSystemMove()) {
        event->accept();
        return;
    }
    dragging_ = true;
    grabOffset_ = event->globalPosition().toPoint() - frameGeometry().topLeft();
    event->accept();
}

void BorderlessDialog::mouseMoveEvent(QMouseEvent* event) {
    if (dragging_ && (event->buttons() & Qt::LeftButton)) {
        move(pos() + (event->globalPosition().toPoint() - grabOffset_) - frameGeometry().topLeft());
        event->accept();
        return;
    }
    // Moving over the background puts the buttons back to their normal pictures.
    ImageButton::ResetAll(this);
    QDialog::mouseMoveEvent(event);
}

void BorderlessDialog::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) dragging_ = false;
    QDialog::mouseReleaseEvent(event);
}

// --- ImageButton --------------------------------------------------------------------

ImageButton::ImageButton(const QString& caption, QWidget* parent) : QAbstractButton(parent) {
    setText(caption);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_Hover, true);
}

QSize ImageButton::sizeHint() const {
    const QFontMetrics fm(font());
    QString bare = text();
    bare.remove(u'&');
    return {qMax(110, fm.horizontalAdvance(bare) + 32), qMax(32, fm.height() + 14)};
}

void ImageButton::SetHighlighted(bool on) {
    if (highlighted_ == on) return;
    highlighted_ = on;
    update();
}

void ImageButton::ResetAll(QWidget* window) {
    if (window == nullptr) return;
    for (ImageButton* b : window->findChildren<ImageButton*>()) b->SetHighlighted(false);
}

void ImageButton::enterEvent(QEnterEvent* event) {
    if (QWidget* w = window())
        for (ImageButton* b : w->findChildren<ImageButton*>())
            if (b != this) b->SetHighlighted(false);
    SetHighlighted(true);
    QAbstractButton::enterEvent(event);
}

void ImageButton::leaveEvent(QEvent* event) {
    SetHighlighted(false);
    QAbstractButton::leaveEvent(event);
}

void ImageButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const bool lit = highlighted_ || isDown();
    p.drawPixmap(rect(), frmPieces::Instance().Button(size(), lit, devicePixelRatioF()));
    QFont f = font();
    f.setBold(true);
    p.setFont(f);
    p.setPen(isEnabled() ? (lit ? QColor(255, 248, 230) : QColor(236, 222, 190))
                         : QColor(140, 128, 110));
    style()->drawItemText(&p, rect(), Qt::AlignCenter | Qt::TextShowMnemonic, palette(),
                          isEnabled(), text());
    if (hasFocus()) {
        p.setPen(QPen(QColor(236, 222, 190, 120), 1, Qt::DotLine));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(QRectF(rect()).adjusted(4.5, 4.5, -4.5, -4.5), 5, 5);
    }
}

} // namespace corvane

#include "game/TypedMoveLine.h"

#include <QApplication>
#include <QKeyEvent>

#include "rules/TypedMove.h"

namespace corvane {

namespace {

// What the line holds at most: enough to show that a pasted text is too long
// (the reader refuses anything beyond MaxTypedMoveLength).
constexpr int LineLength = 2 * int(MaxTypedMoveLength);

} // namespace

TypedMoveLine::TypedMoveLine(QWidget* parent) : QLineEdit(parent) {
    setObjectName(QStringLiteral("txtLance"));
    setMaxLength(LineLength);
    setPlaceholderText(QStringLiteral("Lance: e4, Cf3, e2e4"));
    setAccessibleName(QStringLiteral("Lance digitado"));
    setFocusPolicy(Qt::StrongFocus);
    connect(this, &QLineEdit::returnPressed, this, [this] { Submit(); });
}

bool TypedMoveLine::Submit() {
    if (text().isEmpty() || !play) return false;
    // The line is emptied before the move is played: the waits inside a move let
    // keys run, and the same text must not be played twice.
    const QString typed = text();
    clear();
    const QString reason = play(typed);
    if (reason.isEmpty()) return true;
    if (text().isEmpty()) setText(typed); // kept to be mended
    if (beep) {
        beep();
    } else {
        QApplication::beep();
    }
    if (tell) tell(reason);
    return false;
}

// Esc belongs to the line while it holds text (the window's Esc lets a
// selected piece go).
bool TypedMoveLine::event(QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape && !text().isEmpty()) {
        event->accept();
        return true;
    }
    return QLineEdit::event(event);
}

void TypedMoveLine::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && !text().isEmpty()) {
        clear();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

} // namespace corvane

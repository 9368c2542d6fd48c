// Dialogs: dragging by the background, and lit buttons among other children.
#include "kit/WindowConventions.h"

#include <QApplication>
#include <QEnterEvent>
#include <QMessageBox>
#include <QMouseEvent>
#include <QTest>
#include <gtest/gtest.h>

namespace corvane {
namespace {

void SendMouse(QWidget* w, QEvent::Type type, QPoint local, Qt::MouseButton button,
               Qt::MouseButtons buttons) {
    QMouseEvent e(type, QPointF(local), QPointF(w->mapToGlobal(local)), button, buttons,
                  Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

TEST(WindowConventions, DraggingTheBackgroundMovesTheWindow) {
    BorderlessDialog d;
    d.setGeometry(200, 150, 300, 200);
    d.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&d));
    const QPoint start = d.pos();
    SendMouse(&d, QEvent::MouseButtonPress, QPoint(20, 20), Qt::LeftButton, Qt::LeftButton);
    // Each move is taken relative to the window where it stands after the last one.
    SendMouse(&d, QEvent::MouseMove, QPoint(40, 30), Qt::NoButton, Qt::LeftButton);
    SendMouse(&d, QEvent::MouseMove, QPoint(70, 50), Qt::NoButton, Qt::LeftButton);
    SendMouse(&d, QEvent::MouseButtonRelease, QPoint(70, 50), Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(d.pos(), start + QPoint(70, 40));
}

void Enter(QWidget* w) {
    QEnterEvent e(QPointF(5, 5), QPointF(w->mapTo(w->window(), QPoint(5, 5))),
                  QPointF(w->mapToGlobal(QPoint(5, 5))));
    QApplication::sendEvent(w, &e);
}

// A message box opened over a dialog puts plain buttons among the dialog's
// children; lighting the dialog's buttons must leave them alone.
TEST(WindowConventions, OtherButtonsAreNotImageButtons) {
    BorderlessDialog d;
    ImageButton abrir(QStringLiteral("&Abrir"), &d);
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Aviso"), QStringLiteral("x"),
                    QMessageBox::Yes | QMessageBox::No, &d);
    EXPECT_EQ(d.findChildren<ImageButton*>(), QList<ImageButton*>{&abrir});
    Enter(&abrir);
    EXPECT_TRUE(abrir.Highlighted());
    ImageButton::ResetAll(&d);
    EXPECT_FALSE(abrir.Highlighted());
}

} // namespace
} // namespace corvane

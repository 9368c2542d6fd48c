// Dialog conventions: window flags, placement over the board, dragging by the
// background, and button pictures that light up under the mouse.
#include "shell/kit/WindowConventions.h"

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

TEST(WindowConventions, CenterOverBoardPutsTheCentresTogether) {
    QWidget main;
    main.setGeometry(120, 80, 700, 560);
    QWidget board(&main);
    board.setGeometry(40, 60, 420, 420);
    main.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&main));
    for (const QSize size : {QSize(200, 100), QSize(300, 240), QSize(500, 500)}) {
        BorderlessDialog d;
        d.resize(size);
        d.move(0, 0);
        d.show();
        CenterOverBoard(&d, &board);
        const QPoint want = board.mapToGlobal(board.rect().center());
        EXPECT_LE((d.frameGeometry().center() - want).manhattanLength(), 1) << size.width();
    }
    CenterOverBoard(nullptr, &board); // nothing to do, no crash
    BorderlessDialog d;
    const QPoint before = d.pos();
    CenterOverBoard(&d, nullptr);
    EXPECT_EQ(d.pos(), before);
    d.SetOpacity(210);
    EXPECT_NEAR(d.windowOpacity(), 210 / 255.0, 0.01);
    d.SetOpacity(400); // clamped to opaque
    EXPECT_EQ(d.Opacity(), 255);
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
    // Moving without the button held does not move it; nor does the right button.
    const QPoint after = d.pos();
    SendMouse(&d, QEvent::MouseMove, QPoint(90, 90), Qt::NoButton, Qt::NoButton);
    SendMouse(&d, QEvent::MouseButtonPress, QPoint(10, 10), Qt::RightButton, Qt::RightButton);
    SendMouse(&d, QEvent::MouseMove, QPoint(60, 60), Qt::NoButton, Qt::RightButton);
    SendMouse(&d, QEvent::MouseButtonRelease, QPoint(60, 60), Qt::RightButton, Qt::NoButton);
    EXPECT_EQ(d.pos(), after);
}

void Enter(QWidget* w) {
    QEnterEvent e(QPointF(5, 5), QPointF(w->mapTo(w->window(), QPoint(5, 5))),
                  QPointF(w->mapToGlobal(QPoint(5, 5))));
    QApplication::sendEvent(w, &e);
}
void Leave(QWidget* w) {
    QEvent e(QEvent::Leave);
    QApplication::sendEvent(w, &e);
}

TEST(WindowConventions, ImageButtonsLightUpUnderTheMouse) {
    BorderlessDialog d;
    d.resize(300, 120);
    ImageButton jogar(QStringLiteral("&Jogar"), &d);
    ImageButton cancelar(QStringLiteral("&Cancelar"), &d);
    jogar.setGeometry(20, 60, 110, 32);
    cancelar.setGeometry(160, 60, 110, 32);
    d.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&d));
    const QImage normal = jogar.grab().toImage();

    Enter(&jogar);
    EXPECT_TRUE(jogar.Highlighted());
    EXPECT_FALSE(cancelar.Highlighted());
    EXPECT_NE(jogar.grab().toImage(), normal);
    // Entering the other puts the first back.
    Enter(&cancelar);
    EXPECT_FALSE(jogar.Highlighted());
    EXPECT_TRUE(cancelar.Highlighted());
    EXPECT_EQ(jogar.grab().toImage(), normal);
    Leave(&cancelar);
    EXPECT_FALSE(cancelar.Highlighted());
    // Moving over the background restores every button.
    jogar.SetHighlighted(true);
    cancelar.SetHighlighted(true);
    SendMouse(&d, QEvent::MouseMove, QPoint(150, 10), Qt::NoButton, Qt::NoButton);
    EXPECT_FALSE(jogar.Highlighted());
    EXPECT_FALSE(cancelar.Highlighted());
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
    ImageButton::ResetAll(&d);
    EXPECT_FALSE(abrir.Highlighted());
}

} // namespace
} // namespace corvane

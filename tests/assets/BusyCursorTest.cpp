// The busy cursor: shown over the application while active, its clock turns
// while events run, and the cursor in use before comes back.
#include "assets/BusyCursor.h"
#include "assets/frmPieces.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QTest>
#include <gtest/gtest.h>

namespace corvane {
namespace {

TEST(BusyCursor, StartShowsTheClockAndStopRestoresTheCursor) {
    ASSERT_EQ(QGuiApplication::overrideCursor(), nullptr);
    QGuiApplication::setOverrideCursor(Qt::CrossCursor); // the cursor in use before
    BusyCursor::Start();
    ASSERT_TRUE(BusyCursor::IsActive());
    ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::BitmapCursor);
    BusyCursor::Start(); // a second start changes nothing
    BusyCursor::Stop();
    EXPECT_FALSE(BusyCursor::IsActive());
    ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::CrossCursor);
    BusyCursor::Stop(); // harmless when not showing
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::CrossCursor);
    QGuiApplication::restoreOverrideCursor();
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST(BusyCursor, TheClockTurnsWhileEventsRun) {
    BusyCursor::Start();
    const int first = BusyCursor::Frame();
    QElapsedTimer t;
    t.start();
    while (BusyCursor::Frame() == first && t.elapsed() < 5000) QTest::qWait(20);
    EXPECT_NE(BusyCursor::Frame(), first);
    BusyCursor::Stop();
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    // Every frame is a different picture.
    for (int i = 0; i < frmPieces::BusyFrames; ++i)
        for (int j = i + 1; j < frmPieces::BusyFrames; ++j)
            EXPECT_NE(frmPieces::BusyCursorPixmap(i).toImage(),
                      frmPieces::BusyCursorPixmap(j).toImage());
}

} // namespace
} // namespace corvane

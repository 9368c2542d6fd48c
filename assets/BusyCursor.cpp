#include "assets/BusyCursor.h"

#include "assets/frmPieces.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QTimer>

namespace corvane {
namespace {

struct BusyState {
    QTimer timer;
    bool active = false;
    int frame = 0;
    BusyState() {
        timer.setInterval(BusyCursor::FrameIntervalMs);
        QObject::connect(&timer, &QTimer::timeout, [this] {
            frame = (frame + 1) % frmPieces::BusyFrames;
            if (active) QGuiApplication::changeOverrideCursor(frmPieces::BusyCursorFrame(frame));
        });
    }
};

BusyState& State() {
    static BusyState state;
    static const bool registered = [] {
        // The timer must not outlive the application's event dispatcher running.
        qAddPostRoutine([] {
            State().timer.stop();
            State().active = false;
        });
        return true;
    }();
    (void)registered;
    return state;
}

} // namespace

void BusyCursor::Start() {
    BusyState& s = State();
    if (s.active) return;
    s.active = true;
    s.frame = 0;
    // The override cursor stack keeps the cursor in use underneath.
    QGuiApplication::setOverrideCursor(frmPieces::BusyCursorFrame(0));
    s.timer.start();
}

void BusyCursor::Stop() {
    BusyState& s = State();
    if (!s.active) return;
    s.timer.stop();
    s.active = false;
    QGuiApplication::restoreOverrideCursor();
}

bool BusyCursor::IsActive() {
    return State().active;
}

int BusyCursor::Frame() {
    return State().frame;
}

} // namespace corvane

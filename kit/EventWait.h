#pragma once
// The program's waits. It has one thread, so a wait must let the window's
// events run: it sleeps in an event loop until a mouse press, a timer, a
// socket notification or a repaint arrives, handles it, and looks at its
// condition again whenever the loop has nothing left to do. Nothing spins,
// and a condition that already holds ends the wait before it sleeps.
#include <functional>

class QDialog;

namespace corvane {

// Runs events until done() holds or, when limitMs is not negative, until that
// many milliseconds have passed. Returns done() as it stands at the end.
bool RunEventsUntil(const std::function<bool()>& done, int limitMs = -1);

// Runs events for ms milliseconds, ending earlier once stop() holds.
void RunEventsFor(int ms, const std::function<bool()>& stop = {});

// Shows the dialog modally and returns its result once it is hidden again,
// also when it closed itself before the wait began (a timer that ran out while
// the window was being shown).
int ShowModally(QDialog& dialog);

} // namespace corvane

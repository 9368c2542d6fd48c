#pragma once
// The transient status message over the board (check, mate, draw, set-up
// reasons): shown modally, closes itself. Sound and closing delays follow the
// status text.
#include <QString>
#include <QWidget>
#include <functional>

namespace corvane {

// Time scale of the message window's timers (1.0 in the program; tests shrink it).
extern double MessageTimeScale;

// Shows the text centred on the given centre point and returns when the window
// has closed. sound(n) is called with the status sound, if the text has one.
void ShowStatusMessage(const QString& text, QPoint centre, const std::function<void(int)>& sound);

} // namespace corvane

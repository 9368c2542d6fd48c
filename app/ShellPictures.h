#pragma once
// The program's icon (desktop entry, package, window), painted from the same
// artwork as the piece-image holder. The shell's other pictures (tabs, radio
// images, player icons, menu buttons, frames, splash) come from frmPieces.
#include <QPixmap>
#include <QString>
#include <functional>

namespace corvane {

QPixmap AppIcon(int size);

// The shell's refusals sound the system beep; a test may catch them instead.
void Beep(const std::function<void()>& hook);

} // namespace corvane

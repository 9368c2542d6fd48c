#include "rules/SquareImages.h"

#include "rules/GameState.h"

namespace corvane {

// Turning the board over moves the pictures on the screen, never the square an
// image stands for; the plain view has no pictures, so only the orientation changes.
void PlainSquareImages::Flip() {
    WhiteAtBottom = !WhiteAtBottom;
}

} // namespace corvane

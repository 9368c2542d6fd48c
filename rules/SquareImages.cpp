#include "rules/SquareImages.h"

#include <utility>

#include "rules/GameState.h"

namespace corvane {

// Turning the board over mirrors every square through the centre.
void PlainSquareImages::Flip() {
    for (int i = 0; i < 32; ++i) std::swap(tags_[i], tags_[63 - i]);
    WhiteAtBottom = !WhiteAtBottom;
}

} // namespace corvane

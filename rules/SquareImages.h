#pragma once
// The 64 square images of a board view, as the core sees them: a text tag per
// image (its PieceCode, "" when empty), index 0 = a8 .. 63 = h1. Turning the view
// over moves the images on the screen but never changes the square an index
// stands for. The Qt board view implements this; tools and tests use
// PlainSquareImages.
#include <array>
#include <string>
#include <string_view>

namespace corvane {

class SquareImages {
public:
    virtual ~SquareImages() = default;
    virtual std::string Tag(int index) const = 0;
    // Shows the piece with this code (picture, drag icon, tag, visible); "" empties the image.
    virtual void SetSquare(int index, std::string_view code) = 0;
    // Empties the move-text label and the move list of the window.
    virtual void ClearMoveTextAndList() = 0;
    // Turns the view over (WhiteAtBottom is toggled by the implementation); the
    // tag of every index stays where it is.
    virtual void Flip() = 0;
};

// 64 tags and nothing else: the board view of the engine tool, benchmarks and tests.
class PlainSquareImages : public SquareImages {
public:
    std::string Tag(int index) const override { return tags_.at(index); }
    void SetSquare(int index, std::string_view code) override { tags_.at(index) = code; }
    void ClearMoveTextAndList() override { ++clears_; }
    void Flip() override;
    int Clears() const { return clears_; }

private:
    std::array<std::string, 64> tags_{};
    int clears_ = 0;
};

} // namespace corvane

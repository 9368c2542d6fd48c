// The position string of a saved game: FEN-style placement and a fixed tail.
#include "rules/RulesInternal.h"

namespace corvane {

namespace {

constexpr char kLetters[13] = {'\0', 'R', 'N', 'B', 'Q', 'K', 'P', 'r', 'n', 'b', 'q', 'k', 'p'};

PieceIndex PieceOfLetter(char c) {
    for (int i = 1; i <= 12; ++i) {
        if (kLetters[i] == c) return static_cast<PieceIndex>(i);
    }
    return Empty;
}

// The value of the leading number of a text (blanks skipped, 0 when there is none),
// held within -MaxMoveNumber..MaxMoveNumber.
std::int32_t NumberOf(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > MaxMoveNumber) value = MaxMoveNumber;
    }
    return static_cast<std::int32_t>(negative ? -value : value);
}

} // namespace

std::string detail::PlacementOf(const PlyBoard& board) {
    std::string text;
    text.reserve(72);
    for (int rank = 8; rank >= 1; --rank) {
        int run = 0;
        for (int file = 1; file <= 8; ++file) {
            const PieceIndex p = board[rank][file];
            if (p == Empty || p > 12) {
                ++run;
                continue;
            }
            if (run > 0) text += static_cast<char>('0' + run);
            run = 0;
            text += kLetters[p];
        }
        if (run > 0) text += static_cast<char>('0' + run);
        if (rank > 1) text += '/';
    }
    return text;
}

std::string BuildPositionString() {
    return detail::PlacementOf(Board[0]) + " w - - 0";
}

void LoadPosition(SquareImages& view, const std::string& text, std::string& side) {
    ClearBoardView(view);
    PieceTotal = WhitePieceTotal = BlackPieceTotal = 0;
    if (!WhiteAtBottom) view.Flip();
    int square = 0, rowStart = 0;
    bool placementDone = false;
    // Far beyond the board: a long text cannot push the square count out of range.
    constexpr int kFar = 1 << 20;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '/') {
            rowStart = rowStart < kFar ? rowStart + 8 : kFar;
            square = rowStart;
        } else if (c == 'w' && placementDone) {
            side = "W";
        } else if (c == 'b' && placementDone) {
            side = "B";
        } else if (c == ' ') {
            placementDone = true;
        } else if (c == '-') {
            if (text.size() - i - 1 >= 4) {
                LoadedMoveNumber = NumberOf(std::string_view(text).substr(i + 4));
                break;
            }
            LoadedMoveNumber = 0;
        } else if (!placementDone) {
            if (c >= '9') {
                const PieceIndex piece = PieceOfLetter(static_cast<char>(c));
                if (piece != Empty && square >= 0 && square < 64) {
                    view.SetSquare(square, PieceCodeOf(piece));
                    ++PieceTotal;
                    ++(IsWhitePiece(piece) ? WhitePieceTotal : BlackPieceTotal);
                }
                ++square;
            } else if (c >= '0') {
                square += c - '0';
            }
            if (square > kFar) square = kFar;
        }
    }
}

} // namespace corvane

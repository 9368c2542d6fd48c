// Random texts and coordinates: nothing reaches outside the arrays, refusals change nothing.
#include "RulesTestSupport.h"

using namespace corvane;

namespace {

// Letters and digits the readers look for, blanks, separators and bytes above 127.
std::string RandomText(std::mt19937& random) {
    static const std::string alphabet = "WBRNQKPrnbqkpw abcdefgh0123456789/-x=!\t\x80\xc3\xff";
    std::string text(random() % 121, ' ');
    for (char& c : text) c = alphabet[random() % alphabet.size()];
    return text;
}

TEST(InputFuzz, CoordinatesAndPliesOutOfRange) {
    std::mt19937 random(8);
    std::uniform_int_distribution<int> coordinate(-3, 11), ply(-2, MaxDepth + 3), piece(0, 14);
    rulestest::Setup("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", 0);
    for (int p = 1; p <= MaxDepth; ++p) {
        Board[p] = Board[0];
        CopyPlyFlags(0, p);
    }
    const rulestest::ModelSnapshot before;
    for (int i = 0; i < 20000; ++i) {
        FromRank = coordinate(random), FromFile = coordinate(random);
        ToRank = coordinate(random), ToFile = coordinate(random);
        const int at = ply(random);
        const auto kind = static_cast<PieceIndex>(piece(random));
        MoveBarred(kind, at);
        IsSquareAttacked(ToRank, ToFile, i % 2 ? "W" : "B", at, i % 3 == 0, i % 5 == 0);
        CanPieceReach(kind, FromRank, FromFile, ToRank, ToFile, at);
        KingSquareUnsafe(ToRank, ToFile, at);
        ASSERT_TRUE(before.BoardsEqual());
        for (int p = 0; p <= MaxDepth; ++p) before.RestoreFlags(p);
    }
}

TEST(InputFuzz, PositionAndFenTexts) {
    std::mt19937 random(9);
    rulestest::Setup("4k3/8/8/8/8/8/8/4K3 w - -", 0);
    const rulestest::ModelSnapshot before;
    PlainSquareImages view;
    for (int i = 0; i < 5000; ++i) {
        const std::string text = RandomText(random);
        std::string side;
        LoadPosition(view, text, side);
        ASSERT_LE(PieceTotal, 64);
        FenPosition fen;
        LoadFen(text, 1, fen); // may only ever write ply 1
        ASSERT_EQ(before.board[0], Board[0]);
    }
}

} // namespace

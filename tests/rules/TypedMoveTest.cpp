// The typed-move reader: coordinates, standard notation with English or Portuguese letters.
#include "rules/TypedMove.h"
#include "RulesTestSupport.h"

using namespace corvane;

namespace {

TEST(TypedMove, FormsAndRefusals) {
    const char* const kStart = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";
    // The rook on a2 and the king on e1 both reach e2 and d2; only the king reaches f1.
    const char* const kRookKing = "4k3/8/8/8/8/8/R7/2B1K1N1 w - - 0 1";
    const char* const kCastles = "r3k2r/8/8/8/8/8/3Q4/R3K2R w KQkq - 0 1";
    const char* const kPromotes = "1n5k/P7/8/8/8/8/8/K7 w - - 0 1";
    const char* const kPassant = "4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 2";
    // Position, typed text, the move text read or the reason shown.
    const char* const rows[][3] = {
        {kStart, "e2e4", "WP e2-e4"},
        {kStart, "E2E4", "WP e2-e4"},
        {kStart, "e2-e4", "WP e2-e4"},
        {kStart, " e4\t", "WP e2-e4"},
        {kStart, "g1f3", "WN g1-f3"},
        {kStart, "Nf3", "WN g1-f3"},
        {kStart, "nf3", "WN g1-f3"},
        {kStart, "Cf3", "WN g1-f3"},
        {kStart, "Cc3+", "WN b1-c3"},
        {kStart, "cf3", "Lance impossível nesta posição"},  // "c" is a file
        {kStart, "e7e5", "Lance impossível nesta posição"}, // White to move
        {kStart, "e2e5", "Lance impossível nesta posição"},
        {kStart, "e2e4q", "Lance impossível nesta posição"},
        {kStart, "e2xe4", "Lance impossível nesta posição"},
        {kStart, "e1g1", "Lance impossível nesta posição"},
        {kStart, "", "Lance mal escrito"},
        {kStart, "   ", "Lance mal escrito"},
        {kStart, "e2 e4", "Lance mal escrito"},
        {kStart, "e2e4\n", "Lance mal escrito"},
        {kStart, "e4\x01", "Lance mal escrito"},
        {kStart, "e4\x7f", "Lance mal escrito"},
        {kStart,
         "\xc3\xa9"
         "4",
         "Lance mal escrito"},
        {kStart, "Xf3", "Lance mal escrito"},
        {kStart, "e2e4e4", "Lance mal escrito"},
        {kStart, "e2e4k", "Lance mal escrito"},
        {kStart, "e2e9", "Lance mal escrito"},
        {kStart, "Nf3Nf3Nf3Nf3Nf3N", "Lance mal escrito"},
        {kStart, "Nf3Nf3Nf3Nf3Nf3Nf3", "Lance mal escrito"}, // past the length limit
        {kRookKing, "Re2", "Lance ambíguo"},
        {kRookKing, "Rd2", "Lance ambíguo"},
        {kRookKing, "Rae2", "WR a2-e2"},
        {kRookKing, "Te2", "WR a2-e2"},
        {kRookKing, "te2", "WR a2-e2"},
        {kRookKing, "Ke2", "WK e1-e2"},
        {kRookKing, "Rf1", "WK e1-f1"},  // rei
        {kRookKing, "Ra8+", "WR a2-a8"}, // rook
        {kRookKing, "rf1", "WK e1-f1"},
        {kRookKing, "rf2", "Lance ambíguo"},
        {kRookKing, "Bd2", "WB c1-d2"}, // bishop and bispo alike
        {kRookKing, "Bb2", "WB c1-b2"},
        {kRookKing, "bd2", "Lance impossível nesta posição"}, // "b" is a file
        {kRookKing, "Ce2", "WN g1-e2"},
        {kRookKing, "Ch3", "WN g1-h3"},
        {kCastles, "O-O", "WK e1-g1"},
        {kCastles, "0-0", "WK e1-g1"},
        {kCastles, "o-o-o", "WK e1-c1"},
        {kCastles, "e1g1", "WK e1-g1"},
        {kCastles, "E1C1", "WK e1-c1"},
        {kCastles, "Dd8+", "WQ d2-d8"},
        {kCastles, "qh6", "WQ d2-h6"},
        {kCastles, "Dxa5", "Lance impossível nesta posição"},
        {kPromotes, "a8=Q", "WP a7-a8=WQ"},
        {kPromotes, "a8=D", "WP a7-a8=WQ"},
        {kPromotes, "a8d", "WP a7-a8=WQ"},
        {kPromotes, "a8=T", "WP a7-a8=WR"},
        {kPromotes, "a8=R", "WP a7-a8=WR"}, // a rei cannot be promoted to
        {kPromotes, "a8=c", "WP a7-a8=WN"},
        {kPromotes, "axb8=B", "WP a7xb8=WB"},
        {kPromotes, "a7a8q", "WP a7-a8=WQ"},
        {kPromotes, "a7a8=N", "WP a7-a8=WN"},
        {kPromotes, "A7B8T", "WP a7xb8=WR"},
        {kPromotes, "a7a8c", "WP a7-a8=WN"},
        {kPromotes, "a7a8", "WP a7-a8"}, // the chooser asks
        {kPromotes, "a8", "WP a7-a8"},
        {kPromotes, "a7a8k", "Lance mal escrito"},
        {kPromotes, "a8=K", "Lance mal escrito"},
        {kPassant, "e5d6", "WP e5-d6"},
        {kPassant, "exd6", "WP e5-d6"},
        {kPassant, "e5xd6", "WP e5-d6"},
    };
    for (const auto& [fen, text, expected] : rows) {
        const std::string side = rulestest::Setup(fen);
        const rulestest::ModelSnapshot before;
        MoveText move;
        const MoveRefusal refusal = ReadTypedMove(text, side, 0, move);
        EXPECT_EQ(refusal == MoveRefusal::None ? FormatMoveText(move) : MoveRefusalText(refusal),
                  expected)
            << fen << " [" << text << "]";
        EXPECT_TRUE(before.Unchanged() && before.results == rulestest::SharedResults()) << text;
    }
}

} // namespace

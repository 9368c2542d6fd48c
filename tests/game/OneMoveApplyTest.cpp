// Every mover makes its move the same way: a person's drag, the peer's move and
// the rules core's ApplyMove leave the same position and the same flags, and the
// board view shows that position.
#include "GameTestSupport.h"
#include "rules/MoveText.h"

namespace corvane::testing {
namespace {

struct Row {
    const char* name;
    const char* pieces;
    std::vector<std::string> moves; // "e2e4", "a7a8N": from, to, promotion kind
    const char* flags; // ply 0 after the last move: castling W B, pawns W B, CastleMade
};

const std::vector<Row> kRows = {
    {"white castles short",
     "WK e1 WR h1 WR a1 BK e8 BR a8 BR h8",
     {"e1g1"},
     "200 000 0000 0000 0000"},
    {"white castles long",
     "WK e1 WR h1 WR a1 BK e8 BR a8 BR h8",
     {"e1c1"},
     "300 000 0000 0000 0000"},
    {"black castles short",
     "WK e1 WP a2 BK e8 BR a8 BR h8",
     {"a2a3", "e8g8"},
     "000 200 0000 0000 0000"},
    {"black castles long",
     "WK e1 WP a2 BK e8 BR a8 BR h8",
     {"a2a3", "e8c8"},
     "000 300 0000 0000 0000"},
    {"white takes en passant",
     "WK e1 WN b1 WP e5 BK e8 BP d7",
     {"b1c3", "d7d5", "e5d6"},
     "000 000 0000 0000 0000"},
    {"black takes en passant",
     "WK e1 WP e2 BK e8 BP d4",
     {"e2e4", "d4e3"},
     "000 000 0000 0000 0000"},
    {"white double step", "WK e1 WP e2 BK e8", {"e2e4"}, "000 000 0500 0000 0000"},
    {"promotion to a rook", "WK e1 WP a7 BK h8", {"a7a8R"}, "000 001 0000 0000 0000"},
    {"promotion to a knight", "WK e1 WP a7 BK h8", {"a7a8N"}, "000 001 0000 0000 0000"},
    {"promotion to a bishop", "WK e1 WP a7 BK h8", {"a7a8B"}, "000 001 0000 0000 0000"},
    {"promotion to a queen", "WK e1 WP a7 BK h8", {"a7a8Q"}, "000 001 0000 0000 0000"},
    {"black promotes", "WK e1 WP a2 BK h8 BP h2", {"a2a3", "h2h1N"}, "010 000 0000 0000 0000"},
    {"capture promotion on a corner rook",
     "WK e1 WP b7 BK e8 BR a8",
     {"b7a8N"},
     "000 001 0000 0000 0000"},
    {"rooks leave their corners",
     "WK e1 WR a1 WR h1 BK e8 BR a8 BR h8",
     {"h1h4", "a8a6", "a1a3", "h8h5"},
     "011 011 0000 0000 0000"},
    {"kings step", "WK e1 WP a2 BK e8 BP h7", {"e1e2", "e8d7"}, "100 100 0000 0000 0000"},
    {"captures on corner rooks",
     "WK e1 WB c3 WR a1 BK e8 BN b3 BR h8",
     {"c3h8", "b3a1"},
     "001 010 0000 0000 0000"},
};

struct Position {
    PlyBoard board;
    std::array<PlyFlags, 5> flags;
    bool operator==(const Position&) const = default;
};

Position GamePosition() {
    return {Board[0],
            {WhiteCastleFlags[0], BlackCastleFlags[0], WhitePawnFlags[0], BlackPawnFlags[0],
             CastleMade[0]}};
}

std::string FlagText(const Position& p) {
    std::string s;
    const int used[5] = {3, 3, 4, 4, 4};
    for (int a = 0; a < 5; ++a) {
        if (a > 0) s += ' ';
        for (int e = 0; e < used[a]; ++e) s += char('0' + p.flags[a][e]);
    }
    return s;
}

class OneMoveApplyTest : public GameWindowTest {
protected:
    // The move of a row's entry, as the position at ply 0 reads it.
    static MoveText MoveOf(const std::string& m) {
        const int fr = m[1] - '0', ff = m[0] - 'a' + 1, tr = m[3] - '0', tf = m[2] - 'a' + 1;
        MoveText move{Board[0][fr][ff], fr, ff, tr, tf, Board[0][tr][tf] != Empty, ""};
        if (m.size() > 4) move.promotion = std::string(IsWhitePiece(move.piece) ? "W" : "B") + m[4];
        return move;
    }
    void Start(const Row& row) {
        window->NovoJogo(3);
        StartFrom(row.pieces);
    }
    void ExpectViewShowsModel() {
        for (int i = 0; i < 64; ++i)
            EXPECT_EQ(window->Tag(i), PieceCodeOf(Board[0][RankOfImage(i)][FileOfImage(i)])) << i;
    }
};

TEST_F(OneMoveApplyTest, PersonPeerAndRulesCoreAgree) {
    for (const Row& row : kRows) {
        SCOPED_TRACE(row.name);
        Start(row);
        for (const std::string& m : row.moves) ASSERT_TRUE(ApplyMove(MoveOf(m))) << m;
        const Position made = GamePosition();
        EXPECT_EQ(FlagText(made), row.flags);

        Start(row);
        for (const std::string& m : row.moves) {
            if (m.size() > 4) ChooseLater(int(std::string(" RNBQ").find(m[4])), m[1] == '7');
            Drag(m.substr(0, 2), m.substr(2, 2));
        }
        EXPECT_EQ(window->MoveCount(), int(row.moves.size()));
        EXPECT_TRUE(GamePosition() == made) << "dragged: " << FlagText(GamePosition());
        ExpectViewShowsModel();

        Start(row);
        for (const std::string& m : row.moves)
            ASSERT_TRUE(window->PlayPeerMove(FormatMoveText(MoveOf(m)), {})) << m;
        EXPECT_TRUE(GamePosition() == made) << "peer: " << FlagText(GamePosition());
        ExpectViewShowsModel();
    }
}

} // namespace
} // namespace corvane::testing

// Clicks and drags, the board's marks, take-back and redo, and the PGN export.
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <random>
#include <set>

#include "GameTestSupport.h"
#include "engine/ModCompMove.h"
#include "files/SavedGame.h"
#include "files/modINI.h"
#include "game/ComputerPlayer.h"
#include "rules/PgnReader.h"
#include "support/PgnExtract.h"

namespace corvane::testing {
namespace {

int RefSquare(int image) {
    return (7 - image / 8) * 8 + image % 8;
}

// The board the window shows, in the reference's terms (not through the FEN writer).
reftest::Position ShownPosition(const frmMain& w) {
    reftest::Position p;
    p.square.fill('.');
    for (int i = 0; i < 64; ++i) {
        const std::string tag = w.Tag(i);
        if (tag.size() >= 2) p.square[RefSquare(i)] = tag[0] == 'W' ? tag[1] : tag[1] + 32;
    }
    p.whiteToMove = SideToMove != "B";
    return p;
}

// What must come back after a take-back; clock times and think times aside.
std::string Difference(const GameSnapshot& a, const GameSnapshot& b) {
    if (a.tags != b.tags) return "squares";
    if (a.rules.board[0] != b.rules.board[0]) return "board";
    for (int f = 0; f < 5; ++f) {
        if (a.rules.flags[f][0] != b.rules.flags[f][0]) return "flags " + std::to_string(f);
    }
    if (a.entries != b.entries || a.listCursor != b.listCursor) return "move list";
    if (a.sideToMove != b.sideToMove || a.gameMode != b.gameMode) return "side or mode";
    if (a.rules.results.gameStatus != b.rules.results.gameStatus || a.gameEnded != b.gameEnded)
        return "status";
    if (a.openingLine != b.openingLine) return "opening line";
    if (a.captured != b.captured) return "captured pieces";
    if (a.positionHistory != b.positionHistory || a.historyIndex != b.historyIndex ||
        a.skipSearch != b.skipSearch || a.movesGenerated != b.movesGenerated)
        return "computer's history";
    RandomSource ra = a.random, rb = b.random;
    if (ra.Next() != rb.Next()) return "random draws";
    if (a.boardEnabled != b.boardEnabled) return "board lock";
    return "";
}

struct Move {
    int from, to;
};

class TakeBackTest : public GameWindowTest {
protected:
    void TearDown() override {
        Random().ReleaseSeed();
        GameWindowTest::TearDown();
    }
    bool Live() const { return window->picBoard()->isEnabled() && !SetUpMode; }
    // A random legal move of the side to move; its targets must be the
    // reference's legal moves from that square.
    Move RandomMove(std::mt19937& rng) {
        std::vector<int> own;
        for (int i = 0; i < 64; ++i) {
            const std::string tag = window->Tag(i);
            if (tag[0] == SideToMove[0] && !window->TargetsOf(i).empty()) own.push_back(i);
        }
        const int from = own.at(rng() % own.size());
        const std::vector<int> targets = window->TargetsOf(from);
        return {from, targets.at(rng() % targets.size())};
    }
    // Plays a move by two clicks or by a drag; a pawn reaching the last rank becomes a knight.
    void Play(const Move& m, bool clicks) {
        const std::string tag = window->Tag(m.from);
        if (tag[1] == 'P' && (m.to < 8 || m.to >= 56)) ChooseLater(2, tag[0] == 'W');
        BoardView* board = window->picBoard();
        if (!clicks) return DragTo(m.from, Centre(m.to));
        QTest::mouseClick(board, Qt::LeftButton, {}, Centre(m.from));
        ASSERT_EQ(window->SelectedSquare(), m.from);
        CheckMarks(m.from);
        QTest::mouseClick(board, Qt::LeftButton, {}, Centre(m.to));
    }
    // The held piece's targets are exactly the reference's moves from its square,
    // and a king in check is marked exactly when the reference says so.
    void CheckMarks(int held) {
        reftest::Position p;
        ASSERT_TRUE(reftest::ParseFen(window->PositionFen(), p));
        std::set<int> expected, marked;
        for (const reftest::Move& m : reftest::LegalMoves(p))
            if (m.from == RefSquare(held)) expected.insert(m.to);
        const SquareMarks& marks = window->picBoard()->Marks();
        for (int i = 0; i < 64; ++i) {
            if (marks[i] & MarkTarget) marked.insert(RefSquare(i));
            const std::string tag = window->Tag(i);
            if (tag.size() == 2 && tag[1] == 'K') {
                EXPECT_EQ((marks[i] & MarkCheck) != 0, reftest::InCheck(p, tag[0] == 'W'));
            }
        }
        EXPECT_EQ(marked, expected) << window->PositionFen();
        EXPECT_TRUE(marks[held] & MarkHeld);
    }
    // Plays person moves (the computer answers where it plays) and returns the game after each.
    std::vector<GameSnapshot> PlayGame(const std::vector<Move>& moves, bool clicks) {
        std::vector<GameSnapshot> after;
        for (const Move& m : moves) {
            if (!Live()) break;
            Play(m, clicks);
            after.push_back(window->Snapshot());
        }
        return after;
    }
    std::vector<Move> RandomMoves(unsigned seed, int count, int level) {
        std::mt19937 rng(seed);
        StartGame(level, seed);
        std::vector<Move> moves;
        for (int i = 0; i < count && Live(); ++i) {
            moves.push_back(RandomMove(rng));
            Play(moves.back(), i % 2 == 1);
        }
        return moves;
    }
    void StartGame(int level, unsigned seed) {
        Random().FixSeed(seed);
        Level = static_cast<std::int16_t>(level);
        window->NovoJogo(1);
    }
};

// n moves by drags, k take-backs, a redo and a take-back, the same moves again
// by clicks: the game and the computer's answers are those played straight through.
TEST_F(TakeBackTest, TakeBackRestoresTheWholeGame) {
    struct Row {
        int level, moves, back;
        unsigned seed;
    } const rows[] = {{1, 7, 2, 11}, {1, 6, 6, 12}, {2, 6, 3, 21}, {3, 5, 2, 31}};
    for (const Row& r : rows) {
        SCOPED_TRACE("level " + std::to_string(r.level) + " seed " + std::to_string(r.seed));
        const std::vector<Move> moves = RandomMoves(r.seed, r.moves, r.level);
        StartGame(r.level, r.seed);
        const std::vector<GameSnapshot> straight = PlayGame(moves, false);
        const int played = static_cast<int>(straight.size());
        const int back = std::min(r.back, played);
        for (int i = 0; i < back; ++i) {
            ASSERT_TRUE(window->CanTakeBack());
            window->TakeBackMove();
        }
        EXPECT_EQ(window->CanTakeBack(), played > back);
        const GameSnapshot taken = window->Snapshot();
        if (played > back) {
            EXPECT_EQ(Difference(taken, straight[played - back - 1]), "");
        }
        window->RedoMove();
        EXPECT_EQ(Difference(window->Snapshot(), straight[played - back]), "");
        window->TakeBackMove();
        EXPECT_EQ(Difference(window->Snapshot(), taken), "");
        const std::vector<Move> again(moves.begin() + (played - back), moves.begin() + played);
        const std::vector<GameSnapshot> replayed = PlayGame(again, true);
        ASSERT_EQ(replayed.size(), again.size());
        EXPECT_EQ(Difference(replayed.back(), straight.back()), "");
        EXPECT_FALSE(window->CanRedo()); // a new move ends the redo
    }
}

// Two players at one board: one half-move back; never in set-up; the last move
// and the kings in check are marked, and nothing is marked in set-up.
TEST_F(TakeBackTest, TwoPlayersAndMarks) {
    window->NovoJogo(3);
    EXPECT_FALSE(window->CanTakeBack());
    Drag("e2", "e4");
    const SquareMarks& marks = window->picBoard()->Marks();
    EXPECT_TRUE((marks[Sq("e2")] & MarkLastMove) && (marks[Sq("e4")] & MarkLastMove));
    Drag("f7", "f6");
    // The check's message lets keys run: a take-back then must wait for the move's end.
    window->messagePresenter = [this] { window->TakeBackMove(); };
    Drag("d1", "h5");
    EXPECT_EQ(window->History().Moves().size(), 3u);
    EXPECT_TRUE(marks[Sq("e8")] & MarkCheck);
    window->TakeBackMove();
    EXPECT_EQ(TagAt("d1"), "WQ");
    EXPECT_FALSE(marks[Sq("e8")] & MarkCheck);
    EXPECT_TRUE((marks[Sq("f7")] & MarkLastMove) && (marks[Sq("f6")] & MarkLastMove));
    window->optSetUp(2)->click();
    EXPECT_FALSE(window->CanTakeBack());
    EXPECT_EQ(std::count(marks.begin(), marks.end(), 0), 64);
}

// The copied FEN after a mate names the mated side to move, and counts the
// half-moves since the last capture or pawn move over the game's own moves.
TEST_F(TakeBackTest, CopiedFenFollowsTheGame) {
    const std::pair<std::vector<const char*>, const char*> games[] = {
        {{"f2", "f3", "e7", "e5", "g2", "g4", "d8", "h4"},
         "rnb1kbnr/pppp1ppp/8/4p3/6Pq/5P2/PPPPP2P/RNBQKBNR w KQkq - 1 3"},
        {{"e2", "e4", "e7", "e5", "g1", "f3", "d7", "d6", "f1", "c4", "d8", "e7", "e1", "g1", "c8",
          "g4"},
         "rn2kbnr/ppp1qppp/3p4/4p3/2B1P1b1/5N2/PPPP1PPP/RNBQ1RK1 w kq - 4 5"},
    };
    for (const auto& [squares, fen] : games) {
        window->NovoJogo(3);
        for (std::size_t i = 0; i + 1 < squares.size(); i += 2) Drag(squares[i], squares[i + 1]);
        ASSERT_EQ(window->History().Moves().size(), squares.size() / 2);
        EXPECT_EQ(window->PositionFen(), fen);
    }
}

// Random two-player games, some from a set-up position, exported through the
// window and read back by the independent reader to the board the window shows.
TEST_F(TakeBackTest, ExportedGamesReadBackToTheBoard) {
    QTemporaryDir dir;
    window->chooseExportFile = [&dir](const QString&) { return dir.filePath("game.pgn"); };
    for (unsigned seed = 1; seed <= 12; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 rng(seed);
        window->NovoJogo(3);
        if (seed % 4 == 0) StartFrom("WK e1 WR h1 WP b7 BK e8 BP d4 WP e2 BR a8");
        for (int ply = 0; ply < 70 && Live(); ++ply) Play(RandomMove(rng), ply % 3 == 0);
        ASSERT_TRUE(window->ExportPgn());
        QFile file(dir.filePath("game.pgn"));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const std::string pgn = file.readAll().toStdString();
        const reftest::PgnRead read = reftest::ReadPgn(pgn);
        ASSERT_EQ(read.error, "");
        // The copied FEN is the one an independent program reaches over the export.
        std::vector<std::string> fens;
        std::string error;
        ASSERT_TRUE(reftest::PgnExtractFinalFens(pgn, fens, error)) << error;
        ASSERT_EQ(fens.size(), 1u) << pgn;
        EXPECT_EQ(window->PositionFen(), fens[0]) << pgn;
        EXPECT_EQ(read.moves, static_cast<int>(window->History().Moves().size()));
        const reftest::Position shown = ShownPosition(*window);
        EXPECT_EQ(read.final.square, shown.square);
        EXPECT_EQ(read.final.whiteToMove, shown.whiteToMove);
        const bool setUp = std::any_of(read.tags.begin(), read.tags.end(),
                                       [](const auto& t) { return t.first == "SetUp"; });
        EXPECT_EQ(setUp, seed % 4 == 0);
    }
    window->CopyPosition();
    EXPECT_EQ(QApplication::clipboard()->text().toStdString(), window->PositionFen());
}

// Games saved with their moves and opened in a fresh window come back whole:
// board, list, captured pieces, orientation, clocks, take-back, and the export
// from the true start (a set-up position included).
TEST_F(TakeBackTest, SavedGamesComeBackWhole) {
    QTemporaryDir dir;
    SetProgramFolder(dir.path());
    qint64 now = 0;
    for (unsigned seed = 1; seed <= 4; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 rng(seed);
        const bool computer = seed % 2 == 1; // the computer has Black
        window->clockNow = [&now] { return now; };
        if (computer) {
            StartGame(1, seed);
        } else {
            window->NovoJogo(3);
        }
        if (seed == 4) StartFrom("WK e1 WR h1 WP b7 BK e8 BP d4 WP e2 BR a8");
        window->StartClocks();
        const int plays = computer ? 10 : 36; // the computer answers each one
        for (int ply = 0; ply < plays && Live(); ++ply) {
            now += 1700 + ply;
            Play(RandomMove(rng), false);
            window->ClockTick();
        }
        ASSERT_TRUE(Live());
        if (seed >= 3) window->Flip();
        const bool whiteAtBottom = WhiteAtBottom;
        const GameSnapshot kept = window->Snapshot();
        const std::string pgn = window->GamePgn();
        const int takeBack = window->History().TakeBackCount();
        // Saved as the save window does: the game's position, not the view.
        const GameToSave save{QString::fromStdString(BuildPositionString()), Level,
                              computer ? 1 : 3, QString::fromStdString(SideToMove),
                              window->KeptRecord()};
        ASSERT_TRUE(save.record.has_value());
        ASSERT_TRUE(WriteSavedGame("kept", save));

        GameWindowTest::TearDown(); // the program ends and starts again
        GameWindowTest::SetUp();
        window->clockNow = [&now] { return now; };
        const OpenedGame game = OpenSavedGame("kept");
        ASSERT_TRUE(game.ok && game.record) << game.recordNote.toStdString();
        Level = static_cast<std::int16_t>(game.level);
        PlayerOption = static_cast<std::int16_t>(game.playerOption);
        LoadedSide = static_cast<std::int16_t>(game.loadedSide);
        window->ResumeLoadedGame(game.position.toStdString(), &*game.record);
        const GameSnapshot opened = window->Snapshot();
        EXPECT_EQ(opened.tags, kept.tags);
        EXPECT_EQ(opened.entries, kept.entries);
        EXPECT_EQ(opened.captured, kept.captured);
        EXPECT_EQ(opened.sideToMove, kept.sideToMove);
        EXPECT_EQ(WhiteAtBottom, whiteAtBottom);
        EXPECT_EQ(window->WhiteTime(), kept.whiteTime);
        EXPECT_EQ(window->BlackTime(), kept.blackTime);
        EXPECT_EQ(window->GamePgn(), pgn);
        ASSERT_EQ(window->History().TakeBackCount(), takeBack);
        window->TakeBackMove();
        EXPECT_EQ(window->MoveCount(), static_cast<int>(kept.entries.size()) - takeBack);
    }
    SetProgramFolder(QString());
}

} // namespace
} // namespace corvane::testing

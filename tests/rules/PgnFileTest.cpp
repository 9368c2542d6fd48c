// The PGN file reader: the index, every form of the movetext, refusals that say where, hostile
// files, and hundreds of random games read the same way as by an independent PGN tool.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "RulesTestSupport.h"
#include "rules/PgnFile.h"

using namespace corvane;

namespace {

// Each game of the index as white|black|date|result, separated by "; ".
std::string Listed(const PgnIndex& index) {
    std::string text;
    for (const PgnGameEntry& g : index.games)
        text +=
            (text.empty() ? "" : "; ") + g.white + "|" + g.black + "|" + g.date + "|" + g.result;
    return text + (index.moreGames ? " (more)" : "") + (index.latin1 ? " (latin-1)" : "");
}

// The game's moves in long algebraic form and its final FEN, or the failure's message; the
// rules state stays as it was either way.
std::string Read(const std::string& text, int game = 1) {
    rulestest::Setup(StandardStartFen.data());
    const rulestest::ModelSnapshot before;
    PgnGameRead read;
    PgnFailure failure;
    const bool ok = ReadPgnGame(text, IndexPgn(text), game, read, failure);
    EXPECT_TRUE(before.AllEqual());
    if (!ok) return failure.Message();
    std::string moves;
    for (const MoveText& m : read.moves) moves += LongAlgebraicOf(m) + " ";
    return moves + read.result + " " + read.finalFen;
}

TEST(PgnFile, Index) {
    const std::string tags = "[Event \"E\"]\n[White \"A\"]\n[Black \"B\"]\n[Date \"2024.05.01\"]\n";
    // File text, the games listed.
    const std::pair<std::string, std::string> rows[] = {
        {tags + "[Result \"1-0\"]\n\n1. e4 1-0\n\n" + tags + "\n1. d4 *\n",
         "A|B|2024.05.01|1-0; A|B|2024.05.01|*"},
        {"1. e4 e5 1/2-1/2 1. d4 0-1", "|||1/2-1/2; |||0-1"}, // games without tags
        {"[White \"A\"]\n1. e4\n[White \"C\"]\n1. d4", "A|||; C|||"},
        {"[White \"A\"]\n1. e4 (1. d4 1-0) e5 *", "A|||*"}, // a result inside a variation
        {"[White \"A\"]\n1. e4 {\n[White \"B\"]\n} e5\n%[White \"C\"]\n; [White \"D\"]\n*",
         "A|||*"},
        {"[White \"Jos\xe9 \\\"Z\xe9\\\" Ara\xfajo\"]\n*", "José \"Zé\" Araújo|||* (latin-1)"},
        {"\xef\xbb\xbf[White \"Jos\xc3\xa9\"]\n*", "José|||*"},
        {"[White \" A\tB\x01\x7f\xc2\x85 C\xe2\x80\xae\xe2\x80\x8b \"]\n*", "A B C|||*"},
        {"[White \"" + std::string(150, 'x') + "\"]\n*", std::string(100, 'x') + "|||*"},
        {"[White \"A\"]\n[Black \"B\" junk\n*", "A|||*"}, // the bad tag fails when read
        {"{just a comment}\n%escape\n\x01\x02\x03\xff", " (latin-1)"},
        {"", ""},
    };
    for (const auto& [text, listed] : rows) EXPECT_EQ(Listed(IndexPgn(text)), listed) << text;

    // A million games: the first 10,000 listed, the rest only noted.
    std::string million;
    for (int i = 0; i < 1000000; ++i) million += "*\n";
    const PgnIndex index = IndexPgn(million);
    EXPECT_EQ(index.games.size(), std::size_t(MaxPgnIndexGames));
    EXPECT_TRUE(index.moreGames);
    EXPECT_EQ(index.games.back().offset, std::size_t(2 * (MaxPgnIndexGames - 1)));
    EXPECT_EQ(Read(million, MaxPgnIndexGames), "* " + std::string(StandardStartFen));
}

TEST(PgnFile, ReadsEveryFormAndRefusesWithWhere) {
    const std::string tags = "[Event \"?\"]\n[White \"?\"]\n[Result \"*\"]\n\n";
    const std::string afterE4 =
        "e2e4 e7e5 g1f3 * rnbqkbnr/pppp1ppp/8/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R b KQkq - 1 2";
    // File text, what is read: the moves, the result, the final FEN, or the failure.
    const std::pair<std::string, std::string> rows[] = {
        {tags + "1. e4 e5 2. Nf3 *", afterE4},
        {tags + "1.e4 1...e5 2.Nf3!? $14 *", afterE4},
        {tags + "1 . e4 ... e5 2 .. Nf3 *", afterE4},
        {tags + "1. e4 {a ( comment [White \"x\"] ;} e5 ; ( rest of the line\n2. Nf3 *", afterE4},
        {tags + "1. e4 e5\n% 2. d4 ( escaped\n2. Nf3 *", afterE4},
        {tags + "1. e4 (1. d4 d5 (1... Nf6 2. c4) 2. c4) (1. c4) e5 ((2. d4)) 2. Nf3 *", afterE4},
        {tags + "1. e4! e5?? 2. Nf3+ *", afterE4},
        {"[SetUp \"1\"]\n[FEN \"r3k2r/8/8/8/8/8/6p1/R3K2R b KQkq - 3 40\"]\n"
         "40... O-O 41. 0-0-0 gxh1=N 42. Rxh1 Rf2 1-0",
         "e8g8 e1c1 g2h1n d1h1 f8f2 1-0 r5k1/8/8/8/8/8/5r2/2K4R w - - 1 43"},
        {"[FEN \"4k3/1P6/8/3pP3/8/8/8/4K3 w - d6 0 1\"]\n1. exd6 Kf7 2. b8 Ke6 3. b8xx *",
         "Partida 1, lance 3.: \"b8xx\" — Lance mal escrito"},
        {"[FEN \"4k3/1P6/8/3pP3/8/8/8/4K3 w - d6 0 1\"]\n1. exd6 Kf7 2. b8 *",
         "e5d6 e8f7 b7b8q * 1Q6/5k2/3P4/8/8/8/8/4K3 b - - 0 2"},
        {"[FEN \"8/8/8/8/8/8/8/8 w - - 0 1\"]\n*",
         "Partida 1: \"8/8/8/8/8/8/8/8 w - - 0 1\" — Posição inicial impossível: falta o rei "
         "branco"},
        {"[FEN \"k7/8/8/8/8/8/8/KK6 w - - 0 1\"]\n*",
         "Partida 1: \"k7/8/8/8/8/8/8/KK6 w - - 0 1\" — Posição inicial impossível: mais de um rei "
         "branco"},
        {"[FEN \"8/8/8/8/8/8/8/K7 w - - 0 1\"]\n*",
         "Partida 1: \"8/8/8/8/8/8/8/K7 w - - 0 1\" — Posição inicial impossível: falta o rei "
         "preto"},
        {"[FEN \"kk6/8/8/8/8/8/8/K7 w - - 0 1\"]\n*",
         "Partida 1: \"kk6/8/8/8/8/8/8/K7 w - - 0 1\" — Posição inicial impossível: mais de um rei "
         "preto"},
        {"[FEN \"8/8/8/8/8/8/8/Kk6 w - - 0 1\"]\n*",
         "Partida 1: \"8/8/8/8/8/8/8/Kk6 w - - 0 1\" — Posição inicial impossível: os reis estão "
         "lado a lado"},
        {"[FEN \"P6k/8/8/8/8/8/8/K7 w - - 0 1\"]\n*",
         "Partida 1: \"P6k/8/8/8/8/8/8/K7 w - - 0 1\" — Posição inicial impossível: peão na "
         "primeira ou na última fileira"},
        {"[FEN \"7k/8/8/8/8/8/8/K6p b - - 0 1\"]\n*",
         "Partida 1: \"7k/8/8/8/8/8/8/K6p b - - 0 1\" — Posição inicial impossível: peão na "
         "primeira ou na última fileira"},
        {"[FEN \"R6k/8/8/8/8/8/8/K7 w - - 0 1\"]\n*",
         "Partida 1: \"R6k/8/8/8/8/8/8/K7 w - - 0 1\" — Posição inicial impossível: o lado que não "
         "joga está em xeque"},
        {"[FEN \"4k3/8/8/3nP3/8/8/8/4K3 w - d6 0 1\"]\n*",
         "Partida 1: \"4k3/8/8/3nP3/8/8/8/4K3 w - d6 0 1\" — Posição inicial impossível: casa de "
         "en passant impossível"},
        {"[FEN \"4k3/3p4/8/3pP3/8/8/8/4K3 w - d6 0 1\"]\n*",
         "Partida 1: \"4k3/3p4/8/3pP3/8/8/8/4K3 w - d6 0 1\" — Posição inicial impossível: casa de "
         "en passant impossível"},
        {"[FEN \"R6k/8/8/8/8/8/8/K7 b - - 0 1\"]\n*",
         "* R6k/8/8/8/8/8/8/K7 b - - 0 1"}, // in check, to move
        {"[FEN \"7k/8/8/8/8/8/8/K7 w - - 0 1 junk\"]\n*",
         "Partida 1: \"7k/8/8/8/8/8/8/K7 w - - 0 1 junk\" — Posição inicial (FEN) mal escrita"},
        {"[SetUp \"1\"]\n1. e4 *", "Partida 1: \"SetUp\" — Posição inicial (FEN) mal escrita"},
        {tags + "1. e4 e5 2. Nf3 Nc6 3. Bb5 a6 4. Bxc6 Nf6 5. Nf3 *",
         "Partida 1, lance 5.: \"Nf3\" — Lance impossível nesta posição"},
        {tags + "1. Nf3 d5 2. d4 Nf6 3. Nd2 *", "Partida 1, lance 3.: \"Nd2\" — Lance ambíguo"},
        {tags + "1. e4 e5 2. Nf3 {never closed",
         "Partida 1, lance 2...: \"{never closed\" — Texto que não faz parte de uma partida"},
        {tags + "1. e4 e5 2. Nf3 ) *",
         "Partida 1, lance 2...: \")\" — Texto que não faz parte de uma partida"},
        {tags + "1. e4 e5 2. Nf3 (2. d4 *",
         "Partida 1, lance 2...: \"(\" — Texto que não faz parte de uma partida"},
        {tags + "1. e4 \x01\x02 e5 *",
         "Partida 1, lance 1... — Texto que não faz parte de uma partida"},
        {tags + "1. e4 \xc3\xa9\xe2\x80\xae! e5 *",
         "Partida 1, lance 1...: \"é!\" — Texto que não faz parte de uma partida"},
        {"[White \"A\"]\n[Black \"B]\n1. e4 *",
         "Partida 1: \"[Black \"B]\" — Etiqueta mal escrita"},
    };
    for (const auto& [text, read] : rows) EXPECT_EQ(Read(text), read) << text;
    EXPECT_EQ(Read(tags + "1. e4 e5 * " + tags + "1. d4 d5 2. Nf9 *", 2),
              "Partida 2, lance 2.: \"Nf9\" — Lance mal escrito");

    PgnGameRead out;
    PgnFailure failure;
    EXPECT_FALSE(ReadPgnGame("*", IndexPgn("*"), 2, out, failure));
    EXPECT_EQ(failure.Message(), "Partida 2 — Essa partida não está no arquivo");
}

} // namespace

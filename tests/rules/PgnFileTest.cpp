// The PGN file reader: the index, every form of the movetext, refusals that say where, hostile
// files, and hundreds of random games read the same way as by an independent PGN tool.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "RulesTestSupport.h"
#include "rules/PgnFile.h"
#include "rules/PgnLexer.h"

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
    for (const auto& [text, listed] : rows)
        EXPECT_EQ(Listed(IndexPgn(text)), listed) << testing::PrintToString(text);

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
        {"[WhiteElo \"2400\"]\n[My_Tag2 \"x\"]\n1. e4 e5 2. Nf3 *", afterE4},
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
    for (const auto& [text, read] : rows)
        EXPECT_EQ(Read(text), read) << testing::PrintToString(text);
    EXPECT_EQ(Read(tags + "1. e4 e5 * " + tags + "1. d4 d5 2. Nf9 *", 2),
              "Partida 2, lance 2.: \"Nf9\" — Lance mal escrito");

    PgnGameRead out;
    PgnFailure failure;
    EXPECT_FALSE(ReadPgnGame("*", IndexPgn("*"), 2, out, failure));
    EXPECT_EQ(failure.Message(), "Partida 2 — Essa partida não está no arquivo");
}

} // namespace

namespace {

// "1. Nf3 Nf6 2. Ng1 Ng8 3. Nf3 ..." for the given number of half-moves.
std::string KnightDance(int plies) {
    const char* const moves[] = {"Nf3", "Nf6", "Ng1", "Ng8"};
    std::string text;
    for (int i = 0; i < plies; ++i)
        text += (i % 2 ? "" : std::to_string(i / 2 + 1) + ". ") + moves[i % 4] + " ";
    return text;
}

// A game's range may end inside the text: no token reaches past it.
TEST(PgnFile, TokensStopAtTheEndOfTheRange) {
    const std::string_view text = "e4 $12 !?3 {c}d 1.2";
    for (const std::size_t end :
         {std::size_t(5), std::size_t(8), std::size_t(14), std::size_t(18)}) {
        detail::PgnLexer lexer(text, 0, end);
        std::size_t last = 0;
        for (detail::PgnLexeme token = lexer.Next(); token.kind != detail::PgnToken::End;
             token = lexer.Next())
            last = token.end;
        EXPECT_EQ(last, end) << text.substr(0, end);
    }
}

TEST(PgnFile, HostileTextsInBoundedTimeAndMemory) {
    const std::string deep = "1. e4 " + std::string(1000000, '(') + std::string(1000000, ')');
    const std::string braces = "1. e4 {" + std::string(1000000, '{') + "} e5 *";
    const std::string rows[][2] = {
        {deep + " e5 *",
         "e2e4 e7e5 * rnbqkbnr/pppp1ppp/8/4p3/4P3/8/PPPP1PPP/RNBQKBNR w KQkq - 0 2"},
        {deep + "( e5 *", "Partida 1, lance 1...: \"(\" — Texto que não faz parte de uma partida"},
        {braces, "e2e4 e7e5 * rnbqkbnr/pppp1ppp/8/4p3/4P3/8/PPPP1PPP/RNBQKBNR w KQkq - 0 2"},
        {KnightDance(598) + "300. Nf9 Nf6 *", "Partida 1, lance 300.: \"Nf9\" — Lance mal escrito"},
        {KnightDance(599) + "Ng6 *",
         "Partida 1, lance 300...: \"Ng6\" — Lance impossível nesta posição"},
        {KnightDance(MaxPgnGamePlies + 1),
         "Partida 1, lance 3001.: \"Nf3\" — Partida longa demais"},
    };
    for (const auto& [text, read] : rows) EXPECT_EQ(Read(text), read) << text.substr(0, 60);
    EXPECT_EQ(Read(KnightDance(MaxPgnGamePlies)).substr(0, 8), "g1f3 g8f");

    // Random bytes: the index and every game listed read or refused, nothing more.
    std::mt19937 random(77);
    std::string junk(1 << 20, ' ');
    for (char& c : junk) c = static_cast<char>(random() % 7 ? random() % 256 : '\n');
    const PgnIndex index = IndexPgn(junk);
    for (std::size_t game = 1; game <= index.games.size(); ++game) {
        PgnGameRead out;
        PgnFailure failure;
        if (!ReadPgnGame(junk, index, int(game), out, failure)) {
            EXPECT_EQ(failure.game, int(game));
            EXPECT_LE(failure.text.size(), 4 * MaxPgnTagChars);
        }
    }
}

TEST(PgnFile, LoadsFilesUpToTheSizeLimit) {
    const std::filesystem::path folder = testing::TempDir() + "pgn-file-test";
    std::filesystem::create_directories(folder);
    const std::filesystem::path path = folder / "games.pgn";
    std::ofstream(path) << "[White \"A\"]\n1. e4 *\n";
    std::string text;
    PgnFailure failure;
    ASSERT_TRUE(LoadPgnFile(path.string(), text, failure));
    EXPECT_EQ(text, "[White \"A\"]\n1. e4 *\n");
#ifndef CORVANE_SANITIZED_BUILD // 64 MiB read and indexed: the normal build is enough
    std::filesystem::resize_file(path, MaxPgnFileBytes); // zeros up to the limit
    EXPECT_TRUE(LoadPgnFile(path.string(), text, failure));
    EXPECT_EQ(text.size(), MaxPgnFileBytes);
    EXPECT_EQ(IndexPgn(text).games.size(), 1u);
#endif
    std::filesystem::resize_file(path, MaxPgnFileBytes + 1);
    // File, the failure's message.
    const std::pair<std::string, std::string> refused[] = {
        {path.string(), "Arquivo — O arquivo passa de 64 MB"},
        {"/dev/zero", "Arquivo — O arquivo passa de 64 MB"},
        {(folder / "missing.pgn").string(), "Arquivo — Não foi possível ler o arquivo"},
        {folder.string(), "Arquivo — Não foi possível ler o arquivo"},
    };
    for (const auto& [file, message] : refused) {
        text = "left";
        EXPECT_FALSE(LoadPgnFile(file, text, failure)) << file;
        EXPECT_EQ(failure.Message(), message) << file;
        EXPECT_EQ(text, "") << file;
    }
    std::filesystem::remove_all(folder);
}

} // namespace

namespace {

// --- Random games written by hand in the styles PGN files use, read by an independent tool ---

// The SAN of a reference move: the shortest disambiguation or now and then the whole square,
// "=" before the promotion's piece or not (a queen sometimes left unnamed), "O-O" or "0-0",
// check marks mostly written, now and then an annotation glyph.
std::string WriteSan(const reftest::Position& p, const reftest::Move& m, std::mt19937& random) {
    const char kind = static_cast<char>(std::toupper(p.square[m.from]));
    const std::string from = reftest::SquareName(m.from);
    std::string san;
    if (kind == 'K' && std::abs(m.to - m.from) == 2) {
        const std::string o = random() % 2 ? "O" : "0";
        san = o + "-" + o + (m.to < m.from ? "-" + o : "");
    } else {
        const bool capture = p.square[m.to] != '.' || (kind == 'P' && m.from % 8 != m.to % 8);
        bool rival = false, sameFile = false, sameRank = false;
        for (const reftest::Move& o : reftest::LegalMoves(p)) {
            if (o.to != m.to || o.from == m.from || p.square[o.from] != p.square[m.from]) continue;
            rival = true;
            sameFile |= o.from % 8 == m.from % 8;
            sameRank |= o.from / 8 == m.from / 8;
        }
        if (kind != 'P') {
            san = std::string(1, kind);
            if (random() % 8 == 0 || (rival && sameFile && sameRank)) {
                san += from;
            } else if (rival) {
                san += sameFile ? from.substr(1) : from.substr(0, 1);
            }
        } else if (capture) {
            san = from.substr(0, 1);
        }
        san += (capture ? "x" : "") + reftest::SquareName(m.to);
        if (m.promotion != 0 && (m.promotion != 'Q' || random() % 4 != 0))
            san += (random() % 4 ? "=" : "") + std::string(1, m.promotion);
    }
    const reftest::Position next = reftest::Play(p, m);
    if (reftest::InCheck(next, next.whiteToMove) && random() % 5 != 0)
        san += reftest::LegalMoves(next).empty() ? "#" : "+";
    static const char* const glyphs[] = {"!", "?", "!!", "??", "!?", "?!"};
    if (random() % 12 == 0) san += glyphs[random() % 6];
    return san;
}

class MovetextWriter {
public:
    explicit MovetextWriter(std::mt19937& random) : random_(random) {}

    // Up to `plies` random moves from p with their numbers, NAGs, comments, "%" lines and,
    // below depth 3, variations (each a line from the position before the move it replaces).
    reftest::Position Line(reftest::Position p, int number, int plies, int depth) {
        static const char* const comments[] = {
            "{ok}",  "{a ( b}",     "{c ) d}", "{[Event \"x\"]}", "{; not a comment}",
            "{1-0}", "{two\nlines}"};
        bool numbered = false;
        for (int i = 0; i < plies; ++i) {
            const std::vector<reftest::Move> legal = reftest::LegalMoves(p, true);
            if (legal.empty()) break;
            const reftest::Move m = legal[random_() % legal.size()];
            std::string prefix;
            if (p.whiteToMove || !numbered)
                prefix = std::to_string(number) + (p.whiteToMove ? "." : "...") +
                         (random_() % 3 ? " " : "");
            tokens_.push_back(prefix + WriteSan(p, m, random_));
            numbered = true;
            switch (random_() % 24) {
            case 0:
                tokens_.push_back("$" + std::to_string(random_() % 140));
                break;
            case 1:
                tokens_.push_back(comments[random_() % 7]), numbered = false;
                break;
            case 2:
                tokens_.push_back("\n% escaped ( [Event \"y\"] 1-0\n"), numbered = false;
                break;
            case 3:
            case 4:
                if (depth >= 3) break;
                tokens_.push_back("(");
                Line(p, number, 1 + int(random_() % 4), depth + 1);
                tokens_.push_back(")");
                numbered = false;
                break;
            default:
                break;
            }
            number += !p.whiteToMove;
            p = reftest::Play(p, m);
            plies_ += depth == 0;
        }
        return p;
    }

    // The tokens in lines of about 70 characters.
    std::string Text() const {
        std::string text, line;
        for (const std::string& token : tokens_) {
            if (line.size() + token.size() > 70) text += line + "\n", line.clear();
            line += (line.empty() ? "" : " ") + token;
        }
        return text + line;
    }
    int Plies() const { return plies_; }

private:
    std::mt19937& random_;
    std::vector<std::string> tokens_;
    int plies_ = 0;
};

struct WrittenGame {
    std::string text, result;
    reftest::Position final;
    int plies = 0;
};

WrittenGame WriteGame(int n, const std::string& fen, std::mt19937& random) {
    static const char* const results[] = {"1-0", "0-1", "1/2-1/2", "*"};
    WrittenGame game;
    reftest::Position start;
    EXPECT_TRUE(reftest::ParseFen(fen, start)) << fen;
    const int number = std::stoi(fen.substr(fen.rfind(' ') + 1));
    MovetextWriter writer(random);
    game.final = writer.Line(start, number, 20 + int(random() % 140), 0);
    game.plies = writer.Plies();
    // A finished game carries its true result, as pgn-extract expects.
    const bool over = reftest::LegalMoves(game.final).empty();
    const bool mated = over && reftest::InCheck(game.final, game.final.whiteToMove);
    game.result = !over                    ? results[random() % 4]
                  : !mated                 ? "1/2-1/2"
                  : game.final.whiteToMove ? "0-1"
                                           : "1-0";
    const std::string name = std::to_string(n);
    game.text = "[Event \"Partida " + name + "\"]\n[Site \"Corvane\"]\n[Date \"2024.??.??\"]\n" +
                "[Round \"" + name + "\"]\n[White \"Branco " + name + "\"]\n[Black \"Preto " +
                name + "\"]\n[Result \"" + game.result + "\"]\n";
    if (fen != StandardStartFen) game.text += "[SetUp \"1\"]\n[FEN \"" + fen + "\"]\n";
    game.text += "\n" + writer.Text() + " " + game.result + "\n\n";
    return game;
}

struct RefereeGame {
    std::vector<std::string> moves, fens; // long algebraic, the FEN after each move
};

// The games as pgn-extract reads them: each move in long algebraic form with the FEN after it.
std::vector<RefereeGame> ReadByPgnExtract(const std::string& program, const std::string& path) {
    const std::string command = program + " -s -C -N -V -w1000 -Wuci --fencomments --nofauxep " +
                                path + " 2>" + path + ".log";
    FILE* pipe = popen(command.c_str(), "r");
    std::string output;
    char buffer[4096];
    for (std::size_t n; pipe != nullptr && (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        output.append(buffer, n);
    if (pipe != nullptr) pclose(pipe);
    // Each game's movetext, its lines joined (a FEN may be broken over two).
    std::vector<std::string> movetexts;
    std::istringstream lines(output);
    std::string line, word;
    while (std::getline(lines, line)) {
        if (line.rfind("[Event ", 0) == 0) movetexts.emplace_back();
        if (!line.empty() && line[0] != '[' && !movetexts.empty()) movetexts.back() += line + " ";
    }
    std::vector<RefereeGame> games;
    for (const std::string& movetext : movetexts) {
        games.emplace_back();
        std::istringstream words(movetext);
        while (words >> word) {
            if (word != "{") {
                if (word != "1-0" && word != "0-1" && word != "1/2-1/2" && word != "*")
                    games.back().moves.push_back(word);
                continue;
            }
            std::string fen;
            while (words >> word && word != "}") fen += (fen.empty() ? "" : " ") + word;
            games.back().fens.push_back(fen);
        }
    }
    return games;
}

std::string FirstFields(const std::string& fen, int count = 4) {
    std::size_t end = 0;
    for (int i = 0; i < count && end != std::string::npos; ++i) end = fen.find(' ', end + 1);
    return fen.substr(0, end);
}

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

TEST(PgnFile, RandomGamesReadAsByPgnExtract) {
    std::string program;
    for (const char* candidate : {"/usr/games/pgn-extract", "/usr/bin/pgn-extract"})
        if (access(candidate, X_OK) == 0) program = candidate;
    if (program.empty())
        GTEST_SKIP() << "pgn-extract is not installed (./corvane test installs it)";

    const std::string starts[] = {
        std::string(StandardStartFen),
        "r3k2r/pppppppp/8/8/8/8/PPPPPPPP/R3K2R w KQkq - 0 1",
        "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R b KQkq - 0 17",
        "r1n1k3/1P4P1/8/2N1N3/8/8/1p4p1/R3K2R w KQq - 0 1",
        "4k3/pppppppp/8/8/8/8/PPPPPPPP/4K3 b - - 0 5",
        "4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 30",
    };
#ifdef CORVANE_SANITIZED_BUILD
    const int gamesPerStart = 8;
#else
    const int gamesPerStart = 50;
#endif
    std::mt19937 random(25);
    std::vector<WrittenGame> written;
    std::string file;
    for (const std::string& start : starts) {
        for (int i = 0; i < gamesPerStart; ++i) {
            written.push_back(WriteGame(int(written.size()) + 1, start, random));
            file += written.back().text;
        }
    }
    const std::string path = testing::TempDir() + "pgn-extract-referee.pgn";
    std::ofstream(path, std::ios::binary) << file;
    const std::vector<RefereeGame> referee = ReadByPgnExtract(program, path);
    std::ifstream log(path + ".log");
    const std::string complaints{std::istreambuf_iterator<char>(log), {}};
    std::remove(path.c_str());
    std::remove((path + ".log").c_str());
    EXPECT_EQ(complaints, "");
    ASSERT_EQ(referee.size(), written.size()) << "pgn-extract refused some of the games";

    const PgnIndex index = IndexPgn(file);
    ASSERT_EQ(index.games.size(), written.size());
    int plies = 0, promotions = 0, castlings = 0, passants = 0;
    for (std::size_t g = 0; g < written.size(); ++g) {
        const std::string trace = "game " + std::to_string(g + 1) + "\n" + written[g].text;
        EXPECT_EQ(index.games[g].white, "Branco " + std::to_string(g + 1));
        PgnGameRead read;
        PgnFailure failure;
        ASSERT_TRUE(ReadPgnGame(file, index, int(g) + 1, read, failure))
            << failure.Message() << trace;
        EXPECT_EQ(read.result, written[g].result);
        const RefereeGame& theirs = referee[g];
        ASSERT_EQ(read.moves.size(), theirs.moves.size()) << trace;
        ASSERT_EQ(int(read.moves.size()), written[g].plies) << trace;
        ASSERT_EQ(theirs.fens.size(), theirs.moves.size()) << trace;
        // Move by move: the same move, then the same position.
        std::string side = rulestest::Setup(read.startFen);
        for (std::size_t i = 0; i < read.moves.size(); ++i) {
            const MoveText& m = read.moves[i];
            ASSERT_EQ(LongAlgebraicOf(m), Lower(theirs.moves[i])) << "move " << i << trace;
            promotions += !m.promotion.empty();
            const bool king = m.piece == WhiteKing || m.piece == BlackKing;
            const bool pawn = m.piece == WhitePawn || m.piece == BlackPawn;
            castlings += king && std::abs(m.toFile - m.fromFile) == 2;
            passants += pawn && m.fromFile != m.toFile && !m.capture;
            ASSERT_TRUE(PlayReadMove(m, 0));
            side = side == "W" ? "B" : "W";
            ASSERT_EQ(FirstFields(FenOf(0, side)), FirstFields(theirs.fens[i]))
                << "move " << i << trace;
        }
        plies += int(read.moves.size());
        if (!theirs.fens.empty()) {
            EXPECT_EQ(read.finalFen, theirs.fens.back()) << trace;
        }
        // And where the generator's own moves led.
        rulestest::SetFromReference(written[g].final, 1);
        EXPECT_EQ(FirstFields(read.finalFen),
                  FirstFields(FenOf(1, written[g].final.whiteToMove ? "W" : "B")))
            << trace;
    }
    std::printf("%zu games, %d moves, %d promotions, %d castlings, %d en passant\n", written.size(),
                plies, promotions, castlings, passants);
    EXPECT_GT(promotions, int(written.size()) / 10);
    EXPECT_GT(castlings, int(written.size()) / 20);
    EXPECT_GT(passants, 0);
}

} // namespace

namespace {

// The one step of a replay plays exactly the legal moves, with the piece the move names.
TEST(PgnFile, PlayReadMoveTakesOnlyLegalMoves) {
    const char* const kPromotes = "1n5k/P7/8/8/8/8/8/K7 w - - 0 1";
    const char* const kPinned = "4k3/4r3/8/8/8/8/4N3/4K3 w - - 0 1";
    // Position, move text, the position after it ("" when refused and left as it was).
    const char* const rows[][3] = {
        {kPromotes, "WP a7-a8=WN", "Nn5k/8/8/8/8/8/8/K7 b - - 0 1"},
        {kPromotes, "WP a7xb8=R", "1R5k/8/8/8/8/8/8/K7 b - - 0 1"},
        {kPromotes, "WP a7-a8", "Qn5k/8/8/8/8/8/8/K7 b - - 0 1"},
        {kPromotes, "WP a7-a8=BN", ""},
        {kPromotes, "WP a7-a8=WK", ""},
        {kPromotes, "WP a7-a8=WP", ""},
        {kPromotes, "WK a1-a2=WQ", ""},
        {kPromotes, "WN a7-a8", ""}, // not the piece on the square
        {kPromotes, "WK a1-a3", ""},
        {kPinned, "WN e2-c3", ""}, // the knight is pinned
        {kPinned, "WK e1-d1", "4k3/4r3/8/8/8/8/4N3/3K4 b - - 0 1"},
    };
    for (const auto& [fen, text, after] : rows) {
        rulestest::Setup(fen);
        const std::string before = FenOf(0, "W");
        // The promotion as written, even where a move text could not carry it.
        const std::string written = text, plain = written.substr(0, written.find('='));
        MoveText move;
        ASSERT_TRUE(ParseMoveText(plain, move)) << text;
        if (plain != written) move.promotion = written.substr(plain.size() + 1);
        const bool played = PlayReadMove(move, 0);
        EXPECT_EQ(played, *after != '\0') << text;
        EXPECT_EQ(FenOf(0, played ? "B" : "W"), played ? after : before) << text;
    }
    MoveText move;
    ASSERT_TRUE(ParseMoveText("WK e1-d1", move));
    EXPECT_FALSE(PlayReadMove(move, MaxDepth));
}

} // namespace

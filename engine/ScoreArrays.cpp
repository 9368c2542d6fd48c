// The square tables in their text form, their loader, the material count and
// the positional evaluation.
#include <cmath>

#include "engine/ModCompMove.h"
#include "engine/ModScoreArrays.h"

namespace corvane {

namespace {

// Rows from rank 8 down to rank 1, files a..h, eight "nnn " fields each.
constexpr const char* kPawnEarly = "000 000 000 000 000 000 000 000 "
                                   "000 000 000 000 000 000 000 000 "
                                   "000 000 008 008 008 000 000 000 "
                                   "000 000 008 008 008 000 000 000 "
                                   "-05 -05 016 025 025 -25 -05 -05 "
                                   "000 005 010 020 020 -25 005 000 "
                                   "000 000 -05 -05 -05 000 000 000 "
                                   "000 000 000 000 000 000 000 000 ";
constexpr const char* kPawnLate = "012 012 012 012 012 012 012 012 "
                                  "004 004 004 004 004 004 004 004 "
                                  "004 004 004 004 004 004 004 004 "
                                  "002 002 006 006 006 004 002 002 "
                                  "001 002 004 004 004 004 002 001 "
                                  "001 002 002 002 002 002 002 001 "
                                  "000 000 000 -02 -02 000 000 000 "
                                  "000 000 000 000 000 000 000 000 ";
constexpr const char* kPawnRace = "020 020 020 020 020 020 020 020 "
                                  "010 010 010 010 010 010 010 010 "
                                  "008 008 008 008 008 008 008 008 "
                                  "006 006 006 006 006 006 006 006 "
                                  "005 005 005 005 005 005 005 005 "
                                  "003 003 003 003 003 003 003 003 "
                                  "003 003 003 003 003 003 003 003 "
                                  "000 000 000 000 000 000 000 000 ";
constexpr const char* kRookTable = "006 006 006 006 006 006 006 006 "
                                   "008 008 008 008 008 008 008 008 "
                                   "006 006 006 006 006 006 006 006 "
                                   "000 004 004 006 006 004 004 000 "
                                   "000 002 004 006 006 004 002 000 "
                                   "002 002 002 004 004 002 002 002 "
                                   "000 000 000 004 004 000 000 000 "
                                   "000 -06 -05 016 016 005 -06 000 ";
constexpr const char* kKnightTable = "002 002 002 002 002 002 002 002 "
                                     "004 004 004 004 004 004 004 004 "
                                     "006 006 006 006 006 006 006 006 "
                                     "004 005 005 008 008 005 005 004 "
                                     "003 004 004 008 008 004 004 003 "
                                     "-02 003 013 003 003 013 003 -02 "
                                     "002 002 002 002 002 002 002 002 "
                                     "002 -02 002 002 002 002 -02 002 ";
constexpr const char* kBishopEarly1 = "-05 -05 -05 -05 -05 -99 -05 -05 "
                                      "001 008 005 005 005 005 008 001 "
                                      "001 005 008 -10 005 008 005 001 "
                                      "005 005 016 008 008 005 005 001 "
                                      "005 005 016 008 008 005 005 001 "
                                      "001 006 008 -10 005 008 006 001 "
                                      "001 008 005 005 005 005 008 001 "
                                      "-05 -05 000 -05 000 -99 002 -05 ";
constexpr const char* kBishopEarly2 = "-05 -05 -99 -05 -05 -05 -05 -05 "
                                      "001 008 005 010 005 005 008 001 "
                                      "001 005 008 006 -10 008 005 001 "
                                      "001 005 006 008 008 006 005 001 "
                                      "001 005 006 008 008 006 005 001 "
                                      "001 005 008 006 -10 008 005 001 "
                                      "001 008 005 010 005 005 008 001 "
                                      "-05 -05 -99 -05 -05 -05 -05 -05 ";
constexpr const char* kBishopLate1 = "-05 -05 -05 -05 -05 -45 -05 -05 "
                                     "001 008 005 005 006 005 008 001 "
                                     "001 006 008 007 004 008 005 001 "
                                     "001 005 006 008 008 006 005 001 "
                                     "001 005 006 008 008 006 005 001 "
                                     "001 005 008 007 004 008 005 001 "
                                     "001 008 005 005 006 005 008 001 "
                                     "-05 -05 -05 -05 -05 -45 -05 -05 ";
constexpr const char* kBishopLate2 = "-05 -05 -45 -05 -05 -05 -05 -05 "
                                     "001 008 005 005 005 005 008 001 "
                                     "001 005 008 004 004 008 005 001 "
                                     "001 005 008 008 008 008 006 001 "
                                     "001 005 008 008 008 008 006 001 "
                                     "001 005 008 004 004 008 005 001 "
                                     "001 008 005 005 005 005 008 001 "
                                     "-05 -05 -45 -05 -05 -05 -05 -05 ";
constexpr const char* kQueenEarly = "-05 -05 -10 -10 -10 -10 -05 -05 "
                                    "-05 -05 -10 -10 -10 -10 -05 -05 "
                                    "-05 -05 -10 -10 -10 -10 -05 -05 "
                                    "-05 -05 -10 -10 -10 -10 -05 -05 "
                                    "-05 -05 -10 -10 -10 -10 -05 -05 "
                                    "-05 -15 -15 -10 -10 -15 -15 -05 "
                                    "000 000 002 005 005 002 000 000 "
                                    "000 000 000 035 000 000 000 000 ";
constexpr const char* kQueenLate = "000 000 000 000 000 000 000 000 "
                                   "000 005 005 005 005 005 005 000 "
                                   "000 005 010 010 010 010 005 000 "
                                   "000 005 010 012 012 010 005 000 "
                                   "000 005 010 012 012 010 005 000 "
                                   "000 005 010 010 010 010 005 000 "
                                   "000 005 010 010 010 010 005 000 "
                                   "000 000 000 000 000 000 000 000 ";
constexpr const char* kKingTable = "-20 -20 -20 -20 -20 -20 -20 -20 "
                                   "-40 -40 -40 -40 -40 -40 -40 -40 "
                                   "-38 -38 -38 -38 -38 -38 -38 -38 "
                                   "-28 -28 -28 -28 -28 -28 -28 -28 "
                                   "-16 -16 -16 -16 -16 -16 -16 -16 "
                                   "-09 -09 -09 -09 -09 -09 -09 -09 "
                                   "-05 -05 -05 -05 -05 -05 -05 -05 "
                                   "000 010 010 -10 005 -10 010 000 ";
constexpr const char* kKingLate = "000 000 000 000 000 000 000 000 "
                                  "000 005 005 005 005 005 005 000 "
                                  "000 005 008 008 008 008 005 000 "
                                  "000 005 008 008 008 008 005 000 "
                                  "000 005 008 008 008 008 005 000 "
                                  "000 005 008 008 008 008 005 000 "
                                  "000 005 005 005 005 005 005 000 "
                                  "000 000 000 000 000 000 000 000 ";
constexpr const char* kInitialBoardRows = "007 008 009 010 011 009 008 007 "
                                          "012 012 012 012 012 012 012 012 "
                                          "000 000 000 000 000 000 000 000 "
                                          "000 000 000 000 000 000 000 000 "
                                          "000 000 000 000 000 000 000 000 "
                                          "000 000 000 000 000 000 000 000 "
                                          "006 006 006 006 006 006 006 006 "
                                          "001 002 003 004 005 003 002 001 ";

// The numeric value of a short text: leading blanks, an optional sign, digits;
// reading stops at the first other character (nothing readable gives 0).
int TextValue(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    int value = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
        value = value * 10 + (text[i] - '0');
        ++i;
    }
    return negative ? -value : value;
}

int FieldValue(std::string_view text, int k) {
    const std::size_t start = static_cast<std::size_t>(4 * k);
    if (start >= text.size()) return 0;
    return TextValue(text.substr(start, 3));
}

} // namespace

ScoreTable PawnEarly, PawnLate, PawnRace, RookTable, KnightTable;
ScoreTable BishopEarly1, BishopEarly2, BishopLate1, BishopLate2;
ScoreTable QueenEarly, QueenLate, KingTable, KingLate;
ScoreTable BlackPawnEarly, BlackPawnLate, BlackPawnRace, BlackRookTable;
ScoreTable BlackKnightTable, BlackQueenEarly, BlackKingTable;

std::int32_t WhiteTotal = 0, BlackTotal = 0;
std::int32_t MaterialScale = 10;
std::int32_t KnightWeight = 1, BishopWeight = 1;
std::array<std::int32_t, 13> MobilityCount{};
std::array<PieceSquares, 13> PieceList{};
std::array<KingPlace, 2> KingSquare{};

void ParseTableRows(ScoreTable& table, std::string_view text, std::int32_t mirror) {
    for (int k = 0; k < 64; ++k) {
        int rank = 8 - k / 8;
        const int file = k % 8 + 1;
        if (mirror > 0) rank = 9 - rank;
        table.at(rank, file) = static_cast<std::int16_t>(FieldValue(text, k));
    }
}

void ParseTableRows(PlyBoard& board, std::string_view text) {
    for (int k = 0; k < 64; ++k) {
        const int rank = 8 - k / 8;
        const int file = k % 8 + 1;
        const int value = FieldValue(text, k);
        board.squares[(rank - 1) * 8 + (file - 1)] =
            static_cast<PieceIndex>(value >= 0 && value <= 12 ? value : 0);
    }
}

void LoadScoreTables() {
    ParseTableRows(PawnEarly, kPawnEarly, 0);
    ParseTableRows(BlackPawnEarly, kPawnEarly, 1);
    ParseTableRows(PawnLate, kPawnLate, 0);
    ParseTableRows(BlackPawnLate, kPawnLate, 1);
    ParseTableRows(PawnRace, kPawnRace, 0);
    ParseTableRows(BlackPawnRace, kPawnRace, 1);
    ParseTableRows(RookTable, kRookTable, 0);
    ParseTableRows(BlackRookTable, kRookTable, 1);
    ParseTableRows(KnightTable, kKnightTable, 0);
    ParseTableRows(BlackKnightTable, kKnightTable, 1);
    ParseTableRows(BishopEarly1, kBishopEarly1, 0);
    ParseTableRows(BishopEarly2, kBishopEarly2, 0);
    ParseTableRows(BishopLate1, kBishopLate1, 0);
    ParseTableRows(BishopLate2, kBishopLate2, 0);
    ParseTableRows(QueenEarly, kQueenEarly, 0);
    ParseTableRows(BlackQueenEarly, kQueenEarly, 1);
    ParseTableRows(QueenLate, kQueenLate, 0);
    ParseTableRows(KingTable, kKingTable, 0);
    ParseTableRows(BlackKingTable, kKingTable, 1);
    ParseTableRows(KingLate, kKingLate, 0);
    ParseTableRows(InitialBoard, kInitialBoardRows);
    LoadOpeningBook();
}

} // namespace corvane

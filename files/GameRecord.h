#pragma once
// The whole game kept in a saved game: besides the five keys of the position
// (which any reader of the format understands), the moves from the starting
// position, the orientation, the clocks and the captured pieces. The moves go
// in numbered keys of RecordMovesPerKey half-moves each, so that no value
// reaches the 254 characters the INI layer reads back.
#include <QString>
#include <array>
#include <string>
#include <vector>

#include "files/IniDocument.h"

namespace corvane {

inline constexpr int RecordMovesPerKey = 20;
// More half-moves than this are not kept (the position still is).
inline constexpr int MaxRecordMoves = 6000;

struct GameRecord {
    std::string startFen;           // the position play started from (a full FEN)
    std::vector<std::string> moves; // the game's own move texts, "WP e2-e4", in playing order
    bool whiteAtBottom = true;
    qint64 whiteMs = 0, blackMs = 0;
    std::array<int, 10> captured{}; // the counters of the captured-pieces panel
    bool operator==(const GameRecord&) const = default;
};

// The extra keys of a record: "INICIO", "LANCES" (the number of half-moves),
// "LANCES1".."LANCESn", "BRANCAS_EMBAIXO", "RELOGIOS", "CAPTURADAS".
IniPairs GameRecordValues(const GameRecord& record);

struct RecordRead {
    enum class State { Absent, Whole, Damaged };
    State state = State::Absent;
    GameRecord record;
    QString message; // one line for the player when Damaged
};
// Reads the record of a saved game and checks it: every key present and
// well-formed, every move legal and made by the side to move, and the moves
// leading from the start to the saved position (placement of `position`,
// `sideToMove` 0 White, 1 Black). A file without "LANCES" has no record
// (Absent). The rules core's shared state is left as it was.
RecordRead ReadGameRecord(const IniDocument& doc, const QString& section, const QString& position,
                          int sideToMove);

} // namespace corvane

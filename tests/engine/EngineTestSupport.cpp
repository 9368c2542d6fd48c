#include "EngineTestSupport.h"

#include "engine/ModCompMove.h"
#include "engine/UciFrontEnd.h"
#include "rules/Fen.h"

namespace corvane::enginetest {

std::string SetUpPosition(const std::string& fen, int listCursor) {
    PrepareComputerPlayer();
    FenPosition info;
    if (!LoadFen(fen, 0, info)) return "";
    ListCursor = listCursor != -1000
                     ? listCursor
                     : (info.fullmoveNumber - 1) * 2 + (info.sideToMove == "B" ? 1 : 0) - 1;
    OpeningLine.clear();
    Board[1] = Board[0];
    CopyPlyFlags(0, 1);
    CountPieces(1);
    return info.sideToMove;
}

ComputerOutcome PlayComputer(const std::string& fen, int level, bool skipSearch) {
    const std::string side = SetUpPosition(fen);
    Level = static_cast<std::int16_t>(level);
    ResetComputerForNewGame();
    SkipSearch = skipSearch;
    GameMode = side == "B" ? "CB" : "CW";
    ComputerMove(1);
    return {CurrentMove, GameStatus};
}

std::int64_t TickingClock() {
    static std::int64_t now = 0;
    return now += 1000;
}

} // namespace corvane::enginetest

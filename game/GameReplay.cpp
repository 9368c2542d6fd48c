// The whole game: what a saved game keeps of it, and a game replayed into the
// window (from a saved game's record or a PGN file) as the game being played.
#include "files/GameRecord.h"
#include "game/frmMain.h"
#include "rules/Fen.h"
#include "rules/MoveText.h"
#include "rules/PgnFile.h"

namespace corvane {

namespace {

// Take-back keeps the game before each of the last moves of a replay only:
// a game of thousands of moves would otherwise hold thousands of copies.
constexpr std::size_t KeptBefore = 200;
const std::string White = "W", Black = "B";

} // namespace

std::optional<GameRecord> frmMain::KeptRecord() const {
    if (SetUpMode) return std::nullopt;
    GameRecord record;
    record.startFen = startFen_.empty() ? std::string(StandardStartFen) : startFen_;
    for (const GameHistory::Entry& entry : history_.Moves()) record.moves.push_back(entry.moveText);
    record.whiteAtBottom = WhiteAtBottom;
    record.whiteMs = whiteTime_;
    record.blackMs = blackTime_;
    for (int k = 0; k < 10; ++k) record.captured[k] = lblMW(k)->text().toInt();
    // The side to move after the moves is the one the saved game names.
    const bool whiteStarts = record.startFen.find(" b ") == std::string::npos;
    const bool whiteNow = whiteStarts == (record.moves.size() % 2 == 0);
    if (whiteNow != (SideToMove == "W")) return std::nullopt;
    return record;
}

bool frmMain::ReplayMoves(const std::string& startFen, const std::vector<MoveText>& moves,
                          const std::string& computerSide) {
    const GameSnapshot before = Snapshot();
    const GameHistory historyBefore = history_;
    const std::string startBefore = startFen_;
    const std::int32_t numberBefore = LoadedMoveNumber;
    const auto putBack = [&] {
        history_ = historyBefore;
        LoadedMoveNumber = numberBefore;
        Restore(before);
        startFen_ = startBefore;
        return false;
    };
    FenPosition start;
    if (!LoadFen(startFen, 0, start)) return putBack();
    CountPieces(0);
    DrawBoard(*this, 0);
    ClearMoveList();
    ResetCapturePanel();
    SideToMove = start.sideToMove;
    LoadedMoveNumber = (start.fullmoveNumber - 1) * 2;
    StartHistory();
    startFen_ = startFen;
    for (std::size_t i = 0; i < moves.size(); ++i) {
        const bool byComputer = SideToMove == computerSide;
        if (moves.size() - i <= KeptBefore) KeepBefore(byComputer);
        pendingByComputer_ = byComputer;
        const PlyBoard was = Board[0];
        MoveText move = moves[i];
        if (!OnBoard(move.fromRank, move.fromFile) || !OnBoard(move.toRank, move.toFile))
            return putBack();
        move.piece = was[move.fromRank][move.fromFile];
        if (move.piece == Empty || IsWhitePiece(move.piece) != (SideToMove == "W") ||
            !PlayReadMove(moves[i], 0))
            return putBack();
        move.capture = was[move.toRank][move.toFile] != Empty;
        if (move.promotion.empty() && Board[0][move.toRank][move.toFile] != move.piece)
            move.promotion = PieceCodeOf(Board[0][move.toRank][move.toFile]);
        CountComputerCapture(was, move);
        DrawChangedSquares();
        CurrentMove = FormatMoveText(move);
        SetMoveLabel(CurrentMove);
        ListTheMove(CurrentMove);
        SideToMove = SideToMove == White ? Black : White;
    }
    CountPieces(0);
    return true;
}

void frmMain::ResumeRecord(const GameRecord& record) {
    std::vector<MoveText> moves(record.moves.size());
    for (std::size_t i = 0; i < moves.size(); ++i) {
        if (!ParseMoveText(record.moves[i], moves[i])) return;
    }
    const std::string computerSide = GameMode == "CB" ? "B" : GameMode == "CW" ? "W" : "";
    if (!ReplayMoves(record.startFen, moves, computerSide)) return;
    if (WhiteAtBottom != record.whiteAtBottom) Flip();
    whiteTime_ = record.whiteMs;
    blackTime_ = record.blackMs;
    clockStart_ = clockNow() - whiteTime_ - blackTime_;
    lblTime(0)->setText(ClockText(whiteTime_));
    lblTime(1)->setText(ClockText(blackTime_));
}

} // namespace corvane

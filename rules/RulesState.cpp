#include "rules/RulesState.h"

namespace corvane {

namespace {

std::array<FlagArray*, 5> FlagArrays() {
    return {&WhiteCastleFlags, &BlackCastleFlags, &WhitePawnFlags, &BlackPawnFlags, &CastleMade};
}

} // namespace

RulesResults RulesResults::Take() {
    RulesResults r;
    r.fromRank = FromRank, r.fromFile = FromFile, r.toRank = ToRank, r.toFile = ToFile;
    r.moverSide = MoverSide, r.opponentSide = OpponentSide;
    r.whiteInCheck = WhiteInCheck, r.blackInCheck = BlackInCheck;
    r.attackerKind = AttackerKind, r.attackerRank = AttackerRank, r.attackerFile = AttackerFile;
    r.enPassantAttack = EnPassantAttack;
    r.gameStatus = GameStatus, r.promotionChoice = PromotionChoice;
    return r;
}

void RulesResults::PutBack() const {
    FromRank = fromRank, FromFile = fromFile, ToRank = toRank, ToFile = toFile;
    MoverSide = moverSide, OpponentSide = opponentSide;
    WhiteInCheck = whiteInCheck, BlackInCheck = blackInCheck;
    AttackerKind = attackerKind, AttackerRank = attackerRank, AttackerFile = attackerFile;
    EnPassantAttack = enPassantAttack;
    GameStatus = gameStatus, PromotionChoice = promotionChoice;
}

RulesState RulesState::Take() {
    RulesState s;
    s.board = Board;
    for (std::size_t i = 0; i < s.flags.size(); ++i) s.flags[i] = *FlagArrays()[i];
    s.saved = SavedFlags;
    s.kings = {WhiteKingRank, WhiteKingFile, BlackKingRank, BlackKingFile};
    s.mateBoard = MateBoard;
    s.attackers = Attackers;
    s.pieceCount = PieceCount;
    s.totals = {WhitePieceTotal, BlackPieceTotal, PieceTotal};
    s.results = RulesResults::Take();
    return s;
}

void RulesState::PutBack() const {
    Board = board;
    for (std::size_t i = 0; i < flags.size(); ++i) *FlagArrays()[i] = flags[i];
    SavedFlags = saved;
    WhiteKingRank = kings[0], WhiteKingFile = kings[1];
    BlackKingRank = kings[2], BlackKingFile = kings[3];
    MateBoard = mateBoard;
    Attackers = attackers;
    PieceCount = pieceCount;
    WhitePieceTotal = totals[0], BlackPieceTotal = totals[1], PieceTotal = totals[2];
    results.PutBack();
}

} // namespace corvane

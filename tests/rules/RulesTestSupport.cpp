#include "RulesTestSupport.h"

#include <algorithm>

#include <gtest/gtest.h>

#include "rules/Fen.h"

using namespace corvane;

namespace rulestest {

std::string Setup(const std::string& fen, int ply) {
    ResetGameState();
    InitSearchArrays();
    InitGameArrays();
    FenPosition position;
    EXPECT_TRUE(LoadFen(fen, ply, position)) << fen;
    return position.sideToMove;
}

void SetFromReference(const reftest::Position& p, int ply) {
    const std::string letters = " RNBQKPrnbqkp";
    for (int s = 0; s < 64; ++s) {
        const auto i = letters.find(p.square[s]);
        Board[ply].squares[s] = static_cast<PieceIndex>(i == std::string::npos ? 0 : i);
    }
    auto castle = [&p](int k, int q) {
        return PlyFlags{std::uint8_t(!p.castle[k] && !p.castle[q]), std::uint8_t(!p.castle[k]),
                        std::uint8_t(!p.castle[q]), 0};
    };
    WhiteCastleFlags[ply] = castle(0, 1);
    BlackCastleFlags[ply] = castle(2, 3);
    WhitePawnFlags[ply] = BlackPawnFlags[ply] = CastleMade[ply] = PlyFlags{};
    if (p.epSquare >= 0) {
        (p.whiteToMove ? BlackPawnFlags : WhitePawnFlags)[ply][1] =
            static_cast<std::uint8_t>(p.epSquare % 8 + 1);
    }
    CountPieces(ply);
}

std::vector<reftest::Move> CoreMoves(const std::string& side, int ply) {
    RulesMoveList list;
    ListLegalMoves(side, ply, list);
    std::vector<reftest::Move> moves;
    for (int i = 0; i < list.count; ++i) {
        const RulesMove& m = list.moves[i];
        moves.push_back({(m.fromRank - 1) * 8 + m.fromFile - 1, (m.toRank - 1) * 8 + m.toFile - 1});
    }
    std::sort(moves.begin(), moves.end());
    return moves;
}

std::string MoveText(const std::string& from, const std::string& to) {
    const int rank = from[1] - '0', file = from[0] - 'a' + 1;
    const int toRank = to[1] - '0', toFile = to[0] - 'a' + 1;
    const bool capture = Board[0][toRank][toFile] != Empty;
    return PieceCodeOf(Board[0][rank][file]) + " " + from + (capture ? "x" : "-") + to;
}

std::string SharedResults() {
    std::string text = MoverSide + "|" + OpponentSide + "|" + GameStatus + "|" + PromotionChoice;
    for (const std::int32_t n : {FromRank, FromFile, ToRank, ToFile, WhiteKingRank, WhiteKingFile,
                                 BlackKingRank, BlackKingFile, AttackerKind, AttackerRank,
                                 AttackerFile, WhitePieceTotal, BlackPieceTotal, PieceTotal})
        text += "|" + std::to_string(n);
    for (const std::int32_t n : PieceCount) text += "|" + std::to_string(n);
    for (const bool b : {WhiteInCheck, BlackInCheck, EnPassantAttack}) text += b ? "|1" : "|0";
    return text;
}

bool ModelSnapshot::FlagsEqualExcept(int ply) const {
    for (int p = 0; p <= MaxDepth; ++p) {
        if (p == ply) continue;
        if (wc[p] != WhiteCastleFlags[p] || bc[p] != BlackCastleFlags[p] ||
            wp[p] != WhitePawnFlags[p] || bp[p] != BlackPawnFlags[p] || cm[p] != CastleMade[p])
            return false;
    }
    return true;
}

bool ModelSnapshot::AllEqual() const {
    const SavedFlagSet& now = SavedFlags;
    return BoardsEqual() && FlagsEqualExcept(-1) && results == SharedResults() &&
           saved.WhiteCastleFlags == now.WhiteCastleFlags &&
           saved.BlackCastleFlags == now.BlackCastleFlags &&
           saved.WhitePawnFlags == now.WhitePawnFlags &&
           saved.BlackPawnFlags == now.BlackPawnFlags && saved.CastleMade == now.CastleMade;
}

void ModelSnapshot::RestoreFlags(int ply) const {
    WhiteCastleFlags[ply] = wc[ply];
    BlackCastleFlags[ply] = bc[ply];
    WhitePawnFlags[ply] = wp[ply];
    BlackPawnFlags[ply] = bp[ply];
    CastleMade[ply] = cm[ply];
}

} // namespace rulestest

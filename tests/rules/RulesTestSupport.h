#pragma once
#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <random>
#include <sstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "PgnReader.h"
#include "rules/CoreHooks.h"
#include "rules/Fen.h"
#include "rules/ModChecker.h"
#include "rules/MoveText.h"
#include "rules/Notation.h"
#include "rules/Perft.h"
#include "rules/Pgn.h"
#include "support/ReferenceRules.h"

namespace rulestest {

// Fresh arrays and game state, then the FEN at the ply; returns the side to move.
std::string Setup(const std::string& fen, int ply = 0);

// The reference position written straight into a ply: board, castle and double-step flags.
void SetFromReference(const reftest::Position& p, int ply);

// The core's legal moves as reference moves (square = (rank - 1) * 8 + file - 1), sorted.
std::vector<reftest::Move> CoreMoves(const std::string& side, int ply);

// "WP e2-e4" style text for the piece on the from-square of ply 0.
std::string MoveText(const std::string& from, const std::string& to);

// The shared results of the move tests (squares, kings, counters, statuses) as one text.
std::string SharedResults();

// Everything a rules test may not change behind the caller's back.
struct ModelSnapshot {
    std::array<corvane::PlyBoard, corvane::MaxDepth + 1> board = corvane::Board;
    corvane::FlagArray wc = corvane::WhiteCastleFlags, bc = corvane::BlackCastleFlags,
                       wp = corvane::WhitePawnFlags, bp = corvane::BlackPawnFlags,
                       cm = corvane::CastleMade;
    corvane::SavedFlagSet saved = corvane::SavedFlags;
    std::string results = SharedResults();
    bool BoardsEqual() const { return board == corvane::Board; }
    bool Unchanged() const { return BoardsEqual() && FlagsEqualExcept(-1); } // boards and flags
    bool AllEqual() const;
    // Flags of every ply except the one given (-1: all plies).
    bool FlagsEqualExcept(int ply) const;
    void RestoreFlags(int ply) const;
};

// Records the "ERROR" boxes while it is installed.
class RecordingHooks : public corvane::CoreHooks {
public:
    RecordingHooks() { corvane::SetHooks(this); }
    ~RecordingHooks() override { corvane::SetHooks(nullptr); }
    void ErrorBox(const std::string& text) override { boxes.push_back(text); }
    std::vector<std::string> boxes;
};

} // namespace rulestest

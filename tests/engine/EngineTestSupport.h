#pragma once
// Shared set-up for the computer player's tests: a position at plies 0 and 1, the view in step.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "engine/ModCompMove.h"
#include "engine/ModMate.h"
#include "engine/ModScoreArrays.h"
#include "engine/UciFrontEnd.h"
#include "rules/CoreHooks.h"
#include "rules/Fen.h"
#include "rules/ModChecker.h"
#include "support/ReferenceRules.h"

namespace corvane::enginetest {

// ListCursor follows the FEN's move number unless given; returns the side to move ("W"/"B").
std::string SetUpPosition(const std::string& fen, int listCursor = -1000);

struct ComputerOutcome {
    std::string move, status; // CurrentMove, GameStatus
};
// ComputerMove for the side to move at the level, as the turn driver runs it; SkipSearch as given.
ComputerOutcome PlayComputer(const std::string& fen, int level, bool skipSearch = false);

// Records what the search reports while it lives; stops it at the event run given (0: never).
struct RecordingHooks : CoreHooks {
    RecordingHooks() { SetHooks(this); }
    ~RecordingHooks() override { SetHooks(nullptr); }
    int runs = 0, stopAt = 0;
    std::map<int, std::string> labels;
    std::vector<std::string> boxes;
    void LetEventsRun() override { StopSearch = ++runs == stopAt || StopSearch; }
    void SetProgressLabel(int index, const std::string& text) override { labels[index] = text; }
    void ErrorBox(const std::string& text) override { boxes.push_back(text); }
};

// A clock that moves on one millisecond at every reading, whatever the machine's speed.
std::int64_t TickingClock();

} // namespace corvane::enginetest

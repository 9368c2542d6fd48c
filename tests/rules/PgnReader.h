#pragma once
// A strict PGN reader on the reference rules, independent of the core and its writers: each move
// legal, in its shortest unambiguous form, with the mark it earns and the number it should carry.
#include <string>
#include <utility>
#include <vector>

#include "support/ReferenceRules.h"

namespace reftest {

struct PgnRead {
    std::vector<std::pair<std::string, std::string>> tags; // in file order, unescaped
    Position final;
    int moves = 0;
    std::string result;
    std::string error; // what was wrong; empty when the text was read to its end
};

PgnRead ReadPgn(const std::string& text);

} // namespace reftest

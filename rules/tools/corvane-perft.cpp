// corvane-perft "<FEN>" <depth>: counts the move paths of the given depth through
// the legality test and prints the count under each root move and the total.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "rules/Fen.h"
#include "rules/ModChecker.h"
#include "rules/MoveText.h"
#include "rules/Perft.h"

using namespace corvane;

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: corvane-perft \"<FEN>\" <depth>\n");
        return 2;
    }
    char* end = nullptr;
    const long depth = std::strtol(argv[2], &end, 10);
    if (*end != '\0' || depth < 1 || depth > MaxDepth - 1) {
        std::fprintf(stderr, "corvane-perft: depth must be 1..%d\n", MaxDepth - 1);
        return 2;
    }
    InitSearchArrays();
    InitGameArrays();
    FenPosition position;
    if (!LoadFen(argv[1], 0, position)) {
        std::fprintf(stderr, "corvane-perft: not a FEN position: %s\n", argv[1]);
        return 2;
    }
    const auto start = std::chrono::steady_clock::now();
    const auto counts = PerftDivide(position.sideToMove, 0, static_cast<int>(depth));
    std::uint64_t total = 0;
    for (const PerftRootCount& c : counts) {
        const std::string move =
            SquareName(c.move.fromRank, c.move.fromFile) + SquareName(c.move.toRank, c.move.toFile);
        std::printf("%s: %llu\n", move.c_str(), static_cast<unsigned long long>(c.nodes));
        total += c.nodes;
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("\nmoves: %zu\nnodes: %llu\ntime: %.2f s\n", counts.size(),
                static_cast<unsigned long long>(total), seconds);
    return 0;
}

// The fuzzer's side of a failed check: print it and abort, so that libFuzzer
// keeps the input as a crash.
#include "FuzzCheck.h"

#include <cstdio>
#include <cstdlib>

namespace corvane::fuzz {

void Abort(const char* what, const char* file, int line) {
    std::fprintf(stderr, "%s:%d: fuzz check failed: %s\n", file, line, what);
    std::abort();
}

} // namespace corvane::fuzz

#pragma once
// The fuzz targets' entry function and a check that aborts the fuzzer or fails a replay test.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace corvane::fuzz {

// Filled by the replay test; when empty a failed check aborts, so that libFuzzer keeps the input.
inline void (*OnFailure)(const char* what, const char* file, int line) = nullptr;

inline void Failed(const char* what, const char* file, int line) {
    if (OnFailure != nullptr) return OnFailure(what, file, line);
    std::fprintf(stderr, "%s:%d: fuzz check failed: %s\n", file, line, what);
    std::abort();
}

// Reads the input from the front: small choices first (0 when none is left), the rest as text.
class Input {
public:
    Input(const std::uint8_t* data, std::size_t size)
        : rest_(reinterpret_cast<const char*>(data), size) {}
    std::uint8_t Byte() { return rest_.empty() ? 0 : std::uint8_t(Take(1)[0]); }
    std::string_view Rest() { return Take(rest_.size()); }
    std::string_view Take(std::size_t n) {
        const std::string_view taken = rest_.substr(0, n);
        rest_.remove_prefix(taken.size());
        return taken;
    }

private:
    std::string_view rest_;
};

} // namespace corvane::fuzz

#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) corvane::fuzz::Failed(#condition, __FILE__, __LINE__);                   \
    } while (false)

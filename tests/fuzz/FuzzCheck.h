#pragma once
// What every fuzz target shares: the entry function libFuzzer calls, and a
// check that stops the fuzzer on a broken promise (the replay tests turn it
// into a test failure naming the stored input instead).
#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace corvane::fuzz {

[[noreturn]] void Abort(const char* what, const char* file, int line);
// Filled by the replay test; when empty a failed check aborts.
using FailureHandler = void (*)(const char* what, const char* file, int line);
inline FailureHandler OnFailure = nullptr;

inline void Failed(const char* what, const char* file, int line) {
    if (OnFailure != nullptr)
        OnFailure(what, file, line);
    else
        Abort(what, file, line);
}

// Reads the input from the front: small choices first, the rest as text.
class Input {
public:
    Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    // The next byte, 0 when none is left.
    std::uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }
    std::string_view Rest() {
        const std::string_view rest(reinterpret_cast<const char*>(data_) + at_, size_ - at_);
        at_ = size_;
        return rest;
    }
    std::string_view Take(std::size_t n) {
        const std::size_t k = n < size_ - at_ ? n : size_ - at_;
        const std::string_view taken(reinterpret_cast<const char*>(data_) + at_, k);
        at_ += k;
        return taken;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

} // namespace corvane::fuzz

// A check that holds whatever the input: on failure the fuzzer stops with a
// crash file, a replay test fails.
#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) corvane::fuzz::Failed(#condition, __FILE__, __LINE__);                   \
    } while (false)

// Replays a fuzz target's corpus and fault reproducers: a fixed fault stays fixed in every build.
#include "FuzzCheck.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <vector>

namespace corvane::fuzz {

namespace {

std::vector<std::filesystem::path> StoredInputs() {
    std::vector<std::filesystem::path> files;
    for (const char* folder : {FUZZ_CORPUS, FUZZ_REPRODUCERS}) {
        if (!std::filesystem::is_directory(folder)) continue;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
            if (entry.is_regular_file()) files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

#define FUZZ_REPLAY_TEST(suite) TEST(suite, StoredInputsKeepEveryCheck)
FUZZ_REPLAY_TEST(FUZZ_SUITE) {
    OnFailure = [](const char* what, const char* file, int line) {
        ADD_FAILURE_AT(file, line) << "fuzz check failed: " << what;
    };
    const std::vector<std::filesystem::path> files = StoredInputs();
    ASSERT_FALSE(files.empty()) << "no stored input in " << FUZZ_CORPUS;
    for (const auto& path : files) {
        SCOPED_TRACE(path.string());
        std::ifstream in(path, std::ios::binary);
        const std::vector<char> bytes{std::istreambuf_iterator<char>(in), {}};
        LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    }
    OnFailure = nullptr;
}

} // namespace
} // namespace corvane::fuzz

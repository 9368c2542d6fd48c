#include "support/PgnExtract.h"

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace reftest {

bool PgnExtractFinalFens(const std::string& pgn, std::vector<std::string>& fens,
                         std::string& error) {
    fens.clear();
    const char* program = "/usr/games/pgn-extract"; // where Debian puts it
    if (::access(program, X_OK) != 0) {
        error = "pgn-extract is not installed (./corvane test installs it)";
        return false;
    }
    char name[] = "/tmp/corvane-pgn-XXXXXX";
    const int fd = ::mkstemp(name);
    if (fd < 0) {
        error = "no temporary file";
        return false;
    }
    const bool written = ::write(fd, pgn.data(), pgn.size()) == static_cast<ssize_t>(pgn.size());
    ::close(fd);
    std::string output;
    if (written) {
        const std::string command =
            std::string(program) + " -s -F --nofauxep -w1000 " + name + " 2>&1";
        if (FILE* pipe = ::popen(command.c_str(), "r")) {
            char buffer[4096];
            std::size_t n = 0;
            while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, n);
            if (::pclose(pipe) != 0) error = "pgn-extract failed: " + output;
        } else {
            error = "pgn-extract cannot be started";
        }
    } else {
        error = "the PGN could not be written";
    }
    ::unlink(name);
    if (!error.empty()) return false;
    // -F leaves the FEN in a comment of its own: { "..." }.
    for (std::size_t at = output.find("{ \""); at != std::string::npos;
         at = output.find("{ \"", at + 1)) {
        const std::size_t end = output.find("\" }", at);
        if (end == std::string::npos) break;
        fens.push_back(output.substr(at + 3, end - at - 3));
    }
    return true;
}

} // namespace reftest

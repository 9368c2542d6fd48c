// corvane-engine: the computer player behind a UCI text interface, plus "bench".
#include <iostream>
#include <string>

#include "engine/UciFrontEnd.h"

namespace corvane {
int RunBench(std::ostream& out);
}

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    if (argc >= 2 && std::string(argv[1]) == "bench") return corvane::RunBench(std::cout);
    corvane::UciFrontEnd frontEnd;
    frontEnd.Run(std::cin, std::cout);
    return 0;
}

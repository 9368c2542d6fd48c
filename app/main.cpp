// Corvane: a chess game. No command-line options.
#include "app/StartUp.h"

int main(int argc, char** argv) {
    return corvane::RunCorvane(argc, argv);
}

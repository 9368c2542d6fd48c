// corvane-icon SIZE FILE: writes the program's icon as a SIZE x SIZE PNG.
#include "app/ShellPictures.h"

#include <QGuiApplication>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: corvane-icon SIZE FILE\n");
        return 2;
    }
    const int size = std::atoi(argv[1]);
    if (size < 16 || size > 1024) {
        std::fprintf(stderr, "corvane-icon: size must be 16..1024\n");
        return 2;
    }
    if (!corvane::AppIcon(size).save(QString::fromLocal8Bit(argv[2]), "PNG")) {
        std::fprintf(stderr, "corvane-icon: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}

// One program start for the settings test: read | close SOM NICK.
#include "files/Settings.h"

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    using namespace corvane;
    if (argc == 2 && std::strcmp(argv[1], "read") == 0) {
        std::printf("SOM=%s\nNICK=%s\nAVISO=%s\n", qPrintable(BoolText(ReadSoundOn())),
                    ReadNick().toUtf8().constData(), qPrintable(BoolText(ReadWarningHidden())));
        return 0;
    }
    if (argc == 4 && std::strcmp(argv[1], "close") == 0) {
        const bool soundOn = ParseBoolText(QString::fromUtf8(argv[2])).value_or(true);
        return WriteSettingsOnClose(soundOn, QString::fromUtf8(argv[3])) ? 0 : 1;
    }
    std::fprintf(stderr, "usage: files_settings_probe read | close SOM NICK\n");
    return 2;
}

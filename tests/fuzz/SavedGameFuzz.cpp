// Any saved-game bytes: what opens is playable, the preview and the board show the same pieces.
#include "FuzzCheck.h"
#include "files/SavedGame.h"
#include "files/modINI.h"
#include "rules/ModChecker.h"
#include "rules/SquareImages.h"

#include <QFile>
#include <QTemporaryDir>

using namespace corvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static QTemporaryDir folder;
    static const bool ready = [] {
        SetProgramFolder(folder.path());
        return MakeSaveFolder();
    }();
    FUZZ_CHECK(ready);
    QFile file(SavedGamePath("f"));
    FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    FUZZ_CHECK(file.write(reinterpret_cast<const char*>(data), qint64(size)) == qint64(size));
    file.close();

    const SavedGamePreview preview = PreviewSavedGame("f");
    const OpenedGame game = OpenSavedGame("f");
    FUZZ_CHECK(preview.dateLabel.startsWith("Jogo salvo em: "));
    FUZZ_CHECK(game.level >= 0 && game.level <= 3 && game.playerOption >= 0 &&
               game.playerOption <= 3 && (game.loadedSide == 0 || game.loadedSide == 1));
    FUZZ_CHECK(game.ok != !game.message.isEmpty());
    FUZZ_CHECK(preview.squares == PlacementSquares(game.position));
    if (!game.ok) return 0;

    FUZZ_CHECK(PositionProblem(game.position, game.loadedSide).isEmpty());
    PlainSquareImages view;
    std::string side;
    LoadPosition(view, game.position.toStdString(), side);
    for (int i = 0; i < 64; ++i) FUZZ_CHECK(view.Tag(i) == preview.squares[i].toStdString());
    LoadBoardFromView(view, 0);
    FUZZ_CHECK(PieceTotal <= 64);
    return 0;
}

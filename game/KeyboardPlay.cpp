// The main window's side of keyboard play: typed moves, set-up by keys, and
// the announcements a screen reader reads.
#include "game/Announcer.h"
#include "game/frmMain.h"
#include "rules/GameState.h"
#include "rules/MoveText.h"
#include "rules/TypedMove.h"

namespace corvane {

void frmMain::Announce(const QString& text) {
    if (!text.isEmpty()) Announcements()->Say(text);
}

QString frmMain::TypedMoveRefusal() {
    static const QString notYourTurn = QString::fromUtf8("Não é a sua vez");
    if (SetUpMode || promotionWaiting_ || closing_ || !picBoard()->isEnabled())
        return QString::fromUtf8("O tabuleiro não aceita lances agora");
    if (ComputerBusy) return notYourTurn;
    if (NetworkGame) {
        const bool localToMove = SideToMove == (localIsWhite_ ? "W" : "B");
        return waitingForPeer_ || !localToMove ? notYourTurn : QString();
    }
    if (SideToMove == "W" && GameMode == "CW") {
        // As a press on a piece does: the computer, playing White, opens the game.
        ComputerTurn(1);
        return notYourTurn;
    }
    if (SideToMove == "B" && GameMode == "CB") return notYourTurn;
    return {};
}

QString frmMain::PlayTypedMove(const QString& text) {
    const QString refusal = TypedMoveRefusal();
    if (!refusal.isEmpty()) return refusal;
    const QByteArray utf8 = text.toUtf8();
    const std::string_view typed(utf8.constData(), std::size_t(utf8.size()));
    MoveText move;
    MoveRefusal why = MoveRefusal::NoSuchMove;
    {
        const RulesStateKeeper keeper;
        // Before the first game either colour may move.
        for (const char* side : {"W", "B"}) {
            if (SideToMove != side && SideToMove != "A") continue;
            why = ReadTypedMove(typed, side, 0, move);
            if (why != MoveRefusal::NoSuchMove) break;
        }
    }
    if (why != MoveRefusal::None) return QString::fromStdString(MoveRefusalText(why));
    // The move goes as a click-to-move does: the same test, commit, sounds and list.
    if (selected_ >= 0) CancelSelection();
    selected_ = ImageIndexOf(move.fromRank, move.fromFile);
    typedPromotion_ = move.promotion;
    PlayClickedMove(ImageIndexOf(move.toRank, move.toFile));
    typedPromotion_.clear();
    return {};
}

void frmMain::PlaceSetUpPiece(int index, int piece) {
    if (!SetUpMode || ComputerBusy || !picBoard()->isEnabled() || index < 0 || index > 63) return;
    if (piece <= 0 || piece > 12) {
        pickedSquare_ = static_cast<std::int16_t>(index);
        DropOnPalette();
    } else {
        dragging_ = false;
        SetUpPiece = static_cast<std::int16_t>(piece);
        SetUpDrop(index);
    }
    picBoard()->update();
}

} // namespace corvane

// Bytes a peer might send, cut into reads as the input says, through the
// network session of an offscreen main window (blink time 0, every message
// window and message box answered at once, the promotion chooser answered with
// a queen); the local side answers each peer move with one of its legal moves.
// Whatever comes, every label that could read its text as markup shows it as
// plain text, no tooltip is unescaped markup, no shown text holds a control
// character, and the board keeps one king a side.
#include "FuzzCheck.h"
#include "app/NetworkGame.h"
#include "game/frmMain.h"
#include "kit/ModResWav.h"
#include "kit/frmMensagem.h"
#include "rules/GameState.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QTextDocument>

using namespace corvane;

namespace {

void MakeApplication() {
    static int argc = 1;
    static char name[] = "fuzz_PeerSession";
    static char* argv[] = {name, nullptr};
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // Never destroyed: statics made later (the piece pictures) register
    // clean-ups that the application's destruction would run after them.
    [[maybe_unused]] static QApplication& app = *new QApplication(argc, argv);
    static struct Silent : SoundPlayer {
        void Play(const QByteArray&) override {}
        void Stop() override {}
    } silent;
    SetSoundPlayer(&silent);
    frmMensagem::SetTimeScale(0.0);
}

bool ShownClean(const QString& text) {
    return std::none_of(text.begin(), text.end(),
                        [](QChar c) { return c != u'\n' && c.category() == QChar::Other_Control; });
}

// A tooltip either has no markup, or is the escaped form: nothing inside the
// wrapper reads as a tag.
bool EscapedTip(const QString& tip) {
    if (tip.startsWith(QStringLiteral("<qt>")) && tip.endsWith(QStringLiteral("</qt>")))
        return !tip.mid(4, tip.size() - 9).contains(u'<');
    return !Qt::mightBeRichText(tip);
}

void CheckWidgets() {
    for (QWidget* w : QApplication::allWidgets()) {
        if (const auto* label = qobject_cast<QLabel*>(w)) {
            FUZZ_CHECK(label->textFormat() == Qt::PlainText || !Qt::mightBeRichText(label->text()));
            FUZZ_CHECK(ShownClean(label->text()));
        }
        FUZZ_CHECK(EscapedTip(w->toolTip()));
        if (const auto* list = qobject_cast<QListWidget*>(w))
            for (int i = 0; i < list->count(); ++i)
                FUZZ_CHECK(EscapedTip(list->item(i)->toolTip()));
    }
}

// Answers what waits for the player: a message box, the promotion chooser.
void Answer(frmMain& window) {
    CheckWidgets();
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) box->done(0);
    for (const bool white : {true, false})
        if ((white ? window.picWPP() : window.picBPP())->isVisible())
            PromotionChoice = white ? "WQ" : "BQ";
}

// The local side's turn: one of its legal moves, pressed and dropped.
void PlayLocalMove(frmMain& window, int choice) {
    const char* side = window.LocalIsWhite() ? "W" : "B";
    if (!NetworkGame || window.WaitingForPeer() || SideToMove != side) return;
    LoadBoardFromView(window, 0);
    RulesMoveList legal;
    ListLegalMoves(side, 0, legal);
    if (legal.count == 0) return;
    const RulesMove& m = legal.moves[choice % legal.count];
    BoardView& board = *window.picBoard();
    board.onPress(ImageIndexOf(m.fromRank, m.fromFile), Qt::LeftButton);
    board.onDropSquare(ImageIndexOf(m.toRank, m.toFile));
}

void RunEventsFor(int ms) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    MakeApplication();
    fuzz::Input input(data, size);
    const std::uint8_t flags = input.Byte();
    const std::size_t read = std::size_t(1) << (input.Byte() % 13); // 1 to 4096 bytes a read
    const std::string_view bytes = input.Rest();
    ResetGameState();
    {
        frmMain window;
        window.blinkMilliseconds = 0;
        window.show();
        NetworkGameSession session(window);
        session.openNewGame = [] {};
        // A draw offer or a take-back request of the peer: answered at once.
        session.askPlayer = [flags](const QString&, int) {
            CheckWidgets();
            return (flags & 2) != 0;
        };
        window.sendToPeer = [&session](const std::string& m) {
            session.EnviarDados(QString::fromStdString(m));
        };
        QTimer answer;
        QObject::connect(&answer, &QTimer::timeout, [&window] { Answer(window); });
        answer.start(1);
        PlayerNick = {QString(), QStringLiteral("ANA"), QString()};
        NetServerMode = (flags & 1) != 0;
        NetworkGame = true;
        for (std::size_t at = 0; at < bytes.size(); at += read) {
            const std::string_view piece = bytes.substr(at, read);
            session.Receive(QByteArray(piece.data(), qsizetype(piece.size())));
            RunEventsFor(1);
            PlayLocalMove(window, int(at / read));
        }
        RunEventsFor(200); // the quiet connection, held messages
        PlayLocalMove(window, 0);
        CheckWidgets();
        session.Socket_CloseSck();
        RunEventsFor(150);
        CheckWidgets();
        int kings[2] = {0, 0};
        for (int i = 0; i < 64; ++i) {
            kings[0] += window.Tag(i).starts_with("WK");
            kings[1] += window.Tag(i).starts_with("BK");
        }
        FUZZ_CHECK(kings[0] == 1 && kings[1] == 1);
        FUZZ_CHECK(!NetworkGame);
    }
    ResetGameState();
    return 0;
}

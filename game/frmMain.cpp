// The main window: creation and close, the answers to its controls, the board
// view's procedures and the hooks the headless core calls.
#include "game/frmMain.h"

#include "kit/QuestionBox.h"
#include <QApplication>
#include <QCloseEvent>

#include "game/BoardAccessible.h"
#include "game/BoardKeys.h"
#include "game/ComputerPlayer.h"
#include "game/Review.h"
#include "game/StandardList.h"
#include "game/TypedMoveLine.h"
#include "game/Widgets.h"
#include "kit/ModResWav.h"
#include "kit/PlainText.h"
#include "rules/CoreHooks.h"

namespace corvane {

bool ComputerBusy = false;
bool SetUpMode = false;
bool OptionGuard = false;
bool NetworkGame = false;
std::int32_t LongestThinkTime = 0;
std::int32_t PromotedPiece = -1;
std::int16_t SetUpPiece = 0;

// The core's view of the window: events, progress labels, the "ERROR" box.
class frmMain::WindowHooks : public CoreHooks {
public:
    explicit WindowHooks(frmMain& window) : window_(window) {}
    void LetEventsRun() override { QCoreApplication::processEvents(); }
    void SetProgressLabel(int index, const std::string& text) override {
        if (index >= 0 && index <= 2) window_.LabPB(index)->setText(QString::fromStdString(text));
    }
    void ErrorBox(const std::string& text) override {
        ShowWarningNotice(&window_, "ERROR", QString::fromStdString(text));
    }

private:
    frmMain& window_;
};

frmMain::frmMain(QWidget* parent)
    : MainLayout(parent), hooks_(std::make_unique<WindowHooks>(*this)) {
    setObjectName("frmMain");
    setWindowTitle("Corvane");
    clockBase_.start();
    clockNow = [this] { return clockBase_.elapsed(); };
    WireControls();
    SetHooks(hooks_.get());
    // Keyboard play and screen readers.
    keys_ = new BoardKeys(*this);
    NameForReaders(*this);
    TypedLine()->play = [this](const QString& text) { return PlayTypedMove(text); };
    TypedLine()->tell = [this](const QString& reason) { Announce(reason); };

    // Board arrays and game-level state of a fresh window.
    InitSearchArrays();
    SetUpBoard.Clear();
    WhiteAtBottom = true;
    SideToMove = "A";
    GameMode = "H";
    ComputerStartUp();
    InitGameArrays();
    LoadSounds();
    StopSounds();
    ComputerBusy = false;
    OptionGuard = false;

    // Load: a default game, the user with White against the computer.
    dragging_ = false;
    InitGameArrays();
    ListCursor = -1;
    picBoard()->LayoutSquares();
    NetworkGame = false;
    waitingForPeer_ = true;
    SelectOption(2, true);
    SetUpMode = true;
    Level = 2;
    NovoJogo(1);
}

frmMain::~frmMain() {
    keys_->Detach();
    if (&Hooks() == hooks_.get()) SetHooks(nullptr);
}

void frmMain::WireControls() {
    BoardView* board = picBoard();
    board->onPress = [this](int index, Qt::MouseButton button) { PickUp(index, button); };
    board->onDropSquare = [this](int target) {
        DropOnSquare(target);
        AfterDrop();
    };
    board->onDropBoard = [this](double x, double y) {
        DropOnBoard(x, y);
        AfterDrop();
    };
    board->onDropOutside = [this](QPoint global) {
        const QWidget* p = palette();
        if (SetUpMode && dragging_ && p->isVisible() &&
            p->rect().contains(p->mapFromGlobal(global)))
            DropOnPalette();
        else
            DropOutsideBoard();
        AfterDrop();
    };
    for (int i = 0; i < 4; ++i) {
        connect(optSetUp(i), &QRadioButton::clicked, this, [this, i] { OptionClicked(i); });
    }
    for (int i = 1; i <= 4; ++i) {
        for (const bool white : {true, false}) {
            PromotionImage(white, i)->onPress = [this, i](Qt::MouseButton b) {
                ChoosePromotionPiece(i, b);
            };
        }
    }
    for (int i = 0; i < 2; ++i) {
        Indicator(i)->onPress = [this, i](Qt::MouseButton b) { IndicatorPressed(i, b); };
        // The line beside the side to move hands the first move to the other side.
        VezLabel(i)->onPress = [this, i](Qt::MouseButton b) { IndicatorPressed(1 - i, b); };
    }
    Palette()->onDrag = [this](int piece, QPoint global, bool finished) {
        PaletteDrag(piece, global, finished);
    };
    connect(tmrElapsed(), &QTimer::timeout, this, &frmMain::ClockTick);
    WireGameActions();
}

// LabCH(0) names the player of the side at the bottom: "CPU" for the
// computer's side, the nicknames in a network game, "JOGADOR" otherwise.
void frmMain::SetPlayerCaptions() {
    captionMode_ = GameMode;
    QString white = GameMode == "CW" ? "CPU" : "JOGADOR";
    QString black = GameMode == "CB" ? "CPU" : "JOGADOR";
    if (NetworkGame) {
        const QString own = QString::fromStdString(nicks_[0]);
        const QString opponent = QString::fromStdString(nicks_[1]);
        white = localIsWhite_ ? own : opponent;
        black = localIsWhite_ ? opponent : own;
    }
    ShowPlain(*LabCH(0), WhiteAtBottom ? white : black);
    ShowPlain(*LabCH(1), WhiteAtBottom ? black : white);
}

void frmMain::SetLocalIsWhite(bool white) {
    localIsWhite_ = white;
}

void frmMain::SetWaitingForPeer(bool waiting) {
    waitingForPeer_ = waiting;
}

void frmMain::SetPlayerNicks(const std::string& own, const std::string& opponent) {
    nicks_ = {own, opponent};
    if (NetworkGame) SetPlayerCaptions();
}

std::string frmMain::Tag(int index) const {
    if (index < 0 || index > 63) return std::string();
    return picBoard()->IM(index).tag;
}

void frmMain::SetSquare(int index, std::string_view code) {
    if (index < 0 || index > 63) return;
    SquareImage& im = IM(index);
    im.picture = im.dragIcon = im.tag = std::string(code);
    im.visible = true;
    picBoard()->update();
}

void frmMain::ClearMoveTextAndList() {
    ClearMoveList();
}

void frmMain::Flip() {
    if (ComputerBusy) return;
    WhiteAtBottom = !WhiteAtBottom;
    picBoard()->MirrorImages();
    picBoard()->SetWhiteAtBottomLabels(WhiteAtBottom);
    SetPlayerCaptions();
    PlaceClockLabels(WhiteAtBottom);
    // The indicators stay in place, so the lit one must follow the side to move
    // to its new edge.
    if (SideToMove == "W") WhoMoves(0);
    if (SideToMove == "B") WhoMoves(1);
}

void frmMain::Sound(int number) {
    PlaySound(static_cast<std::int16_t>(number));
}

void frmMain::closeEvent(QCloseEvent* event) {
    closing_ = true;
    ComputerBusy = true;
    ComputerStop();
    tmrElapsed()->stop();
    picBoard()->CancelDrag();
    StopSounds();
    event->accept();
}

} // namespace corvane

// The main window: its controls, their layout, the board view's small
// procedures and the hooks the headless core calls.
#include "game/frmMain.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QMessageBox>
#include <QMouseEvent>
#include <QVBoxLayout>

#include "game/ComputerPlayer.h"
#include "game/PieceArt.h"
#include "game/Widgets.h"
#include "rules/ModChecker.h"
#include "shell/ModResWav.h"
#include "shell/kit/WindowConventions.h"

namespace corvane {

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
        QMessageBox::critical(&window_, "ERROR", QString::fromStdString(text));
    }

private:
    frmMain& window_;
};

namespace {

// Counter k of the captured-pieces panel shows this piece.
constexpr const char* kCaptureCodes[10] = {"WQ", "WR", "WB", "WN", "WP",
                                           "BQ", "BR", "BB", "BN", "BP"};
constexpr const char* kPromotionTips[5] = {"", "Torre", "Cavalo", "Bispo", "Dama"};
constexpr const char* kPromotionKinds = " RNBQ";

QLabel* Caption(const QString& text, QWidget* parent, const char* name) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    return label;
}

} // namespace

frmMain::frmMain(QWidget* parent) : QWidget(parent), hooks_(std::make_unique<WindowHooks>(*this)) {
    setObjectName("frmMain");
    setWindowTitle("Corvane");
    ClockBase.start();
    clockNow = [this] { return ClockBase.elapsed(); };
    BuildControls();
    SetHooks(hooks_.get());

    // Board arrays and game-level state of a fresh window.
    InitSearchArrays();
    SetUpBoard.Clear();
    WhiteAtBottom = true;
    SideToMove = "A";
    GameMode = "H";
    ComputerStartUp(*this);
    InitGameArrays();
    LoadSounds();
    StopSounds();
    ComputerBusy = false;

    // Load: a default game, the user with White against the computer.
    Dragging = false;
    InitGameArrays();
    ListCursor = -1;
    picBoard_->LayoutSquares();
    NetworkGame = false;
    WaitingForPeer = true;
    OptionGuard = true;
    optSetUp_[2]->setChecked(true);
    SetUpMode = true;
    OptionGuard = false;
    Level = 2;
    NovoJogo(1);
}

frmMain::~frmMain() {
    if (&Hooks() == hooks_.get()) SetHooks(nullptr);
    ComputerShutDown(*this);
}

void frmMain::BuildControls() {
    setStyleSheet(
        "frmMain { background: #efe7da; }"
        "QLabel { color: #3a2e26; }"
        "QWidget#picToobar { background: #5c402c; }"
        "QFrame#panel { background: #f8f3ea; border: 1px solid #c9b79c; border-radius: 6px; }"
        "QLabel#heading { font-weight: bold; color: #5c402c; }"
        "QListWidget { background: #fffdf8; border: 1px solid #c9b79c; }");
    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 8);
    root->setSpacing(6);
    picToobar_ = new QWidget(this);
    picToobar_->setObjectName("picToobar");
    picToobar_->setFixedHeight(40);
    root->addWidget(picToobar_);

    auto* body = new QHBoxLayout;
    body->setContentsMargins(10, 0, 10, 0);
    body->setSpacing(10);
    root->addLayout(body, 1);

    // Left: players, clocks and indicators above and below the board.
    auto* left = new QVBoxLayout;
    body->addLayout(left, 1);
    QFont nameFont = font();
    nameFont.setBold(true);
    nameFont.setPointSize(11);
    QFont mono = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    mono.setFamily("Courier New");
    mono.setStyleHint(QFont::TypeWriter);
    for (int i = 0; i < 2; ++i) {
        LabCH_[i] = Caption("JOGADOR", this, "LabCH");
        LabCH_[i]->setFont(nameFont);
        lblTime_[i] = Caption("00:00", this, "lblTime");
        QFont clock = mono;
        clock.setPointSize(13);
        clock.setBold(true);
        lblTime_[i]->setFont(clock);
        imgMvIndicator_[i] = Caption("", this, "imgMvIndicator");
        imgMvIndicator_[i]->setFixedSize(18, 18);
    }
    topRow_ = new QWidget(this);
    bottomRow_ = new QWidget(this);
    for (int i = 0; i < 2; ++i) {
        QWidget* row = i == 0 ? bottomRow_ : topRow_;
        auto* h = new QHBoxLayout(row);
        h->setContentsMargins(4, 0, 4, 0);
        h->addWidget(imgMvIndicator_[i]);
        h->addWidget(LabCH_[i]);
        h->addStretch(1);
    }
    picBoard_ = new BoardView(this);
    left->addWidget(topRow_, 0, Qt::AlignHCenter);
    left->addWidget(picBoard_, 1);
    left->addWidget(bottomRow_, 0, Qt::AlignHCenter);
    // Names and clocks keep to the width of the drawn board.
    picBoard_->onResize = [this](int side) {
        topRow_->setFixedWidth(side);
        bottomRow_->setFixedWidth(side);
    };
    PlaceClockLabels();

    picBoard_->onPress = [this](int index, Qt::MouseButton button) { PickUp(index, button); };
    picBoard_->onDropSquare = [this](int target) { DropOnSquare(target); };
    picBoard_->onDropBoard = [this](double x, double y) { DropOnBoard(x, y); };
    picBoard_->onDropOutside = [this](QPoint global) {
        if (SetUpMode && Dragging && palette_->isVisible() &&
            palette_->rect().contains(palette_->mapFromGlobal(global))) {
            // A board piece dropped on the palette leaves the board.
            SetSquare(PickedSquare, "");
            Dragging = false;
            LoadBoardFromView(*this, 0);
            CountPieces(0);
            return;
        }
        DropOutsideBoard();
    };

    // Right: move list, move text, times, captured pieces, set-up, promotion.
    auto* right = new QVBoxLayout;
    right->setSpacing(6);
    auto* side = new QWidget(this);
    side->setFixedWidth(250);
    side->setLayout(right);
    body->addWidget(side);

    auto* heading = Caption("Jogadas", this, "heading");
    right->addWidget(heading);
    ListMoves_ = new MoveList(this);
    ListMoves_->setObjectName("ListMoves");
    QFont listFont = mono;
    listFont.setPointSize(10);
    ListMoves_->setFont(listFont);
    ListMoves_->setMinimumHeight(120);
    right->addWidget(ListMoves_, 1);
    LabMvString_ = Caption("", this, "LabMvString");
    LabMvString_->setFont(listFont);
    LabMvString_->setMinimumHeight(20);
    right->addWidget(LabMvString_);

    auto* times = new QHBoxLayout;
    LabTime_ = Caption("0 s", this, "LabTime");
    times->addWidget(LabTime_);
    times->addStretch(1);
    for (int i = 2; i >= 0; --i) {
        LabPB_[i] = Caption("", this, "LabPB");
        LabPB_[i]->setMinimumWidth(24);
        LabPB_[i]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        times->addWidget(LabPB_[i]);
    }
    right->addLayout(times);

    auto* captured = new QFrame(this);
    captured->setObjectName("panel");
    auto* capGrid = new QGridLayout(captured);
    capGrid->setContentsMargins(6, 4, 6, 4);
    capGrid->setHorizontalSpacing(2);
    capGrid->addWidget(Caption("Peças Capturada", captured, "heading"), 0, 0, 1, 10);
    for (int k = 0; k < 10; ++k) {
        auto* picture = Caption("", captured, "capturedPiece");
        picture->setPixmap(PiecePixmap(kCaptureCodes[k], 24));
        lblMW_[k] = Caption("0", captured, "lblMW");
        lblMW_[k]->setMinimumWidth(14);
        lblMW_[k]->hide();
        const int row = 1 + k / 5;
        capGrid->addWidget(picture, row, (k % 5) * 2);
        capGrid->addWidget(lblMW_[k], row, (k % 5) * 2 + 1);
    }
    right->addWidget(captured);

    picOptions_ = new QFrame(this);
    picOptions_->setObjectName("panel");
    auto* optGrid = new QGridLayout(picOptions_);
    optGrid->setContentsMargins(6, 4, 6, 4);
    const char* captions[4] = {"&Clear board", "Set full &board", "&Set up", "&Play"};
    for (int i = 0; i < 4; ++i) {
        optSetUp_[i] = new QRadioButton(captions[i], picOptions_);
        optSetUp_[i]->setObjectName("optSetUp");
        optGrid->addWidget(optSetUp_[i], i / 2, i % 2);
        connect(optSetUp_[i], &QRadioButton::clicked, this, [this, i] { OptionClicked(i); });
    }
    right->addWidget(picOptions_);

    palette_ = new PiecePalette(this);
    palette_->onDrag = [this](int piece, QPoint global, bool finished) {
        PaletteDrag(piece, global, finished);
    };
    palette_->hide();
    right->addWidget(palette_);

    lblPromover_ = Caption("Selecione uma peça a ser Promovida!", this, "lblPromover");
    lblPromover_->setWordWrap(true);
    lblPromover_->hide();
    right->addWidget(lblPromover_);
    for (int colour = 0; colour < 2; ++colour) {
        auto* panel = new QFrame(this);
        panel->setObjectName("panel");
        auto* grid = new QGridLayout(panel);
        grid->setContentsMargins(6, 4, 6, 4);
        grid->addWidget(Caption("Promoção", panel, "heading"), 0, 0, 1, 4);
        auto& images = colour == 0 ? IMWPP_ : IMBPP_;
        for (int i = 1; i <= 4; ++i) {
            const std::string code = std::string(colour == 0 ? "W" : "B") + kPromotionKinds[i];
            images[i] = new PromotionImage(panel);
            images[i]->setObjectName(colour == 0 ? "IMWPP" : "IMBPP");
            images[i]->setPixmap(PiecePixmap(code, 40));
            images[i]->setToolTip(kPromotionTips[i]);
            images[i]->onPress = [this, i](Qt::MouseButton b) { ChoosePromotionPiece(i, b); };
            grid->addWidget(images[i], 1, i - 1);
        }
        panel->hide();
        (colour == 0 ? picWPP_ : picBPP_) = panel;
        right->addWidget(panel);
    }

    tmrElapsed_ = new QTimer(this);
    tmrElapsed_->setObjectName("tmrElapsed");
    tmrElapsed_->setInterval(1000);
    connect(tmrElapsed_, &QTimer::timeout, this, &frmMain::ClockTick);

    for (int i = 0; i < 2; ++i) ShowIndicator(i, true);
    resize(760, 560);
}

QWidget* frmMain::IMWPP(int i) const {
    return IMWPP_.at(i);
}
QWidget* frmMain::IMBPP(int i) const {
    return IMBPP_.at(i);
}
QWidget* frmMain::palette() const {
    return palette_;
}

void frmMain::ShowIndicator(int i, bool on) {
    indicatorOn_[i] = on;
    imgMvIndicator_[i]->setPixmap(PointerPixmap(on, 18));
}

// Each clock stands beside its side: with White at the bottom lblTime(0)
// (White's) is in the bottom row.
void frmMain::PlaceClockLabels() {
    for (int i = 0; i < 2; ++i) {
        const bool bottom = (i == 0) == WhiteAtBottom;
        QWidget* row = bottom ? bottomRow_ : topRow_;
        if (lblTime_[i]->parentWidget() != row) lblTime_[i]->setParent(row);
        row->layout()->removeWidget(lblTime_[i]);
        row->layout()->addWidget(lblTime_[i]);
        lblTime_[i]->show();
    }
}

// LabCH(0) names the player of the side at the bottom.
void frmMain::SetPlayerCaptions() {
    const bool computerBlack = GameMode == "CB";
    const bool computerWhite = GameMode == "CW";
    const QString white = computerWhite ? "CPU" : "JOGADOR";
    const QString black = computerBlack ? "CPU" : "JOGADOR";
    LabCH_[0]->setText(WhiteAtBottom ? white : black);
    LabCH_[1]->setText(WhiteAtBottom ? black : white);
}

std::string frmMain::Tag(int index) const {
    return picBoard_->IM(index).tag;
}

void frmMain::SetSquare(int index, std::string_view code) {
    SquareImage& im = picBoard_->IM(index);
    im.picture = im.dragIcon = im.tag = std::string(code);
    im.visible = true;
    picBoard_->update();
}

void frmMain::ClearMoveTextAndList() {
    ClearMoveList();
}

void frmMain::ClearMoveList() {
    ListMoves_->clear();
    SetMoveLabel("");
}

void frmMain::SetMoveLabel(const std::string& text) {
    LabMvString_->setText(QString::fromStdString(text));
}

std::string frmMain::SquareName(int index) const {
    return std::string(1, static_cast<char>('a' + FileOfImage(index) - 1)) +
           static_cast<char>('0' + RankOfImage(index));
}

void frmMain::Flip() {
    if (ComputerBusy) return;
    WhiteAtBottom = !WhiteAtBottom;
    picBoard_->MirrorImages();
    picBoard_->SetWhiteAtBottomLabels(WhiteAtBottom);
    SetPlayerCaptions();
    PlaceClockLabels();
    // The indicators stay in place, so the lit one must follow the side to move
    // to its new edge.
    if (SideToMove == "W") WhoMoves(0);
    if (SideToMove == "B") WhoMoves(1);
}

void frmMain::CountCapture(const std::string& code) {
    for (int k = 0; k < 10; ++k) {
        if (code != kCaptureCodes[k]) continue;
        lblMW_[k]->setText(QString::number(lblMW_[k]->text().toInt() + 1));
        lblMW_[k]->show();
    }
}

void frmMain::ResetCapturePanel() {
    for (QLabel* counter : lblMW_) {
        counter->setText("0");
        counter->hide();
    }
}

void frmMain::LockBoard() {
    picBoard_->setEnabled(false);
    picToobar_->setEnabled(false);
}

void frmMain::UnlockBoard() {
    picBoard_->setEnabled(true);
    picToobar_->setEnabled(true);
}

void frmMain::CenterOverBoard(QWidget* window) const {
    if (window == nullptr) return;
    corvane::CenterOverBoard(window, picBoard_);
}

void frmMain::Sound(int number) {
    PlaySound(static_cast<std::int16_t>(number));
}

void frmMain::closeEvent(QCloseEvent* event) {
    closing_ = true;
    ComputerBusy = true;
    ComputerStop();
    tmrElapsed_->stop();
    picBoard_->CancelDrag();
    StopSounds();
    event->accept();
}

} // namespace corvane

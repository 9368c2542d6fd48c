#include "game/MainLayout.h"

#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "game/Announcer.h"
#include "game/BoardAccessible.h"
#include "game/PieceArt.h"
#include "game/TypedMoveLine.h"
#include "game/Widgets.h"
#include "kit/PlainText.h"
#include "kit/WindowConventions.h"

namespace corvane {

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

QFont FixedPitch(int points, bool bold) {
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setFamily("Courier New");
    font.setStyleHint(QFont::TypeWriter);
    font.setPointSize(points);
    font.setBold(bold);
    return font;
}

QFrame* Panel(QWidget* parent) {
    auto* panel = new QFrame(parent);
    panel->setObjectName("panel");
    return panel;
}

} // namespace

MainLayout::MainLayout(QWidget* parent) : QWidget(parent) {
    // Before any control exists: a screen reader's bridge may ask for them at once.
    InstallBoardAccessibility();
    setStyleSheet(
        "MainLayout { background: #efe7da; }"
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
    BuildBoardColumn(body);
    body->addWidget(BuildSidePanel());

    tmrElapsed_ = new QTimer(this);
    tmrElapsed_->setObjectName("tmrElapsed");
    tmrElapsed_->setInterval(1000);
    for (int i = 0; i < 2; ++i) ShowIndicator(i, true);
    resize(760, 560);
}

// Players, clocks and indicators above and below the board.
void MainLayout::BuildBoardColumn(QHBoxLayout* body) {
    auto* column = new QVBoxLayout;
    body->addLayout(column, 1);
    QFont nameFont = font();
    nameFont.setBold(true);
    nameFont.setPointSize(11);
    topRow_ = new QWidget(this);
    bottomRow_ = new QWidget(this);
    for (int i = 0; i < 2; ++i) {
        LabCH_[i] = Caption("JOGADOR", this, "LabCH");
        LabCH_[i]->setFont(nameFont);
        lblTime_[i] = Caption("00:00", this, "lblTime");
        lblTime_[i]->setFont(FixedPitch(13, true));
        imgMvIndicator_[i] = new PressableImage(this);
        imgMvIndicator_[i]->setObjectName("imgMvIndicator");
        imgMvIndicator_[i]->setFixedSize(18, 18);
        auto* row = new QHBoxLayout(i == 0 ? bottomRow_ : topRow_);
        row->setContentsMargins(4, 0, 4, 0);
        lblVez_[i] = new PressableImage(this);
        lblVez_[i]->setObjectName("lblVez");
        lblVez_[i]->setTextFormat(Qt::PlainText);
        lblVez_[i]->setCursor(Qt::PointingHandCursor);
        lblVez_[i]->hide();
        row->addWidget(imgMvIndicator_[i]);
        row->addWidget(LabCH_[i]);
        row->addWidget(lblVez_[i]);
        row->addStretch(1);
    }
    picBoard_ = new BoardView(this);
    column->addWidget(topRow_, 0, Qt::AlignHCenter);
    column->addWidget(picBoard_, 1);
    column->addWidget(bottomRow_, 0, Qt::AlignHCenter);
    // Keyboard and screen readers: the typed move and the announcements.
    auto* typing = new QHBoxLayout;
    txtLance_ = new TypedMoveLine(this);
    txtLance_->setFixedWidth(150);
    lblAnuncio_ = new Announcer(this);
    typing->addWidget(txtLance_);
    typing->addWidget(lblAnuncio_, 1);
    column->addLayout(typing);
    // Names and clocks keep to the width of the drawn board.
    picBoard_->onResize = [this](int side) {
        topRow_->setFixedWidth(side);
        bottomRow_->setFixedWidth(side);
    };
    PlaceClockLabels(true);
}

// Move list, move text, times, captured pieces, set-up, promotion.
QWidget* MainLayout::BuildSidePanel() {
    auto* side = new QWidget(this);
    side->setFixedWidth(250);
    auto* right = new QVBoxLayout(side);
    right->setContentsMargins(0, 0, 0, 0);
    right->setSpacing(6);
    lblPlacar_ = Caption("", this, "lblPlacar");
    lblPlacar_->setFont(FixedPitch(13, true));
    lblPlacar_->setAlignment(Qt::AlignHCenter);
    lblPlacar_->hide();
    right->addWidget(lblPlacar_);
    right->addWidget(Caption("Jogadas", this, "heading"));
    ListMoves_ = new MoveList(this);
    ListMoves_->setObjectName("ListMoves");
    ListMoves_->setFont(FixedPitch(10, false));
    ListMoves_->setMinimumHeight(120);
    right->addWidget(ListMoves_, 1);
    LabMvString_ = Caption("", this, "LabMvString");
    LabMvString_->setFont(FixedPitch(10, false));
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
    right->addWidget(BuildCapturePanel());
    right->addWidget(BuildOptions());
    palette_ = new PiecePalette(this);
    palette_->hide();
    right->addWidget(palette_);
    lblPromover_ = Caption("Selecione uma peça a ser Promovida!", this, "lblPromover");
    lblPromover_->setWordWrap(true);
    lblPromover_->hide();
    right->addWidget(lblPromover_);
    right->addWidget(picWPP_ = BuildPromotionPanel(true));
    right->addWidget(picBPP_ = BuildPromotionPanel(false));
    return side;
}

QWidget* MainLayout::BuildCapturePanel() {
    QFrame* captured = Panel(this);
    auto* grid = new QGridLayout(captured);
    grid->setContentsMargins(6, 4, 6, 4);
    grid->setHorizontalSpacing(2);
    grid->addWidget(Caption("Peças Capturada", captured, "heading"), 0, 0, 1, 10);
    for (int k = 0; k < 10; ++k) {
        auto* picture = Caption("", captured, "capturedPiece");
        picture->setPixmap(PiecePixmap(kCaptureCodes[k], 24));
        lblMW_[k] = Caption("0", captured, "lblMW");
        lblMW_[k]->setMinimumWidth(14);
        lblMW_[k]->hide();
        const int row = 1 + k / 5;
        grid->addWidget(picture, row, (k % 5) * 2);
        grid->addWidget(lblMW_[k], row, (k % 5) * 2 + 1);
    }
    return captured;
}

QWidget* MainLayout::BuildOptions() {
    picOptions_ = Panel(this);
    auto* grid = new QGridLayout(picOptions_);
    grid->setContentsMargins(6, 4, 6, 4);
    const char* captions[4] = {"&Clear board", "Set full &board", "&Set up", "&Play"};
    for (int i = 0; i < 4; ++i) {
        optSetUp_[i] = new QRadioButton(captions[i], picOptions_);
        optSetUp_[i]->setObjectName("optSetUp");
        grid->addWidget(optSetUp_[i], i / 2, i % 2);
    }
    return picOptions_;
}

QWidget* MainLayout::BuildPromotionPanel(bool white) {
    QFrame* panel = Panel(this);
    auto* grid = new QGridLayout(panel);
    grid->setContentsMargins(6, 4, 6, 4);
    grid->addWidget(Caption("Promoção", panel, "heading"), 0, 0, 1, 4);
    auto& images = white ? IMWPP_ : IMBPP_;
    for (int i = 1; i <= 4; ++i) {
        const std::string code = std::string(white ? "W" : "B") + kPromotionKinds[i];
        images[i] = new PressableImage(panel);
        images[i]->setObjectName(white ? "IMWPP" : "IMBPP");
        images[i]->setCursor(Qt::PointingHandCursor);
        images[i]->setPixmap(PiecePixmap(code, 40));
        images[i]->setToolTip(kPromotionTips[i]);
        grid->addWidget(images[i], 1, i - 1);
    }
    panel->hide();
    return panel;
}

QLabel* MainLayout::lblVez(int i) const {
    return lblVez_.at(i);
}

QLabel* MainLayout::imgMvIndicator(int i) const {
    return imgMvIndicator_.at(i);
}
QWidget* MainLayout::IMWPP(int i) const {
    return IMWPP_.at(i);
}
QWidget* MainLayout::IMBPP(int i) const {
    return IMBPP_.at(i);
}
QWidget* MainLayout::palette() const {
    return palette_;
}
PressableImage* MainLayout::PromotionImage(bool white, int i) const {
    return (white ? IMWPP_ : IMBPP_).at(i);
}

void MainLayout::ShowIndicator(int i, bool on) {
    indicatorOn_.at(i) = on;
    imgMvIndicator_.at(i)->setPixmap(PointerPixmap(on, 18));
}

void MainLayout::PlaceClockLabels(bool whiteAtBottom) {
    for (int i = 0; i < 2; ++i) {
        const bool bottom = (i == 0) == whiteAtBottom;
        QWidget* row = bottom ? bottomRow_ : topRow_;
        if (lblTime_[i]->parentWidget() != row) lblTime_[i]->setParent(row);
        row->layout()->removeWidget(lblTime_[i]);
        row->layout()->addWidget(lblTime_[i]);
        lblTime_[i]->show();
    }
}

void MainLayout::SetMoveLabel(const std::string& text) {
    ShowPlain(*LabMvString_, QString::fromStdString(text));
}

void MainLayout::ClearMoveList() {
    ListMoves_->clear();
    SetMoveLabel("");
}

void MainLayout::CountCapture(const std::string& code) {
    for (int k = 0; k < 10; ++k) {
        if (code != kCaptureCodes[k]) continue;
        lblMW_[k]->setText(QString::number(lblMW_[k]->text().toInt() + 1));
        lblMW_[k]->show();
    }
}

void MainLayout::ResetCapturePanel() {
    for (QLabel* counter : lblMW_) {
        counter->setText("0");
        counter->hide();
    }
}

void MainLayout::LockBoard() {
    picBoard_->setEnabled(false);
    picToobar_->setEnabled(false);
}

void MainLayout::UnlockBoard() {
    picBoard_->setEnabled(true);
    picToobar_->setEnabled(true);
}

void MainLayout::CenterOverBoard(QWidget* window) const {
    if (window != nullptr) corvane::CenterOverBoard(window, picBoard_);
}

} // namespace corvane

#include "app/MainMenu.h"

#include "app/ShellPictures.h"
#include "app/frmNovo.h"
#include "app/frmQuestion.h"
#include "assets/frmPieces.h"
#include "files/SavedGame.h"
#include "files/frmAbrir.h"
#include "files/frmSalvar.h"
#include "game/PgnOpen.h"
#include "game/frmMain.h"
#include "rules/GameState.h"

#include <QCursor>
#include <QDialog>
#include <QEnterEvent>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QMouseEvent>
#include <QScreen>
#include <QShortcut>
#include <QTimer>

namespace corvane {
namespace {

constexpr int kButtonSize = 36;

const std::array<const char*, MainMenu::Items + 1> kInitialTips{
    "",      "Sair",          "Desligar Som",    "Novo jogo", "Maximizar",
    "Pausa", "Reniciar jogo", "Girar tabuleiro", "Salvar",    "Abrir"};

// The keys of the items that have one (the window's own keys: Ctrl+Z, Ctrl+C,
// Ctrl+E; Alt with the arrows reviews a game).
const std::array<QKeyCombination, MainMenu::Items + 1> kItemKeys{
    QKeyCombination(),
    QKeyCombination(Qt::CTRL, Qt::Key_Q),
    QKeyCombination(Qt::CTRL, Qt::Key_M),
    QKeyCombination(Qt::CTRL, Qt::Key_N),
    QKeyCombination(Qt::Key_F11),
    QKeyCombination(Qt::CTRL, Qt::Key_P),
    QKeyCombination(),
    QKeyCombination(Qt::CTRL, Qt::Key_R),
    QKeyCombination(Qt::CTRL, Qt::Key_S),
    QKeyCombination()};

} // namespace

// --- MenuButton -----------------------------------------------------------------------

MenuButton::MenuButton(int item, QWidget* parent) : QLabel(parent), item_(item) {
    setObjectName(QStringLiteral("imgMenu"));
    setFixedSize(kButtonSize, kButtonSize);
    setMouseTracking(true);
    setCursor(Qt::PointingHandCursor);
    Draw();
}

void MenuButton::SetVariant(int variant) {
    variant_ = variant;
    Draw();
}

void MenuButton::Draw() {
    setPixmap(
        frmPieces::Instance().MenuIcon(item_, kButtonSize, lit_, variant_, devicePixelRatioF()));
}

void MenuButton::enterEvent(QEnterEvent* event) {
    lit_ = true;
    Draw();
    if (onHover) onHover();
    QLabel::enterEvent(event);
}

void MenuButton::leaveEvent(QEvent* event) {
    lit_ = false;
    Draw();
    QLabel::leaveEvent(event);
}

void MenuButton::mouseMoveEvent(QMouseEvent* event) {
    if (onHover) onHover();
    event->accept();
}

void MenuButton::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) &&
        onClick)
        onClick();
}

// --- MainMenu -------------------------------------------------------------------------

MainMenu::MainMenu(frmMain& window) : window_(window) {
    QWidget* bar = window_.picToobar();
    row_ = std::make_unique<QHBoxLayout>(bar);
    QHBoxLayout* row = row_.get();
    row->setContentsMargins(8, 2, 8, 2);
    row->setSpacing(6);
    for (int n = 1; n <= Items; ++n) {
        tips_[n] = QString::fromUtf8(kInitialTips[n]);
        buttons_[n] = std::make_unique<MenuButton>(n, bar);
        buttons_[n]->onClick = [this, n] {
            clickedAt_ = QCursor::pos();
            Click(n);
        };
        buttons_[n]->onHover = [this, n] { Hover(n); };
        row->addWidget(buttons_[n].get());
        if (kItemKeys[n] != QKeyCombination()) {
            auto* keys = new QShortcut(QKeySequence(kItemKeys[n]), &window_);
            QObject::connect(keys, &QShortcut::activated, this, [this, n] { Click(n); });
        }
        buttons_[n]->setAccessibleName(ShownTip(n));
    }
    row->addStretch(1);
    auto* openPgn = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_O), &window_);
    QObject::connect(openPgn, &QShortcut::activated, &window_, [this] { OpenPgn(); });

    shpToolTip_ = std::make_unique<QFrame>(&window_);
    shpToolTip_->setObjectName(QStringLiteral("shpToolTip"));
    shpToolTip_->setStyleSheet(QStringLiteral("QFrame#shpToolTip { background: rgb(255, 248, 224);"
                                              " border: 1px solid rgb(92, 64, 44); }"));
    lblToolTip_ = std::make_unique<QLabel>(&window_);
    lblToolTip_->setObjectName(QStringLiteral("lblToolTip"));
    lblToolTip_->setStyleSheet(
        QStringLiteral("QLabel#lblToolTip { color: rgb(58, 46, 38); background: transparent; }"));
    lblToolTip_->setAttribute(Qt::WA_TransparentForMouseEvents);
    shpToolTip_->setAttribute(Qt::WA_TransparentForMouseEvents);
    shpToolTip_->hide();
    lblToolTip_->hide();

    // Mouse moves over the window or the toolbar hide the tooltip.
    window_.setMouseTracking(true);
    bar->setMouseTracking(true);
    window_.installEventFilter(this);
    bar->installEventFilter(this);
    ShowSoundState();
}

MainMenu::~MainMenu() = default;

bool MainMenu::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseMove ||
        (watched == window_.picToobar() && event->type() == QEvent::Leave))
        HideToolTip();
    return QObject::eventFilter(watched, event);
}

void MainMenu::Beep() const {
    corvane::Beep(beep);
}

void MainMenu::SetToolTipText(int item, const QString& text) {
    tips_.at(item) = text;
    buttons_.at(item)->setAccessibleName(ShownTip(item));
    if (shownToolTip_ == item) shownToolTip_ = 0; // the next hover shows the new text
}

void MainMenu::ShowSoundState() {
    SetToolTipText(2, SoundOn ? QStringLiteral("Desligar Som") : QStringLiteral("Ligar Som"));
    buttons_[2]->SetVariant(SoundOn ? 0 : 1);
}

void MainMenu::Hover(int item) {
    if (clickedAt_ && *clickedAt_ == QCursor::pos()) return;
    clickedAt_.reset();
    if (item == shownToolTip_) return;
    shownToolTip_ = item;
    const MenuButton& b = *buttons_.at(item);
    lblToolTip_->setText(QStringLiteral("   ") + ShownTip(item) + QStringLiteral("   "));
    lblToolTip_->adjustSize();
    const QPoint at = b.mapTo(&window_, QPoint(0, 0));
    const int left = at.x() - (lblToolTip_->width() - b.width()) / 2;
    lblToolTip_->move(left, at.y() + b.height() + 4);
    shpToolTip_->setGeometry(lblToolTip_->geometry());
    shpToolTip_->show();
    lblToolTip_->show();
    shpToolTip_->raise();
    lblToolTip_->raise();
}

QString MainMenu::ShownTip(int item) const {
    const QKeyCombination keys = kItemKeys.at(item);
    if (keys == QKeyCombination()) return tips_.at(item);
    return tips_.at(item) + QStringLiteral(" (") +
           QKeySequence(keys).toString(QKeySequence::NativeText) + QStringLiteral(")");
}

void MainMenu::HideToolTip() {
    shpToolTip_->hide();
    lblToolTip_->hide();
    shownToolTip_ = 0;
}

void MainMenu::Click(int item) {
    if (item < 1 || item > Items) return;
    if (ComputerBusy) return;
    if (NetworkGame) {
        if (item == 5 || item == 8 || item == 9 || (item == 6 && window_.WaitingForPeer())) {
            Beep();
            return;
        }
    } else if ((item == 5 || item == 8) && !window_.WaitingForPeer()) {
        Beep(); // no game is running: nothing to pause or to save
        return;
    }
    HideToolTip();
    switch (item) {
    case 1:
        window_.close();
        break;
    case 2:
        SoundOn = !SoundOn;
        ShowSoundState();
        break;
    case 3:
        NewGame();
        break;
    case 4:
        ToggleFullScreen();
        break;
    case 5:
        Pause();
        break;
    case 6:
        Restart();
        break;
    case 7:
        window_.Flip();
        window_.update();
        break;
    case 8:
        if (save)
            save();
        else
            SaveGame();
        break;
    case 9:
        if (open)
            open();
        else
            OpenGame();
        break;
    default:
        break;
    }
}

void MainMenu::Exec(QDialog& dialog) {
    window_.CenterOverBoard(&dialog);
    if (dialogShown) dialogShown(dialog);
    dialog.exec();
}

void MainMenu::NewGame() {
    frmNovo dialog(PlayerOption, Level, readNick ? readNick() : QString(), &window_);
    dialog.beep = beep;
    dialog.closeConnection = closeConnection;
    if (startNetwork) {
        dialog.startNetwork = [this, &dialog](bool host) {
            nick = dialog.PlayerNick();
            if (startNetwork(host)) dialog.reject(); // connected: the handshake follows
        };
    }
    Exec(dialog);
    if (!dialog.PlayerNick().isEmpty()) nick = dialog.PlayerNick();
    lastConfirmed_ = dialog.Confirmed();
    if (!lastConfirmed_) return;
    window_.NovoJogo(PlayerOption);
    window_.StartClocks();
}

void MainMenu::ToggleFullScreen() {
    if (fullScreen_) {
        RestoreWindow();
        return;
    }
    // No display-mode switch on Linux: a borderless window over the whole screen,
    // the board view scaling with it.
    fullScreen_ = true;
    // Where the window stood, to go back there.
    normalGeometry_ = window_.saveGeometry();
    window_.setWindowFlag(Qt::FramelessWindowHint, true);
    // Without a window manager nothing else would size the window to the screen.
    if (const QScreen* screen = window_.screen()) window_.setGeometry(screen->geometry());
    window_.showFullScreen();
    SetToolTipText(4, QStringLiteral("Restaurar"));
    buttons_[4]->SetVariant(1);
    window_.update();
}

void MainMenu::RestoreWindow(bool show) {
    if (!fullScreen_) return;
    fullScreen_ = false;
    const bool visible = window_.isVisible();
    window_.setWindowFlag(Qt::FramelessWindowHint, false);
    window_.setWindowState(window_.windowState() & ~Qt::WindowFullScreen);
    // Back where it was, title bar included, at the size it had.
    const auto place = [this] {
        if (fullScreen_) return;
        if (normalGeometry_.isEmpty() || !window_.restoreGeometry(normalGeometry_))
            window_.resize(NormalWidth, NormalHeight);
    };
    if (show || visible) window_.showNormal();
    place();
    // Leaving full screen is finished by the windowing system after this call
    // and can leave the window elsewhere or wider than asked; place it again
    // once that is done.
    QTimer::singleShot(0, &window_, place);
    SetToolTipText(4, QStringLiteral("Maximizar"));
    buttons_[4]->SetVariant(0);
    window_.update();
}

void MainMenu::Pause() {
    window_.PauseClocks();
    frmPause dialog(&window_);
    Exec(dialog);
    window_.ResumeClocks();
}

void MainMenu::SaveGame() {
    frmSalvar dialog(&window_);
    dialog.beep = [this] { Beep(); };
    dialog.OfferExport([this] { return window_.ExportPgn(); });
    dialog.record = [this] { return window_.KeptRecord(); };
    Exec(dialog);
}

void MainMenu::OpenGame() {
    frmAbrir dialog(window_, &window_);
    Exec(dialog);
    if (dialog.pgnRequested) return OpenPgn();
    if (!LoadedGame || dialog.List1.currentItem() == nullptr) return;
    // The game as its file holds it, move number included.
    const OpenedGame game =
        OpenSavedGame(dialog.List1.currentItem()->text(), SideToMove == "B" ? 1 : 0);
    if (!game.ok) return;
    // The opened game is the one being played now: a later new game starts from
    // the initial position. Resuming starts the computer when it is to move.
    LoadedGame = false;
    window_.ResumeLoadedGame(game.position.toStdString(), game.record ? &*game.record : nullptr);
}

void MainMenu::OpenPgn() {
    if (ComputerBusy) return;
    PgnOpener opener(window_);
    opener.Open();
}

void MainMenu::Restart() {
    frmQuestion dialog(NetworkGame, &window_);
    Exec(dialog);
    if (!dialog.Answer()) return;
    if (NetworkGame) {
        if (resign) resign();
        return;
    }
    window_.SetWaitingForPeer(true);
    window_.NovoJogo(PlayerOption);
    window_.StartClocks();
}

} // namespace corvane

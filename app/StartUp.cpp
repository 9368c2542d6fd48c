#include "app/StartUp.h"

#include "app/MainMenu.h"
#include "app/NetworkGame.h"
#include "app/ScriptedPlayer.h"
#include "app/ShellPictures.h"
#include "app/frmSplash.h"
#include "assets/BusyCursor.h"
#include "files/SavedGame.h"
#include "files/Settings.h"
#include "game/frmMain.h"
#include "kit/EventWait.h"
#include "kit/ModResWav.h"
#include "kit/QuestionBox.h"
#include "rules/GameState.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QPointer>
#include <QScreen>
#include <QStyle>
#include <QTranslator>
#include <cmath>
#include <cstdio>

namespace corvane {

CorvaneProgram::CorvaneProgram(StartUpOptions options) : options_(std::move(options)) {}

CorvaneProgram::~CorvaneProgram() {
    if (window_ != nullptr) window_->removeEventFilter(this);
}

void CorvaneProgram::Trace(const QString& step) const {
    if (options_.trace) options_.trace(step);
}

int CorvaneProgram::Scaled(int milliseconds) const {
    return static_cast<int>(std::lround(milliseconds * std::max(0.0, options_.timeScale)));
}

bool CorvaneProgram::Start() {
    // 1. One copy per user, in a data folder it can use.
    const QString lockPath =
        options_.lockPath.isEmpty() ? SingleInstanceLock::DefaultPath() : options_.lockPath;
    switch (lock_.Acquire(lockPath)) {
    case SingleInstanceLock::Result::Taken:
        break;
    case SingleInstanceLock::Result::HeldElsewhere:
        Trace(QStringLiteral("another copy runs"));
        return false;
    case SingleInstanceLock::Result::FolderUnusable:
        startProblem_ = DataFolderMessage(QFileInfo(lockPath).absolutePath(), lock_.Error());
        Trace(QStringLiteral("data folder unusable"));
        return false;
    }
    Trace(QStringLiteral("lock"));

    // 3. The splash, modal, closing itself.
    {
        frmSplash splash(Scaled(2000));
        Trace(QStringLiteral("splash"));
        splash.Run();
    }

    // 4. The main window: its creation prepares the default game (White against
    // the computer, level 2); the menu reads the sound setting for item 2.
    SoundOn = options_.readSound ? options_.readSound() : true;
    window_ = std::make_unique<frmMain>();
    window_->setWindowIcon(QIcon(AppIcon(256)));
    window_->installEventFilter(this);
    menu_ = std::make_unique<MainMenu>(*window_);
    menu_->beep = options_.beep;
    menu_->dialogShown = options_.dialogShown;
    menu_->readNick = options_.readNick;
    WireNetwork();
    Trace(QStringLiteral("main window"));
    if (options_.ready) options_.ready(*this);

    window_->resize(MainMenu::NormalWidth, MainMenu::NormalHeight);
    window_->setWindowFlag(Qt::WindowStaysOnTopHint, true);
    window_->show();
    Trace(QStringLiteral("topmost"));
    // The fresh window paints and answers while it waits for the dialog.
    RunEventsFor(Scaled(270), [this] { return ended_; });
    if (ended_) return true;

    Trace(QStringLiteral("new game dialog"));
    menu_->Click(3);
    if (ended_) return true;
    if (!menu_->LastDialogConfirmed()) {
        window_->StartClocks(); // the default game's clock
        Trace(QStringLiteral("default game clock"));
    }
    return true;
}

// Network play reaches the window through its hooks and the menu through its seams.
void CorvaneProgram::WireNetwork() {
    network_ = std::make_unique<NetworkGameSession>(*window_);
    NetworkGameSession& net = *network_;
    net.setResignTip = [this](const QString& text) { menu_->SetToolTipText(6, text); };
    net.openNewGame = [this] { menu_->Click(3); };
    menu_->resign = [&net] { net.Resign(); };
    menu_->closeConnection = [&net] { net.CloseConnection(); };
    menu_->startNetwork = [this, &net](bool host) {
        return net.HostOrJoin(host, menu_->nick, window_.get());
    };
    window_->sendToPeer = [&net](const std::string& message) {
        net.EnviarDados(QString::fromStdString(message));
    };
}

bool CorvaneProgram::eventFilter(QObject* watched, QEvent* event) {
    // Runs before the window's own close handling, which stops the search.
    if (watched == window_.get() && event->type() == QEvent::Close && !ended_) {
        if (!KeepGameInProgress()) {
            event->ignore(); // the player chose to stay
            return true;
        }
        Shutdown();
    }
    return QObject::eventFilter(watched, event);
}

// A local game in progress is saved under its reserved name before the close
// ends it, so that "Abrir" can bring it back. False when it could not be
// saved and the player would rather not close.
bool CorvaneProgram::KeepGameInProgress() {
    std::string position, side;
    if (!window_->GameInProgress() || !window_->PositionInProgress(position, side)) return true;
    const GameToSave game{QString::fromStdString(position), Level, PlayerOption,
                          QString::fromStdString(side)};
    if (WriteInterruptedGame(game)) {
        Trace(QStringLiteral("game kept"));
        return true;
    }
    const QString question =
        SaveFailedMessage(InterruptedGameName) +
        QStringLiteral(" Fechar assim mesmo? O jogo em andamento será perdido.");
    if (options_.askCloseAnyway) return options_.askCloseAnyway(question);
    QuestionBox box(QStringLiteral("Aviso"), question, WarningPicture(), window_.get());
    // Enter keeps the game: losing it takes a deliberate "&Sim".
    box.SetDefaultButton(&box.lblNao);
    box.lblNao.setFocus();
    window_->CenterOverBoard(&box);
    box.exec();
    return box.Answer();
}

void CorvaneProgram::Shutdown() {
    ended_ = true;
    Trace(QStringLiteral("closing"));
    // 1. Hide; a running search sees ComputerBusy and the window's stop request.
    window_->hide();
    ComputerBusy = true;
    // 2. A network game's connection closes with network play (menu seam).
    if (NetworkGame && menu_->closeConnection) menu_->closeConnection();
    // 3. Full screen is undone before anything else is written.
    menu_->RestoreWindow(false);
    // 4. Settings.
    if (options_.writeSettings) options_.writeSettings(SoundOn, menu_->nick);
    StopSounds();
    BusyCursor::Stop();
    while (QApplication::overrideCursor() != nullptr) QApplication::restoreOverrideCursor();
    // 5. Every other window closes; modal loops among them end.
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w == window_.get() || !w->isVisible()) continue;
        if (auto* dialog = qobject_cast<QDialog*>(w))
            dialog->reject();
        else
            w->close();
    }
    QCoreApplication::quit();
    Trace(QStringLiteral("closed"));
}

void UseSettingsFile(StartUpOptions& options) {
    options.readSound = [] { return ReadSoundOn(); };
    options.readNick = [] { return ReadNick(); };
    options.writeSettings = [](bool sound, const QString& nick) {
        WriteSettingsOnClose(sound, nick);
    };
}

bool LoadQtTranslations() {
    static QTranslator translator;
    if (!translator.isEmpty()) return true;
    const QLocale portuguese(QLocale::Portuguese, QLocale::Brazil);
    if (!translator.load(portuguese, QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return false;
    QCoreApplication::installTranslator(&translator);
    return true;
}

int RunCorvane(int argc, char** argv) {
    QApplication app(argc, argv);
    LoadQtTranslations();
    QApplication::setApplicationName(QStringLiteral("Corvane"));
    QApplication::setWindowIcon(QIcon(AppIcon(256)));
    StartUpOptions options;
    UseSettingsFile(options);
    // Test-only: a scripted network player (see ScriptedPlayer.h).
    ScriptedPlayer script;
    if (const QString path = qEnvironmentVariable("CORVANE_TEST_SCRIPT"); !path.isEmpty()) {
        if (!script.Load(path)) return 2;
        options.timeScale = 0.05;
        options.readSound = [] { return false; };
        options.ready = [&script](CorvaneProgram& program) { script.Attach(program); };
    }
    CorvaneProgram program(options);
    if (!program.Start()) {
        if (program.StartProblem().isEmpty()) return 0; // another copy runs
        std::fprintf(stderr, "corvane: %s\n", qUtf8Printable(program.StartProblem()));
        MessageNotice notice(
            QStringLiteral("Corvane"), program.StartProblem(),
            QApplication::style()->standardIcon(QStyle::SP_MessageBoxCritical).pixmap(40, 40));
        if (const QScreen* screen = QGuiApplication::primaryScreen())
            notice.move(screen->geometry().center() - notice.rect().center());
        notice.exec();
        return 1;
    }
    if (program.Ended()) return 0;
    return app.exec();
}

} // namespace corvane

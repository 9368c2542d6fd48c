#pragma once
// The program from start to end: one copy per user, the splash, the main window
// with its menu and the new-game dialog, and the orderly close.
#include "app/SingleInstance.h"

#include <QObject>
#include <QString>
#include <functional>
#include <memory>

class QDialog;

namespace corvane {

class frmMain;
class MainMenu;
class NetworkGameSession;
class CorvaneProgram;

struct StartUpOptions {
    // Multiplies the splash's 2000 ms and the 270 ms wait (tests run faster).
    double timeScale = 1.0;
    // The single-instance lock file; empty for the user's own.
    QString lockPath;
    // Told each step of start-up and shutdown as it happens (tests check the order).
    std::function<void(const QString& step)> trace;
    // Handed to the menu: each dialog just before it shows, and the beeps.
    std::function<void(QDialog&)> dialogShown;
    std::function<void()> beep;
    // Settings "SOM" (read at start) and "NICK" (read by each new-game dialog), both
    // written at the close. Unset: sound on, no nick, nothing written.
    std::function<bool()> readSound;
    std::function<QString()> readNick;
    std::function<void(bool sound, const QString& nick)> writeSettings;
    // Called once the main window, its menu and network play exist, before the
    // first new-game dialog (the scripted test player attaches here).
    std::function<void(CorvaneProgram&)> ready;
    // Asked when the game in progress could not be kept at the close (the text
    // says why): true closes all the same. Unset: the question window.
    std::function<bool(const QString& question)> askCloseAnyway;
};

class CorvaneProgram : public QObject {
    Q_OBJECT
public:
    explicit CorvaneProgram(StartUpOptions options = {});
    ~CorvaneProgram() override;

    // Start-up up to the end of the first new-game dialog. False when this copy
    // must end at once: another copy runs (no message), or the data folder
    // cannot be used (StartProblem() says why).
    bool Start();
    // The message for the player when the data folder cannot be used; empty otherwise.
    const QString& StartProblem() const { return startProblem_; }
    // True once the main window has been closed (the program is ending).
    bool Ended() const { return ended_; }

    frmMain* Window() const { return window_.get(); }
    MainMenu* Menu() const { return menu_.get(); }
    NetworkGameSession* Network() const { return network_.get(); }

private:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void Trace(const QString& step) const;
    int Scaled(int milliseconds) const;
    void Shutdown();
    bool KeepGameInProgress();

    StartUpOptions options_;
    SingleInstanceLock lock_;
    std::unique_ptr<frmMain> window_;
    std::unique_ptr<MainMenu> menu_;              // after the window: destroyed first
    std::unique_ptr<NetworkGameSession> network_; // after the menu: destroyed before it
    void WireNetwork();
    bool ended_ = false;
    QString startProblem_;
};

// Points the settings seams at config.dat in the program folder.
void UseSettingsFile(StartUpOptions& options);

// Qt's own texts (file chooser, standard buttons) in Brazilian Portuguese, from
// the system's Qt translations; false when they are not installed.
bool LoadQtTranslations();

// main(): runs the program and returns its exit code.
int RunCorvane(int argc, char** argv);

} // namespace corvane

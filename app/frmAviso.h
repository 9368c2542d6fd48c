#pragma once
// The one-time warning about an antivirus firewall that blocks the game's
// port, offered before hosting a network game; and the check that decides
// whether it is offered.
#include "kit/WindowConventions.h"

#include <QCheckBox>
#include <QLabel>
#include <functional>

namespace corvane {

class frmAviso : public BorderlessDialog {
    Q_OBJECT
public:
    explicit frmAviso(QWidget* parent = nullptr);

    QLabel picIcon, lblAviso;
    QCheckBox chkExibir; // "Não exibir mais este aviso"
    ImageButton cmdOK;

    // The choice is kept as the "AVISO" setting when the window closes (tests
    // replace it); the information beep sounds when it first shows.
    std::function<void(bool hidden)> writeHidden;
    std::function<void()> beep;

    // The warning with the application's title in place of "#App#".
    static QString WarningText();

protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;

private:
    bool beeped_ = false;
    bool written_ = false;
};

// True when the Kaspersky product for Linux is installed (its folder under
// /opt) and one of its processes runs. Any failure answers false.
bool KasperskyRunning();

} // namespace corvane

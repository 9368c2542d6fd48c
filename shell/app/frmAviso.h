#pragma once
// The one-time notice shown before hosting a network game when a firewall
// product that blocks the game's port is found running, and the check that
// decides whether to show it.
#include "shell/WindowConventions.h"

#include <QCheckBox>
#include <QLabel>
#include <QString>
#include <functional>

namespace corvane {

class frmAviso : public BorderlessDialog {
    Q_OBJECT
public:
    explicit frmAviso(QWidget* parent = nullptr);

    QLabel picIcon, lblAviso;
    QCheckBox chkExibir;
    ImageButton cmdOK;

protected:
    void showEvent(QShowEvent* event) override;

private:
    bool written_ = false;
    void WriteSetting();
};

// True when the product's folder exists under programFiles and a process named
// "avp.exe" is listed under procRoot (one folder per process, each holding a
// "comm" file with the process name).
bool KasperskyRunning(const QString& programFiles, const QString& procRoot);

// Before hosting: unless "AVISO" says the notice is not wanted, shows frmAviso
// modally when the product runs. shown is called with the dialog before it is
// shown (tests answer it). Any failure ends the check silently.
void AntivirusCheck(QWidget* parent, const std::function<void(QDialog&)>& shown = {});

} // namespace corvane

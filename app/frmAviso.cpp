#include "app/frmAviso.h"

#include "files/Settings.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QStyle>

namespace corvane {

frmAviso::frmAviso(QWidget* parent)
    : BorderlessDialog(parent), picIcon(this), lblAviso(this), chkExibir(this),
      cmdOK(QStringLiteral("Ok"), this) {
    setFixedSize(440, 190);
    setWindowTitle(QStringLiteral("Corvane"));
    writeHidden = [](bool hidden) { WriteWarningHidden(hidden); };

    picIcon.setGeometry(4, 4, 48, 48);
    picIcon.setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(40, 40));
    const QString text = QStringLiteral("color: rgb(236, 222, 190); background: transparent;");
    lblAviso.setText(WarningText());
    lblAviso.setWordWrap(true);
    lblAviso.setStyleSheet(text);
    lblAviso.setGeometry(60, 16, 364, 96);
    chkExibir.setText(QStringLiteral("Não exibir mais este aviso"));
    chkExibir.setStyleSheet(
        QStringLiteral("QCheckBox { color: rgb(236, 222, 190); background: transparent; }"
                       " QCheckBox::indicator { width: 13px; height: 13px;"
                       " border: 1px solid rgb(236, 222, 190); background: rgb(58, 42, 30); }"
                       " QCheckBox::indicator:checked { background: rgb(236, 222, 190); }"));
    chkExibir.setGeometry(60, 112, 364, 24);
    cmdOK.setGeometry((width() - 110) / 2, height() - 48, 110, 34);
    connect(&cmdOK, &ImageButton::clicked, this, &QDialog::accept);
    SetDefaultButton(&cmdOK);
}

QString frmAviso::WarningText() {
    QString text = QStringLiteral(
        "Foi detectado que você está usando o antivirus Kaspersky, para poder jogar online\n"
        " com o #App# é necessario abrir a porta 1243 TCP do Firewall do Kaspersky.");
    return text.replace(QStringLiteral("#App#"), QStringLiteral("Corvane"));
}

void frmAviso::showEvent(QShowEvent* event) {
    BorderlessDialog::showEvent(event);
    if (beeped_) return;
    beeped_ = true;
    if (beep)
        beep();
    else
        QApplication::beep();
}

void frmAviso::done(int result) {
    if (!written_) {
        written_ = true;
        if (writeHidden) writeHidden(chkExibir.isChecked());
    }
    BorderlessDialog::done(result);
}

bool KasperskyRunning() {
    if (!QDir(QStringLiteral("/opt/kaspersky")).exists()) return false;
    const QDir proc(QStringLiteral("/proc"));
    for (const QString& entry : proc.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        bool isProcess = false;
        entry.toInt(&isProcess);
        if (!isProcess) continue;
        QFile comm(proc.filePath(entry + QStringLiteral("/comm")));
        if (!comm.open(QIODevice::ReadOnly)) continue;
        const QByteArray name = comm.readLine(64).trimmed();
        if (name == "kesl" || name == "wdserver") return true;
    }
    return false;
}

} // namespace corvane

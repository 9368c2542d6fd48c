#include "shell/app/frmAviso.h"

#include "files/Settings.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QStyle>

namespace corvane {
namespace {

constexpr QSize kSize(440, 190);

} // namespace

frmAviso::frmAviso(QWidget* parent)
    : BorderlessDialog(parent), picIcon(this), lblAviso(this),
      chkExibir(QStringLiteral("Não exibir mais este aviso"), this),
      cmdOK(QStringLiteral("Ok"), this) {
    setFixedSize(kSize);
    setWindowTitle(QStringLiteral("Corvane"));
    QString text = QStringLiteral("Foi detectado que você está usando o antivirus Kaspersky, "
                                  "para poder jogar online") +
                   QStringLiteral("\n") +
                   QStringLiteral(" com o #App# é necessario abrir a porta 1243 TCP do "
                                  "Firewall do Kaspersky.");
    lblAviso.setText(text.replace(QStringLiteral("#App#"), QStringLiteral("Corvane")));
    lblAviso.setWordWrap(true);
    lblAviso.setGeometry(60, 16, kSize.width() - 76, 96);
    lblAviso.setStyleSheet(QStringLiteral("color: #ecdebe;"));
    const QIcon info = style()->standardIcon(QStyle::SP_MessageBoxInformation);
    picIcon.setGeometry(12, 16, 40, 40);
    picIcon.setPixmap(info.pixmap(32, 32));
    picIcon.setContentsMargins(4, 4, 0, 0);
    chkExibir.setGeometry(60, 116, kSize.width() - 76, 22);
    chkExibir.setStyleSheet(QStringLiteral("color: #ecdebe;"));
    cmdOK.setGeometry((kSize.width() - 110) / 2, kSize.height() - 46, 110, 34);
    connect(&cmdOK, &ImageButton::clicked, this, &QDialog::accept);
    connect(this, &QDialog::finished, this, [this] { WriteSetting(); });
}

void frmAviso::showEvent(QShowEvent* event) {
    BorderlessDialog::showEvent(event);
    QApplication::beep();
}

void frmAviso::WriteSetting() {
    if (written_) return;
    written_ = true;
    WriteWarningHidden(chkExibir.isChecked());
}

bool KasperskyRunning(const QString& programFiles, const QString& procRoot) {
    if (programFiles.isEmpty() || !QDir(programFiles + QStringLiteral("/Kaspersky Lab")).exists())
        return false;
    const QDir proc(procRoot);
    for (const QString& entry : proc.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile comm(proc.filePath(entry + QStringLiteral("/comm")));
        if (!comm.open(QIODevice::ReadOnly)) continue;
        if (QString::fromLocal8Bit(comm.readAll()).trimmed() == QStringLiteral("avp.exe"))
            return true;
    }
    return false;
}

void AntivirusCheck(QWidget* parent, const std::function<void(QDialog&)>& shown) {
    if (ReadWarningHidden()) return;
    if (!KasperskyRunning(qEnvironmentVariable("ProgramFiles"), QStringLiteral("/proc"))) return;
    frmAviso dialog(parent);
    CenterOverBoard(&dialog, parent);
    if (shown) shown(dialog);
    dialog.exec();
}

} // namespace corvane

// The firewall notice before hosting: its texts, the "AVISO" setting it leaves
// when it closes, and the detection of the running product.
#include "files/Settings.h"
#include "shell/app/frmAviso.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace corvane {
namespace {

struct AvisoFixture : ::testing::Test {
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        previous = qgetenv("CORVANE_PROGRAM_FOLDER");
        qputenv("CORVANE_PROGRAM_FOLDER", (folder.path() + "/").toLocal8Bit());
    }
    void TearDown() override { qputenv("CORVANE_PROGRAM_FOLDER", previous); }
    QTemporaryDir folder;
    QByteArray previous;
};

using Aviso = AvisoFixture;

TEST_F(Aviso, TextsNameTheProgram) {
    frmAviso dialog;
    EXPECT_EQ(dialog.lblAviso.text(),
              QStringLiteral("Foi detectado que você está usando o antivirus Kaspersky, para poder "
                             "jogar online\n com o Corvane é necessario abrir a porta 1243 TCP do "
                             "Firewall do Kaspersky."));
    EXPECT_EQ(dialog.chkExibir.text(), QStringLiteral("Não exibir mais este aviso"));
    EXPECT_EQ(dialog.cmdOK.text(), QStringLiteral("Ok"));
    EXPECT_FALSE(dialog.picIcon.pixmap().isNull());
}

// Closing writes the box's state, so an unticked box brings the notice back.
TEST_F(Aviso, ClosingWritesTheSetting) {
    struct Case {
        bool ticked;
        bool byOk; // "Ok", or the window closed otherwise
    };
    for (const Case c : {Case{true, true}, Case{false, true}, Case{true, false}}) {
        WriteWarningHidden(!c.ticked);
        frmAviso dialog;
        dialog.chkExibir.setChecked(c.ticked);
        dialog.show();
        if (c.byOk)
            QTest::mouseClick(&dialog.cmdOK, Qt::LeftButton);
        else
            dialog.reject();
        EXPECT_FALSE(dialog.isVisible());
        EXPECT_EQ(ReadWarningHidden(), c.ticked) << c.ticked << c.byOk;
    }
}

TEST_F(Aviso, DetectsTheRunningProduct) {
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    const QString programFiles = root.path() + "/pf";
    const QString proc = root.path() + "/proc";
    const auto process = [&](const QString& pid, const QByteArray& name) {
        QDir().mkpath(proc + "/" + pid);
        QFile comm(proc + "/" + pid + "/comm");
        ASSERT_TRUE(comm.open(QIODevice::WriteOnly));
        comm.write(name + "\n");
    };
    process("1", "bash");
    EXPECT_FALSE(KasperskyRunning(QString(), proc)) << "no program-files folder";
    EXPECT_FALSE(KasperskyRunning(programFiles, proc)) << "the product is not installed";
    QDir().mkpath(programFiles + "/Kaspersky Lab");
    EXPECT_FALSE(KasperskyRunning(programFiles, proc)) << "installed but not running";
    process("27", "avp.exe");
    EXPECT_TRUE(KasperskyRunning(programFiles, proc));
    EXPECT_FALSE(KasperskyRunning(programFiles, root.path() + "/missing"));
}

} // namespace
} // namespace corvane

#pragma once
// A real copy of the program in a process of its own, with its own data
// folder, driven by a script (app/ScriptedPlayer.h); what it prints is kept.
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace corvane::nettest {

struct ProgramCopy {
    QTemporaryDir folder;
    QProcess process;
    QByteArray output;

    // The copy uses port for its game (the host listens there, the joiner
    // connects there). On the offscreen platform unless onScreen.
    void Start(const QString& executable, long port, const QByteArray& script,
               bool onScreen = false) {
        QFile file(folder.filePath("script"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(script);
        file.close();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("CORVANE_PROGRAM_FOLDER", folder.path() + "/");
        env.insert("CORVANE_TEST_SCRIPT", file.fileName());
        env.insert("CORVANE_NET_PORT", QString::number(port));
        // The host's address list must not ask a web page: a closed local port answers at once.
        env.insert("CORVANE_MYIP_URL", "http://127.0.0.1:1/");
        if (!onScreen) env.insert("QT_QPA_PLATFORM", "offscreen");
        process.setProcessEnvironment(env);
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(executable, {});
        ASSERT_TRUE(process.waitForStarted());
    }
    // Takes what the copy printed, waiting up to waitMs for something.
    void Collect(int waitMs) {
        process.waitForReadyRead(waitMs);
        output += process.readAllStandardOutput();
    }
    bool WaitFor(const QByteArray& line, int timeoutMs) {
        QElapsedTimer timer;
        timer.start();
        while (!output.contains(line) && timer.elapsed() < timeoutMs) Collect(100);
        return output.contains(line);
    }
    // The printed lines that begin with prefix, without it.
    QList<QByteArray> Lines(const QByteArray& prefix) const {
        QList<QByteArray> out;
        for (const QByteArray& line : output.split('\n'))
            if (line.startsWith(prefix)) out << line.mid(prefix.size());
        return out;
    }
};

} // namespace corvane::nettest

// Playback through PulseAudio: prompt silence without a server, real playback into a
// private null sink when one can be started.
#include "kit/ModResWav.h"
#include "rules/GameState.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <cstring>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace corvane {
namespace {

constexpr qint64 PromptMs = 3000; // below a frozen window, above any scheduling delay

// No server, or one that never answers: the player falls silent at once, for good.
TEST(PulseSoundPlayer, NoAnsweringServerMeansSilenceAtOnce) {
    LoadSounds();
    QTemporaryDir dir;
    const QByteArray path = dir.filePath("mute").toLocal8Bit();
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    ASSERT_LT(size_t(path.size()), sizeof(addr.sun_path));
    std::memcpy(addr.sun_path, path.constData(), size_t(path.size()));
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)), 0);
    ASSERT_EQ(::listen(fd, 4), 0);
    for (const std::string& server :
         {"unix:" + dir.filePath("none").toStdString(), "unix:" + path.toStdString()}) {
        SCOPED_TRACE(server);
        PulseSoundPlayer player(server, 400);
        player.Play(QByteArray("RIFF....WAVEjunk"));
        EXPECT_EQ(player.CurrentState(), PulseSoundPlayer::State::Untried); // nothing to play
        QElapsedTimer t;
        t.start();
        player.Play(Sounds[SoundStep]);
        EXPECT_LT(t.elapsed(), PromptMs);
        EXPECT_EQ(player.CurrentState(), PulseSoundPlayer::State::Silent);
        EXPECT_FALSE(player.Failure().empty());
        t.restart();
        for (int i = 0; i < 20; ++i) player.Play(Sounds[SoundCapture]); // not tried again
        player.Stop();
        EXPECT_LT(t.elapsed(), PromptMs);
    }
    ::close(fd);
}

// A private PulseAudio server with a null sink: the player's stream must reach it.
TEST(PulseSoundPlayer, PlaysIntoANullSink) {
    const QString exe = QStandardPaths::findExecutable(QStringLiteral("pulseaudio"));
    QTemporaryDir dir;
    if (exe.isEmpty()) GTEST_SKIP() << "no PulseAudio server here";
    const QString socket = dir.filePath(QStringLiteral("native"));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir.path());
    env.insert(QStringLiteral("HOME"), dir.path());
    env.remove(QStringLiteral("PULSE_SERVER"));
    QProcess server;
    server.setProcessEnvironment(env);
    server.setProcessChannelMode(QProcess::MergedChannels);
    server.start(exe,
                 QStringLiteral("-n --daemonize=no --exit-idle-time=-1 --disable-shm=yes "
                                "-L module-null-sink -L")
                         .split(u' ')
                     << QStringLiteral("module-native-protocol-unix socket=%1 auth-anonymous=1")
                            .arg(socket));
    if (!QTest::qWaitFor([&] { return QFile::exists(socket); }, 8000))
        GTEST_SKIP() << "no private PulseAudio server could be started here";
    const std::string address = "unix:" + socket.toStdString();
    LoadSounds();
    PulseSoundPlayer player(address, 3000);
    for (int n : {SoundStep, SoundCapture, SoundCheck}) {
        player.Play(Sounds[n]);
        ASSERT_EQ(player.CurrentState(), PulseSoundPlayer::State::Ready)
            << player.Failure() << "\n"
            << server.readAll().toStdString();
    }
    player.Stop();
    EXPECT_TRUE(player.Failure().empty());
    QProcess q;
    q.start(QStringLiteral("pactl"), {QStringLiteral("-s"), QString::fromStdString(address),
                                      QStringLiteral("list"), QStringLiteral("sink-inputs")});
    EXPECT_TRUE(!q.waitForFinished(5000) || q.readAllStandardOutput().contains("Corvane"));
}

} // namespace
} // namespace corvane

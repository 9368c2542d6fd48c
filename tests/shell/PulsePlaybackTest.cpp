// Playback through PulseAudio: silent and prompt without a server or with one
// that never answers; a real playback into a null sink when a private server can
// be started here.
#include "rules/GameState.h"
#include "shell/ModResWav.h"

#include <QDir>
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

// Generous bound for "returns at once": far below anything a user would take for
// a frozen window, far above any scheduling delay.
constexpr qint64 PromptMs = 3000;

// No server, and a server that queues connections and never serves them: the
// player falls silent at once and does not try again.
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

TEST(PulseSoundPlayer, PlaySoundWithoutAServerReturnsAtOnce) {
    // The program's own player, looking for the server it is told about.
    QTemporaryDir dir;
    qputenv("PULSE_SERVER", ("unix:" + dir.filePath("gone")).toLocal8Bit());
    SetSoundPlayer(nullptr);
    SoundOn = true;
    QElapsedTimer t;
    t.start();
    for (int n = 0; n < SoundCount; ++n) PlaySound(std::int16_t(n));
    StopSounds();
    EXPECT_LT(t.elapsed(), PromptMs);
    qunsetenv("PULSE_SERVER");
}

// A private PulseAudio server with a null sink, in its own runtime folder.
class NullSinkServer {
public:
    bool Start() {
        const QString exe = QStandardPaths::findExecutable(QStringLiteral("pulseaudio"));
        if (exe.isEmpty() || !dir_.isValid()) return false;
        socket_ = dir_.filePath(QStringLiteral("native"));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir_.path());
        env.insert(QStringLiteral("HOME"), dir_.path());
        env.remove(QStringLiteral("PULSE_SERVER"));
        process_.setProcessEnvironment(env);
        process_.setProcessChannelMode(QProcess::MergedChannels);
        process_.start(
            exe, {QStringLiteral("-n"), QStringLiteral("--daemonize=no"),
                  QStringLiteral("--exit-idle-time=-1"), QStringLiteral("--disable-shm=yes"),
                  QStringLiteral("-L"), QStringLiteral("module-null-sink"), QStringLiteral("-L"),
                  QStringLiteral("module-native-protocol-unix socket=%1 auth-anonymous=1")
                      .arg(socket_)});
        if (!process_.waitForStarted(3000)) return false;
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 8000 && process_.state() == QProcess::Running) {
            if (QFile::exists(socket_)) return true;
            QTest::qWait(50);
        }
        return false;
    }
    ~NullSinkServer() {
        if (process_.state() != QProcess::NotRunning) {
            process_.terminate();
            if (!process_.waitForFinished(3000)) process_.kill();
            process_.waitForFinished(1000);
        }
    }
    std::string Address() const { return "unix:" + socket_.toStdString(); }
    QString Log() { return QString::fromLocal8Bit(process_.readAll()); }

private:
    QTemporaryDir dir_;
    QProcess process_;
    QString socket_;
};

TEST(PulseSoundPlayer, PlaysIntoANullSink) {
    NullSinkServer server;
    if (!server.Start()) GTEST_SKIP() << "no private PulseAudio server could be started here";
    LoadSounds();
    PulseSoundPlayer player(server.Address(), 3000);
    for (int n : {SoundStep, SoundCapture, SoundCheck}) {
        player.Play(Sounds[n]);
        ASSERT_EQ(player.CurrentState(), PulseSoundPlayer::State::Ready)
            << player.Failure() << "\n"
            << server.Log().toStdString();
    }
    player.Stop();
    EXPECT_TRUE(player.Failure().empty());
    // The server saw our stream.
    const QString pactl = QStandardPaths::findExecutable(QStringLiteral("pactl"));
    if (!pactl.isEmpty()) {
        QProcess q;
        q.start(pactl, {QStringLiteral("-s"), QString::fromStdString(server.Address()),
                        QStringLiteral("list"), QStringLiteral("sink-inputs")});
        ASSERT_TRUE(q.waitForFinished(5000));
        EXPECT_TRUE(q.readAllStandardOutput().contains("Corvane"));
    }
}

} // namespace
} // namespace corvane

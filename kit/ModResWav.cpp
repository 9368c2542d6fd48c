#include "kit/ModResWav.h"

#include "rules/GameState.h"

#include <QFile>
#include <QtEndian>
#include <chrono>
#include <pulse/context.h>
#include <pulse/error.h>
#include <pulse/mainloop.h>
#include <pulse/simple.h>

namespace corvane {

std::array<QByteArray, SoundCount> Sounds;

namespace {

// Embedded wave images, by sound number.
constexpr std::array<const char*, SoundCount> kSoundFiles = {
    ":/sounds/00-step.wav",      ":/sounds/01-check.wav",        ":/sounds/02-checkmate.wav",
    ":/sounds/03-checkman.wav",  ":/sounds/04-checkmateman.wav", ":/sounds/05-erro.wav",
    ":/sounds/06-stalemate.wav", ":/sounds/07-draw.wav",         ":/sounds/08-promote.wav",
    ":/sounds/09-capture.wav",   ":/sounds/10-start.wav"};

bool soundsLoaded = false;
SoundPlayer* replacement = nullptr;

PulseSoundPlayer& DefaultPlayer() {
    static PulseSoundPlayer player;
    return player;
}

SoundPlayer& CurrentPlayer() {
    if (replacement != nullptr) return *replacement;
    return DefaultPlayer();
}

quint32 Le32(const QByteArray& b, qsizetype at) {
    return qFromLittleEndian<quint32>(reinterpret_cast<const uchar*>(b.constData()) + at);
}
quint16 Le16(const QByteArray& b, qsizetype at) {
    return qFromLittleEndian<quint16>(reinterpret_cast<const uchar*>(b.constData()) + at);
}

} // namespace

WaveInfo ParseWave(const QByteArray& image) {
    WaveInfo info;
    if (image.size() < 12 || !image.startsWith("RIFF") || image.mid(8, 4) != "WAVE") return info;
    bool haveFormat = false;
    qsizetype at = 12;
    while (at + 8 <= image.size()) {
        const QByteArray id = image.mid(at, 4);
        const quint32 size = Le32(image, at + 4);
        const qsizetype body = at + 8;
        if (size > quint32(image.size() - body)) return WaveInfo{}; // truncated chunk
        if (id == "fmt ") {
            if (size < 16) return WaveInfo{};
            const quint16 format = Le16(image, body);
            info.channels = Le16(image, body + 2);
            info.sampleRate = int(Le32(image, body + 4));
            info.bitsPerSample = Le16(image, body + 14);
            // 1 is plain PCM; 0xFFFE may still carry PCM, taken at its word.
            if (format != 1 && format != 0xFFFE) return WaveInfo{};
            if (info.channels < 1 || info.channels > 2 || info.sampleRate < 4000 ||
                info.sampleRate > 192000 || (info.bitsPerSample != 8 && info.bitsPerSample != 16))
                return WaveInfo{};
            haveFormat = true;
        } else if (id == "data") {
            if (!haveFormat) return WaveInfo{};
            info.dataOffset = body;
            info.dataSize = size;
            info.valid = true;
            return info;
        }
        at = body + size + (size & 1); // chunks are padded to an even length
    }
    return WaveInfo{};
}

void LoadSounds() {
    if (soundsLoaded) return;
    for (int i = 0; i < SoundCount; ++i) {
        QFile file(QString::fromLatin1(kSoundFiles[i]));
        if (file.open(QIODevice::ReadOnly)) Sounds[i] = file.readAll();
    }
    soundsLoaded = true;
}

void PlaySound(std::int16_t number) {
    if (!SoundOn || number < 0 || number >= SoundCount) return;
    LoadSounds();
    if (Sounds[number].isEmpty()) return;
    CurrentPlayer().Play(Sounds[number]);
}

void StopSounds() {
    CurrentPlayer().Stop();
}

void SetSoundPlayer(SoundPlayer* player) {
    replacement = player;
}

// --- PulseAudio ---------------------------------------------------------------------

void PulseSoundPlayer::StreamCloser::operator()(pa_simple* stream) const {
    pa_simple_free(stream);
}

PulseSoundPlayer::PulseSoundPlayer(std::string server, int connectTimeoutMs)
    : server_(std::move(server)), timeoutMs_(connectTimeoutMs) {}

PulseSoundPlayer::~PulseSoundPlayer() = default;

void PulseSoundPlayer::GoSilent(std::string why) {
    CloseStream();
    state_ = State::Silent;
    failure_ = std::move(why);
}

// Connects a context with the asynchronous interface and waits at most timeoutMs_
// for it to become ready: a server that accepts the connection and then never
// answers must not hang the window. No server is ever started on our behalf.
bool PulseSoundPlayer::ServerAnswers() {
    pa_mainloop* loop = pa_mainloop_new();
    if (loop == nullptr) return false;
    pa_context* context = pa_context_new(pa_mainloop_get_api(loop), "Corvane");
    bool ready = false;
    if (context != nullptr &&
        pa_context_connect(context, server_.empty() ? nullptr : server_.c_str(),
                           PA_CONTEXT_NOAUTOSPAWN, nullptr) >= 0) {
        using Clock = std::chrono::steady_clock;
        const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs_);
        for (;;) {
            const pa_context_state_t st = pa_context_get_state(context);
            if (st == PA_CONTEXT_READY) {
                ready = true;
                break;
            }
            if (!PA_CONTEXT_IS_GOOD(st)) break;
            const auto left =
                std::chrono::duration_cast<std::chrono::microseconds>(deadline - Clock::now());
            if (left.count() <= 0) break;
            if (pa_mainloop_prepare(loop, int(left.count())) < 0 || pa_mainloop_poll(loop) < 0 ||
                pa_mainloop_dispatch(loop) < 0)
                break;
        }
        pa_context_disconnect(context);
    }
    if (context != nullptr) pa_context_unref(context);
    pa_mainloop_free(loop);
    return ready;
}

bool PulseSoundPlayer::OpenStream(const WaveInfo& info) {
    if (stream_ && streamRate_ == info.sampleRate && streamChannels_ == info.channels &&
        streamBits_ == info.bitsPerSample)
        return true;
    CloseStream();
    pa_sample_spec sampleFormat{};
    sampleFormat.format = info.bitsPerSample == 8 ? PA_SAMPLE_U8 : PA_SAMPLE_S16LE;
    sampleFormat.rate = std::uint32_t(info.sampleRate);
    sampleFormat.channels = std::uint8_t(info.channels);
    int error = 0;
    stream_.reset(pa_simple_new(server_.empty() ? nullptr : server_.c_str(), "Corvane",
                                PA_STREAM_PLAYBACK, nullptr, "Corvane", &sampleFormat, nullptr,
                                nullptr, &error));
    if (!stream_) {
        GoSilent(std::string("playback stream refused: ") + pa_strerror(error));
        return false;
    }
    streamRate_ = info.sampleRate;
    streamChannels_ = info.channels;
    streamBits_ = info.bitsPerSample;
    return true;
}

void PulseSoundPlayer::CloseStream() {
    stream_.reset();
    streamRate_ = streamChannels_ = streamBits_ = 0;
}

void PulseSoundPlayer::Play(const QByteArray& wave) {
    if (state_ == State::Silent) return;
    const WaveInfo info = ParseWave(wave);
    if (!info.valid) return; // nothing sensible to play; no fallback sound
    if (state_ == State::Untried) {
        if (!ServerAnswers()) {
            GoSilent("no sound server answered");
            return;
        }
        state_ = State::Ready;
    }
    if (!OpenStream(info)) return;
    int error = 0;
    if (pa_simple_write(stream_.get(), wave.constData() + info.dataOffset, size_t(info.dataSize),
                        &error) < 0 ||
        pa_simple_drain(stream_.get(), &error) < 0)
        GoSilent(std::string("playback failed: ") + pa_strerror(error));
}

void PulseSoundPlayer::Stop() {
    if (stream_) {
        int error = 0;
        pa_simple_flush(stream_.get(), &error);
    }
}

} // namespace corvane

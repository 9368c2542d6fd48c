#pragma once
// The game's eleven sounds: wave images embedded in the program, loaded once and
// played by number. Playback is synchronous (the call returns when the sound has
// finished) and silent while SoundOn (rules/GameState.h) is false, or when no
// sound server answers.
#include <QByteArray>
#include <array>
#include <cstdint>
#include <memory>
#include <string>

struct pa_simple; // the sound library's playback stream

namespace corvane {

// Sound numbers and what each is played for.
enum SoundNumber : std::int16_t {
    SoundStep = 0,         // "STEP": a move to an empty square (twice for a castling)
    SoundCheck = 1,        // "CHECK": check given by White
    SoundCheckmate = 2,    // "CHECKMATE": checkmate given by White
    SoundCheckMan = 3,     // "CHECKMAN": check given by Black
    SoundCheckmateMan = 4, // "CHECKMATEMAN": checkmate given by Black
    SoundErro = 5,         // "ERRO": an illegal human move
    SoundStalemate = 6,    // "STALEMATE"
    SoundDraw = 7,         // "DRAW": draw ("EMPATE")
    SoundPromote = 8,      // "PROMOTE": a pawn promotion
    SoundCapture = 9,      // "CAPTURE": a capture
    SoundStart = 10,       // "START": the start of a network game
};
constexpr int SoundCount = 11;

// --- Owned by the application shell (sounds) -------------------------------------

// The complete bytes of one RIFF/WAVE file per sound number, filled by LoadSounds.
extern std::array<QByteArray, SoundCount> Sounds;

// Loads the eleven embedded wave images into Sounds (once; later calls do nothing).
void LoadSounds();
// Plays Sounds[number] when SoundOn is true; numbers outside 0..10 are ignored.
void PlaySound(std::int16_t number);
// Stops anything that is playing.
void StopSounds();

// The format of a wave image, as far as playback needs it.
struct WaveInfo {
    bool valid = false;
    int channels = 0;
    int sampleRate = 0;
    int bitsPerSample = 0; // 8 (unsigned) or 16 (signed little-endian)
    qsizetype dataOffset = 0;
    qsizetype dataSize = 0;
    double Seconds() const {
        return valid ? double(dataSize) / (double(channels) * sampleRate * (bitsPerSample / 8))
                     : 0.0;
    }
};
// Reads the header of a RIFF/WAVE image of uncompressed PCM; invalid on anything
// else (wrong tags, truncated chunks, compressed formats, absurd values).
WaveInfo ParseWave(const QByteArray& image);

// Where sounds go. The default player talks to the PulseAudio server; tests put a
// recording player in its place.
class SoundPlayer {
public:
    virtual ~SoundPlayer() = default;
    virtual void Play(const QByteArray& wave) = 0;
    virtual void Stop() = 0;
};
// Replaces the player (not owned; nullptr puts the PulseAudio player back).
void SetSoundPlayer(SoundPlayer* player);

// Playback through a PulseAudio server. The first sound connects with a bounded
// wait; when the server cannot be reached (or does not answer in time) the player
// stays silent for the rest of its life instead of trying again.
class PulseSoundPlayer : public SoundPlayer {
public:
    enum class State { Untried, Ready, Silent };
    // server: a PulseAudio server address, empty for the default one.
    explicit PulseSoundPlayer(std::string server = {}, int connectTimeoutMs = 500);
    ~PulseSoundPlayer() override;
    PulseSoundPlayer(const PulseSoundPlayer&) = delete;
    PulseSoundPlayer& operator=(const PulseSoundPlayer&) = delete;

    void Play(const QByteArray& wave) override;
    void Stop() override;
    State CurrentState() const { return state_; }
    // Why the player went silent ("" while it is not).
    const std::string& Failure() const { return failure_; }

private:
    bool ServerAnswers();
    bool OpenStream(const WaveInfo& info);
    void CloseStream();
    void GoSilent(std::string why);

    std::string server_;
    int timeoutMs_;
    State state_ = State::Untried;
    std::string failure_;
    struct StreamCloser {
        void operator()(pa_simple* stream) const;
    };
    std::unique_ptr<pa_simple, StreamCloser> stream_;
    int streamRate_ = 0, streamChannels_ = 0, streamBits_ = 0;
};

} // namespace corvane

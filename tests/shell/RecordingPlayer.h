#pragma once
// A sound player for tests: remembers what it was asked to play.
#include "shell/ModResWav.h"

#include <QList>

namespace corvane {

class RecordingPlayer : public SoundPlayer {
public:
    RecordingPlayer() { SetSoundPlayer(this); }
    ~RecordingPlayer() override { SetSoundPlayer(nullptr); }
    void Play(const QByteArray& wave) override { played.append(wave); }
    void Stop() override { ++stops; }
    // Sound numbers of what was played, found by comparing with Sounds.
    QList<int> Numbers() const {
        QList<int> numbers;
        for (const QByteArray& w : played) {
            int n = -1;
            for (int i = 0; i < SoundCount; ++i)
                if (Sounds[i] == w) n = i;
            numbers.append(n);
        }
        return numbers;
    }
    QList<QByteArray> played;
    int stops = 0;
};

} // namespace corvane

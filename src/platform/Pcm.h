#pragma once
// Sound as a buffer of samples, ready for the audio output.

#include <QByteArray>

namespace platform {

struct Pcm {
    int sampleRate = 0;
    int channels = 1;
    QByteArray samples; // signed 16-bit, native byte order, channels interleaved
    double seconds() const
    {
        return sampleRate > 0 && channels > 0 ? samples.size() / 2.0 / channels / sampleRate : 0.0;
    }
};

} // namespace platform

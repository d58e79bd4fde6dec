#include "platform/SoundFile.h"

#include "base/Errors.h"

#include <QFile>
#include <sndfile.h>

namespace platform {

Pcm readSoundFile(const QString& path)
{
    SF_INFO info{};
    SNDFILE* file = sf_open(QFile::encodeName(path).constData(), SFM_READ, &info);
    if (!file)
        throw Exception(QString::fromLocal8Bit(sf_strerror(nullptr)));
    Pcm pcm;
    pcm.sampleRate = info.samplerate;
    pcm.channels = info.channels;
    // A call sound lasts seconds; anything past a minute is not one.
    const sf_count_t frames = qMin<sf_count_t>(info.frames, sf_count_t(info.samplerate) * 60);
    pcm.samples.resize(qsizetype(frames * info.channels * 2));
    const sf_count_t read = sf_readf_short(file, reinterpret_cast<short*>(pcm.samples.data()), frames);
    const QString failure = sf_error(file) ? QString::fromLocal8Bit(sf_strerror(file)) : QString();
    sf_close(file);
    if (!failure.isEmpty() || info.channels <= 0 || info.samplerate <= 0)
        throw Exception(failure.isEmpty() ? QStringLiteral("formato de som inválido") : failure);
    pcm.samples.resize(qsizetype(read * info.channels * 2));
    return pcm;
}

} // namespace platform

#include "platform/ui/LinuxSpeech.h"

#include "base/Errors.h"
#include "platform/SoundFile.h"

#include <QFileInfo>
#include <cstdio>

namespace platform::ui {

LinuxSpeech::LinuxSpeech(EspeakSynthesizer synthesizer, SoundReports& reports, AudioOutput* output, QObject* parent,
                         Clock& clock)
    : QObject(parent), m_synthesizer(std::move(synthesizer)), m_reports(reports), m_clock(clock), m_output(output)
{
    if (!m_output)
        m_output = m_ownOutput = new QtAudioOutput(m_reports, this);
}

LinuxSpeech::~LinuxSpeech()
{
    shutdown();
}

void LinuxSpeech::shutdown()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stopping = true;
        m_requests.clear();
    }
    m_cancel = true;
    m_wake.notify_all();
    m_ended.notify_all();
    if (m_worker.joinable())
        m_worker.join();
    m_output->stop();
    m_ready.clear();
    m_playing = false;
}

void LinuxSpeech::announce(const QString& sound, const SpokenCall& call)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_stopping)
            return;
        // The worker starts with the first call: a screen without voice has none.
        if (!m_worker.joinable())
            m_worker = std::thread([this] { work(); });
        m_requests.push_back({sound, call});
        ++m_asked;
    }
    m_wake.notify_all();
}

bool LinuxSpeech::waitForEnd(int ms)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    const quint64 target = m_asked;
    return m_clock.waitFor(lock, m_ended, ms, [this, target] { return m_stopping || m_done >= target; });
}

// Prepares the announcements in their order, ahead of their playing.
void LinuxSpeech::work()
{
    for (;;) {
        Request request;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_wake.wait(lock, [this] { return m_stopping || !m_requests.empty(); });
            if (m_stopping)
                return;
            request = m_requests.front();
            m_requests.pop_front();
        }
        Prepared prepared;
        try {
            prepared = prepare(request);
        } catch (...) {
            // Nothing may leave the worker; the announcement is then silent.
        }
        if (m_cancel)
            return;
        QMetaObject::invokeMethod(
            this,
            [this, prepared] {
                m_ready.enqueue(prepared);
                playNext();
            },
            Qt::QueuedConnection);
    }
}

namespace {

// The samples as one channel at `rate`, by linear interpolation: the call
// sound's file may have any rate and channel count.
QByteArray monoAt(const Pcm& pcm, int rate)
{
    const auto* in = reinterpret_cast<const qint16*>(pcm.samples.constData());
    const qint64 frames = pcm.samples.size() / 2 / pcm.channels;
    auto frame = [&](qint64 i) {
        int sum = 0;
        for (int c = 0; c < pcm.channels; ++c)
            sum += in[i * pcm.channels + c];
        return double(sum) / pcm.channels;
    };
    const qint64 count = frames * rate / pcm.sampleRate;
    QByteArray result(count * 2, Qt::Uninitialized);
    auto* out = reinterpret_cast<qint16*>(result.data());
    for (qint64 j = 0; j < count; ++j) {
        const double x = double(j) * pcm.sampleRate / rate;
        const qint64 i = qint64(x);
        const double next = i + 1 < frames ? frame(i + 1) : frame(i);
        out[j] = qint16(qBound(-32768.0, frame(i) + (next - frame(i)) * (x - i), 32767.0));
    }
    return result;
}

// The benchmark of calls (bench/chamadas) matches these lines with the sound
// it records.
void trace(const Clock& clock, const char* what, double chime = 0, double phrase = 0, const QString& text = QString())
{
    static const bool ligado = qEnvironmentVariableIsSet("MONITOR_RASTRO_TELA");
    if (ligado)
        std::fprintf(stderr, "%s %lld %.3f %.3f %s\n", what, clock.pcNow().toMSecsSinceEpoch(), chime, phrase,
                     text.toUtf8().constData());
}

QByteArray louder(QByteArray samples, int volume)
{
    auto* s = reinterpret_cast<qint16*>(samples.data());
    for (qsizetype i = 0; i < samples.size() / 2; ++i)
        s[i] = qint16(s[i] * qBound(0, volume, 100) / 100);
    return samples;
}

} // namespace

LinuxSpeech::Prepared LinuxSpeech::prepare(const Request& request)
{
    Pcm chime;
    if (!request.sound.isEmpty()) {
        if (!QFileInfo(request.sound).isFile()) {
            m_reports.missingFile(request.sound);
        } else {
            try {
                chime = readSoundFile(request.sound);
            } catch (const Exception& failure) {
                m_reports.unreadableFile(request.sound, failure.message());
            }
        }
    }
    Pcm phrase;
    if (!request.call.ssml.isEmpty()) {
        try {
            phrase = m_synthesizer.synthesize(request.call.ssml, request.call.wordsPerMinute, &m_cancel);
        } catch (const std::exception& failure) {
            const QString reason = QString::fromUtf8(failure.what());
            m_reports.report(
                QStringLiteral("voice ") + reason,
                QStringLiteral("Monitor de Senhas: chamada sem voz (\"%1\"): %2").arg(request.call.text, reason));
        }
    }

    Prepared prepared;
    prepared.text = request.call.text;
    prepared.chime = chime.seconds();
    prepared.phrase = phrase.seconds();
    // The chime plays at full loudness, the phrase at the screen's volume.
    if (phrase.samples.isEmpty()) {
        prepared.sound = chime;
    } else {
        prepared.sound.sampleRate = phrase.sampleRate;
        if (!chime.samples.isEmpty())
            prepared.sound.samples = monoAt(chime, phrase.sampleRate);
        prepared.sound.samples += louder(phrase.samples, request.call.volume);
    }
    return prepared;
}

void LinuxSpeech::playNext()
{
    if (m_playing || m_ready.isEmpty())
        return;
    m_playing = true;
    const Prepared next = m_ready.dequeue();
    trace(m_clock, "anuncio", next.chime, next.phrase, next.text);
    if (next.sound.samples.isEmpty())
        finish();
    else
        m_output->play(next.sound, 100, [this] { finish(); });
}

void LinuxSpeech::finish()
{
    trace(m_clock, "anuncio-fim");
    m_playing = false;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        ++m_done;
    }
    m_ended.notify_all();
    playNext();
}

} // namespace platform::ui

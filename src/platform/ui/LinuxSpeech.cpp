#include "platform/ui/LinuxSpeech.h"

#include "platform/SoundFile.h"
#include "support/Errors.h"

#include <QDateTime>
#include <QFileInfo>
#include <cstdio>
#include <chrono>

namespace platform::ui {

LinuxSpeech::LinuxSpeech(EspeakSynthesizer synthesizer, SoundReports& reports, AudioOutput* output, QObject* parent)
    : QObject(parent), m_synthesizer(std::move(synthesizer)), m_reports(reports), m_output(output)
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

void LinuxSpeech::announce(const QString& sound, const Fala& fala)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_stopping)
            return;
        // The worker starts with the first call: a screen without voice has none.
        if (!m_worker.joinable())
            m_worker = std::thread([this] { work(); });
        m_requests.push_back({sound, fala});
        ++m_asked;
    }
    m_wake.notify_all();
}

bool LinuxSpeech::waitForEnd(int ms)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    const quint64 target = m_asked;
    return m_ended.wait_for(lock, std::chrono::milliseconds(qMax(0, ms)),
                            [this, target] { return m_stopping || m_done >= target; });
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
        QMetaObject::invokeMethod(this, [this, prepared] {
            m_ready.enqueue(prepared);
            playNext();
        }, Qt::QueuedConnection);
    }
}

LinuxSpeech::Prepared LinuxSpeech::prepare(const Request& request)
{
    Prepared prepared;
    prepared.volume = request.fala.volume;
    prepared.texto = request.fala.texto;
    if (!request.sound.isEmpty()) {
        if (!QFileInfo(request.sound).isFile()) {
            m_reports.missingFile(request.sound);
        } else {
            try {
                prepared.chime = readSoundFile(request.sound);
            } catch (const Exception& failure) {
                m_reports.unreadableFile(request.sound, failure.message());
            }
        }
    }
    if (!request.fala.ssml.isEmpty()) {
        try {
            prepared.phrase = m_synthesizer.synthesize(request.fala.ssml, request.fala.velocidade, &m_cancel);
        } catch (const std::exception& failure) {
            const QString reason = QString::fromUtf8(failure.what());
            m_reports.report(QStringLiteral("voice ") + reason,
                             QStringLiteral("Monitor de Senhas: chamada sem voz (\"%1\"): %2")
                                 .arg(request.fala.texto, reason));
        }
    }
    return prepared;
}

namespace {

// The benchmark of calls (bench/chamadas) matches these lines with the sound
// it records.
void rastro(const char* what, double chime = 0, double phrase = 0, const QString& texto = QString())
{
    static const bool ligado = qEnvironmentVariableIsSet("MONITOR_RASTRO_TELA");
    if (ligado)
        std::fprintf(stderr, "%s %lld %.3f %.3f %s\n", what, QDateTime::currentMSecsSinceEpoch(), chime, phrase,
                     texto.toUtf8().constData());
}

} // namespace

void LinuxSpeech::playNext()
{
    if (m_playing || m_ready.isEmpty())
        return;
    m_playing = true;
    m_current = m_ready.dequeue();
    rastro("anuncio", m_current.chime.seconds(), m_current.phrase.seconds(), m_current.texto);
    if (m_current.chime.samples.isEmpty())
        playPhrase();
    else
        m_output->play(m_current.chime, 100, [this] { playPhrase(); });
}

// The phrase follows the chime.
void LinuxSpeech::playPhrase()
{
    if (m_current.phrase.samples.isEmpty()) {
        finish();
        return;
    }
    Q_EMIT started(m_current.phrase.seconds());
    m_output->play(m_current.phrase, m_current.volume, [this] { finish(); });
}

void LinuxSpeech::finish()
{
    rastro("anuncio-fim");
    m_playing = false;
    m_current = Prepared();
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        ++m_done;
    }
    m_ended.notify_all();
    playNext();
}

} // namespace platform::ui

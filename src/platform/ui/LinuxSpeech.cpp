#include "platform/ui/LinuxSpeech.h"

#include "platform/ui/LinuxUiServices.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QBuffer>
#include <QMediaDevices>
#include <QTimer>

#include <cstdio>

namespace platform::ui {

namespace {

constexpr int EsperaPasso = 30;     // ms between looks at the chime
constexpr int EsperaMaxima = 10000; // ms the speech waits for the chime at most

void paraStderr(const QString& line)
{
    std::fprintf(stderr, "%s\n", line.toLocal8Bit().constData());
    std::fflush(stderr);
}

} // namespace

LinuxSpeech::LinuxSpeech(EspeakSynthesizer synthesizer, LinuxSound* chime,
                         std::function<void(const QString&)> report, QObject* parent)
    : QObject(parent), m_synthesizer(std::move(synthesizer)), m_chime(chime),
      m_report(report ? std::move(report) : paraStderr)
{
    m_espera = new QTimer(this);
    m_espera->setInterval(EsperaPasso);
    connect(m_espera, &QTimer::timeout, this, &LinuxSpeech::tocaQuandoLivre);
}

LinuxSpeech::~LinuxSpeech()
{
    shutdown();
}

void LinuxSpeech::shutdown()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_fim = true;
        m_pedido.reset();
    }
    m_cancela = true;
    m_wake.notify_all();
    if (m_worker.joinable())
        m_worker.join();
    para();
}

void LinuxSpeech::speak(const Fala& fala)
{
    // A new call silences the phrase before it, whether it is still being
    // synthesised, waiting for the chime or playing.
    para();
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_fim)
            return;
        // The worker starts with the first phrase: a screen without voice has none.
        if (!m_worker.joinable())
            m_worker = std::thread([this] { trabalha(); });
        // Set under the lock, so that only a synthesis already under way sees it.
        m_cancela = true;
        m_pedido = Pedido{++m_geracao, fala};
    }
    m_wake.notify_all();
}

void LinuxSpeech::trabalha()
{
    for (;;) {
        Pedido pedido;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_wake.wait(lock, [this] { return m_fim || m_pedido.has_value(); });
            if (m_fim)
                return;
            pedido = *m_pedido;
            m_pedido.reset();
            m_cancela = false;
        }
        try {
            const Pcm pcm = m_synthesizer.synthesize(pedido.fala.ssml, pedido.fala.velocidade, &m_cancela);
            if (m_cancela)
                continue;
            const int volume = pedido.fala.volume;
            QMetaObject::invokeMethod(this, [this, geracao = pedido.geracao, pcm, volume] {
                sintetizado(geracao, pcm, volume);
            }, Qt::QueuedConnection);
        } catch (const std::exception& failure) {
            const QString motivo = QString::fromUtf8(failure.what());
            const QString line =
                QStringLiteral("Monitor de Senhas: chamada sem voz (\"%1\"): %2").arg(pedido.fala.texto, motivo);
            QMetaObject::invokeMethod(this, [this, motivo, line] { relata(motivo, line); }, Qt::QueuedConnection);
        } catch (...) {
            // Nothing may leave the worker; the call keeps its chime.
        }
    }
}

void LinuxSpeech::relata(const QString& motivo, const QString& line)
{
    // The same failure at every call is told once.
    if (motivo == m_ultimoRelato)
        return;
    m_ultimoRelato = motivo;
    m_report(line);
}

void LinuxSpeech::sintetizado(quint64 geracao, const Pcm& pcm, int volume)
{
    if (geracao != m_geracao.load() || pcm.samples.isEmpty())
        return;
    m_pronto = pcm;
    m_volume = volume;
    m_esperas = 0;
    m_espera->start();
    tocaQuandoLivre();
}

// The phrase follows the chime: it starts once the call sound is over.
void LinuxSpeech::tocaQuandoLivre()
{
    if (m_chime && m_chime->busy() && m_esperas++ * EsperaPasso < EsperaMaxima)
        return;
    m_espera->stop();
    Q_EMIT started(m_pronto.seconds());

    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull()) {
        const QString motivo = QStringLiteral("nenhuma saída de som");
        relata(motivo, QStringLiteral("Monitor de Senhas: chamada sem voz: ") + motivo);
        return;
    }
    QAudioFormat format;
    format.setSampleRate(m_pronto.sampleRate);
    format.setChannelCount(1);
    format.setSampleFormat(QAudioFormat::Int16);

    m_buffer = new QBuffer(this);
    m_buffer->setData(m_pronto.samples);
    m_buffer->open(QIODevice::ReadOnly);
    m_sink = new QAudioSink(device, format, this);
    m_sink->setVolume(m_volume / 100.0);
    QAudioSink* sink = m_sink;
    connect(sink, &QAudioSink::stateChanged, this, [this, sink](QAudio::State state) {
        if (state == QAudio::IdleState && sink == m_sink)
            para();
    });
    m_sink->start(m_buffer);
}

void LinuxSpeech::para()
{
    m_espera->stop();
    if (m_sink) {
        m_sink->stop();
        m_sink->deleteLater();
        m_sink = nullptr;
    }
    if (m_buffer) {
        m_buffer->deleteLater();
        m_buffer = nullptr;
    }
}

} // namespace platform::ui

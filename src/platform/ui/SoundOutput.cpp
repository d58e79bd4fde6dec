#include "platform/ui/SoundOutput.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QBuffer>
#include <QMediaDevices>
#include <QTimer>

#include <cstdio>

namespace platform::ui {

namespace {

const QString Program = QStringLiteral("Monitor de Senhas: ");

void toStderr(const QString& line)
{
    std::fprintf(stderr, "%s\n", line.toLocal8Bit().constData());
    std::fflush(stderr);
}

} // namespace

SoundReports::SoundReports(std::function<void(const QString&)> sink)
    : m_sink(sink ? std::move(sink) : toStderr)
{
}

void SoundReports::report(const QString& reason, const QString& line)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_told.contains(reason))
            return;
        m_told.insert(reason);
    }
    m_sink(line);
}

void SoundReports::missingFile(const QString& path)
{
    report(QStringLiteral("missing ") + path, Program + QStringLiteral("som da chamada não encontrado: ") + path);
}

void SoundReports::unreadableFile(const QString& path, const QString& reason)
{
    report(QStringLiteral("unreadable ") + path,
           Program + QStringLiteral("som da chamada ilegível: %1 (%2)").arg(path, reason));
}

void SoundReports::noOutput()
{
    report(QStringLiteral("no output"), Program + QStringLiteral("nenhuma saída de som"));
}

void SoundReports::outputStuck()
{
    report(QStringLiteral("stuck"), Program + QStringLiteral("a saída de som não tocou a chamada até o fim"));
}

QtAudioOutput::QtAudioOutput(SoundReports& reports, QObject* parent)
    : QObject(parent), m_reports(reports)
{
    m_watchdog = new QTimer(this);
    m_watchdog->setSingleShot(true);
}

QtAudioOutput::~QtAudioOutput()
{
    stop();
}

void QtAudioOutput::play(const Pcm& pcm, int volume, std::function<void()> done)
{
    stop();
    m_done = std::move(done);
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull() || pcm.samples.isEmpty()) {
        if (device.isNull())
            m_reports.noOutput();
        // Later, as a played buffer would: the caller's state is settled by then.
        QMetaObject::invokeMethod(this, &QtAudioOutput::finish, Qt::QueuedConnection);
        return;
    }
    QAudioFormat format;
    format.setSampleRate(pcm.sampleRate);
    format.setChannelCount(pcm.channels);
    format.setSampleFormat(QAudioFormat::Int16);

    m_buffer = new QBuffer(this);
    m_buffer->setData(pcm.samples);
    m_buffer->open(QIODevice::ReadOnly);
    m_sink = new QAudioSink(device, format, this);
    m_sink->setVolume(volume / 100.0);
    // The output is filled in real time, one period after the other, and
    // starts once its buffer is full: with the sound server's default of
    // about two seconds, a call would start two seconds late and the end of
    // it would still be in the buffer when the source runs dry.
    m_sink->setBufferSize(format.bytesForDuration(BufferMs * 1000));
    QAudioSink* sink = m_sink;
    connect(sink, &QAudioSink::stateChanged, this, [this, sink](QAudio::State state) {
        if (sink != m_sink)
            return;
        if (state == QAudio::IdleState && m_buffer && m_buffer->atEnd()) {
            // What the output still holds plays out before it stops.
            m_watchdog->disconnect();
            m_watchdog->start(BufferMs + 100);
            connect(m_watchdog, &QTimer::timeout, this, &QtAudioOutput::finish);
        } else if (state == QAudio::StoppedState && sink->error() != QAudio::NoError) {
            m_reports.noOutput();
            finish();
        }
    });
    m_watchdog->disconnect();
    connect(m_watchdog, &QTimer::timeout, this, [this] {
        m_reports.outputStuck();
        finish();
    });
    m_watchdog->start(int(pcm.seconds() * 1000) + BufferMs + MarginMs);
    m_sink->start(m_buffer);
}

void QtAudioOutput::stop()
{
    m_watchdog->stop();
    m_done = nullptr;
    if (m_sink) {
        QAudioSink* sink = m_sink;
        m_sink = nullptr;
        sink->stop();
        sink->deleteLater();
    }
    if (m_buffer) {
        m_buffer->deleteLater();
        m_buffer = nullptr;
    }
}

void QtAudioOutput::finish()
{
    std::function<void()> done = std::move(m_done);
    stop();
    if (done)
        done();
}

} // namespace platform::ui

#include "platform/ui/SoundOutput.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
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
    m_feed = new QTimer(this);
    m_feed->setInterval(FeedMs);
    connect(m_feed, &QTimer::timeout, this, &QtAudioOutput::feed);
    m_watchdog = new QTimer(this);
    m_watchdog->setSingleShot(true);
    connect(m_watchdog, &QTimer::timeout, this, [this] {
        m_reports.outputStuck();
        // A stream that does not play is opened afresh for the next buffer.
        close();
        finish();
    });
}

QtAudioOutput::~QtAudioOutput()
{
    stop();
}

void QtAudioOutput::play(const Pcm& pcm, int volume, std::function<void()> done)
{
    m_feed->stop();
    m_watchdog->stop();
    m_samples.clear();
    m_written = 0;
    m_done = std::move(done);
    QAudioFormat format;
    format.setSampleRate(pcm.sampleRate);
    format.setChannelCount(pcm.channels);
    format.setSampleFormat(QAudioFormat::Int16);
    if (pcm.samples.isEmpty() || !open(format)) {
        // Later, as a played buffer would: the caller's state is settled by then.
        QMetaObject::invokeMethod(this, &QtAudioOutput::finish, Qt::QueuedConnection);
        return;
    }
    m_sink->setVolume(volume / 100.0);
    m_samples = pcm.samples;
    m_watchdog->start(int(pcm.seconds() * 1000) + BufferMs + MarginMs);
    m_feed->start();
    feed();
}

// The open stream when it has `format`, else a new one.
bool QtAudioOutput::open(const QAudioFormat& format)
{
    if (m_sink && m_sink->format() == format && m_sink->state() != QAudio::StoppedState)
        return true;
    close();
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull()) {
        m_reports.noOutput();
        return false;
    }
    m_sink = new QAudioSink(device, format, this);
    // The server asks for samples in real time and plays them one buffer
    // behind: its default of about two seconds would delay every call.
    m_sink->setBufferSize(format.bytesForDuration(BufferMs * 1000));
    m_stream = m_sink->start();
    if (!m_stream || m_sink->error() == QAudio::OpenError || m_sink->state() == QAudio::StoppedState) {
        m_reports.noOutput();
        close();
        return false;
    }
    QAudioSink* sink = m_sink;
    connect(sink, &QAudioSink::stateChanged, this, [this, sink](QAudio::State state) {
        if (sink != m_sink)
            return;
        if (state == QAudio::IdleState) {
            // The stream ran dry: said at once, where the room left is only polled.
            feed();
        } else if (state == QAudio::StoppedState && sink->error() != QAudio::NoError) {
            // The server went away: the next buffer opens a new stream.
            close();
            if (m_done) {
                m_reports.noOutput();
                finish();
            }
        }
    });
    return true;
}

void QtAudioOutput::close()
{
    m_stream = nullptr;
    if (m_sink) {
        QAudioSink* sink = m_sink;
        m_sink = nullptr;
        sink->disconnect(this);
        sink->stop();
        sink->deleteLater();
    }
}

// Writes what the stream has room for; once it has taken the whole buffer
// and played it out, the buffer has been heard.
void QtAudioOutput::feed()
{
    if (!m_sink || !m_stream || !m_done)
        return;
    if (m_written < m_samples.size()) {
        const qint64 room = qMin<qint64>(m_sink->bytesFree(), m_samples.size() - m_written);
        if (room > 0) {
            const qint64 n = m_stream->write(m_samples.constData() + m_written, room);
            if (n > 0)
                m_written += n;
        }
        return;
    }
    // The server takes samples as they play, so the stream empties when the
    // last of them is heard (the recorded output shows them ending together).
    if (m_sink->state() == QAudio::IdleState || m_sink->bytesFree() >= m_sink->bufferSize())
        finish();
}

void QtAudioOutput::stop()
{
    m_feed->stop();
    m_watchdog->stop();
    m_done = nullptr;
    m_samples.clear();
    m_written = 0;
    // What the stream already holds would play on: only closing it stops that.
    close();
}

void QtAudioOutput::finish()
{
    m_feed->stop();
    m_watchdog->stop();
    m_samples.clear();
    m_written = 0;
    std::function<void()> done = std::move(m_done);
    m_done = nullptr;
    if (done)
        done();
}

} // namespace platform::ui

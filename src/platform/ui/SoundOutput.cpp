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

SoundReports::SoundReports(std::function<void(const QString&)> sink) : m_sink(sink ? std::move(sink) : toStderr)
{}

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

QtAudioOutput::QtAudioOutput(SoundReports& reports, QObject* parent) : QObject(parent), m_reports(reports)
{
    m_feed = new QTimer(this);
    m_feed->setInterval(FeedMs);
    connect(m_feed, &QTimer::timeout, this, &QtAudioOutput::feed);
    m_tail = new QTimer(this);
    m_tail->setSingleShot(true);
    m_tail->setInterval(BufferMs);
    connect(m_tail, &QTimer::timeout, this, &QtAudioOutput::finish);
    m_idle = new QTimer(this);
    m_idle->setSingleShot(true);
    m_idle->setInterval(IdleCloseMs);
    connect(m_idle, &QTimer::timeout, this, &QtAudioOutput::close);
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
    m_idle->stop();
    m_tail->stop();
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
    m_feed->start();
    QAudioSink* sink = m_sink;
    connect(sink, &QAudioSink::stateChanged, this, [this, sink](QAudio::State state) {
        if (sink != m_sink)
            return;
        if (state == QAudio::StoppedState && sink->error() != QAudio::NoError) {
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
    m_feed->stop();
    m_stream = nullptr;
    if (m_sink) {
        QAudioSink* sink = m_sink;
        m_sink = nullptr;
        sink->disconnect(this);
        sink->stop();
        sink->deleteLater();
    }
}

// Keeps the stream full: with the buffer playing while there is one, else
// with silence. A stream left to run dry loses the start of the next samples
// written to it at the server, and a stream opened afresh starts late.
void QtAudioOutput::feed()
{
    if (!m_sink || !m_stream)
        return;
    qint64 room = m_sink->bytesFree();
    if (m_written < m_samples.size() && room > 0) {
        const qint64 n =
            m_stream->write(m_samples.constData() + m_written, qMin<qint64>(room, m_samples.size() - m_written));
        if (n > 0) {
            m_written += n;
            room -= n;
        }
        // The last samples are heard once what the stream holds before them
        // and the server's own latency (together under one buffer) have played.
        if (m_written == m_samples.size())
            m_tail->start();
    }
    if (m_written == m_samples.size() && room > 0)
        m_stream->write(QByteArray(room, 0));
}

void QtAudioOutput::stop()
{
    m_tail->stop();
    m_watchdog->stop();
    m_done = nullptr;
    m_samples.clear();
    m_written = 0;
    // What the stream already holds would play on: only closing it stops that.
    close();
}

void QtAudioOutput::finish()
{
    m_tail->stop();
    m_watchdog->stop();
    m_samples.clear();
    m_written = 0;
    // A quiet screen keeps no stream fed with silence for hours: calls that
    // follow each other closely find it open, the first after a pause opens it.
    if (m_sink)
        m_idle->start();
    std::function<void()> done = std::move(m_done);
    m_done = nullptr;
    if (done)
        done();
}

} // namespace platform::ui

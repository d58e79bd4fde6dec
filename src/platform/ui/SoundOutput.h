#pragma once
// What the call sound and the spoken calls share: the lines about sound that
// cannot play, and the audio output that plays a buffer of samples.

#include "platform/Pcm.h"

#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>
#include <functional>
#include <mutex>

class QAudioFormat;
class QAudioSink;
class QIODevice;
class QTimer;

namespace platform::ui {

// One line on standard error (or to `sink`) for each reason a sound cannot
// play, the first time it happens: the same failure at every call is told
// once. Safe from any thread.
class SoundReports {
public:
    explicit SoundReports(std::function<void(const QString&)> sink = {});

    void missingFile(const QString& path);
    void unreadableFile(const QString& path, const QString& reason);
    void noOutput();
    void outputStuck();
    // `reason` is what makes two failures the same one.
    void report(const QString& reason, const QString& line);

private:
    std::function<void(const QString&)> m_sink;
    std::mutex m_mutex;
    QSet<QString> m_told;
};

// Plays buffers one at a time, on the window thread.
class AudioOutput {
public:
    virtual ~AudioOutput() = default;
    // Plays `pcm` next, after the buffer before it. `done` runs once, later, on
    // the window thread: when the buffer has been heard, or when it cannot
    // play (reported), or at the latest its length plus a margin after the
    // start, should the output be stuck.
    virtual void play(const Pcm& pcm, int volume, std::function<void()> done) = 0;
    // Stops what plays; its `done` does not run.
    virtual void stop() = 0;
};

// The default audio output of Qt Multimedia. The stream stays open for a
// minute after a buffer, fed with silence until the next one of its format: a sound server starts a new
// stream late (up to two seconds when the one before has just closed), while
// samples written to an open stream play within its buffer.
class QtAudioOutput : public QObject, public AudioOutput {
    Q_OBJECT
public:
    explicit QtAudioOutput(SoundReports& reports, QObject* parent = nullptr);
    ~QtAudioOutput() override;
    void play(const Pcm& pcm, int volume, std::function<void()> done) override;
    void stop() override;

    static constexpr int BufferMs = 400; // what the stream holds ahead of what is heard
    static constexpr int FeedMs = 20; // how often the stream is topped up
    static constexpr int MarginMs = 2000; // past a buffer's length, the output counts as stuck
    static constexpr int IdleCloseMs = 60000; // a stream unused this long is closed

private:
    bool open(const QAudioFormat& format);
    void close();
    void feed();
    void finish();

    SoundReports& m_reports;
    QAudioSink* m_sink = nullptr;
    QIODevice* m_stream = nullptr; // where the samples are written
    QByteArray m_samples; // the buffer playing
    qsizetype m_written = 0; // how much of it the stream has taken
    QTimer* m_feed = nullptr;
    QTimer* m_tail = nullptr;
    QTimer* m_watchdog = nullptr;
    QTimer* m_idle = nullptr;
    std::function<void()> m_done;
};

} // namespace platform::ui

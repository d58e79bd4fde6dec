#pragma once
// Spoken calls on Linux. A worker thread prepares each announcement in turn:
// it reads the call sound's file, synthesises the phrase (EspeakSynthesizer)
// and joins the two into one buffer. The window thread then plays the
// buffers through the audio output, one after the other, never cutting one.
// One buffer per call, not two: a sound server starts and ends a short sound
// late, which would put seconds of silence between the chime and the phrase.

#include "base/Clock.h"
#include "platform/EspeakSynthesizer.h"
#include "platform/Platform.h"
#include "platform/ui/SoundOutput.h"

#include <QObject>
#include <QQueue>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

namespace platform::ui {

class LinuxSpeech : public QObject, public Speech {
    Q_OBJECT
public:
    // `output` plays the samples (Qt Multimedia's default output when null);
    // `reports` takes the lines about what cannot play; waits for the end
    // of announcements run on `clock`.
    LinuxSpeech(EspeakSynthesizer synthesizer, SoundReports& reports, AudioOutput* output = nullptr,
                QObject* parent = nullptr, Clock& clock = programClock());
    ~LinuxSpeech() override;

    void announce(const QString& sound, const SpokenCall& call) override;
    bool waitForEnd(int ms) override;

    // Ends the worker and what plays, and releases every waiter. At exit.
    void shutdown();

private:
    struct Request {
        QString sound;
        SpokenCall call;
    };
    struct Prepared {
        Pcm sound; // the chime and the phrase, one after the other
        double chime = 0;
        double phrase = 0;
        QString text;
    };
    void work();
    Prepared prepare(const Request& request);
    void playNext();
    void finish();

    EspeakSynthesizer m_synthesizer;
    SoundReports& m_reports;
    Clock& m_clock;
    QtAudioOutput* m_ownOutput = nullptr;
    AudioOutput* m_output = nullptr;

    std::mutex m_mutex;
    std::condition_variable m_wake; // the worker: a request, or the end
    std::condition_variable m_ended; // waiters: an announcement ended
    std::deque<Request> m_requests;
    quint64 m_asked = 0; // announcements queued so far
    quint64 m_done = 0; // announcements heard (or given up)
    bool m_stopping = false;
    std::atomic<bool> m_cancel{false};
    std::thread m_worker;

    // Window thread.
    QQueue<Prepared> m_ready;
    bool m_playing = false;
};

} // namespace platform::ui

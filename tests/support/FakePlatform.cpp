#include "support/FakePlatform.h"

FakePlatform::FakePlatform() : m_saved(platform::services())
{
    auto& s = platform::services();
    s.windows = &windows;
    s.boxes = &boxes;
    s.regional = &regional;
    s.sound = &sound;
    s.speech = &speech;
    s.cursor = &cursor;
    s.clock = &clock;
    s.processes = &processes;
    s.launcher = &launcher;
    s.fatal = &fatal;
    s.machine = &machine;
    s.libraries = &libraries;
    s.threads = &threads;
    s.screen = &screen;
    s.service = &service;
}

FakePlatform::~FakePlatform()
{
    platform::services() = m_saved;
}

void FakeSpeech::announce(const QString& sound, const platform::SpokenCall& call)
{
    spoken.append(call);
    std::lock_guard<std::mutex> lock(m_mutex);
    Heard heard;
    heard.sound = sound;
    heard.start = qMax(now(), m_heard.isEmpty() ? 0 : m_heard.last().end);
    heard.end = heard.start + lastsMs;
    m_heard.append(heard);
}

bool FakeSpeech::waitForEnd(int ms)
{
    qint64 end = 0;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        end = m_heard.isEmpty() ? 0 : m_heard.last().end;
    }
    clock->sleepFor(qMin<qint64>(qMax(0, ms), end - now()));
    return now() >= end;
}

QList<FakeSpeech::Heard> FakeSpeech::heard() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_heard;
}

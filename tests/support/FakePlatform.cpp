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

#pragma once
// Shared by the benchmarks: the walker's surroundings without a screen, a
// sound card or a mouse, and the CPU time of a process.

#include "display/DisplayView.h"
#include "platform/Platform.h"

#include <QString>
#include <cstdio>
#include <functional>

// User plus system CPU time of a process in milliseconds (/proc/<pid>/stat);
// -1 when it cannot be read. pid 0 is this process.
double cpuMs(long pid = 0);

// No sound card and no pointer to move: both only counted.
class SilentSound : public platform::Sound {
public:
    void playAsync(const QString&) override { ++played; }
    int played = 0;
};
class StillCursor : public platform::Cursor {
public:
    void setPos(int, int) override { ++moves; }
    int moves = 0;
};
// A walker failure ends the run with its message instead of a window.
class PrintedBoxes : public platform::MessageBoxes {
public:
    void show(const QString& text, const QString& title, int) override
    {
        std::fprintf(stderr, "%s: %s\n", title.toUtf8().constData(), text.toUtf8().constData());
        failed = true;
    }
    bool failed = false;
};

// Counts the display updates. An update with an empty ticket is the blanking
// at the start of a pass.
class CountingView : public DisplayView {
public:
    void setPreferencialCaption(const QString&) override {}
    void setLocalCaption(const QString&) override {}
    void setScreenTexts(const ScreenTexts& texts) override
    {
        if (!texts.NumeroSenha.isEmpty()) {
            ++calls;
            return;
        }
        ++passes;
        if (onPass)
            onPass(passes);
    }
    int outerWidth() const override { return 1920; }
    bool repetirSom() const override { return false; }

    int passes = 0;
    int calls = 0;
    std::function<void(int)> onPass;
};

// Installs the three doubles as the platform's services.
struct QuietServices {
    QuietServices();
    SilentSound sound;
    StillCursor cursor;
    PrintedBoxes boxes;
};

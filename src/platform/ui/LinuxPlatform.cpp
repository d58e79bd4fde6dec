#include "platform/ui/LinuxPlatform.h"

#include "platform/LinuxMemory.h"
#include "platform/LinuxServices.h"
#include "platform/LinuxWindowRegistry.h"
#include "platform/ui/LinuxSpeech.h"
#include "platform/ui/LinuxUiServices.h"
#include "platform/ui/SoundOutput.h"
#include "platform/ui/UnattendedBoxes.h"

#include <QCoreApplication>
#include <QTimer>

namespace platform::ui {

namespace {

// Start-up (splash, connections, first show, first call) is over by then.
constexpr int PrimeiraDevolucaoMs = 10000;
constexpr int DevolucaoMs = 10 * 60 * 1000;

void devolveMemoriaPeriodicamente()
{
    auto* timer = new QTimer(QCoreApplication::instance());
    timer->setTimerType(Qt::VeryCoarseTimer);
    timer->setInterval(DevolucaoMs);
    QObject::connect(timer, &QTimer::timeout, &trimHeap);
    QTimer::singleShot(PrimeiraDevolucaoMs, timer, [timer] {
        trimHeap();
        timer->start();
    });
}

} // namespace

void prepareLinuxPlatform()
{
    limitHeapArenas();
    keepLargeBlocksMapped();
    if (qEnvironmentVariableIsEmpty("QT_IM_MODULE"))
        qputenv("QT_IM_MODULE", "none");
    // Qt's own event loop instead of GLib's: fewer system calls at every
    // wake-up, and nothing in the program needs GLib's loop.
    if (qEnvironmentVariableIsEmpty("QT_NO_GLIB"))
        qputenv("QT_NO_GLIB", "1");
}

void installLinuxPlatform(int closeBoxesAfterMs, const BoxLog& log)
{
    setUnattendedBoxes(closeBoxesAfterMs, log);
    installLinuxCoreServices();
    Services& s = services();

    static LinuxWindowRegistry windows;
    static LinuxMessageBoxes boxes;
    static LinuxCursor cursor;
    static LinuxFatalExit fatal;
    // Lines about sound that cannot play, shared by the call sound and the
    // spoken calls, so that a reason common to both is told once.
    static SoundReports soundReports;
    // Owns a sound object, which must go before the application object.
    static LinuxSound* sound = new LinuxSound(soundReports);
    s.windows = &windows;
    s.boxes = &boxes;
    s.cursor = &cursor;
    s.fatal = &fatal;
    s.sound = sound;
    // Like the sound, kept to the end; its worker ends when the loop does.
    static LinuxSpeech* speech = new LinuxSpeech(EspeakSynthesizer(), soundReports);
    if (QCoreApplication::instance())
        QObject::connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, speech, &LinuxSpeech::shutdown);
    s.speech = speech;
    if (QCoreApplication::instance())
        devolveMemoriaPeriodicamente();
}

} // namespace platform::ui

#include "platform/ui/LinuxPlatform.h"

#include "platform/LinuxServices.h"
#include "platform/LinuxWindowRegistry.h"
#include "platform/ui/LinuxSpeech.h"
#include "platform/ui/LinuxUiServices.h"
#include "platform/ui/UnattendedBoxes.h"

#include <QCoreApplication>

namespace platform::ui {

void prepareLinuxPlatform()
{
    if (qEnvironmentVariableIsEmpty("QT_IM_MODULE"))
        qputenv("QT_IM_MODULE", "none");
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
    // Owns a sound object, which must go before the application object.
    static LinuxSound* sound = new LinuxSound;
    s.windows = &windows;
    s.boxes = &boxes;
    s.cursor = &cursor;
    s.fatal = &fatal;
    s.sound = sound;
    // Like the sound, kept to the end; its worker ends when the loop does.
    static LinuxSpeech* speech = new LinuxSpeech(EspeakSynthesizer(), sound);
    if (QCoreApplication::instance())
        QObject::connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, speech,
                         &LinuxSpeech::shutdown);
    s.speech = speech;
}

} // namespace platform::ui

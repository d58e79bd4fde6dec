#include "display/ExampleCall.h"

#include "config/MonitorSettings.h"
#include "display/FraseChamada.h"
#include "display/QuadroChamadas.h"
#include "platform/Platform.h"

void playExampleCall(const QString& sigla, bool voice, platform::Speech* speech, platform::Sound& sound)
{
    const TChamadaSenha exemplo{sigla + QStringLiteral("-1"), QStringLiteral("MESA 1"), QString()};
    if (voice && speech) {
        const TConfigMonitor gravada = MonitorSettings::carrega();
        speech->announce(somDaChamada(),
                         {fraseDaChamada(exemplo), ssmlDaChamada(exemplo), gravada.VozVelocidade, gravada.VozVolume});
    } else {
        sound.playAsync(somDaChamada());
    }
}

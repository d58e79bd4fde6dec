#pragma once
// The example call that the configuration dialog's test button plays: the
// screen's call sound, and the spoken call when the voice is chosen, with
// the stored speaking rate and loudness.

#include <QString>

namespace platform {
class Sound;
class Speech;
} // namespace platform

// Plays "<sigla>-1" to "MESA 1", spoken when `voice` is set and a speech
// output exists, otherwise the call sound alone.
void playExampleCall(const QString& sigla, bool voice, platform::Speech* speech, platform::Sound& sound);

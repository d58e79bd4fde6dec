#pragma once
// The call sound's file read into samples, whatever its encoding (libsndfile).

#include "platform/Pcm.h"

#include <QString>

namespace platform {

// The whole file as signed 16-bit samples. Throws Exception, with the
// library's reason, when the file cannot be opened or decoded.
Pcm readSoundFile(const QString& path);

} // namespace platform

#pragma once
// Speech synthesis in the program's own process, with no network and no
// speech daemon: the phrase is synthesised synchronously into a buffer of
// 16-bit mono samples.

#include "platform/Pcm.h"

#include <QString>
#include <atomic>

namespace platform {

class EspeakSynthesizer {
public:
    // `dataPath` is the folder that holds the voice data; empty for the
    // system's.
    explicit EspeakSynthesizer(QString voice = QStringLiteral("pt-br"), QString dataPath = QString());

    // Synthesises SSML at `rate` words per minute. Stops early, with what it
    // has, once `cancel` is set. Throws Exception when the voice data are
    // missing or the synthesis fails. Safe from any thread; calls run one at
    // a time.
    Pcm synthesize(const QString& ssml, int rate, const std::atomic<bool>* cancel = nullptr);

private:
    QString m_voice;
    QString m_dataPath;
};

} // namespace platform

#include "platform/EspeakSynthesizer.h"

#include "base/Errors.h"

#include <espeak-ng/speak_lib.h>

#include <mutex>

namespace platform {

namespace {

// The library keeps one global state: it is set up once and used by one
// synthesis at a time.
std::mutex synthMutex;
int sampleRate = 0; // after a successful set-up
QString initialisedPath; // the data folder of that set-up
QString currentVoice;

struct Collector {
    QByteArray* samples;
    const std::atomic<bool>* cancel;
};

int collect(short* wav, int count, espeak_EVENT* events)
{
    auto* collector = static_cast<Collector*>(events ? events->user_data : nullptr);
    if (!collector)
        return 0;
    if (wav && count > 0)
        collector->samples->append(reinterpret_cast<const char*>(wav), count * int(sizeof(short)));
    return collector->cancel && collector->cancel->load() ? 1 : 0;
}

void setUp(const QString& dataPath)
{
    if (sampleRate > 0 && initialisedPath == dataPath)
        return;
    if (sampleRate > 0)
        espeak_Terminate();
    sampleRate = 0;
    currentVoice.clear();
    const QByteArray path = dataPath.toLocal8Bit();
    const int rate = espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, 0, dataPath.isEmpty() ? nullptr : path.constData(),
                                       espeakINITIALIZE_DONT_EXIT);
    if (rate <= 0)
        throw Exception(QStringLiteral("dados de voz não encontrados")
                        + (dataPath.isEmpty() ? QString() : QStringLiteral(" em ") + dataPath));
    espeak_SetSynthCallback(collect);
    sampleRate = rate;
    initialisedPath = dataPath;
}

} // namespace

EspeakSynthesizer::EspeakSynthesizer(QString voice, QString dataPath)
    : m_voice(std::move(voice)), m_dataPath(std::move(dataPath))
{}

Pcm EspeakSynthesizer::synthesize(const QString& ssml, int rate, const std::atomic<bool>* cancel)
{
    std::lock_guard<std::mutex> lock(synthMutex);
    setUp(m_dataPath);
    if (currentVoice != m_voice) {
        if (espeak_SetVoiceByName(m_voice.toUtf8().constData()) != EE_OK)
            throw Exception(QStringLiteral("voz %1 não encontrada nos dados de voz").arg(m_voice));
        currentVoice = m_voice;
    }
    espeak_SetParameter(espeakRATE, rate, 0);

    Pcm pcm;
    pcm.sampleRate = sampleRate;
    Collector collector{&pcm.samples, cancel};
    const QByteArray text = ssml.toUtf8();
    const espeak_ERROR result = espeak_Synth(text.constData(), size_t(text.size()) + 1, 0, POS_CHARACTER, 0,
                                             espeakCHARS_UTF8 | espeakSSML, nullptr, &collector);
    if (result != EE_OK)
        throw Exception(QStringLiteral("a síntese falhou (código %1)").arg(int(result)));
    return pcm;
}

} // namespace platform

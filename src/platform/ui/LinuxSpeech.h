#pragma once
// Spoken calls on Linux: a worker thread synthesises each phrase into a
// buffer (EspeakSynthesizer) and the window thread plays it through Qt
// Multimedia once the call sound has finished.

#include "platform/EspeakSynthesizer.h"
#include "platform/Platform.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

class QAudioSink;
class QBuffer;
class QTimer;

namespace platform::ui {

class LinuxSound;

class LinuxSpeech : public QObject, public Speech {
    Q_OBJECT
public:
    // `chime` (may be null) is the call sound the speech waits for; `report`
    // takes the one line of a failure (standard error by default).
    explicit LinuxSpeech(EspeakSynthesizer synthesizer, LinuxSound* chime = nullptr,
                         std::function<void(const QString&)> report = {}, QObject* parent = nullptr);
    ~LinuxSpeech() override;

    void speak(const Fala& fala) override;

    // Ends the worker; a synthesis under way stops at once. Called at exit.
    void shutdown();

Q_SIGNALS:
    // A phrase was synthesised and its turn to be heard has come (tests).
    void started(double seconds);

private:
    struct Pedido {
        quint64 geracao = 0;
        Fala fala;
    };
    void trabalha();
    void sintetizado(quint64 geracao, const Pcm& pcm, int volume);
    void tocaQuandoLivre();
    void para();
    void relata(const QString& motivo, const QString& line);

    EspeakSynthesizer m_synthesizer;
    QPointer<LinuxSound> m_chime;
    std::function<void(const QString&)> m_report;
    QString m_ultimoRelato;

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::optional<Pedido> m_pedido;
    bool m_fim = false;
    std::atomic<bool> m_cancela{false};
    std::atomic<quint64> m_geracao{0};
    std::thread m_worker;

    // Window thread: what waits for the chime and what plays.
    QTimer* m_espera = nullptr;
    int m_esperas = 0;
    Pcm m_pronto;
    int m_volume = 100;
    QAudioSink* m_sink = nullptr;
    QBuffer* m_buffer = nullptr;
};

} // namespace platform::ui

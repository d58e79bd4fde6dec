#include "support/TestMain.h"

#include "base/Errors.h"
#include "display/FraseChamada.h"
#include "platform/EspeakSynthesizer.h"
#include "platform/ui/LinuxSpeech.h"

#include <QAudioDevice>
#include <QMediaDevices>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <atomic>
#include <cmath>
#include <thread>

namespace {

QString ssml(const QString& senha, const QString& mesa, const QString& pref = QString())
{
    return ssmlDaChamada({senha, mesa, pref});
}

double rms(const platform::Pcm& pcm)
{
    const auto* samples = reinterpret_cast<const qint16*>(pcm.samples.constData());
    const int count = pcm.samples.size() / 2;
    double sum = 0;
    for (int i = 0; i < count; ++i)
        sum += double(samples[i]) * samples[i];
    return count ? std::sqrt(sum / count) : 0.0;
}

platform::SpokenCall fala(const QString& senha, const QString& mesa)
{
    // Silent, should the machine have a sound card.
    return {fraseDaChamada({senha, mesa, {}}), ssml(senha, mesa), 175, 0};
}

// Plays nothing: records each buffer and ends it after a short while, or
// counts it as cut when a new one replaces it before.
class RecordingOutput : public platform::ui::AudioOutput {
public:
    struct Played {
        double seconds = 0;
        int volume = 0;
    };
    void play(const platform::Pcm& pcm, int volume, std::function<void()> done) override
    {
        if (m_playing)
            ++cut;
        m_playing = true;
        played.append({pcm.seconds(), volume});
        const int id = played.size();
        QTimer::singleShot(30, [this, id, done] {
            if (!m_playing || id != played.size())
                return;
            m_playing = false;
            done();
        });
    }
    void stop() override
    {
        if (m_playing)
            ++cut;
        m_playing = false;
    }
    QList<Played> played;
    int cut = 0;

private:
    bool m_playing = false;
};

} // namespace

class TstSpeech : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // A call phrase gives audible speech of about the length a listener hears,
    // longer for a longer phrase and shorter at a higher rate.
    void synthesisIsAudibleAndPlausiblyLong()
    {
        platform::EspeakSynthesizer synth;
        const platform::Pcm curta = synth.synthesize(ssml("F-7", "MESA 2"), 150);
        const platform::Pcm longa = synth.synthesize(ssml("P-1234", "GUICHÊ DE ATENDIMENTO 12", "PREFERENCIAL"), 150);
        const platform::Pcm rapida = synth.synthesize(ssml("F-7", "MESA 2"), 300);
        QVERIFY(curta.sampleRate >= 8000);
        QVERIFY2(curta.seconds() > 1.0 && curta.seconds() < 5.0, qPrintable(QString::number(curta.seconds())));
        QVERIFY(longa.seconds() > curta.seconds() + 1.0);
        QVERIFY(rapida.seconds() < curta.seconds() * 0.8);
        QVERIFY2(rms(curta) > 500, qPrintable(QString::number(rms(curta))));
    }

    void missingVoiceIsAFailureWithAReason()
    {
        platform::EspeakSynthesizer synth(QStringLiteral("xx-nenhuma"));
        try {
            synth.synthesize(ssml("F-7", "MESA 2"), 150);
            QFAIL("no failure");
        } catch (const Exception& e) {
            QVERIFY(e.message().contains(QLatin1String("xx-nenhuma")));
        }
        // The library is still usable with a voice that exists.
        QVERIFY(platform::EspeakSynthesizer().synthesize(ssml("F-7", "MESA 2"), 150).seconds() > 1.0);
    }

    // Two calls announced back to back are heard whole and in order: the
    // first one's chime, then its phrase, then the second's; nothing is cut,
    // and a waiter is released once the last has been heard.
    void announcementsPlayWholeInOrder()
    {
        QStringList reports;
        platform::ui::SoundReports sink([&](const QString& line) { reports.append(line); });
        RecordingOutput output;
        platform::ui::LinuxSpeech speech(platform::EspeakSynthesizer(), sink, &output);
        const QString chime = writeChime(0.3);
        platform::EspeakSynthesizer speech0;
        speech.announce(chime, fala("F-7", "MESA 2"));
        speech.announce(chime, fala("P-1234", "GUICHÊ DE ATENDIMENTO 12"));
        std::atomic<bool> ended{false};
        std::thread waiter([&] { ended = speech.waitForEnd(30000); });
        QTRY_VERIFY_WITH_TIMEOUT(ended, 30000);
        waiter.join();
        // One buffer per call: its chime, then its phrase.
        QCOMPARE(output.played.size(), 2);
        QCOMPARE(output.cut, 0);
        const double first = speech0.synthesize(ssml("F-7", "MESA 2"), 175).seconds() + 0.3;
        const double second = speech0.synthesize(ssml("P-1234", "GUICHÊ DE ATENDIMENTO 12"), 175).seconds() + 0.3;
        QVERIFY2(qAbs(output.played[0].seconds - first) < 0.01, qPrintable(QString::number(output.played[0].seconds)));
        QVERIFY(qAbs(output.played[1].seconds - second) < 0.01);
        QVERIFY(reports.isEmpty());
    }

    // A call sound that cannot play leaves the phrase alone, with one line
    // per reason however many calls follow.
    void unplayableChimeIsReportedOnce_data()
    {
        QTest::addColumn<QByteArray>("content"); // empty: no file at all
        QTest::addColumn<QString>("line");
        QTest::newRow("missing") << QByteArray() << "som da chamada não encontrado: ";
        QTest::newRow("unreadable") << QByteArray("not a sound") << "som da chamada ilegível: ";
    }
    void unplayableChimeIsReportedOnce()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, line);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("senha.wav"));
        if (!content.isEmpty()) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(content);
        }
        QStringList reports;
        platform::ui::SoundReports sink([&](const QString& l) { reports.append(l); });
        RecordingOutput output;
        platform::ui::LinuxSpeech speech(platform::EspeakSynthesizer(), sink, &output);
        speech.announce(path, fala("F-7", "MESA 2"));
        speech.announce(path, fala("F-8", "MESA 2"));
        QTRY_COMPARE_WITH_TIMEOUT(output.played.size(), 2, 30000);
        QCOMPARE(reports.size(), 1);
        QVERIFY2(reports[0].startsWith(QStringLiteral("Monitor de Senhas: ") + line + path), qPrintable(reports[0]));
    }

    // Without voice data the call goes on with the chime alone: one line for
    // the failure, however many calls follow.
    void failureIsReportedOnceAndNeverStops()
    {
        QStringList reports;
        platform::ui::SoundReports sink([&](const QString& line) { reports.append(line); });
        RecordingOutput output;
        platform::ui::LinuxSpeech speech(platform::EspeakSynthesizer(QStringLiteral("xx-nenhuma")), sink, &output);
        const QString chime = writeChime(0.2);
        for (int i = 0; i < 3; ++i)
            speech.announce(chime, fala(QStringLiteral("F-%1").arg(7 + i), "MESA 2"));
        QTRY_COMPARE_WITH_TIMEOUT(output.played.size(), 3, 10000);
        QTest::qWait(100);
        QCOMPARE(output.played.size(), 3); // the chimes alone
        QVERIFY(qAbs(output.played[0].seconds - 0.2) < 0.01);
        QCOMPARE(reports.size(), 1);
        QVERIFY(reports.first().contains(QLatin1String("Senha F 7. Mesa 2.")));
        QVERIFY(!reports.first().contains(QLatin1Char('\n')));
    }

    // A machine without an audio output says so once, and the announcement
    // still ends, so that nothing waits for it.
    void noAudioOutputIsReportedOnce()
    {
        if (!QMediaDevices::defaultAudioOutput().isNull())
            QSKIP("this machine has an audio output");
        QStringList reports;
        platform::ui::SoundReports sink([&](const QString& line) { reports.append(line); });
        platform::ui::LinuxSpeech speech(platform::EspeakSynthesizer(), sink);
        const QString chime = writeChime(0.2);
        speech.announce(chime, fala("F-7", "MESA 2"));
        speech.announce(chime, fala("F-8", "MESA 2"));
        std::atomic<bool> ended{false};
        std::thread waiter([&] { ended = speech.waitForEnd(30000); });
        QTRY_VERIFY_WITH_TIMEOUT(ended, 30000);
        waiter.join();
        QCOMPARE(reports, QStringList{QStringLiteral("Monitor de Senhas: nenhuma saída de som")});
    }

private:
    // A 16-bit mono WAV file of a tone lasting `seconds`, kept for the test run.
    QString writeChime(double seconds)
    {
        const int rate = 16000; // not the phrase's rate, as with the installed file
        const int count = int(seconds * rate);
        QByteArray data;
        for (int i = 0; i < count; ++i) {
            const qint16 v = qint16(8000 * std::sin(i * 2 * M_PI * 880 / rate));
            data.append(reinterpret_cast<const char*>(&v), 2);
        }
        auto le32 = [](quint32 v) { return QByteArray(reinterpret_cast<const char*>(&v), 4); };
        auto le16 = [](quint16 v) { return QByteArray(reinterpret_cast<const char*>(&v), 2); };
        const QByteArray wav = "RIFF" + le32(36 + data.size()) + "WAVEfmt " + le32(16) + le16(1) + le16(1) + le32(rate)
            + le32(rate * 2) + le16(2) + le16(16) + "data" + le32(data.size()) + data;
        const QString path = m_dir.filePath(QStringLiteral("chime%1.wav").arg(seconds));
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write(wav);
        return path;
    }
    QTemporaryDir m_dir;
};

MONITOR_TEST_MAIN(TstSpeech)
#include "tst_speech.moc"

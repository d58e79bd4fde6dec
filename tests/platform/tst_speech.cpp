#include "support/TestMain.h"

#include "display/FraseChamada.h"
#include "platform/EspeakSynthesizer.h"
#include "platform/ui/LinuxSpeech.h"
#include "support/Errors.h"

#include <QSignalSpy>
#include <cmath>

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

platform::Fala fala(const QString& senha, const QString& mesa)
{
    // Silent, should the machine have a sound card.
    return {fraseDaChamada({senha, mesa, {}}), ssml(senha, mesa), 175, 0};
}

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

    // A phrase that follows another before it is heard replaces it: only the
    // newest call reaches the audio output.
    void newPhraseReplacesOneNotYetHeard()
    {
        QStringList reports;
        platform::ui::LinuxSpeech speech(platform::EspeakSynthesizer(), nullptr,
                                         [&](const QString& line) { reports.append(line); });
        QSignalSpy started(&speech, &platform::ui::LinuxSpeech::started);
        speech.speak(fala("F-7", "MESA 2"));
        speech.speak(fala("P-1234", "GUICHÊ DE ATENDIMENTO 12"));
        QVERIFY(started.wait(10000));
        QTest::qWait(200);
        QCOMPARE(started.size(), 1);
        QVERIFY(started.first().first().toDouble() > 3.0);
        for (const QString& line : reports)
            QVERIFY2(!line.contains(QLatin1String("\"")), qPrintable(line)); // no synthesis failure
    }

    // Without voice data the call goes on with the chime alone: one line for
    // the failure, however many calls follow.
    void failureIsReportedOnceAndNeverStops()
    {
        QStringList reports;
        platform::ui::LinuxSpeech speech(platform::EspeakSynthesizer(QStringLiteral("xx-nenhuma")), nullptr,
                                         [&](const QString& line) { reports.append(line); });
        QSignalSpy started(&speech, &platform::ui::LinuxSpeech::started);
        for (int i = 0; i < 3; ++i) {
            speech.speak(fala(QStringLiteral("F-%1").arg(7 + i), "MESA 2"));
            QTRY_COMPARE_WITH_TIMEOUT(reports.size(), 1, 10000);
        }
        QTest::qWait(100);
        QCOMPARE(reports.size(), 1);
        QVERIFY(reports.first().contains(QLatin1String("Senha F 7. Mesa 2.")));
        QVERIFY(!reports.first().contains(QLatin1Char('\n')));
        QCOMPARE(started.size(), 0);
    }
};

MONITOR_TEST_MAIN(TstSpeech)
#include "tst_speech.moc"

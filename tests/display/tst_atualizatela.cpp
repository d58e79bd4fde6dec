#include <QtTest>

#include "display/ChamaSenha.h"
#include "display/FraseChamada.h"
#include "display/QuadroChamadas.h"
#include "support/FakePlatform.h"

Q_DECLARE_METATYPE(TChamadaSenha)

namespace {

class ScreenView : public DisplayView {
public:
    void setPreferencialCaption(const QString&) override {}
    void setLocalCaption(const QString&) override {}
    void setScreenTexts(const ScreenTexts& texts) override { last = texts; }
    int outerWidth() const override { return 1366; }
    bool repetirSom() const override { return repetir; }
    VoiceSettings voice() const override { return fala; }
    ScreenTexts last;
    bool repetir = false;
    VoiceSettings fala;
};

TChamadaSenha call(const QString& senha, const QString& mesa = QString(), const QString& pref = QString())
{
    return {senha, mesa, pref};
}

// The walker's two kinds of update: the blank screen ("") or a new call.
void mostra(QuadroChamadas& quadro, const TChamadaSenha& chamada)
{
    if (chamada.Senha.isEmpty())
        quadro.limpaAtual();
    else
        quadro.chama(chamada);
}

} // namespace

class TstAtualizaTela : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        m_platform.reset(new FakePlatform);
        m_quadro.reset(new QuadroChamadas);
    }
    void cleanup()
    {
        m_quadro.reset();
        m_platform.reset();
    }

    // Each item is one update: the ticket shown, "" for the blanking update.
    void callSound_data()
    {
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<bool>("repetir");
        QTest::addColumn<int>("plays");
        QTest::newRow("off, one ticket over two passes") << QStringList{"", "F-1", "", "F-1"} << false << 1;
        QTest::newRow("off, A and B alternate") << QStringList{"", "F-1", "F-2", "", "F-1", "F-2"} << false << 4;
        QTest::newRow("on, every display") << QStringList{"", "F-1", "", "F-1"} << true << 2;
        QTest::newRow("on, blanking is silent") << QStringList{"", "", ""} << true << 0;
        QTest::newRow("comparison is case-sensitive") << QStringList{"f-1", "F-1"} << false << 2;
    }
    void callSound()
    {
        QFETCH(QStringList, shown);
        QFETCH(bool, repetir);
        QFETCH(int, plays);
        ScreenView view;
        view.repetir = repetir;
        for (const QString& senha : shown) {
            mostra(*m_quadro, call(senha));
            m_quadro->AtualizaTela(view);
        }
        QCOMPARE(m_platform->sound.played.size(), plays);
        if (plays)
            QCOMPARE(m_platform->sound.played.first(), somDaChamada());
    }

    // The spoken call goes with the chime, by the same rule, and only when on.
    void speechFollowsTheSound_data()
    {
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<bool>("repetir");
        QTest::addColumn<bool>("voz");
        QTest::addColumn<QStringList>("spoken");
        const QStringList twoPasses{"", "F-1", "", "F-1", "P-2"};
        QTest::newRow("voice off") << twoPasses << false << false << QStringList();
        QTest::newRow("new tickets only") << twoPasses << false << true << QStringList{"F-1", "P-2"};
        QTest::newRow("every call") << twoPasses << true << true << QStringList{"F-1", "F-1", "P-2"};
    }
    void speechFollowsTheSound()
    {
        QFETCH(QStringList, shown);
        QFETCH(bool, repetir);
        QFETCH(bool, voz);
        QFETCH(QStringList, spoken);
        ScreenView view;
        view.repetir = repetir;
        view.fala = {voz, 170, 60};
        for (const QString& senha : shown) {
            mostra(*m_quadro, call(senha, QStringLiteral("MESA 2")));
            m_quadro->AtualizaTela(view);
        }
        QStringList texts;
        for (const platform::SpokenCall& fala : m_platform->speech.spoken) {
            texts.append(fala.text);
            QCOMPARE(fala.wordsPerMinute, 170);
            QCOMPARE(fala.volume, 60);
            QVERIFY(fala.ssml.startsWith(QLatin1String("<speak>")));
        }
        QStringList expected;
        for (const QString& senha : spoken)
            expected.append(fraseDaChamada(call(senha, QStringLiteral("MESA 2"))));
        QCOMPARE(texts, expected);
        // A spoken call carries its chime; only a silent one plays it alone.
        for (const FakeSpeech::Heard& heard : m_platform->speech.heard())
            QCOMPARE(heard.sound, somDaChamada());
        if (voz)
            QVERIFY(m_platform->sound.played.isEmpty());
    }

    void phrase_data()
    {
        QTest::addColumn<TChamadaSenha>("chamada");
        QTest::addColumn<QString>("frase");
        const QString pref = QStringLiteral("PREFERENCIAL");
        QTest::newRow("normal") << call("F-7", "MESA 2") << "Senha F 7. Mesa 2.";
        QTest::newRow("priority, accented place")
            << call("P-3", "GUICHÊ 12", pref) << "Senha preferencial P 3. Guichê 12.";
        QTest::newRow("place with a letter") << call("F-7", "SALA A 5") << "Senha F 7. Sala A 5.";
        QTest::newRow("place of several words") << call("F-7", "SALA  DE ESPERA 3") << "Senha F 7. Sala de espera 3.";
        QTest::newRow("no place") << call("F-7", " 5") << "Senha F 7. Mesa 5.";
        QTest::newRow("no desk number") << call("F-7", "MESA ") << "Senha F 7. Mesa.";
        QTest::newRow("long numbers, leading zeros") << call("F-1234567", "MESA 0012") << "Senha F 1234567. Mesa 12.";
        QTest::newRow("no ticket number") << call("F-", "MESA 2") << "Senha F. Mesa 2.";
        QTest::newRow("no desk") << call("F-7", " ") << "Senha F 7.";
        QTest::newRow("empty call") << TChamadaSenha() << "";
    }
    void phrase()
    {
        QFETCH(TChamadaSenha, chamada);
        QTEST(fraseDaChamada(chamada), "frase");
    }

    // Letters are spelt, and the stored place name cannot break the markup.
    void phraseMarkup_data()
    {
        QTest::addColumn<TChamadaSenha>("chamada");
        QTest::addColumn<QString>("ssml");
        const QString letra = QStringLiteral("<say-as interpret-as=\"characters\">%1</say-as>");
        QTest::newRow("letters spelt") << call(
            "A-7", "SALA E 2") << "<speak>Senha " + letra.arg("A") + " 7. Sala " + letra.arg("E") + " 2.</speak>";
        QTest::newRow("markup escaped") << call("F-1", "<SALA>&CIA 2")
                                        << "<speak>Senha " + letra.arg("F") + " 1. &lt;sala&gt;&amp;cia 2.</speak>";
        QTest::newRow("empty call") << TChamadaSenha() << "";
    }
    void phraseMarkup()
    {
        QFETCH(TChamadaSenha, chamada);
        QTEST(ssmlDaChamada(chamada), "ssml");
    }

    void pointerMovesEveryTenthUpdate()
    {
        ScreenView view;
        for (int i = 1; i <= 35; ++i) {
            mostra(*m_quadro, call(i % 3 ? QStringLiteral("F-1") : QString()));
            m_quadro->AtualizaTela(view);
            QCOMPARE(m_platform->cursor.moves.size(), i / 10);
        }
        QCOMPARE(m_platform->cursor.moves.last(), QPoint(1366, 5));
        // A new walker counts from the start again.
        m_quadro->novoInicio();
        for (int i = 1; i <= 9; ++i)
            m_quadro->AtualizaTela(view);
        QCOMPARE(m_platform->cursor.moves.size(), 3);
    }

    void deskNumber_data()
    {
        QTest::addColumn<QString>("mesa");
        QTest::addColumn<QString>("numero");
        QTest::newRow("MESA 2") << "MESA 2"
                                << "2";
        QTest::newRow("MESA 12") << "MESA 12"
                                 << "12";
        QTest::newRow("MESA 123 whole") << "MESA 123"
                                        << "123";
        QTest::newRow("no place") << " 5"
                                  << "5";
        QTest::newRow("place with inner blank") << "SALA A 5"
                                                << "5";
        QTest::newRow("no number") << "MESA "
                                   << "";
        QTest::newRow("no blank") << "7"
                                  << "7";
        QTest::newRow("empty call") << ""
                                    << "";
    }
    void deskNumber()
    {
        QFETCH(QString, mesa);
        QFETCH(QString, numero);
        ScreenView view;
        m_quadro->chama(call(QStringLiteral("F-1"), mesa));
        m_quadro->AtualizaTela(view);
        QCOMPARE(view.last.NumeroMesa, numero);
        QCOMPARE(view.last.NumeroSenha, QStringLiteral("F-1"));
    }

    // Slots 2, 3 and 4 of the history; rows 2 and 3 are compared with row 1.
    void historyRows_data()
    {
        QTest::addColumn<QStringList>("slots");
        QTest::addColumn<QStringList>("rows");
        QTest::newRow("B,A,B: row 3 repeats row 1") << QStringList{"B", "A", "B"} << QStringList{"B", "A", ""};
        QTest::newRow("C,B,A all shown") << QStringList{"C", "B", "A"} << QStringList{"C", "B", "A"};
        QTest::newRow("B,B,A: row 2 repeats row 1") << QStringList{"B", "B", "A"} << QStringList{"B", "", "A"};
        QTest::newRow("A,B,B: rows 2 and 3 equal each other")
            << QStringList{"A", "B", "B"} << QStringList{"A", "B", "B"};
        QTest::newRow("new walker") << QStringList{"", "", ""} << QStringList{"", "", ""};
    }
    void historyRows()
    {
        QFETCH(QStringList, slots);
        QFETCH(QStringList, rows);
        ScreenView view;
        // Slot 4 first: each call pushes the ones before it down.
        for (int i = 2; i >= 0; --i)
            m_quadro->chama(call(slots[i],
                                 slots[i].isEmpty() ? QString() : QStringLiteral("MESA ") + QString::number(i),
                                 i == 1 && !slots[i].isEmpty() ? QStringLiteral("PREFERENCIAL") : QString()));
        m_quadro->chama(call(QStringLiteral("X-1")));
        m_quadro->AtualizaTela(view);
        for (int i = 0; i < 3; ++i) {
            const TChamadaSenha expected = rows[i].isEmpty() ? TChamadaSenha() : m_quadro->historico(i + 2);
            QCOMPARE(view.last.Linhas[i].Senha, expected.Senha);
            QCOMPARE(view.last.Linhas[i].Mesa, expected.Mesa);
            QCOMPARE(view.last.Linhas[i].Preferencial, expected.Preferencial);
        }
    }

private:
    std::unique_ptr<FakePlatform> m_platform;
    std::unique_ptr<QuadroChamadas> m_quadro;
};

QTEST_GUILESS_MAIN(TstAtualizaTela)
#include "tst_atualizatela.moc"

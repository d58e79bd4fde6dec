#include <QtTest>

#include "base/FormataComZeros.h"
#include "config/MonitorSettings.h"
#include "support/ProgramPaths.h"

#include <QTemporaryDir>

class TstMonitorSettings : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        QVERIFY(m_dir.isValid());
        QFile::remove(m_dir.filePath(QStringLiteral("CARTORIO.ini")));
        ProgramPaths::setExecutablePathForTesting(m_dir.filePath(QStringLiteral("MonitorSenha")));
    }
    void cleanupTestCase() { ProgramPaths::setExecutablePathForTesting(QString()); }

    void fileBesideExecutable()
    {
        QCOMPARE(MonitorSettings::filePath(), m_dir.filePath(QStringLiteral("CARTORIO.ini")));
    }

    void defaultsWithoutFile()
    {
        QCOMPARE(MonitorSettings::RetornaTiposSenha(), QStringLiteral(""));
        QCOMPARE(MonitorSettings::RetornaRepetirSom(), QStringLiteral("N"));
        const TConfigMonitor config = MonitorSettings::carrega();
        QVERIFY(config.TiposSenha.isEmpty());
        QVERIFY(!config.RepetirSom);
    }

    void repetirSomOnlyForExactS_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("repetir");
        QTest::newRow("S") << "S" << true;
        QTest::newRow("s") << "s" << false;
        QTest::newRow("SIM") << "SIM" << false;
        QTest::newRow("N") << "N" << false;
        QTest::newRow("trailing blank") << "S " << false;
    }
    void repetirSomOnlyForExactS()
    {
        QFETCH(QString, stored);
        QFETCH(bool, repetir);
        MonitorSettings::GravaTiposSenha(QStringLiteral("F,P"));
        MonitorSettings::GravaRepetirSom(stored);
        const TConfigMonitor config = MonitorSettings::carrega();
        QCOMPARE(config.RepetirSom, repetir);
        QCOMPARE(config.TiposSenha, QStringLiteral("F,P"));
    }

    // The spoken call and the immediate calls are opt-in: only an exact "S"
    // turns them on; rate and loudness fall back to defaults or are bounded.
    void voiceAndImmediateCalls_data()
    {
        QTest::addColumn<QString>("lines");
        QTest::addColumn<bool>("voz");
        QTest::addColumn<bool>("imediata");
        QTest::addColumn<int>("velocidade");
        QTest::addColumn<int>("volume");
        QTest::newRow("absent") << "TIPO_SENHA=F" << false << false << 150 << 100;
        QTest::newRow("N") << "VOZ=N\nCHAMADA_IMEDIATA=N" << false << false << 150 << 100;
        QTest::newRow("S") << "VOZ=S\nCHAMADA_IMEDIATA=S" << true << true << 150 << 100;
        QTest::newRow("lower case") << "voz=s\nchamada_imediata=s" << false << false << 150 << 100;
        QTest::newRow("SIM, 1") << "VOZ=SIM\nCHAMADA_IMEDIATA=1" << false << false << 150 << 100;
        QTest::newRow("numbers") << "VOZ=S\nVOZ_VELOCIDADE=200\nVOZ_VOLUME= 40 " << true << false << 200 << 40;
        QTest::newRow("out of range") << "VOZ_VELOCIDADE=20\nVOZ_VOLUME=250" << false << false << 80 << 100;
        QTest::newRow("not numbers") << "VOZ_VELOCIDADE=rapido\nVOZ_VOLUME=-" << false << false << 150 << 100;
    }
    void voiceAndImmediateCalls()
    {
        QFETCH(QString, lines);
        QFile file(MonitorSettings::filePath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[MONITOR]\n" + lines.toLatin1() + "\n");
        file.close();
        const TConfigMonitor config = MonitorSettings::carrega();
        QTEST(config.Voz, "voz");
        QTEST(config.ChamadaImediata, "imediata");
        QTEST(config.VozVelocidade, "velocidade");
        QTEST(config.VozVolume, "volume");
    }

    void formataComZeros_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("decimals");
        QTest::addColumn<QString>("expected");
        QTest::newRow("padded") << 7.0 << 2 << 0 << "07";
        QTest::newRow("exact width") << 12.0 << 2 << 0 << "12";
        QTest::newRow("longer kept whole") << 123.0 << 2 << 0 << "123";
        QTest::newRow("decimals rounded") << 3.14159 << 6 << 2 << "003.14";
        QTest::newRow("rounded to integer") << 6.6 << 3 << 0 << "007";
        QTest::newRow("zero width") << 5.0 << 0 << 1 << "5.0";
    }
    void formataComZeros()
    {
        QFETCH(double, value);
        QFETCH(int, width);
        QFETCH(int, decimals);
        QFETCH(QString, expected);
        QCOMPARE(FormataComZeros(value, width, decimals), expected);
    }

private:
    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(TstMonitorSettings)
#include "tst_monitorsettings.moc"

#include "support/Paths.h"
#include <QtTest>

#include "base/Errors.h"
#include "helperlib/GLibDll.h"
#include "platform/LinuxServices.h"
#include "support/ProgramPaths.h"

#include <QTemporaryDir>

// Counts loads and releases around the real loader, to see that every call
// gives the library back.
class CountingLoader : public platform::LibraryLoader {
public:
    void* load(const QString& path) override
    {
        void* h = real.load(path);
        if (h)
            ++open;
        return h;
    }
    void* symbol(void* handle, const char* name) override { return real.symbol(handle, name); }
    void release(void* handle) override
    {
        --open;
        real.release(handle);
    }
    platform::LinuxLibraryLoader real;
    int open = 0;
};

class TstGLibDll : public QObject {
    Q_OBJECT

    CountingLoader m_loader;
    QString stagedProgram() const { return testpaths::stageDir() + QStringLiteral("/MonitorSenha"); }

    // A program folder holding `library` under the helper library's name.
    void useFolderWith(QTemporaryDir& dir, const QString& library)
    {
        QVERIFY(dir.isValid());
        if (!library.isEmpty())
            QVERIFY(QFile::copy(library, dir.filePath(QStringLiteral("VarloLib.dll"))));
        ProgramPaths::setExecutablePathForTesting(dir.filePath(QStringLiteral("MonitorSenha")));
    }

    static QString errorOf(const std::function<void()>& call)
    {
        try {
            call();
        } catch (const Exception& e) {
            return e.message();
        }
        return QString();
    }

private Q_SLOTS:
    void init()
    {
        platform::services().libraries = &m_loader;
        ProgramPaths::setExecutablePathForTesting(stagedProgram());
    }

    void cleanup()
    {
        QCOMPARE(m_loader.open, 0);
        platform::services().libraries = nullptr;
        ProgramPaths::setExecutablePathForTesting(QString());
    }

    void missingLibraryFailsEveryCall()
    {
        QTemporaryDir dir;
        useFolderWith(dir, QString());
        const QString expected = QStringLiteral("VarloLib.Dll não disponível.");
        QCOMPARE(errorOf([] { GLibDll::GetBuildInfo("BUILD", "SELF"); }), expected);
        QCOMPARE(errorOf([] { GLibDll::ExisteAtualizacao("2", "1"); }), expected);
        QCOMPARE(errorOf([] { GLibDll::CriptoGrafa("x", 1); }), expected);
        for (quint16 mode : {0, 1, 2, 3})
            QCOMPARE(errorOf([mode] { GLibDll::DescriptoGrafa("AB", 1, mode); }), expected);
    }

    void missingEntryPointNamesIt()
    {
        const QString other = QStringLiteral("/usr/lib/x86_64-linux-gnu/libz.so.1");
        if (!QFile::exists(other))
            QSKIP("no stand-in shared library without the entry points");
        QTemporaryDir dir;
        useFolderWith(dir, other);
        const QString prefix = QStringLiteral("Ponto de Entrada não encontrado na Dll do VARLO - ");
        QCOMPARE(errorOf([] { GLibDll::GetBuildInfo("BUILD", "SELF"); }), prefix + "GetBuildInfo");
        QCOMPARE(errorOf([] { GLibDll::ExisteAtualizacao("2", "1"); }), prefix + "ExisteAtualizacao");
        QCOMPARE(errorOf([] { GLibDll::CriptoGrafa("x", 1); }), prefix + "CriptoGrafa");
        QCOMPARE(errorOf([] { GLibDll::DescriptoGrafa("AB", 1, 0); }), prefix + "DescriptoGrafa");
        QCOMPARE(errorOf([] { GLibDll::DescriptoGrafa("AB", 1, 1); }), prefix + "DescriptoGrafa");
        // Nothing was kept by the failed batch opening.
        QCOMPARE(m_loader.open, 0);
    }

    void buildIdentifierOfTheExecutable()
    {
        QCOMPARE(GLibDll::GetBuildInfo("BUILD", "SELF"), QStringLiteral("1.0.0.1"));
        QCOMPARE(GLibDll::GetBuildInfo("BUILD", stagedProgram()), QStringLiteral("1.0.0.1"));
    }

    void buildIdentifierAbsent_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("target");
        QTest::newRow("library without stamp") << "BUILD" << testpaths::stageDir() + "/VarloLib.dll";
        QTest::newRow("not ELF") << "BUILD" << testpaths::sourceDir() + "/CMakeLists.txt";
        QTest::newRow("missing file") << "BUILD" << testpaths::stageDir() + "/nothing-here";
        QTest::newRow("directory") << "BUILD" << testpaths::stageDir();
        QTest::newRow("other item") << "VERSION"
                                    << "SELF";
        QTest::newRow("self in lower case is a file name") << "BUILD"
                                                           << "self";
    }
    void buildIdentifierAbsent()
    {
        QFETCH(QString, item);
        QFETCH(QString, target);
        QCOMPARE(GLibDll::GetBuildInfo(item, target), QString());
    }

    void truncatedElfGivesNoIdentifier()
    {
        QFile program(stagedProgram());
        QVERIFY(program.open(QIODevice::ReadOnly));
        QTemporaryDir dir;
        QFile cut(dir.filePath("cut"));
        QVERIFY(cut.open(QIODevice::WriteOnly));
        cut.write(program.read(program.size() / 2));
        cut.close();
        QCOMPARE(GLibDll::GetBuildInfo("BUILD", cut.fileName()), QString());
    }

    void releaseComparison_data()
    {
        QTest::addColumn<QString>("released");
        QTest::addColumn<QString>("build");
        QTest::addColumn<bool>("update");
        QTest::newRow("same") << "1.0.0.1"
                              << "1.0.0.1" << false;
        QTest::newRow("later last part") << "1.0.0.2"
                                         << "1.0.0.1" << true;
        QTest::newRow("earlier") << "1.0.0.0"
                                 << "1.0.0.1" << false;
        QTest::newRow("numbers, not text") << "1.0.0.10"
                                           << "1.0.0.9" << true;
        QTest::newRow("first part wins") << "2.0"
                                         << "1.9.9.9" << true;
        QTest::newRow("missing parts are zero") << "1.0"
                                                << "1.0.0.0" << false;
        QTest::newRow("missing parts, later") << "1.0.0.1"
                                              << "1" << true;
        QTest::newRow("leading zeros") << "1.00.010"
                                       << "1.0.9" << true;
        QTest::newRow("huge parts") << "1.99999999999999999999"
                                    << "1.99999999999999999998" << true;
        QTest::newRow("blanks around") << " 1.0.0.2 "
                                       << "1.0.0.1" << true;
        QTest::newRow("empty released") << ""
                                        << "1.0.0.1" << false;
        QTest::newRow("empty build") << "1.0.0.2"
                                     << "" << false;
        QTest::newRow("letters") << "abc"
                                 << "1.0" << false;
        QTest::newRow("double dot") << "1..2"
                                    << "1.0" << false;
        QTest::newRow("suffix") << "1.2a"
                                << "1.0" << false;
        QTest::newRow("trailing dot") << "2."
                                      << "1.0" << false;
        QTest::newRow("inner blank") << "1. 2"
                                     << "1.0" << false;
        QTest::newRow("sign") << "+2"
                              << "1" << false;
        QTest::newRow("odd build") << "2.0"
                                   << "1.0 beta" << false;
    }
    void releaseComparison()
    {
        QFETCH(QString, released);
        QFETCH(QString, build);
        QFETCH(bool, update);
        QCOMPARE(GLibDll::ExisteAtualizacao(released, build), update);
    }

    void cipherRoundTrip_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<quint16>("key");
        QTest::newRow("empty") << QString() << quint16(0);
        QTest::newRow("password") << "senha123" << quint16(1234);
        QTest::newRow("accents") << "Cartório São João ção" << quint16(65535);
        QTest::newRow("repeated bytes") << QString(300, QLatin1Char('a')) << quint16(7);
        QTest::newRow("symbols and blanks") << "  a b\tc;'\"\\ " << quint16(42);
        QTest::newRow("beyond the basic plane") << QString::fromUtf8("\xF0\x9F\x8E\xAB ticket") << quint16(9);
    }
    void cipherRoundTrip()
    {
        QFETCH(QString, text);
        QFETCH(quint16, key);
        const QString cipher = GLibDll::CriptoGrafa(text, key);
        if (!text.isEmpty())
            QVERIFY(cipher != text);
        QCOMPARE(GLibDll::DescriptoGrafa(cipher, key, 0), text);
    }

    void keyMatters()
    {
        const QString text = QStringLiteral("senha123");
        QVERIFY(GLibDll::CriptoGrafa(text, 1) != GLibDll::CriptoGrafa(text, 2));
        QVERIFY(GLibDll::DescriptoGrafa(GLibDll::CriptoGrafa(text, 1), 2, 0) != text);
    }

    void invalidCipherTextGivesEmpty_data()
    {
        QTest::addColumn<QString>("cipher");
        QTest::newRow("odd length") << "ABC";
        QTest::newRow("not hex") << "ZZ";
        QTest::newRow("plain text") << "senha1";
    }
    void invalidCipherTextGivesEmpty()
    {
        QFETCH(QString, cipher);
        QCOMPARE(GLibDll::DescriptoGrafa(cipher, 5, 0), QString());
    }

    // A batch keeps the library from mode 1 to mode 3: with the file gone
    // meanwhile, the kept library still deciphers until mode 3 releases it.
    void decipherBatchKeepsTheLibrary()
    {
        QTemporaryDir dir;
        useFolderWith(dir, testpaths::stageDir() + "/VarloLib.dll");
        const QStringList texts = {"um", "dois", "três", "quatro"};
        QStringList ciphers;
        for (const QString& t : texts)
            ciphers << GLibDll::CriptoGrafa(t, 300);

        QCOMPARE(GLibDll::DescriptoGrafa(ciphers[0], 300, 1), texts[0]);
        QCOMPARE(m_loader.open, 1);
        QVERIFY(QFile::remove(dir.filePath("VarloLib.dll")));
        QCOMPARE(GLibDll::DescriptoGrafa(ciphers[1], 300, 2), texts[1]);
        QCOMPARE(GLibDll::DescriptoGrafa(ciphers[2], 300, 2), texts[2]);
        QCOMPARE(m_loader.open, 1);
        QCOMPARE(GLibDll::DescriptoGrafa(ciphers[3], 300, 3), texts[3]);
        QCOMPARE(m_loader.open, 0);
        QCOMPARE(errorOf([&] { GLibDll::DescriptoGrafa(ciphers[0], 300, 2); }),
                 QStringLiteral("VarloLib.Dll não disponível."));
    }

    void decipherUsedModesWithoutOpening()
    {
        const QString cipher = GLibDll::CriptoGrafa("abc", 11);
        QCOMPARE(GLibDll::DescriptoGrafa(cipher, 11, 3), QStringLiteral("abc"));
        QCOMPARE(m_loader.open, 0);
        QCOMPARE(GLibDll::DescriptoGrafa(cipher, 11, 2), QStringLiteral("abc"));
        QCOMPARE(GLibDll::DescriptoGrafa(cipher, 11, 0), QStringLiteral("abc"));
        QCOMPARE(m_loader.open, 1);
        QCOMPARE(GLibDll::DescriptoGrafa(cipher, 11, 3), QStringLiteral("abc"));
    }

    void longResultsAreWhole()
    {
        const QString text(5000, QChar(0x00E7));
        const QString cipher = GLibDll::CriptoGrafa(text, 77);
        QCOMPARE(cipher.size(), 5000 * 2 * 2);
        QCOMPARE(GLibDll::DescriptoGrafa(cipher, 77, 0), text);
    }
};

QTEST_GUILESS_MAIN(TstGLibDll)
#include "tst_glibdll.moc"

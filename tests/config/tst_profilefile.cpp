#include <QtTest>

#include "base/Errors.h"
#include "config/ProfileFile.h"
#include "platform/Platform.h"

#include <QDir>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <sys/stat.h>
#include <unistd.h>

namespace {
QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
void writeAll(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}
int modeOf(const QString& path)
{
    struct stat st = {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 07777) : -1;
}
} // namespace

class TstProfileFile : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        QVERIFY(m_dir.isValid());
        m_path = m_dir.filePath(QStringLiteral("CARTORIO.ini"));
    }
    void cleanup()
    {
        QFile::setPermissions(m_path, QFile::ReadOwner | QFile::WriteOwner);
        QFile::remove(m_path);
    }

    void reads_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("expected");
        const QByteArray crlf = "[OUTRA]\r\nTIPO_SENHA=X\r\n[MONITOR]\r\nTIPO_SENHA=F,P\r\nREPETIR_SOM=S\r\n";
        QTest::newRow("crlf") << crlf << "MONITOR"
                              << "TIPO_SENHA"
                              << "F,P";
        QTest::newRow("lf") << QByteArray(crlf).replace("\r\n", "\n") << "MONITOR"
                            << "REPETIR_SOM"
                            << "S";
        QTest::newRow("no end on last line") << QByteArray("[MONITOR]\nREPETIR_SOM=S") << "MONITOR"
                                             << "REPETIR_SOM"
                                             << "S";
        QTest::newRow("hand-edited case") << QByteArray("[Monitor]\ntipo_senha=F\n") << "MONITOR"
                                          << "TIPO_SENHA"
                                          << "F";
        QTest::newRow("section asked in other case") << crlf << "monitor"
                                                     << "Tipo_Senha"
                                                     << "F,P";
        QTest::newRow("other section's key") << QByteArray("[OUTRA]\nTIPO_SENHA=X\n") << "MONITOR"
                                             << "TIPO_SENHA"
                                             << "dflt";
        QTest::newRow("missing key") << crlf << "MONITOR"
                                     << "NADA"
                                     << "dflt";
        QTest::newRow("missing section") << crlf << "NADA"
                                         << "TIPO_SENHA"
                                         << "dflt";
        QTest::newRow("blanks around name and =") << QByteArray("[ MONITOR ]\n  TIPO_SENHA  =  F, P \n") << "MONITOR"
                                                  << "TIPO_SENHA"
                                                  << "F, P ";
        QTest::newRow("quotes kept") << QByteArray("[MONITOR]\nK=\"a\"\n") << "MONITOR"
                                     << "K"
                                     << "\"a\"";
        QTest::newRow("value with =") << QByteArray("[MONITOR]\nK=a=b\n") << "MONITOR"
                                      << "K"
                                      << "a=b";
        QTest::newRow("empty value is not the default") << QByteArray("[MONITOR]\nK=\n") << "MONITOR"
                                                        << "K"
                                                        << "";
        QTest::newRow("commented key") << QByteArray("[MONITOR]\n;K=1\n") << "MONITOR"
                                       << "K"
                                       << "dflt";
        QTest::newRow("first key wins") << QByteArray("[MONITOR]\nK=1\nk=2\n") << "MONITOR"
                                        << "K"
                                        << "1";
        QTest::newRow("first section wins") << QByteArray("[MONITOR]\nA=1\n[X]\n[monitor]\nK=2\n") << "MONITOR"
                                            << "K"
                                            << "dflt";
        QTest::newRow("windows-1252") << QByteArray("[CART\xd3RIO]\nK=\xe9\x80\n") << QStringLiteral("CARTÓRIO") << "K"
                                      << QStringLiteral("é€");
    }
    void reads()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, expected);
        writeAll(m_path, content);
        QCOMPARE(ProfileFile(m_path).readString(section, key, QStringLiteral("dflt")), expected);
    }

    void missingFileGivesDefault()
    {
        QCOMPARE(ProfileFile(m_dir.filePath(QStringLiteral("nada.ini")))
                     .readString(QStringLiteral("S"), QStringLiteral("K"), QStringLiteral("N")),
                 QStringLiteral("N"));
    }

    void writes_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QByteArray>("after");
        QTest::newRow("new file, crlf") << QByteArray() << "TIPO_SENHA"
                                        << "F,P" << QByteArray("[MONITOR]\r\nTIPO_SENHA=F,P\r\n");
        QTest::newRow("replace keeps rest, crlf")
            << QByteArray("; nota\r\n[OUTRA]\r\nTIPO_SENHA=X\r\n\r\n[MONITOR]\r\nTIPO_SENHA=F\r\nREPETIR_SOM=N\r\n")
            << "TIPO_SENHA"
            << "N,P"
            << QByteArray("; nota\r\n[OUTRA]\r\nTIPO_SENHA=X\r\n\r\n[MONITOR]\r\nTIPO_SENHA=N,P\r\nREPETIR_SOM=N\r\n");
        QTest::newRow("replace hand-edited, lf") << QByteArray("[monitor]\ntipo_senha = F\n[X]\nA=1\n") << "TIPO_SENHA"
                                                 << "P" << QByteArray("[monitor]\nTIPO_SENHA=P\n[X]\nA=1\n");
        QTest::newRow("key added to section, lf")
            << QByteArray("[MONITOR]\nTIPO_SENHA=F\n\n[X]\nA=1\n") << "REPETIR_SOM"
            << "S" << QByteArray("[MONITOR]\nTIPO_SENHA=F\nREPETIR_SOM=S\n\n[X]\nA=1\n");
        QTest::newRow("section added, last line without end")
            << QByteArray("[X]\nA=1") << "REPETIR_SOM"
            << "S" << QByteArray("[X]\nA=1\n[MONITOR]\nREPETIR_SOM=S\n");
        QTest::newRow("value written verbatim") << QByteArray("[MONITOR]\r\n") << "TIPO_SENHA"
                                                << "F, P ;x" << QByteArray("[MONITOR]\r\nTIPO_SENHA=F, P ;x\r\n");
        QTest::newRow("windows-1252 value")
            << QByteArray() << "K" << QStringLiteral("é") << QByteArray("[MONITOR]\r\nK=\xe9\r\n");
    }
    void writes()
    {
        QFETCH(QByteArray, before);
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(QByteArray, after);
        if (!before.isEmpty())
            writeAll(m_path, before);
        ProfileFile file(m_path);
        file.writeString(QStringLiteral("MONITOR"), key, value);
        QCOMPARE(readAll(m_path), after);
        QCOMPARE(file.readString(QStringLiteral("MONITOR"), key, QString()), value);
    }

    void savingTwiceKeepsOneLineEach()
    {
        ProfileFile file(m_path);
        for (int i = 0; i < 2; ++i) {
            file.writeString(QStringLiteral("MONITOR"), QStringLiteral("TIPO_SENHA"), QStringLiteral("F,P"));
            file.writeString(QStringLiteral("MONITOR"), QStringLiteral("REPETIR_SOM"), QStringLiteral("S"));
        }
        QCOMPARE(readAll(m_path), QByteArray("[MONITOR]\r\nTIPO_SENHA=F,P\r\nREPETIR_SOM=S\r\n"));
    }

    void readOnlyFileFailsAndStaysUnchanged()
    {
        const QByteArray content("[MONITOR]\r\nTIPO_SENHA=F\r\n");
        writeAll(m_path, content);
        QVERIFY(QFile::setPermissions(m_path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        try {
            ProfileFile(m_path).writeString(QStringLiteral("MONITOR"), QStringLiteral("TIPO_SENHA"),
                                            QStringLiteral("P"));
            QFAIL("no failure raised");
        } catch (const EIniFileException& e) {
            QCOMPARE(e.message(), QStringLiteral("Unable to write to ") + m_path);
        }
        QCOMPARE(readAll(m_path), content);
    }

    void unwritablePlaceFails_data()
    {
        QTest::addColumn<QString>("path");
        QTest::newRow("missing directory") << QStringLiteral("nada/CARTORIO.ini");
        QTest::newRow("a directory") << QStringLiteral(".");
    }
    void unwritablePlaceFails()
    {
        QFETCH(QString, path);
        const QString full = m_dir.filePath(path);
        QVERIFY_THROWS_EXCEPTION(
            EIniFileException,
            ProfileFile(full).writeString(QStringLiteral("MONITOR"), QStringLiteral("K"), QStringLiteral("V")));
    }

    void readOnlyDirectoryFails()
    {
        if (geteuid() == 0)
            QSKIP("the superuser writes in read-only directories");
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("CARTORIO.ini"));
        QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner));
        QVERIFY_THROWS_EXCEPTION(
            EIniFileException,
            ProfileFile(path).writeString(QStringLiteral("MONITOR"), QStringLiteral("K"), QStringLiteral("V")));
        QVERIFY(!QFile::exists(path));
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    // A full disk: the write fails with the usual error and the file keeps
    // every byte (a small file system of its own, mounted for the test).
    void fullDiskFailsAndKeepsTheFile()
    {
        if (geteuid() != 0)
            QSKIP("mounting a small file system needs the superuser");
        QTemporaryDir mountPoint;
        const QString dir = mountPoint.path();
        if (QProcess::execute(QStringLiteral("mount"), {"-t", "tmpfs", "-o", "size=16k", "tmpfs", dir}) != 0)
            QSKIP("no small file system could be mounted");
        const auto unmount = qScopeGuard([dir] { QProcess::execute(QStringLiteral("umount"), {dir}); });
        const QString path = dir + QStringLiteral("/CARTORIO.ini");
        QByteArray content("[MONITOR]\r\nTIPO_SENHA=F,P\r\nREPETIR_SOM=N\r\n[OUTRA]\r\n");
        while (content.size() < 3250)
            content += "CHAVE=" + QByteArray(40, 'v') + "\r\n";
        writeAll(path, content);
        QFile filler(dir + QStringLiteral("/enche"));
        QVERIFY(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        while (filler.write(QByteArray(1024, 'x')) > 0) {}
        filler.close();

        QVERIFY_THROWS_EXCEPTION(EIniFileException,
                                 ProfileFile(path).writeString(QStringLiteral("MONITOR"), QStringLiteral("REPETIR_SOM"),
                                                               QStringLiteral("S")));
        QCOMPARE(readAll(path), content);
        QCOMPARE(QDir(dir).entryList(QDir::Files | QDir::Hidden), (QStringList{"CARTORIO.ini", "enche"}));
    }

    // The installed CARTORIO.ini and news file are links into the office's
    // data folder: a save changes the file there and keeps the link, also
    // after the file was removed through the link (the updater hand-off).
    void savesThroughALink_data()
    {
        QTest::addColumn<QString>("linkText"); // relative to the program folder
        QTest::addColumn<bool>("removedFirst");
        QTest::newRow("absolute link") << QString() << false;
        QTest::newRow("relative link") << QStringLiteral("../dados/CARTORIO.ini") << false;
        QTest::newRow("chain of links") << QStringLiteral("CARTORIO.ini.atual") << false;
        QTest::newRow("file removed through the link") << QString() << true;
    }
    void savesThroughALink()
    {
        QFETCH(QString, linkText);
        QFETCH(bool, removedFirst);
        QTemporaryDir root;
        QVERIFY(QDir(root.path()).mkpath(QStringLiteral("programa"))
                && QDir(root.path()).mkpath(QStringLiteral("dados")));
        const QString program = root.filePath(QStringLiteral("programa"));
        const QString target = root.filePath(QStringLiteral("dados/CARTORIO.ini"));
        const QString link = program + QStringLiteral("/CARTORIO.ini");
        writeAll(target, "[MONITOR]\r\nTIPO_SENHA=F\r\n");
        QCOMPARE(::chmod(QFile::encodeName(target).constData(), 0660), 0);
        if (linkText == QLatin1String("CARTORIO.ini.atual")) {
            QVERIFY(QFile::link(target, program + QStringLiteral("/CARTORIO.ini.atual")));
            QCOMPARE(::symlink("CARTORIO.ini.atual", QFile::encodeName(link).constData()), 0);
        } else {
            const QString pointsTo = linkText.isEmpty() ? target : linkText;
            QCOMPARE(::symlink(QFile::encodeName(pointsTo).constData(), QFile::encodeName(link).constData()), 0);
        }
        if (removedFirst) {
            QVERIFY(platform::removeFile(link));
            QVERIFY(QFileInfo(link).isSymLink());
            QVERIFY(!QFile::exists(target));
        }

        ProfileFile(link).writeString(QStringLiteral("MONITOR"), QStringLiteral("TIPO_SENHA"), QStringLiteral("P"));

        QVERIFY(QFileInfo(link).isSymLink());
        QCOMPARE(readAll(target), QByteArray("[MONITOR]\r\nTIPO_SENHA=P\r\n"));
        if (!removedFirst)
            QCOMPARE(modeOf(target), 0660);
        QCOMPARE(QDir(root.filePath(QStringLiteral("dados"))).entryList(QDir::Files | QDir::Hidden | QDir::System),
                 QStringList{QStringLiteral("CARTORIO.ini")});
    }

    // Whatever sits at a name the save could take for its temporary file (a
    // link to a file elsewhere, a dangling link, a file) is skipped and left
    // as it was: the save goes to a name nobody holds.
    void plantedTemporaryNamesAreNeverWrittenThrough()
    {
        writeAll(m_path, "[MONITOR]\r\nTIPO_SENHA=F\r\n");
        QTemporaryDir elsewhere;
        const QString victim = elsewhere.filePath(QStringLiteral("alheio"));
        writeAll(victim, "alheio");
        const QString planted = m_dir.filePath(QStringLiteral("plantado"));
        writeAll(planted, "plantado");
        QVERIFY(QFile::link(victim, m_dir.filePath(QStringLiteral("link"))));
        QVERIFY(QFile::link(elsewhere.filePath(QStringLiteral("novo")), m_dir.filePath(QStringLiteral("pendente"))));
        const QStringList names{QStringLiteral("link"), QStringLiteral("pendente"), QStringLiteral("plantado"),
                                QStringLiteral("livre")};
        int next = 0;
        const auto temporaryName = [&](const QString&) { return names.value(next++, QStringLiteral("livre")); };

        QVERIFY(platform::replaceFileContents(m_path, "novo", temporaryName));
        QCOMPARE(readAll(m_path), QByteArray("novo"));
        QCOMPARE(readAll(victim), QByteArray("alheio"));
        QCOMPARE(readAll(planted), QByteArray("plantado"));
        QVERIFY(!QFileInfo::exists(elsewhere.filePath(QStringLiteral("novo"))));
        QVERIFY(QFileInfo(m_dir.filePath(QStringLiteral("link"))).isSymLink());
        QVERIFY(!QFileInfo::exists(m_dir.filePath(QStringLiteral("livre"))));
        for (const QString& name : {QStringLiteral("link"), QStringLiteral("pendente"), QStringLiteral("plantado")})
            QFile::remove(m_dir.filePath(name));
    }

    // A link that another user planted in a shared folder steers neither a
    // save nor a removal made by root.
    void linkOfAnotherUserIsNotFollowed()
    {
        if (geteuid() != 0)
            QSKIP("giving a link to another user needs the superuser");
        QTemporaryDir elsewhere;
        const QString victim = elsewhere.filePath(QStringLiteral("alheio"));
        writeAll(victim, "alheio");
        QVERIFY(QFile::link(victim, m_path));
        QCOMPARE(::lchown(QFile::encodeName(m_path).constData(), 65534, 65534), 0);
        QVERIFY_THROWS_EXCEPTION(
            EIniFileException,
            ProfileFile(m_path).writeString(QStringLiteral("MONITOR"), QStringLiteral("K"), QStringLiteral("V")));
        QVERIFY(!platform::removeFile(m_path));
        QCOMPARE(readAll(victim), QByteArray("alheio"));
    }

    // A new file in the office's shared folder (setgid, group-writable) stays
    // writable by the group whatever the writer's umask; an existing file
    // keeps its permission bits.
    void savedFileModes_data()
    {
        QTest::addColumn<int>("oldMode"); // -1: no file yet
        QTest::addColumn<bool>("sharedFolder");
        QTest::addColumn<int>("expected");
        QTest::newRow("existing 0660") << 0660 << false << 0660;
        QTest::newRow("existing 0600 in a shared folder") << 0600 << true << 0600;
        QTest::newRow("new file in a shared folder") << -1 << true << 0660;
        QTest::newRow("new file elsewhere") << -1 << false << 0600;
    }
    void savedFileModes()
    {
        QFETCH(int, oldMode);
        QFETCH(bool, sharedFolder);
        QFETCH(int, expected);
        QTemporaryDir dir;
        const QByteArray folder = QFile::encodeName(dir.path());
        QCOMPARE(::chmod(folder.constData(), sharedFolder ? 02770 : 0700), 0);
        const QString path = dir.filePath(QStringLiteral("CARTORIO.ini"));
        if (oldMode >= 0) {
            writeAll(path, "[MONITOR]\r\n");
            QCOMPARE(::chmod(QFile::encodeName(path).constData(), mode_t(oldMode)), 0);
        }
        const mode_t oldMask = ::umask(077);
        ProfileFile(path).writeString(QStringLiteral("MONITOR"), QStringLiteral("REPETIR_SOM"), QStringLiteral("S"));
        ::umask(oldMask);
        QCOMPARE(modeOf(path), expected);
    }

private:
    QTemporaryDir m_dir;
    QString m_path;
};

QTEST_GUILESS_MAIN(TstProfileFile)
#include "tst_profilefile.moc"

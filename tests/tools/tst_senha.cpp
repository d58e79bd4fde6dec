// The senha command-line tool against a real server: issuing numbers per type
// and day, calling to a desk or terminal, the listing in the display's order,
// the connection-definition file, and the failures it must report.

#include "support/DbFixture.h"
#include "support/Paths.h"
#include <QtTest>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct Run {
    int exitCode = -1;
    QStringList lines; // standard output, one entry a line
    QString err;
};

QString toolPath()
{
    return testpaths::stageDir() + QStringLiteral("/senha");
}

Run runTool(const QStringList& args, const QString& program = toolPath())
{
    QProcess p;
    p.start(program, args);
    Run r;
    if (!p.waitForFinished(60000)) {
        p.kill();
        p.waitForFinished();
        r.err = QStringLiteral("did not finish");
        return r;
    }
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.lines = QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

Run senha(const QString& db, QStringList args)
{
    args << QStringLiteral("--database") << db;
    return runTool(args);
}

QDate today()
{
    return QDate::currentDate();
}

// Office database with the demonstration queue: F-1 called to desk 1, P-1
// (priority) called to desk 2 and F-2 waiting; desk number 3 is terminal 7.
QString demoOffice(DbFixture& fx)
{
    const QString db = fx.createOffice(true);
    DbFixture::exec(db,
                    QStringLiteral("INSERT INTO ATEND_TERMINAL (CODATEND_TERM, NUMERO_MESA, LOCAL_ATEND)"
                                   " VALUES (7, 3, 'GUICHE')"));
    return db;
}

void addTicket(const QString& db, const QDate& day, const QString& sigla, int numero, const QVariant& pref,
               const QString& status, const QVariant& term)
{
    DbFixture::exec(db,
                    QStringLiteral("INSERT INTO ATEND_SENHA (CODATEND_SENHA, DATA_SENHA, SIGLA_SENHA,"
                                   " NUMERO_SENHA, PREFERENCIAL, STATUS, CODATEND_TERM)"
                                   " VALUES (NEXT VALUE FOR GEN_ATEND_SENHA, :D, :S, :N, :P, :ST, :T)"),
                    {{"D", day}, {"S", sigla}, {"N", numero}, {"P", pref}, {"ST", status}, {"T", term}});
}

// STATUS, CODATEND_TERM (-1 for null) and PREFERENCIAL of today's ticket.
struct TicketState {
    QString status;
    int term = -1;
    int pref = -1;
    int count = 0;
};

TicketState ticketState(const QString& db, const QString& sigla, int numero)
{
    auto conn = DbFixture::connect(db);
    FbQuery q(*conn);
    q.open(QStringLiteral("SELECT STATUS, CODATEND_TERM, PREFERENCIAL FROM ATEND_SENHA"
                          " WHERE DATA_SENHA = :D AND SIGLA_SENHA = :S AND NUMERO_SENHA = :N"),
           {{"D", today()}, {"S", sigla}, {"N", numero}});
    TicketState s;
    s.count = q.recordCount();
    if (!q.isEmpty()) {
        s.status = q.fieldByName("STATUS").asString();
        s.term = q.fieldByName("CODATEND_TERM").isNull() ? -1 : q.fieldByName("CODATEND_TERM").asInteger();
        s.pref = q.fieldByName("PREFERENCIAL").asInteger();
    }
    return s;
}

} // namespace

class TstSenha : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void emitir_data();
    void emitir();
    void chamar_data();
    void chamar();
    void recallMovesTicket();
    void failures_data();
    void failures();
    void listarInDisplayOrder_data();
    void listarInDisplayOrder();
    void definitionFile_data();
    void definitionFile();
    void demoCallsInTurn();
    void verificar_data();
    void verificar();
    void verificarRefusesWhatAMemberLinks_data();
    void verificarRefusesWhatAMemberLinks();
};

void TstSenha::initTestCase()
{
    QVERIFY2(QFile::exists(toolPath()), qPrintable(toolPath() + " is not built"));
}

void TstSenha::emitir_data()
{
    QTest::addColumn<QStringList>("issued"); // letter, "+" for priority
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("one of each type") << QStringList{"F", "P+"} << QStringList{"F-1", "P-1"};
    QTest::newRow("numbers per type") << QStringList{"F", "F", "P+", "F", "P"}
                                      << QStringList{"F-1", "F-2", "P-1", "F-3", "P-2"};
    QTest::newRow("lower-case letter") << QStringList{"f", "n"} << QStringList{"F-1", "N-1"};
}

void TstSenha::emitir()
{
    QFETCH(QStringList, issued);
    QFETCH(QStringList, expected);
    if (!DbFixture::requireServer())
        return;
    DbFixture fx;
    const QString db = fx.createOffice(true);
    // The demonstration queue has today's F-1, F-2 and P-1: start a clean day,
    // with yesterday's numbers left in place to show that they do not count.
    DbFixture::exec(db, QStringLiteral("DELETE FROM ATEND_SENHA"));
    addTicket(db, today().addDays(-1), "F", 7, 1, "A", 1);
    addTicket(db, today().addDays(-1), "P", 3, 0, "E", QVariant());

    for (int i = 0; i < issued.size(); ++i) {
        const bool priority = issued[i].endsWith('+');
        QStringList args{"emitir", issued[i].left(1)};
        if (priority)
            args << "--preferencial";
        const Run r = senha(db, args);
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.lines, QStringList{expected[i]});

        const TicketState s = ticketState(db, expected[i].left(1), expected[i].mid(2).toInt());
        QCOMPARE(s.count, 1);
        QCOMPARE(s.status, QStringLiteral("E"));
        QCOMPARE(s.term, -1);
        QCOMPARE(s.pref, priority ? 0 : 1); // 0 marks a priority ticket
    }
}

void TstSenha::chamar_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("term");
    QTest::addColumn<QString>("printed");
    // Desk number 3 is terminal 7: the desk is found by its number, not its code.
    QTest::newRow("joined form") << QStringList{"F-2", "3"} << 7 << "F-2 chamada para GUICHE 3";
    QTest::newRow("two words") << QStringList{"F", "2", "1"} << 1 << "F-2 chamada para MESA 1";
    QTest::newRow("lower case") << QStringList{"f-2", "2"} << 2 << "F-2 chamada para MESA 2";
    QTest::newRow("terminal code") << QStringList{"F-2", "--terminal", "7"} << 7 << "F-2 chamada ao terminal 7";
}

void TstSenha::chamar()
{
    QFETCH(QStringList, args);
    QFETCH(int, term);
    QFETCH(QString, printed);
    if (!DbFixture::requireServer())
        return;
    DbFixture fx;
    const QString db = demoOffice(fx);
    // Yesterday's F-2 must stay as it is.
    addTicket(db, today().addDays(-1), "F", 2, 1, "E", QVariant());

    const Run r = senha(db, QStringList{"chamar"} + args);
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(r.lines, QStringList{printed});
    const TicketState s = ticketState(db, "F", 2);
    QCOMPARE(s.status, QStringLiteral("A"));
    QCOMPARE(s.term, term);

    auto conn = DbFixture::connect(db);
    FbQuery q(*conn);
    q.open("SELECT STATUS, CODATEND_TERM, HORA_CHAMADA FROM ATEND_SENHA"
           " WHERE DATA_SENHA = :D AND SIGLA_SENHA = 'F' AND NUMERO_SENHA = 2",
           {{"D", today().addDays(-1)}});
    QCOMPARE(q.fieldByName("STATUS").asString(), QStringLiteral("E"));
    QVERIFY(q.fieldByName("CODATEND_TERM").isNull());
}

void TstSenha::recallMovesTicket()
{
    if (!DbFixture::requireServer())
        return;
    DbFixture fx;
    const QString db = demoOffice(fx);
    QCOMPARE(senha(db, {"chamar", "F-1", "3"}).exitCode, 0);
    const TicketState s = ticketState(db, "F", 1);
    QCOMPARE(s.count, 1);
    QCOMPARE(s.term, 7);
    QCOMPARE(senha(db, {"listar"}).lines, (QStringList{"P-1\tMESA 2\tPREFERENCIAL", "F-1\tGUICHE 3\t"}));
}

void TstSenha::failures_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message");
    QTest::newRow("unknown desk") << QStringList{"chamar", "F-2", "9"} << 1 << "Mesa 9";
    QTest::newRow("unknown terminal") << QStringList{"chamar", "F-2", "--terminal", "42"} << 1 << "Terminal 42";
    QTest::newRow("ticket not issued today") << QStringList{"chamar", "F-99", "1"} << 1 << "F-99";
    QTest::newRow("type not registered") << QStringList{"emitir", "X"} << 1 << "X";
    QTest::newRow("type of two letters") << QStringList{"emitir", "FF"} << 2 << "FF";
    QTest::newRow("malformed ticket") << QStringList{"chamar", "F2", "1"} << 2 << "F2";
    QTest::newRow("desk not a number") << QStringList{"chamar", "F-2", "um"} << 2 << "um";
    QTest::newRow("desk missing") << QStringList{"chamar", "F-2"} << 2 << "uso";
    QTest::newRow("unknown command") << QStringList{"apagar"} << 2 << "apagar";
    QTest::newRow("unknown option") << QStringList{"listar", "--tudo"} << 2 << "--tudo";
    QTest::newRow("no command") << QStringList{} << 2 << "uso";
}

void TstSenha::failures()
{
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    QFETCH(QString, message);
    if (!DbFixture::requireServer())
        return;
    DbFixture fx;
    const QString db = demoOffice(fx);
    const Run r = senha(db, args);
    QCOMPARE(r.exitCode, exitCode);
    QVERIFY2(r.err.contains(message), qPrintable(r.err));
    QVERIFY(r.lines.isEmpty());
    // Nothing was issued or called.
    const TicketState waiting = ticketState(db, "F", 2);
    QCOMPARE(waiting.status, QStringLiteral("E"));
    QCOMPARE(waiting.term, -1);
    QCOMPARE(ticketState(db, "X", 1).count, 0);
}

void TstSenha::listarInDisplayOrder_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QStringList>("expected");
    // A null PREFERENCIAL sorts first and reads as priority; a desk code
    // without a desk row gives an empty desk text.
    QTest::newRow("every type") << QStringList{"listar"}
                                << QStringList{"N-5\t \tPREFERENCIAL", "P-1\tMESA 2\tPREFERENCIAL", "F-1\tMESA 1\t"};
    QTest::newRow("types of this screen")
        << QStringList{"listar", "--tipos", "F,P"} << QStringList{"P-1\tMESA 2\tPREFERENCIAL", "F-1\tMESA 1\t"};
    QTest::newRow("no called ticket of the type") << QStringList{"listar", "--tipos", "G"} << QStringList{};
}

void TstSenha::listarInDisplayOrder()
{
    QFETCH(QStringList, args);
    QFETCH(QStringList, expected);
    if (!DbFixture::requireServer())
        return;
    DbFixture fx;
    const QString db = demoOffice(fx);
    addTicket(db, today(), "N", 5, QVariant(), "A", 42);
    addTicket(db, today(), "N", 6, 0, "A", QVariant()); // no desk: not listed
    addTicket(db, today().addDays(-1), "F", 9, 0, "A", 1); // another day: not listed
    addTicket(db, today(), "F", 3, 0, "F", 1); // another state: not listed
    const Run r = senha(db, args);
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(r.lines, expected);
}

void TstSenha::definitionFile_data()
{
    QTest::addColumn<QByteArray>("ini"); // %DB% stands for the office database
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message");
    QTest::newRow("section name in other case, first Database wins")
        << QByteArray("[outro]\nDatabase=nada:/x.fdb\n[cart\xd3rio]\nDatabase=%DB%\nDatabase=nada:/y.fdb\n") << 0 << "";
    QTest::newRow("first section wins") << QByteArray(
        "[CART\xd3RIO]\nDatabase=%DB%\n[CART\xd3RIO]\nUser_Name=NINGUEM\n")
                                        << 0 << "";
    QTest::newRow("CRLF, blanks after the equals sign")
        << QByteArray("; comment\r\n[CART\xd3RIO]\r\nDatabase=   %DB%\r\n") << 0 << "";
    QTest::newRow("user of the section wins")
        << QByteArray("[CART\xd3RIO]\nDatabase=%DB%\nUser_Name=NINGUEM\n") << 1 << "conectar";
    QTest::newRow("section without accent is another section")
        << QByteArray("[CARTORIO]\nDatabase=%DB%\n") << 1 << "[CARTÓRIO]";
    QTest::newRow("UTF-8 after a byte-order mark")
        << QByteArray("\xEF\xBB\xBF[CART\xC3\x93RIO]\r\nDatabase=%DB%\r\n") << 0 << "";
    QTest::newRow("no file") << QByteArray() << 1 << "dbxconnections.ini";
}

void TstSenha::definitionFile()
{
    QFETCH(QByteArray, ini);
    QFETCH(int, exitCode);
    QFETCH(QString, message);
    if (!DbFixture::requireServer())
        return;
    DbFixture fx;
    const QString db = demoOffice(fx);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    // The tool reads the file beside itself: run a copy in a folder of its own.
    const QString program = dir.filePath("senha");
    QVERIFY(QFile::copy(toolPath(), program));
    if (!ini.isEmpty()) {
        QFile file(dir.filePath("dbxconnections.ini"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(ini).replace("%DB%", db.toLocal8Bit()));
    }
    const Run r = runTool({"listar"}, program);
    QCOMPARE(r.exitCode, exitCode);
    QVERIFY2(r.err.contains(message), qPrintable(r.err));
    if (exitCode == 0)
        QCOMPARE(r.lines.size(), 2);
}

void TstSenha::demoCallsInTurn()
{
    if (!DbFixture::requireServer())
        return;
    DbFixture fx;
    const QString db = demoOffice(fx);
    const Run r = senha(db, {"demo", "--count", "3", "--intervalo", "0"});
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(r.lines.size(), 3);
    QVERIFY2(r.lines[0].endsWith("F-3 chamada para MESA 1"), qPrintable(r.lines[0]));
    QVERIFY2(r.lines[1].endsWith("P-2 chamada para MESA 2"), qPrintable(r.lines[1]));
    QVERIFY2(r.lines[2].endsWith("F-4 chamada para MESA 1"), qPrintable(r.lines[2]));
    const TicketState p2 = ticketState(db, "P", 2);
    QCOMPARE(p2.status, QStringLiteral("A"));
    QCOMPARE(p2.term, 2);
    QCOMPARE(p2.pref, 0);
    QCOMPARE(ticketState(db, "F", 4).term, 1);
}

void TstSenha::verificar_data()
{
    QTest::addColumn<bool>("adminOwned"); // the office database belongs to the server's administrator
    QTest::addColumn<QStringList>("setup"); // statements run on the office database first
    QTest::addColumn<QString>("tipos");
    QTest::addColumn<QString>("problem"); // what the report says is wrong; empty when all is well
    QTest::addColumn<QString>("fix"); // the statement printed for the administrator
    const QString index = QStringLiteral("IDX_ATEND_SENHA_DATA_STATUS");
    const QString scanned = QStringLiteral("lê a tabela ATEND_SENHA inteira");
    const QString create = "CREATE INDEX " + index + " ON ATEND_SENHA (DATA_SENHA, STATUS);";
    QTest::newRow("index of the schema") << false << QStringList{} << QString() << QString() << QString();
    QTest::newRow("index of the schema, narrowed to types")
        << false << QStringList{} << "F,P" << QString() << QString();
    QTest::newRow("no index") << false << QStringList{"DROP INDEX " + index} << QString() << scanned << create;
    QTest::newRow("no index, narrowed to types")
        << false << QStringList{"DROP INDEX " + index} << "F" << scanned << create;
    QTest::newRow("index left inactive") << false << QStringList{"ALTER INDEX " + index + " INACTIVE"} << QString()
                                         << scanned << "ALTER INDEX " + index + " ACTIVE;";
    QTest::newRow("index on the date alone")
        << false << QStringList{"DROP INDEX " + index, "CREATE INDEX IDX_SO_DATA ON ATEND_SENHA (DATA_SENHA)"}
        << QString() << QString() << QString();
    // An index on the state alone does not narrow the query to one day.
    QTest::newRow("index that does not serve the query")
        << false << QStringList{"DROP INDEX " + index, "CREATE INDEX IDX_SO_PREF ON ATEND_SENHA (PREFERENCIAL)"}
        << QString() << scanned << create;
    // The program's user then sees no attachment but its own.
    QTest::newRow("database owned by the administrator")
        << true << QStringList{} << QString() << "vê só a própria conexão ao banco do cartório"
        << "GRANT RDB$ADMIN TO VARLO;";
}

void TstSenha::verificar()
{
    QFETCH(bool, adminOwned);
    QFETCH(QStringList, setup);
    QFETCH(QString, tipos);
    QFETCH(QString, problem);
    QFETCH(QString, fix);
    if (!DbFixture::requireServer())
        return;
    DbFixture fx;
    const QString db = adminOwned ? fx.createOfficeOwnedByAdministrator() : demoOffice(fx);
    for (const QString& sql : setup)
        DbFixture::exec(db, sql);
    QStringList args{"verificar"};
    if (!tipos.isEmpty())
        args << "--tipos" << tipos;

    const Run r = senha(db, args);
    const QString text = r.lines.join('\n') + r.err;
    QCOMPARE(r.exitCode, problem.isEmpty() ? 0 : 1);
    QVERIFY2(r.lines.value(0).startsWith("Plano: PLAN "), qPrintable(text));
    QVERIFY2(text.contains("OK: o usuário VARLO vê as conexões") == !adminOwned, qPrintable(text));
    if (problem.isEmpty()) {
        QVERIFY2(text.contains("OK: a consulta do monitor lê ATEND_SENHA pelo índice"), qPrintable(text));
        QVERIFY2(!text.contains("CREATE INDEX"), qPrintable(text));
        return;
    }
    QVERIFY2(text.contains(problem), qPrintable(text));
    QVERIFY2(r.lines.contains("  " + fix), qPrintable(text));
    // The printed statement, run by the database's owner, is the whole fix.
    if (adminOwned)
        DbFixture::execAsAdministrator(db, fix.chopped(1));
    else
        DbFixture::exec(db, fix.chopped(1));
    const Run after = senha(db, args);
    const QString afterText = after.lines.join('\n') + after.err;
    QCOMPARE(after.exitCode, 0);
    QVERIFY2(afterText.contains("IDX_ATEND_SENHA_DATA_STATUS"), qPrintable(afterText));
    QVERIFY2(afterText.contains("OK: o usuário VARLO vê as conexões"), qPrintable(afterText));
}

// Root runs the check on the display's own ticket types, read from
// CARTORIO.ini in a folder the group may write: a link there to a FIFO
// (nobody writes to it), to an endless device or, of a member, to a file
// only root may read, is refused at once with one line, and the check goes
// on as without the file.
void TstSenha::verificarRefusesWhatAMemberLinks_data()
{
    QTest::addColumn<QString>("target"); // "fifo", "/dev/zero" or "secret"
    QTest::addColumn<bool>("members"); // the link is a member's, not root's
    QTest::newRow("root's link to a FIFO") << "fifo" << false;
    QTest::newRow("root's link to /dev/zero") << "/dev/zero" << false;
    QTest::newRow("a member's link to a FIFO") << "fifo" << true;
    QTest::newRow("a member's link to /dev/zero") << "/dev/zero" << true;
    QTest::newRow("a member's link to a root-only file") << "secret" << true;
}

void TstSenha::verificarRefusesWhatAMemberLinks()
{
    QFETCH(QString, target);
    QFETCH(bool, members);
    if (members && ::geteuid() != 0)
        QSKIP("a link of another user needs root");
    if (!DbFixture::requireServer())
        return;
    DbFixture fx;
    const QString db = demoOffice(fx);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString program = dir.filePath("senha");
    QVERIFY(QFile::copy(toolPath(), program));
    QString pointsTo = target;
    if (target == QLatin1String("fifo")) {
        pointsTo = dir.filePath("fifo");
        QCOMPARE(::mkfifo(QFile::encodeName(pointsTo).constData(), 0666), 0);
    } else if (target == QLatin1String("secret")) {
        pointsTo = dir.filePath("secret.ini");
        QFile secret(pointsTo);
        QVERIFY(secret.open(QIODevice::WriteOnly));
        secret.write("[MONITOR]\nTIPO_SENHA=Z\n");
        secret.close();
        QVERIFY(secret.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    }
    const QByteArray link = QFile::encodeName(dir.filePath("CARTORIO.ini"));
    QCOMPARE(::symlink(QFile::encodeName(pointsTo).constData(), link.constData()), 0);
    if (members)
        QCOMPARE(::lchown(link.constData(), 65534, 65534), 0);

    QElapsedTimer clock;
    clock.start();
    const Run r = runTool({"verificar", "--database", db}, program);
    QVERIFY2(clock.elapsed() < 30000, qPrintable(r.err));
    QCOMPARE(r.exitCode, 0);
    QVERIFY2(r.lines.value(0).startsWith("Plano: PLAN "), qPrintable(r.lines.join('\n')));
    const QStringList refusals = r.err.split('\n', Qt::SkipEmptyParts).filter("CARTORIO.ini: not read");
    QCOMPARE(refusals.size(), 1);
}

QTEST_GUILESS_MAIN(TstSenha)
#include "tst_senha.moc"

// The database access layer against a real server: parameters, errors,
// Windows-1252 text, named parameters, in-memory results, the connection
// lock, affected-row counts and the attachment count.

#include "data/FbClient.h"
#include "data/FbPreparedQuery.h"
#include "data/FbQueryIo.h"
#include "display/FbTicketSource.h"
#include "support/DbFixture.h"
#include "support/ManipulaExcecoes.h"
#include "support/ManualClock.h"
#include <QtTest>

#include <ibase.h>

#include "support/Paths.h"

#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <atomic>
#include <thread>

class TstFbClient : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void paramLookup_data();
    void paramLookup();
    void translateParams_data();
    void translateParams();
    void cp1252Codec();

    void firstEntryWins_data();
    void firstEntryWins();
    void connectionErrors_data();
    void connectionErrors();
    void statementErrorKeepsConnection();
    void roleThatDoesNotExist();

    void windows1252RoundTrip_data();
    void windows1252RoundTrip();
    void charOneUnderEveryCharset_data();
    void charOneUnderEveryCharset();
    void quoteInTextParameter();
    void repeatedAndMissingParameters();
    void typedParameters();
    void nullReadings();
    void newerServerTypes_data();
    void newerServerTypes();

    void rowsSurviveClosedConnection();
    void preparedQueryRuns_data();
    void preparedQueryRuns();
    void ticketStatementPreparedAfreshEachMinute();
    void emptyResult();
    void conditionalUpdateCount();
    void explicitTransaction();
    void selectableProcedureCommits();
    void guardBlocksOtherThread();
    void twoThreadsShareConnection();
    void attachmentCount();
    void attachmentCountFailure();
    void killedAttachmentIsLostConnection();
    void embeddedLocalPath();
};

void TstFbClient::paramLookup_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<bool>("found");
    QTest::newRow("exact") << "Database"
                           << "srv:/db" << true;
    QTest::newRow("other case") << "user_name"
                                << "FIRST" << true;
    QTest::newRow("first of two") << "USER_NAME"
                                  << "FIRST" << true;
    QTest::newRow("empty value") << "ServerCharSet"
                                 << "" << true;
    QTest::newRow("absent") << "RoleName"
                            << "" << false;
}

void TstFbClient::paramLookup()
{
    QFETCH(QString, name);
    QFETCH(QString, expected);
    QFETCH(bool, found);
    const ConnectionParams list{
        {"Database", "srv:/db"}, {"User_Name", "FIRST"}, {"ServerCharSet", ""}, {"User_Name", "SECOND"}};
    bool wasFound = !found;
    QCOMPARE(paramValue(list, name, &wasFound), expected);
    QCOMPARE(wasFound, found);
}

void TstFbClient::translateParams_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QStringList>("names");
    QTest::newRow("plain") << "WHERE A = :DATA AND B = :x_1"
                           << "WHERE A = ? AND B = ?" << QStringList{"DATA", "X_1"};
    QTest::newRow("in literal") << "WHERE A = ':NO' AND B = :YES"
                                << "WHERE A = ':NO' AND B = ?" << QStringList{"YES"};
    QTest::newRow("doubled quote") << "SELECT 'it''s :NO', :A FROM T"
                                   << "SELECT 'it''s :NO', ? FROM T" << QStringList{"A"};
    QTest::newRow("quoted name") << "SELECT \":NO\" FROM T WHERE X=:A"
                                 << "SELECT \":NO\" FROM T WHERE X=?" << QStringList{"A"};
    QTest::newRow("comments") << "SELECT 1 -- :NO\nFROM T /* :NO */ WHERE X=:A"
                              << "SELECT 1 -- :NO\nFROM T /* :NO */ WHERE X=?" << QStringList{"A"};
    QTest::newRow("twice") << "(:G, :G)"
                           << "(?, ?)" << QStringList{"G", "G"};
    QTest::newRow("lone colon") << "SELECT 1 : 2"
                                << "SELECT 1 : 2" << QStringList{};
}

void TstFbClient::translateParams()
{
    QFETCH(QString, sql);
    QFETCH(QString, expected);
    QFETCH(QStringList, names);
    QStringList found;
    QCOMPARE(fbTranslateParams(sql, &found), expected);
    QCOMPARE(found, names);
}

void TstFbClient::cp1252Codec()
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(char(b));
    QCOMPARE(encodeWindows1252(decodeWindows1252(all)), all);
    QCOMPARE(decodeWindows1252("\xD3\x80\xBA"), QString::fromUtf8("Ó€º"));
    QCOMPARE(encodeWindows1252(QString::fromUtf8("ção")), QByteArray("\xE7\xE3o"));
    QCOMPARE(encodeWindows1252(QString::fromUtf8("日")), QByteArray("?"));
}

void TstFbClient::firstEntryWins_data()
{
    QTest::addColumn<bool>("sectionPasswordWrong");
    QTest::newRow("section gives the wrong password first") << true;
    QTest::newRow("appended password used") << false;
}

void TstFbClient::firstEntryWins()
{
    if (!DbFixture::requireServer())
        return;
    QFETCH(bool, sectionPasswordWrong);
    DbFixture fx;
    const QString db = fx.createOffice();
    ConnectionParams list{{"Database", db}, {"ServerCharSet", ""}};
    if (sectionPasswordWrong)
        list.append(qMakePair(QString("PASSWORD"), QString("wrong")));
    list.append(qMakePair(QString("User_Name"), QString("VARLO")));
    list.append(qMakePair(QString("Password"), QString("tarvumel")));
    FbConnection connection(list);
    if (sectionPasswordWrong) {
        try {
            connection.open();
            QFAIL("the section's wrong password was not used");
        } catch (const EDatabaseError& e) {
            QVERIFY(e.codes().contains(isc_login));
        }
        QVERIFY(!connection.isOpen());
    } else {
        connection.open();
        FbQuery q(connection);
        q.open("SELECT CURRENT_USER AS U FROM RDB$DATABASE");
        QCOMPARE(q.fieldByName("U").asString().trimmed(), QString("VARLO"));
    }
}

void TstFbClient::connectionErrors_data()
{
    QTest::addColumn<QString>("what");
    QTest::addColumn<QString>("messageStart");
    QTest::addColumn<long>("code");
    QTest::addColumn<bool>("lost");
    QTest::newRow("wrong password") << "password"
                                    << "Your user name and password are not defined" << long(isc_login) << false;
    QTest::newRow("missing database") << "missing"
                                      << "I/O error" << long(isc_io_error) << false;
    QTest::newRow("closed port") << "port"
                                 << "Unable to complete network request to host" << long(isc_network_error) << true;
}

void TstFbClient::connectionErrors()
{
    if (!DbFixture::requireServer())
        return;
    QFETCH(QString, what);
    QFETCH(QString, messageStart);
    QFETCH(long, code);
    QFETCH(bool, lost);
    DbFixture fx;
    QString db = fx.createOffice();
    ConnectionParams list = DbFixture::params(db);
    if (what == "password")
        list.prepend({"Password", "nope"});
    else if (what == "missing")
        list.prepend({"Database", fx.location("NADA.FDB")});
    else
        list.prepend({"Database", "127.0.0.1/1:" + fx.dir() + "/CARTORIO.FDB"});

    FbConnection connection(list);
    try {
        connection.open();
        QFAIL("connected");
    } catch (const EDatabaseError& e) {
        QVERIFY2(e.message().startsWith(messageStart), qPrintable(e.message()));
        QVERIFY(e.codes().contains(code));
        QCOMPARE(isCommunicationFailure(e.message(), e.codes()), lost);
        const QStringList lines = e.message().split("\r\n");
        for (int i = 1; i < lines.size(); ++i)
            QVERIFY(lines[i] != lines[i - 1]);
        QVERIFY(!e.message().contains(QRegularExpression("[^\r]\n")));
    }
}

void TstFbClient::statementErrorKeepsConnection()
{
    if (!DbFixture::requireServer())
        return;
    DbFixture fx;
    auto c = DbFixture::connect(fx.createOffice());
    FbQuery q(*c);
    try {
        q.open("SELECT NADA FROM CIDADE");
        QFAIL("no error");
    } catch (const EDatabaseError& e) {
        QVERIFY(e.message().contains("NADA"));
        QVERIFY(!isCommunicationFailure(e.message(), e.codes()));
    }
    QVERIFY(!q.isActive());
    QVERIFY(!c->inTransaction());
    q.open("SELECT COUNT(*) AS N FROM CIDADE");
    QCOMPARE(q.fieldByName("N").asInteger(), 0);
    QVERIFY_THROWS_EXCEPTION(EDatabaseError, q.fieldByName("NADA"));
}

void TstFbClient::roleThatDoesNotExist()
{
    if (!DbFixture::requireServer())
        return;
    DbFixture fx;
    ConnectionParams list = DbFixture::params(fx.createOffice());
    list.prepend({"RoleName", "RoleName"});
    FbConnection connection(list);
    connection.open();
    QVERIFY(connection.isOpen());
}

void TstFbClient::windows1252RoundTrip_data()
{
    QTest::addColumn<QString>("charset");
    QTest::newRow("no charset") << "";
    QTest::newRow("WIN1252") << "WIN1252";
    QTest::newRow("UTF8") << "UTF8";
}

void TstFbClient::windows1252RoundTrip()
{
    if (!DbFixture::requireServer())
        return;
    QFETCH(QString, charset);
    DbFixture fx;
    const QString db = fx.createOffice(true);
    const QString name = QString::fromUtf8("Cartório São Tomé — 2º Ofício ç €");
    auto c = DbFixture::connect(db, charset);
    QCOMPARE(c->exec("UPDATE CARTORIO SET NOME = :NOME", {{"NOME", name}}), 1);

    FbQuery q(*c);
    q.open("SELECT NOME, OCTET_LENGTH(NOME) AS BYTES FROM CARTORIO");
    QCOMPARE(q.fieldByName("NOME").asString(), name);
    QCOMPARE(q.fieldByName("BYTES").asInteger(), int(name.size()));

    // The demo row written by the creation script reads back the same way.
    DbFixture fresh;
    auto plain = DbFixture::connect(fresh.createOffice(true), charset);
    FbQuery demo(*plain);
    demo.open(
        "SELECT CT.*, CD.CIDADE FROM CARTORIO CT LEFT JOIN CIDADE CD ON (CT.CODCIDADE = CD.CODCIDADE) ORDER BY NOME");
    QCOMPARE(demo.fieldByName("NOME").asString(), QString::fromUtf8("Cartório do 1º Ofício de Registro"));
    QCOMPARE(demo.fieldByName("CIDADE").asString(), QString::fromUtf8("São José dos Pinhais"));
}

void TstFbClient::charOneUnderEveryCharset_data()
{
    windows1252RoundTrip_data();
}

void TstFbClient::charOneUnderEveryCharset()
{
    if (!DbFixture::requireServer())
        return;
    QFETCH(QString, charset);
    DbFixture fx;
    const QString db = fx.createOffice(true);
    DbFixture::exec(db, QString::fromUtf8("UPDATE ATEND_TIPO SET SIGLA = :S, RECIBO = NULL WHERE CODATEND_TIPO = 3"),
                    {{"S", QString::fromUtf8("ç")}});
    auto c = DbFixture::connect(db, charset);
    FbQuery q(*c);
    q.open("SELECT SIGLA, RECIBO, UF_PESQUISA FROM ATEND_TIPO LEFT JOIN PARAMETRO ON 1 = 1 ORDER BY CODATEND_TIPO");
    QStringList letters;
    for (q.first(); !q.eof(); q.next())
        letters << q.fieldByName("SIGLA").asString();
    QCOMPARE(letters, (QStringList{"F", "P", QString::fromUtf8("ç")}));
    q.first();
    QCOMPARE(q.fieldByName("RECIBO").asString(), QString("N"));
    // CHAR(2) keeps its width, trailing blank included.
    QCOMPARE(q.fieldByName("UF_PESQUISA").asString(), QString("PR"));
    c->exec("UPDATE PARAMETRO SET UF_PESQUISA = 'X'");
    q.open("SELECT UF_PESQUISA FROM PARAMETRO");
    QCOMPARE(q.fieldByName("UF_PESQUISA").asString(), QString("X "));
}

void TstFbClient::quoteInTextParameter()
{
    if (!DbFixture::requireServer())
        return;
    DbFixture fx;
    auto c = DbFixture::connect(fx.createOffice(true));
    const QString evil = "D'Ávila'); DELETE FROM CIDADE; --";
    QCOMPARE(c->exec("INSERT INTO CIDADE (CODCIDADE, CIDADE, ESTADO) VALUES (:COD, :NOME, :UF)",
                     {{"cod", 2}, {"Nome", evil}, {"UF", "SP"}}),
             1);
    FbQuery q(*c);
    q.open("SELECT CIDADE FROM CIDADE WHERE CIDADE = :NOME", {{"NOME", evil}});
    QCOMPARE(q.recordCount(), 1);
    QCOMPARE(q.fieldByName("CIDADE").asString(), evil);
    q.open("SELECT COUNT(*) AS N FROM CIDADE");
    QCOMPARE(q.fieldByName("N").asInteger(), 2);
}

void TstFbClient::repeatedAndMissingParameters()
{
    if (!DbFixture::requireServer())
        return;
    DbFixture fx;
    auto c = DbFixture::connect(fx.createOffice(true));
    FbQuery q(*c);
    q.open("SELECT COUNT(*) AS N FROM ATEND_TIPO WHERE CODATEND_TIPO = :C OR ORDEM = :C + 1", {{"C", 1}});
    QCOMPARE(q.fieldByName("N").asInteger(), 2);
    try {
        q.open("SELECT * FROM ATEND_TIPO WHERE SIGLA = :SIGLA", {{"OUTRA", "F"}});
        QFAIL("ran without a value");
    } catch (const EDatabaseError& e) {
        QVERIFY(e.message().contains("SIGLA"));
    }
    QVERIFY(!c->inTransaction());
}

void TstFbClient::typedParameters()
{
    if (!DbFixture::requireServer())
        return;
    DbFixture fx;
    auto c = DbFixture::connect(fx.createOffice(true));
    const QDate day(2024, 2, 29);
    const QDateTime moment(day, QTime(13, 45, 30, 250));
    c->exec("INSERT INTO ATEND_SENHA (CODATEND_SENHA, DATA_SENHA, SIGLA_SENHA, NUMERO_SENHA, PREFERENCIAL, STATUS, "
            "CODATEND_TERM, HORA_CHAMADA) VALUES (100, :D, 'F', :N, 0, 'A', :T, :H)",
            {{"D", day}, {"N", 7}, {"T", QVariant()}, {"H", moment}});
    FbQuery q(*c);
    q.open("SELECT A.SIGLA_SENHA, A.NUMERO_SENHA, A.CODATEND_TERM, A.HORA_CHAMADA, A.DATA_SENHA, P.ISS "
           "FROM ATEND_SENHA A LEFT JOIN PARAMETRO P ON 1 = 1 WHERE A.DATA_SENHA = :DATA",
           {{"DATA", day}});
    QCOMPARE(q.recordCount(), 1);
    QCOMPARE(q.fieldByName("NUMERO_SENHA").asInteger(), 7);
    QCOMPARE(q.fieldByName("NUMERO_SENHA").asString(), QString("7"));
    QVERIFY(q.fieldByName("CODATEND_TERM").isNull());
    QCOMPARE(q.fieldByName("HORA_CHAMADA").asDateTime(), moment);
    QCOMPARE(q.fieldByName("DATA_SENHA").asDate(), day);
    QCOMPARE(q.fieldByName("DATA_SENHA").asString(), QString("29/02/2024"));
    QCOMPARE(q.fieldByName("ISS").asFloat(), 2.5);

    q.open("SELECT CURRENT_TIMESTAMP AS DATA_HORA FROM RDB$DATABASE");
    const QDateTime server = q.fieldByName("DATA_HORA").asDateTime();
    QVERIFY(server.isValid());
    QVERIFY(qAbs(server.secsTo(QDateTime::currentDateTime())) < 300);
}

namespace {

QByteArray littleEndian(quint64 value, int bytes = 8)
{
    QByteArray out;
    for (int i = 0; i < bytes; ++i)
        out.append(char((value >> (8 * i)) & 0xFF));
    return out;
}

// A client timestamp: days since 17 Nov 1858, then 1/10000 s since midnight.
QByteArray clientTimestamp(const QDate& date, const QTime& time)
{
    return littleEndian(quint64(QDate(1858, 11, 17).daysTo(date)), 4)
        + littleEndian(quint64(time.msecsSinceStartOfDay()) * 10, 4);
}

} // namespace

// Columns a newer server sends, from buffers as the client fills them. The
// zone is fixed so that a value read as local time, not as UTC, shows.
void TstFbClient::newerServerTypes_data()
{
    QTest::addColumn<int>("sqltype");
    QTest::addColumn<int>("scale");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QVariant>("expected");

    const QByteArray gmt = littleEndian(65535, 2);
    const QByteArray instant = clientTimestamp(QDate(2024, 3, 5), QTime(15, 30));
    const QDateTime local(QDate(2024, 3, 5), QTime(12, 30));
    QTest::newRow("timestamp with time zone") << 32754 << 0 << instant + gmt + QByteArray(2, 0) << QVariant(local);
    QTest::newRow("timestamp with time zone, with offset")
        << 32748 << 0 << instant + gmt + littleEndian(quint64(-180) & 0xFFFF, 2) << QVariant(local);
    QTest::newRow("time with time zone") << 32756 << 0
                                         << littleEndian(quint64(QTime(15, 30).msecsSinceStartOfDay()) * 10, 4) + gmt
                                         << QVariant(QTime(12, 30));

    QTest::newRow("int128 small") << 32752 << 0 << littleEndian(42) + littleEndian(0) << QVariant(qlonglong(42));
    QTest::newRow("int128 negative, scaled")
        << 32752 << -2 << littleEndian(quint64(-5)) + littleEndian(~0ULL) << QVariant(-0.05);
    QTest::newRow("int128 past 64 bits") << 32752 << 0 << littleEndian(1) + littleEndian(1)
                                         << QVariant(QStringLiteral("18446744073709551617"));
    QTest::newRow("int128 negative past 64 bits, scaled") << 32752 << -3 << littleEndian(0) + littleEndian(quint64(-64))
                                                          << QVariant(QStringLiteral("-1180591620717411303.424"));

    QTest::newRow("decfloat16 1") << 32760 << 0 << littleEndian(0x2238000000000001ULL) << QVariant(1.0);
    QTest::newRow("decfloat16 -1") << 32760 << 0 << littleEndian(0xA238000000000001ULL) << QVariant(-1.0);
    QTest::newRow("decfloat16 1.5") << 32760 << 0 << littleEndian(0x2234000000000015ULL) << QVariant(1.5);
    QTest::newRow("decfloat16 999") << 32760 << 0 << littleEndian(0x22380000000000FFULL) << QVariant(999.0);
    QTest::newRow("decfloat16 888") << 32760 << 0 << littleEndian(0x223800000000006EULL) << QVariant(888.0);
    QTest::newRow("decfloat16 9e15, leading digit 9")
        << 32760 << 0 << littleEndian(0x6E38000000000000ULL) << QVariant(9e15);
    QTest::newRow("decfloat34 1") << 32762 << 0 << littleEndian(1) + littleEndian(0x2208000000000000ULL)
                                  << QVariant(1.0);
    QTest::newRow("decfloat34 12.34") << 32762 << 0 << littleEndian(0x534) + littleEndian(0x2207800000000000ULL)
                                      << QVariant(12.34);

    QTest::newRow("boolean true") << int(SQL_BOOLEAN) << 0 << QByteArray(1, 1) << QVariant(true);
    QTest::newRow("boolean false") << int(SQL_BOOLEAN) << 0 << QByteArray(1, 0) << QVariant(false);
}

void TstFbClient::newerServerTypes()
{
    QFETCH(int, sqltype);
    QFETCH(int, scale);
    QFETCH(QByteArray, data);
    QFETCH(QVariant, expected);
    const QByteArray zone = qgetenv("TZ");
    qputenv("TZ", "America/Sao_Paulo");
    const auto restore = qScopeGuard([zone] { zone.isNull() ? qunsetenv("TZ") : qputenv("TZ", zone); });
    const QVariant got = fbDecodeValue(sqltype, scale, 0, data.size(), data.constData());
    QCOMPARE(got, expected);
}

void TstFbClient::nullReadings()
{
    if (!DbFixture::requireServer())
        return;
    DbFixture fx;
    auto c = DbFixture::connect(fx.createOffice());
    c->exec("INSERT INTO PARAMETRO (CODPARAMETRO) VALUES (1)");
    FbQuery q(*c);
    q.open("SELECT MASCARA_NASC, LIVRO_DIARIO, TEMPOSENHA, ISS, CAST(NULL AS DATE) AS D FROM PARAMETRO");
    for (const QString& name : q.fieldNames()) {
        const FbField f = q.fieldByName(name);
        QVERIFY(f.isNull());
        QCOMPARE(f.asString(), QString());
        QCOMPARE(f.asInteger(), 0);
        QCOMPARE(f.asFloat(), 0.0);
        QVERIFY(!f.asDate().isValid());
    }
}

void TstFbClient::rowsSurviveClosedConnection()
{
    if (!DbFixture::requireServer())
        return;
    DbFixture fx;
    auto c = DbFixture::connect(fx.createOffice(true));
    FbQuery q(*c);
    q.open("SELECT A.SIGLA_SENHA, A.NUMERO_SENHA, A.PREFERENCIAL, T.NUMERO_MESA, T.LOCAL_ATEND\n"
           "FROM ATEND_SENHA A LEFT JOIN ATEND_TERMINAL T ON (A.CODATEND_TERM = T.CODATEND_TERM)\n"
           "WHERE A.DATA_SENHA = :DATA AND A.STATUS = 'A' AND A.CODATEND_TERM IS NOT NULL\n"
           "ORDER BY A.PREFERENCIAL",
           {{"DATA", QDate::currentDate()}});
    c->close();
    QVERIFY(!c->isOpen());
    QStringList calls;
    for (q.first(); !q.eof(); q.next())
        calls << q.fieldByName("SIGLA_SENHA").asString() + "-" + q.fieldByName("NUMERO_SENHA").asString() + " "
                + q.fieldByName("LOCAL_ATEND").asString() + " " + q.fieldByName("NUMERO_MESA").asString();
    QCOMPARE(calls, (QStringList{"P-1 MESA 2", "F-1 MESA 1"}));
    QVERIFY(q.eof());
    QVERIFY(q.fieldByName("SIGLA_SENHA").isNull());
}

void TstFbClient::preparedQueryRuns_data()
{
    QTest::addColumn<QString>("between"); // what happens between two runs
    QTest::addColumn<QStringList>("second");
    const QStringList demo{"P-1", "F-1"};
    QTest::newRow("nothing") << "" << demo;
    QTest::newRow("a ticket called") << "call" << QStringList{"P-1", "F-1", "F-2"};
    QTest::newRow("connection closed") << "close" << demo;
    QTest::newRow("connection attached again, other statements prepared") << "reattach" << demo;
    QTest::newRow("statement text changed") << "sql" << QStringList{"F-1"};
    QTest::newRow("prepared afresh") << "reset" << demo;
    QTest::newRow("another date") << "date" << QStringList{};
}

void TstFbClient::preparedQueryRuns()
{
    QFETCH(QString, between);
    QFETCH(QStringList, second);
    if (!DbFixture::requireServer())
        return;
    DbFixture fx;
    auto c = DbFixture::connect(fx.createOffice(true));
    const QString sql = "SELECT SIGLA_SENHA || '-' || NUMERO_SENHA AS SENHA FROM ATEND_SENHA"
                        " WHERE DATA_SENHA = :DATA AND STATUS = 'A' ORDER BY PREFERENCIAL, NUMERO_SENHA";
    FbPreparedQuery prepared(*c);
    auto run = [&](const QString& text, const QDate& day) {
        prepared.open(text, {{"DATA", day}});
        QStringList tickets;
        for (prepared.result().first(); !prepared.result().eof(); prepared.result().next())
            tickets << prepared.result().fieldByName("SENHA").asString();
        return tickets;
    };
    QCOMPARE(run(sql, QDate::currentDate()), (QStringList{"P-1", "F-1"}));

    QString text = sql;
    QDate day = QDate::currentDate();
    if (between == "call") {
        c->exec("UPDATE ATEND_SENHA SET STATUS = 'A', CODATEND_TERM = 1 WHERE SIGLA_SENHA = 'F' AND NUMERO_SENHA = 2");
    } else if (between == "close") {
        c->close();
    } else if (between == "reattach") {
        c->close();
        c->open();
        // Statements of the new attachment may reuse the old handle numbers.
        FbQuery other(*c);
        other.open("SELECT COUNT(*) FROM ATEND_TERMINAL");
        QCOMPARE(other.field(0).asInteger(), 2);
    } else if (between == "sql") {
        text = QString(sql).replace("STATUS = 'A'", "STATUS = 'A' AND SIGLA_SENHA = 'F'");
    } else if (between == "reset") {
        prepared.reset();
    } else if (between == "date") {
        day = day.addDays(-1);
    }
    QCOMPARE(run(text, day), second);
    // And a third run, the cursor of the second closed.
    QCOMPARE(run(text, day), second);
}

// The ticket source keeps its statement prepared for a minute of its
// connection's clock, then prepares it again (the server gives the new
// statement a new id).
void TstFbClient::ticketStatementPreparedAfreshEachMinute()
{
    if (!DbFixture::requireServer())
        return;
    DbFixture fx;
    ManualClock clock;
    auto c = std::make_shared<FbConnection>(DbFixture::params(fx.createOffice(true)), clock);
    c->open();
    FbTicketSource source(c);
    const auto statement = [&c] {
        FbQuery q(*c);
        q.open("SELECT MON$STATEMENT_ID FROM MON$STATEMENTS WHERE MON$ATTACHMENT_ID = CURRENT_CONNECTION"
               " AND MON$SQL_TEXT CONTAINING 'ATEND_' || 'TERMINAL'");
        QStringList ids;
        for (q.first(); !q.eof(); q.next())
            ids << q.field(0).asString();
        return ids;
    };
    const QDate today = QDate::currentDate();
    QCOMPARE(source.open(today).size(), 2);
    const QStringList first = statement();
    QCOMPARE(first.size(), 1);
    clock.advance(59999);
    QCOMPARE(source.open(today).size(), 2);
    QCOMPARE(statement(), first);
    clock.advance(1);
    QCOMPARE(source.open(today).size(), 2);
    const QStringList second = statement();
    QCOMPARE(second.size(), 1);
    QVERIFY(second != first);
}

void TstFbClient::emptyResult()
{
    if (!DbFixture::requireServer())
        return;
    DbFixture fx;
    auto c = DbFixture::connect(fx.createOffice());
    FbQuery q(*c);
    q.open("SELECT NOME FROM CARTORIO ORDER BY NOME");
    QVERIFY(q.isActive());
    QVERIFY(q.isEmpty());
    QVERIFY(q.eof());
    QCOMPARE(q.fieldByName("NOME").asString(), QString());
}

void TstFbClient::conditionalUpdateCount()
{
    if (!DbFixture::requireServer())
        return;
    DbFixture fx;
    auto c = DbFixture::connect(fx.createOffice(true));
    const QString sql = "UPDATE VERSAOBD SET DATAATUAL = :NOVA WHERE VERSAOBANCO = :VERSAO AND "
                        "((DATAATUAL IS NULL AND CAST(:ANTIGA AS DATE) IS NULL) OR DATAATUAL = :ANTIGA)";
    const QDate today = QDate::currentDate();
    QCOMPARE(c->exec(sql, {{"NOVA", today}, {"VERSAO", "1.0.0"}, {"ANTIGA", QVariant()}}), 1);
    // A second writer that read the old null finds no row: a conflict, not an exception.
    QCOMPARE(c->exec(sql, {{"NOVA", today}, {"VERSAO", "1.0.0"}, {"ANTIGA", QVariant()}}), 0);
    QCOMPARE(c->exec(sql, {{"NOVA", today.addDays(1)}, {"VERSAO", "1.0.0"}, {"ANTIGA", today}}), 1);
    QCOMPARE(c->exec("DELETE FROM ATEND_SENHA WHERE STATUS = 'A'"), 2);
    QCOMPARE(c->exec("INSERT INTO CIDADE (CODCIDADE) VALUES (9)"), 1);
}

void TstFbClient::explicitTransaction()
{
    if (!DbFixture::requireServer())
        return;
    DbFixture fx;
    const QString db = fx.createOffice();
    auto c = DbFixture::connect(db);
    auto count = [&db] {
        auto other = DbFixture::connect(db);
        FbQuery q(*other);
        q.open("SELECT COUNT(*) AS N FROM CIDADE");
        return q.fieldByName("N").asInteger();
    };
    c->startTransaction();
    QVERIFY(c->inTransaction());
    c->exec("INSERT INTO CIDADE (CODCIDADE) VALUES (1)");
    QCOMPARE(count(), 0); // read committed: not visible before the commit
    c->rollback();
    QVERIFY(!c->inTransaction());
    QCOMPARE(count(), 0);

    c->startTransaction();
    c->exec("INSERT INTO CIDADE (CODCIDADE) VALUES (2)");
    QVERIFY_THROWS_EXCEPTION(EDatabaseError, c->startTransaction());
    c->commit();
    QCOMPARE(count(), 1);
    QVERIFY_THROWS_EXCEPTION(EDatabaseError, c->commit());
}

void TstFbClient::selectableProcedureCommits()
{
    if (!DbFixture::requireServer())
        return;
    DbFixture fx;
    const QString db = fx.createUser();
    auto c = DbFixture::connect(db);
    FbQuery q(*c);
    const QString sql = "SELECT NOVO\nFROM GERACODIGO(:GERADORCODIGO, :INCREMENTO)";
    q.open(sql, {{"GERADORCODIGO", "GEN_LOGIN"}, {"INCREMENTO", 1}});
    QCOMPARE(q.fieldByName("NOVO").asInteger(), 1);
    q.open(sql, {{"GERADORCODIGO", "GEN_LOGIN"}, {"INCREMENTO", 5}});
    QCOMPARE(q.fieldByName("NOVO").asInteger(), 6);
    c->close();
    auto again = DbFixture::connect(db);
    FbQuery check(*again);
    check.open("SELECT VALOR FROM GERADOR_CODIGO");
    QCOMPARE(check.fieldByName("VALOR").asInteger(), 6);
}

void TstFbClient::guardBlocksOtherThread()
{
    if (!DbFixture::requireServer())
        return;
    DbFixture fx;
    auto c = DbFixture::connect(fx.createOffice(true));
    std::atomic<bool> done{false};
    std::thread worker;
    {
        FbConnection::Guard guard(*c);
        worker = std::thread([c, &done] {
            FbQuery q(*c);
            q.open("SELECT COUNT(*) AS N FROM ATEND_SENHA");
            done = true;
        });
        QTest::qWait(300);
        QVERIFY(!done);
    }
    worker.join();
    QVERIFY(done);
}

void TstFbClient::twoThreadsShareConnection()
{
    if (!DbFixture::requireServer())
        return;
    DbFixture fx;
    auto c = DbFixture::connect(fx.createOffice(true));
    std::atomic<int> failures{0};
    auto work = [c, &failures](int rounds) {
        for (int i = 0; i < rounds; ++i) {
            try {
                FbQuery q(*c);
                q.open("SELECT SIGLA FROM ATEND_TIPO WHERE CODATEND_TIPO = :C", {{"C", 1 + i % 3}});
                if (q.fieldByName("SIGLA").asString() != QString("FPN").mid(i % 3, 1))
                    ++failures;
            } catch (const std::exception&) {
                ++failures;
            }
        }
    };
    std::thread walker(work, 60);
    work(60);
    walker.join();
    QCOMPARE(failures.load(), 0);
}

void TstFbClient::attachmentCount()
{
    if (!DbFixture::requireServer())
        return;
    DbFixture fx;
    const QString db = fx.createOffice();
    QCOMPARE(countAttachments(db, "VARLO", "tarvumel"), 1);
    auto first = DbFixture::connect(db);
    QCOMPARE(countAttachments(db, "VARLO", "tarvumel"), 2);
    auto second = DbFixture::connect(db);
    QCOMPARE(countAttachments(db, "VARLO", "tarvumel"), 3);
    second->close();
    QCOMPARE(countAttachments(db, "VARLO", "tarvumel"), 2);
}

void TstFbClient::attachmentCountFailure()
{
    if (!DbFixture::requireServer())
        return;
    DbFixture fx;
    const QString db = fx.createOffice();
    try {
        countAttachments(db, "VARLO", "errada");
        QFAIL("counted with a wrong password");
    } catch (const EDatabaseError& e) {
        QVERIFY(e.message().startsWith("Your user name and password are not defined"));
    }
}

void TstFbClient::killedAttachmentIsLostConnection()
{
    if (!DbFixture::requireServer())
        return;
    DbFixture fx;
    const QString db = fx.createOffice(true);
    auto victim = DbFixture::connect(db);
    FbQuery q(*victim);
    q.open("SELECT CURRENT_CONNECTION AS ID FROM RDB$DATABASE");
    const int id = q.fieldByName("ID").asInteger();
    QCOMPARE(DbFixture::exec(db, "DELETE FROM MON$ATTACHMENTS WHERE MON$ATTACHMENT_ID = :ID", {{"ID", id}}), 1);
    try {
        q.open("SELECT COUNT(*) FROM ATEND_SENHA");
        QFAIL("the killed attachment still answered");
    } catch (const EDatabaseError& e) {
        QVERIFY2(isCommunicationFailure(e.message(), e.codes()), qPrintable(e.message()));
    }
    victim->close();
    QVERIFY(!victim->isOpen());
    victim->open();
    q.open("SELECT COUNT(*) AS N FROM ATEND_SENHA");
    QCOMPARE(q.fieldByName("N").asInteger(), 3);
}

void TstFbClient::embeddedLocalPath()
{
    if (!DbFixture::requireServer())
        return;
    if (qEnvironmentVariableIsEmpty("FIREBIRD"))
        QSKIP("FIREBIRD names no server root for the embedded engine");
    QTemporaryDir dir;
    QProcess mkdb;
    mkdb.start(testpaths::sourceDir() + "/scripts/mkdb", {dir.path(), "--embedded", "--demo"});
    QVERIFY(mkdb.waitForFinished(120000));
    QCOMPARE(mkdb.exitCode(), 0);
    FbConnection c(DbFixture::params(dir.path() + "/CARTORIO.FDB"));
    c.open();
    FbQuery q(c);
    q.open("SELECT NOME FROM CARTORIO");
    QCOMPARE(q.fieldByName("NOME").asString(), QString::fromUtf8("Cartório do 1º Ofício de Registro"));
}

QTEST_GUILESS_MAIN(TstFbClient)
#include "tst_fbclient.moc"

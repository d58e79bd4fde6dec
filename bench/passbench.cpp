// Cost of one pass of the call walker against a live database, beside a bare
// client of the Firebird library running the same statement:
//
//   bare, prepared once     start a transaction, execute, fetch, close, commit
//   bare, prepared a pass   the same with allocate, prepare and free each pass
//   FbTicketSource          the database part of the walker's pass (open)
//   whole pass              the walker's pass, per-call time 0 and no pause,
//                           every display change handed to a window thread
//
// Each line gives the median wall time of a pass and the server's CPU time a
// pass (when --server-pid is given), over --passes passes or --seconds
// seconds, whichever ends first.
//
//   passbench --database <texto> [--server-pid N] [--passes 300] [--seconds 8] [--rotulo texto]
//             [--dados arquivo]

#include "BenchCommon.h"

#include "data/ConnectionDefinition.h"
#include "data/FbClient.h"
#include "display/ChamaSenha.h"
#include "display/DisplayGate.h"
#include "display/FbTicketSource.h"

#include <ibase.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTimer>
#include <algorithm>
#include <cstring>
#include <functional>
#include <vector>

namespace {

struct Options {
    QString database;
    QString rotulo;
    QString dados; // file the figures are appended to, tab-separated
    long serverPid = 0;
    int passes = 300;
    double seconds = 8;
};

struct Figure {
    double medianMs = 0;
    double serverMs = -1; // server CPU a pass
    int passes = 0;
    int rows = 0;
};

// Runs the passes in turns of ten, each kind after the other, so that a
// change in the machine's load falls on all of them alike.
std::vector<Figure> measure(const Options& o, const std::vector<std::function<int()>>& kinds)
{
    const size_t n = kinds.size();
    std::vector<std::vector<double>> times(n);
    std::vector<double> server(n, 0);
    std::vector<int> rows(n, 0);
    for (const auto& pass : kinds)
        pass(); // warm-up: caches, first preparation
    QElapsedTimer total;
    total.start();
    while (int(times[0].size()) < o.passes && (times[0].size() < 5 || total.elapsed() < o.seconds * 1000 * n)) {
        for (size_t k = 0; k < n; ++k) {
            const double before = cpuMs(o.serverPid);
            for (int i = 0; i < 10 && int(times[k].size()) < o.passes; ++i) {
                QElapsedTimer t;
                t.start();
                rows[k] = kinds[k]();
                times[k].push_back(t.nsecsElapsed() / 1e6);
            }
            server[k] += cpuMs(o.serverPid) - before;
        }
    }
    std::vector<Figure> figures(n);
    for (size_t k = 0; k < n; ++k) {
        std::sort(times[k].begin(), times[k].end());
        figures[k].medianMs = times[k][times[k].size() / 2];
        figures[k].passes = int(times[k].size());
        figures[k].rows = rows[k];
        if (o.serverPid)
            figures[k].serverMs = server[k] / figures[k].passes;
    }
    return figures;
}

void print(const Options& o, const char* what, const Figure& f)
{
    if (!o.dados.isEmpty()) {
        QFile file(o.dados);
        if (file.open(QIODevice::Append))
            file.write(QStringLiteral("%1\t%2\t%3\t%4\n")
                           .arg(o.rotulo, QLatin1String(what))
                           .arg(f.medianMs, 0, 'f', 4)
                           .arg(f.serverMs, 0, 'f', 4)
                           .toUtf8());
    }
    std::printf("%-14s %-26s %9.3f ms  servidor %8.3f ms  (%d linhas, %d passagens)\n", o.rotulo.toUtf8().constData(),
                what, f.medianMs, f.serverMs, f.rows, f.passes);
    std::fflush(stdout);
}

void check(const ISC_STATUS* status, const char* what)
{
    if (status[0] == 1 && status[1]) {
        char text[512];
        const ISC_STATUS* v = status;
        fb_interpret(text, sizeof text, &v);
        throw Exception(QStringLiteral("%1: %2").arg(QLatin1String(what), QString::fromLocal8Bit(text)));
    }
}

// The statement through the client library alone, with fixed buffers.
class BareClient {
public:
    explicit BareClient(const QString& database)
    {
        QByteArray dpb(1, char(isc_dpb_version1));
        auto add = [&dpb](char tag, const QByteArray& v) {
            dpb.append(tag);
            dpb.append(char(v.size()));
            dpb.append(v);
        };
        add(isc_dpb_user_name, "VARLO");
        add(isc_dpb_password, "tarvumel");
        const QByteArray location = database.toLocal8Bit();
        isc_attach_database(m_status, short(location.size()), location.constData(), &m_db, short(dpb.size()),
                            dpb.constData());
        check(m_status, "attach");
        m_sql = fbTranslateParams(ticketQuerySql(QString()), nullptr).toLatin1();
        m_out.assign(XSQLDA_LENGTH(5), 0);
        m_in.assign(XSQLDA_LENGTH(1), 0);
        out()->version = in()->version = SQLDA_VERSION1;
        out()->sqln = 5;
        in()->sqln = 1;
    }
    ~BareClient()
    {
        if (m_stmt)
            isc_dsql_free_statement(m_status, &m_stmt, DSQL_drop);
        isc_detach_database(m_status, &m_db);
    }

    // One pass; the statement is prepared first when `prepare` or not yet.
    int pass(bool prepare, const QDate& day)
    {
        isc_tr_handle tr = 0;
        static const char tpb[] = {isc_tpb_version3, isc_tpb_write, isc_tpb_read_committed, isc_tpb_rec_version,
                                   isc_tpb_wait};
        isc_start_transaction(m_status, &tr, 1, &m_db, short(sizeof tpb), tpb);
        check(m_status, "start");
        if (prepare && m_stmt)
            isc_dsql_free_statement(m_status, &m_stmt, DSQL_drop);
        if (!m_stmt) {
            isc_dsql_allocate_statement(m_status, &m_db, &m_stmt);
            check(m_status, "allocate");
            isc_dsql_prepare(m_status, &tr, &m_stmt, 0, m_sql.constData(), 3, out());
            check(m_status, "prepare");
            bindOutput();
        }
        m_date = ISC_DATE(day.toJulianDay() - 2400001);
        XSQLVAR& p = in()->sqlvar[0];
        in()->sqld = 1;
        p.sqltype = SQL_TYPE_DATE + 1;
        p.sqllen = sizeof m_date;
        p.sqldata = reinterpret_cast<char*>(&m_date);
        p.sqlind = &m_dateInd;
        isc_dsql_execute(m_status, &tr, &m_stmt, 1, in());
        check(m_status, "execute");
        int rows = 0;
        while (isc_dsql_fetch(m_status, &m_stmt, 1, out()) == 0)
            ++rows;
        check(m_status, "fetch");
        isc_dsql_free_statement(m_status, &m_stmt, DSQL_close);
        check(m_status, "close");
        isc_commit_transaction(m_status, &tr);
        check(m_status, "commit");
        return rows;
    }

private:
    XSQLDA* out() { return reinterpret_cast<XSQLDA*>(m_out.data()); }
    XSQLDA* in() { return reinterpret_cast<XSQLDA*>(m_in.data()); }
    void bindOutput()
    {
        for (int i = 0; i < out()->sqld; ++i) {
            XSQLVAR& v = out()->sqlvar[i];
            v.sqldata = m_data[i];
            v.sqlind = &m_ind[i];
        }
    }

    ISC_STATUS_ARRAY m_status = {};
    isc_db_handle m_db = 0;
    isc_stmt_handle m_stmt = 0;
    QByteArray m_sql;
    std::vector<char> m_out, m_in;
    char m_data[5][64] = {};
    short m_ind[5] = {};
    ISC_DATE m_date = 0;
    short m_dateInd = 0;
};

bool parse(const QStringList& args, Options& o)
{
    for (int i = 1; i + 1 < args.size(); i += 2) {
        const QString& a = args[i];
        const QString& v = args[i + 1];
        if (a == QLatin1String("--database"))
            o.database = v;
        else if (a == QLatin1String("--dados"))
            o.dados = v;
        else if (a == QLatin1String("--rotulo"))
            o.rotulo = v;
        else if (a == QLatin1String("--server-pid"))
            o.serverPid = v.toLong();
        else if (a == QLatin1String("--passes"))
            o.passes = v.toInt();
        else if (a == QLatin1String("--seconds"))
            o.seconds = v.toDouble();
        else
            return false;
    }
    return args.size() % 2 == 1 && !o.database.isEmpty() && o.passes > 0;
}

// The walker's passes, timed between the blanking updates that open them.
Figure wholePass(const Options& o, const std::shared_ptr<FbTicketSource>& source)
{
    CountingView view;
    DisplayGate gate(view);
    WalkerSetup setup;
    std::atomic<bool>& parar = *setup.stopRequested;
    setup.source = source;
    setup.display = gate.link();
    setup.referenceDate = [] { return QDate::currentDate(); };
    setup.blankMs = 0;

    std::vector<double> times;
    QElapsedTimer pass, total;
    double server0 = -1;
    int callsBefore = 0, rows = 0;
    view.onPass = [&](int n) {
        if (n == 2) { // the first pass warms up
            total.start();
            server0 = cpuMs(o.serverPid);
        } else if (n > 2) {
            times.push_back(pass.nsecsElapsed() / 1e6);
            rows = view.calls - callsBefore;
        }
        callsBefore = view.calls;
        pass.start();
        if (n > 2 && (int(times.size()) >= o.passes || (times.size() >= 5 && total.elapsed() > o.seconds * 1000)))
            parar = true;
    };
    auto* walker = new ThChamaSenha(setup);
    QObject::connect(walker, &QThread::finished, qApp, &QCoreApplication::quit);
    walker->start(QThread::LowestPriority);
    qApp->exec();
    walker->wait();
    delete walker;
    const double server1 = cpuMs(o.serverPid);
    Figure f;
    if (times.empty())
        return f;
    f.passes = int(times.size());
    f.rows = rows;
    if (o.serverPid && server0 >= 0 && server1 >= 0)
        f.serverMs = (server1 - server0) / (f.passes + 1);
    std::sort(times.begin(), times.end());
    f.medianMs = times[times.size() / 2];
    return f;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    Options o;
    if (!parse(app.arguments(), o)) {
        std::fprintf(stderr,
                     "uso: passbench --database <texto> [--server-pid N] [--passes 300] [--seconds 8]"
                     " [--rotulo texto] [--dados arquivo]\n");
        return 2;
    }
    QuietServices quiet;
    const QDate today = QDate::currentDate();
    try {
        BareClient bare(o.database);
        BareClient bareEvery(o.database);
        ConnectionParams params{{QStringLiteral("Database"), o.database}};
        ConnectionDefinition::acrescentaUsuario(params);
        auto connection = std::make_shared<FbConnection>(params);
        connection->open();
        auto source = std::make_shared<FbTicketSource>(connection);
        const std::vector<Figure> db =
            measure(o,
                    {[&] { return bare.pass(false, today); }, [&] { return bareEvery.pass(true, today); },
                     [&] { return int(source->open(today).size()); }});
        print(o, "bare, preparada 1 vez", db[0]);
        print(o, "bare, preparada a cada vez", db[1]);
        print(o, "FbTicketSource (banco)", db[2]);
        const Figure whole = wholePass(o, source);
        if (quiet.boxes.failed || whole.passes == 0)
            return 1;
        print(o, "passagem inteira", whole);
        std::printf("%-14s FbTicketSource / bare preparada 1 vez: %.2f\n", o.rotulo.toUtf8().constData(),
                    db[2].medianMs / db[0].medianMs);
    } catch (const Exception& e) {
        std::fprintf(stderr, "passbench: %s\n", e.message().toUtf8().constData());
        return 1;
    }
    return 0;
}

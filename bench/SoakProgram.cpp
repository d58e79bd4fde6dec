#include "SoakProgram.h"

#include "base/Errors.h"
#include "data/ConnectionDefinition.h"
#include "data/FbClient.h"

#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QThread>
#include <algorithm>
#include <csignal>
#include <cstdio>

namespace {

struct Sample {
    double minutes = 0;
    int calls = 0;
    qint64 anonKb = 0;
    int files = 0;
    int threads = 0;
};

// The process under `root` (itself or a descendant, as under a wrapper such
// as heaptrack) whose command name is `name`; 0 when there is none.
qint64 findProcess(qint64 root, const QString& name)
{
    QList<qint64> family{root};
    for (int i = 0; i < family.size(); ++i) {
        QFile comm(QStringLiteral("/proc/%1/comm").arg(family[i]));
        if (comm.open(QIODevice::ReadOnly) && QString::fromLocal8Bit(comm.readAll()).trimmed() == name)
            return family[i];
        const QStringList pids = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        for (const QString& pid : pids) {
            QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
            if (!stat.open(QIODevice::ReadOnly))
                continue;
            const QByteArray text = stat.readAll();
            const QList<QByteArray> f = text.mid(text.lastIndexOf(')') + 2).split(' ');
            if (f.size() > 1 && f[1].toLongLong() == family[i])
                family.append(pid.toLongLong());
        }
    }
    return 0;
}

bool readSample(qint64 pid, Sample& s)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return false;
    for (const QByteArray& line : status.readAll().split('\n')) {
        const QList<QByteArray> parts = line.simplified().split(' ');
        if (parts.size() < 2)
            continue;
        if (parts[0] == "RssAnon:")
            s.anonKb = parts[1].toLongLong();
        else if (parts[0] == "Threads:")
            s.threads = parts[1].toInt();
    }
    s.files = int(QDir(QStringLiteral("/proc/%1/fd").arg(pid)).entryList(QDir::NoDotAndDotDot | QDir::System).size());
    return true;
}

void printSample(const char* when, const Sample& s)
{
    std::printf("%-12s %6.1f min  calls %6d  RssAnon %7lld kB  files %3d  threads %3d\n", when, s.minutes, s.calls,
                s.anonKb, s.files, s.threads);
    std::fflush(stdout);
}

double median(std::vector<qint64> v)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? double(v[n / 2]) : (v[n / 2 - 1] + v[n / 2]) / 2.0;
}

// Least-squares slope of RssAnon (kB) against x.
template <typename X>
double slope(const std::vector<Sample>& samples, X x)
{
    const double n = double(samples.size());
    if (n < 2)
        return 0;
    double sx = 0, sy = 0, sxx = 0, sxy = 0;
    for (const Sample& s : samples) {
        const double a = x(s), b = double(s.anonKb);
        sx += a;
        sy += b;
        sxx += a * a;
        sxy += a * b;
    }
    const double d = n * sxx - sx * sx;
    return d == 0 ? 0 : (n * sxy - sx * sy) / d;
}

// An attendant's desk work on the database: issue a ticket, call it to one
// of the desks in turn, and end the oldest call so that `kept` stay called.
class Attendant {
public:
    Attendant(FbConnection& c, int kept) : m_conn(c), m_kept(kept)
    {
        FbQuery desks(m_conn);
        desks.open(QStringLiteral("SELECT CODATEND_TERM FROM ATEND_TERMINAL ORDER BY CODATEND_TERM"));
        for (desks.first(); !desks.eof(); desks.next())
            m_desks.append(desks.fieldByName(QStringLiteral("CODATEND_TERM")).asInteger());
        FbQuery type(m_conn);
        type.open(QStringLiteral("SELECT FIRST 1 CODATEND_TIPO FROM ATEND_TIPO WHERE SIGLA = 'F'"));
        if (m_desks.isEmpty() || type.isEmpty())
            throw Exception(QStringLiteral("the database has no desk or no ticket type F"));
        m_type = type.fieldByName(QStringLiteral("CODATEND_TIPO")).asInteger();
        FbQuery last(m_conn);
        last.open(QStringLiteral("SELECT COALESCE(MAX(NUMERO_SENHA), 0) AS N FROM ATEND_SENHA"
                                 " WHERE DATA_SENHA = :DATA AND SIGLA_SENHA = 'F'"),
                  {{QStringLiteral("DATA"), QDate::currentDate()}});
        m_numero = last.fieldByName(QStringLiteral("N")).asInteger();
    }

    void callOne()
    {
        const QDate today = QDate::currentDate();
        // The numbers go round below 1000, as an office's do: a month of
        // calls spreads over days that each start again at 1, and four-digit
        // numbers would only add the glyphs and looks of wider captions.
        m_numero = m_numero % 999 + 1;
        m_conn.exec(QStringLiteral(
                        "INSERT INTO ATEND_SENHA (CODATEND_SENHA, DATA_SENHA, SIGLA_SENHA, NUMERO_SENHA, PREFERENCIAL,"
                        " STATUS, CODATEND_TIPO, HORA_EMISSAO, HORA_CHAMADA, CODATEND_TERM)"
                        " VALUES (NEXT VALUE FOR GEN_ATEND_SENHA, :DATA, 'F', :NUMERO,"
                        " 1, 'A', :TIPO, CURRENT_TIMESTAMP, CURRENT_TIMESTAMP, :TERM)"),
                    {{QStringLiteral("DATA"), today},
                     {QStringLiteral("NUMERO"), m_numero},
                     {QStringLiteral("TIPO"), m_type},
                     {QStringLiteral("TERM"), m_desks[m_next++ % m_desks.size()]}});
        for (;;) {
            FbQuery called(m_conn);
            called.open(
                QStringLiteral("SELECT COUNT(*) AS N FROM ATEND_SENHA WHERE DATA_SENHA = :DATA AND STATUS = 'A'"),
                {{QStringLiteral("DATA"), today}});
            if (called.fieldByName(QStringLiteral("N")).asInteger() <= m_kept)
                break;
            m_conn.exec(QStringLiteral("UPDATE ATEND_SENHA SET STATUS = 'F' WHERE CODATEND_SENHA ="
                                       " (SELECT FIRST 1 CODATEND_SENHA FROM ATEND_SENHA"
                                       "  WHERE DATA_SENHA = :DATA AND STATUS = 'A'"
                                       "  ORDER BY HORA_CHAMADA, CODATEND_SENHA)"),
                        {{QStringLiteral("DATA"), today}});
        }
    }

private:
    FbConnection& m_conn;
    int m_kept;
    QList<int> m_desks;
    int m_type = 0;
    int m_next = 0;
    int m_numero = 0;
};

void printSummary(const std::vector<Sample>& samples, const SoakProgramOptions& o)
{
    std::vector<Sample> calling, quiet;
    for (const Sample& s : samples) {
        if (s.calls < o.warmup)
            continue;
        (s.calls < o.calls ? calling : quiet).push_back(s);
    }
    if (!calling.empty() && !quiet.empty())
        calling.push_back(quiet.front());
    if (calling.size() >= 2) {
        const Sample& a = calling.front();
        const Sample& b = calling.back();
        // Half an hour at each end, or each half of a shorter run.
        const double span = b.minutes - a.minutes;
        const double window = std::min(30.0, span / 2);
        std::vector<qint64> first, last;
        int filesMin = a.files, filesMax = a.files, threadsMin = a.threads, threadsMax = a.threads;
        for (const Sample& s : calling) {
            if (s.minutes <= a.minutes + window)
                first.push_back(s.anonKb);
            if (s.minutes >= b.minutes - window)
                last.push_back(s.anonKb);
            filesMin = std::min(filesMin, s.files);
            filesMax = std::max(filesMax, s.files);
            threadsMin = std::min(threadsMin, s.threads);
            threadsMax = std::max(threadsMax, s.threads);
        }
        const double perCall = slope(calling, [](const Sample& s) { return double(s.calls); });
        std::printf("with calls, from call %d to %d (%.1f min): RssAnon %+lld kB; growth per 1,000 calls %+.0f kB"
                    " (least squares over %zu samples), %+.0f kB end to end\n",
                    a.calls, b.calls, span, b.anonKb - a.anonKb, perCall * 1000, calling.size(),
                    b.calls > a.calls ? (b.anonKb - a.anonKb) * 1000.0 / (b.calls - a.calls) : 0.0);
        std::printf("median RssAnon of the first %.0f min after the warm-up %.0f kB, of the last %.0f min %.0f kB:"
                    " %+.0f kB\n",
                    window, median(first), window, median(last), median(last) - median(first));
        std::printf("open files %d..%d, threads %d..%d after the warm-up\n", filesMin, filesMax, threadsMin,
                    threadsMax);
    }
    if (quiet.size() >= 2) {
        const double perMinute = slope(quiet, [](const Sample& s) { return s.minutes; });
        std::printf("passes without calls (%.1f min): RssAnon %+lld kB; growth per hour %+.0f kB (least squares),"
                    " open files %d -> %d, threads %d -> %d\n",
                    quiet.back().minutes - quiet.front().minutes, quiet.back().anonKb - quiet.front().anonKb,
                    perMinute * 60, quiet.front().files, quiet.back().files, quiet.front().threads,
                    quiet.back().threads);
    }
    std::fflush(stdout);
}

} // namespace

int runSoakProgram(const SoakProgramOptions& o)
{
    ConnectionParams params{{QStringLiteral("Database"), o.database}};
    ConnectionDefinition::acrescentaUsuario(params);
    FbConnection connection(params);
    std::unique_ptr<Attendant> attendant;
    try {
        connection.open();
        connection.exec(QStringLiteral("UPDATE PARAMETRO SET TEMPOSENHA = 1"));
        attendant = std::make_unique<Attendant>(connection, 5);
        // Five called tickets before the program starts.
        for (int i = 0; i < 5; ++i)
            attendant->callOne();
    } catch (const Exception& e) {
        std::fprintf(stderr, "soak: %s\n", e.message().toUtf8().constData());
        return 1;
    }

    QProcess program;
    program.setWorkingDirectory(QFileInfo(o.program).absolutePath());
    program.setStandardOutputFile(o.log);
    program.setStandardErrorFile(o.log, QIODevice::Append);
    QStringList command = o.wrapper;
    command << o.program;
    program.start(command.takeFirst(), command);
    if (!program.waitForStarted(10000)) {
        std::fprintf(stderr, "soak: %s did not start\n", o.program.toUtf8().constData());
        return 1;
    }
    const QString name = QFileInfo(o.program).fileName().left(15);
    qint64 pid = 0;
    for (int i = 0; i < 100 && !pid; ++i) {
        pid = findProcess(program.processId(), name);
        if (!pid)
            QThread::msleep(100);
    }
    if (!pid) {
        std::fprintf(stderr, "soak: no process %s under %lld\n", name.toUtf8().constData(), program.processId());
        return 1;
    }
    std::printf("soak: the program (pid %lld): %d calls, one every %.1f s, five called, TEMPOSENHA 1 s,"
                " warm-up %d calls, then %d min without calls; a sample every %d s\n",
                pid, o.calls, o.interval, o.warmup, o.quietMinutes, o.sampleSeconds);
    std::fflush(stdout);

    FILE* data = o.data.isEmpty() ? nullptr : std::fopen(o.data.toLocal8Bit().constData(), "w");
    if (data)
        std::fprintf(data, "minutes\tcalls\trss_anon_kb\tfiles\tthreads\n");
    std::vector<Sample> samples;
    QElapsedTimer clock;
    clock.start();
    int calls = 0;
    qint64 nextCallMs = 5000; // the window up and walking first
    qint64 nextSampleMs = 0;
    qint64 quietEndMs = -1;
    bool failed = false;
    for (;;) {
        const qint64 now = clock.elapsed();
        if (program.state() != QProcess::Running || kill(pid_t(pid), 0) != 0) {
            std::fprintf(stderr, "soak: the program ended after %d calls; see %s\n", calls, o.log.toUtf8().constData());
            failed = true;
            break;
        }
        if (calls < o.calls && now >= nextCallMs) {
            try {
                attendant->callOne();
            } catch (const Exception& e) {
                std::fprintf(stderr, "soak: call %d: %s\n", calls + 1, e.message().toUtf8().constData());
                failed = true;
                break;
            }
            ++calls;
            nextCallMs += qint64(o.interval * 1000);
            const bool milestone = calls == o.warmup || calls % 1000 == 0 || calls == o.calls;
            if (milestone)
                nextSampleMs = now;
            if (calls == o.calls)
                quietEndMs = now + qint64(o.quietMinutes) * 60000;
        }
        if (now >= nextSampleMs) {
            Sample s;
            s.minutes = now / 60000.0;
            s.calls = calls;
            if (readSample(pid, s)) {
                samples.push_back(s);
                if (data) {
                    std::fprintf(data, "%.2f\t%d\t%lld\t%d\t%d\n", s.minutes, s.calls, s.anonKb, s.files, s.threads);
                    std::fflush(data);
                }
                if (samples.size() == 1)
                    printSample("start", s);
                else if (calls == o.warmup && (samples.end() - 2)->calls < o.warmup)
                    printSample("warm-up", s);
                else if (calls % 1000 == 0 && calls > 0 && (samples.end() - 2)->calls < calls)
                    printSample("", s);
                else if (calls == o.calls && (samples.end() - 2)->calls < calls)
                    printSample("last call", s);
            }
            nextSampleMs = now + o.sampleSeconds * 1000;
        }
        if (quietEndMs >= 0 && now >= quietEndMs) {
            if (!samples.empty())
                printSample("end", samples.back());
            break;
        }
        QThread::msleep(50);
    }
    if (data)
        std::fclose(data);

    // Under heaptrack the program is killed, so that what it holds at the
    // end is reported as still live rather than released at exit.
    if (program.state() == QProcess::Running) {
        ::kill(pid_t(pid), o.wrapper.isEmpty() ? SIGTERM : SIGKILL);
        if (!program.waitForFinished(60000)) {
            program.kill();
            program.waitForFinished(5000);
        }
    }
    printSummary(samples, o);
    return failed ? 1 : 0;
}

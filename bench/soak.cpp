// Soak run of the call walker against a live database: the walker runs pass
// after pass with no per-call time, every display change handed over to the
// window thread of a real (offscreen) application, until the wanted number of
// passes. Memory (anonymous memory, RssAnon: what the kernel cannot drop,
// beside VmRSS) and the thread count are printed at the first pass,
// after the warm-up and at the end, so that a leak or a thread left behind per
// pass shows as growth.
//
//   soak --database <texto> [--passes 10000] [--warmup 500] [--pausa 1] [--tipos F,P]
//
// With --programa, the whole program instead (SoakProgram.h):
//
//   soak --programa <MonitorSenha> --database <texto> [--chamadas 2000] [--intervalo 1]
//        [--warmup 100] [--sem-chamadas <min>] [--amostra 30] [--log <file>] [--dados <file>]
//        [--heaptrack <output file>]

#include "BenchCommon.h"
#include "SoakProgram.h"

#include "data/ConnectionDefinition.h"
#include "data/FbClient.h"
#include "display/ChamaSenha.h"
#include "display/DisplayGate.h"
#include "display/FbTicketSource.h"
#include "platform/Platform.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTimer>
#include <cstdio>

namespace {

struct Usage {
    qint64 rssKb = 0;
    qint64 anonKb = 0;
    int threads = 0;
};

Usage readUsage()
{
    Usage u;
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return u;
    for (const QByteArray& line : status.readAll().split('\n')) {
        const QList<QByteArray> parts = line.simplified().split(' ');
        if (parts.size() < 2)
            continue;
        if (parts[0] == "VmRSS:")
            u.rssKb = parts[1].toLongLong();
        else if (parts[0] == "RssAnon:")
            u.anonKb = parts[1].toLongLong();
        else if (parts[0] == "Threads:")
            u.threads = parts[1].toInt();
    }
    return u;
}

void printUsage(const char* when, int pass, const Usage& u)
{
    std::printf("%-10s pass %6d  RssAnon %8lld kB  VmRSS %8lld kB  threads %3d\n", when, pass, u.anonKb, u.rssKb,
                u.threads);
    std::fflush(stdout);
}

struct Options {
    QString database;
    QString tipos;
    int passes = 10000;
    int warmup = 500;
    int pausa = 1;
};

bool parse(const QStringList& args, Options& o)
{
    for (int i = 1; i < args.size(); ++i) {
        const QString& a = args[i];
        if (i + 1 >= args.size())
            return false;
        const QString v = args[++i];
        if (a == QLatin1String("--database"))
            o.database = v;
        else if (a == QLatin1String("--tipos"))
            o.tipos = v;
        else if (a == QLatin1String("--passes"))
            o.passes = v.toInt();
        else if (a == QLatin1String("--warmup"))
            o.warmup = v.toInt();
        else if (a == QLatin1String("--pausa"))
            o.pausa = v.toInt();
        else
            return false;
    }
    return !o.database.isEmpty() && o.passes > 0 && o.warmup >= 0 && o.pausa >= 0;
}

bool parseProgram(const QStringList& args, SoakProgramOptions& o)
{
    for (int i = 1; i + 1 < args.size(); i += 2) {
        const QString& a = args[i];
        const QString& v = args[i + 1];
        if (a == QLatin1String("--programa"))
            o.program = v;
        else if (a == QLatin1String("--database"))
            o.database = v;
        else if (a == QLatin1String("--chamadas"))
            o.calls = v.toInt();
        else if (a == QLatin1String("--intervalo"))
            o.interval = v.toDouble();
        else if (a == QLatin1String("--warmup"))
            o.warmup = v.toInt();
        else if (a == QLatin1String("--sem-chamadas"))
            o.quietMinutes = v.toInt();
        else if (a == QLatin1String("--amostra"))
            o.sampleSeconds = v.toInt();
        else if (a == QLatin1String("--log"))
            o.log = v;
        else if (a == QLatin1String("--dados"))
            o.data = v;
        else if (a == QLatin1String("--heaptrack"))
            o.wrapper = QStringList{QStringLiteral("heaptrack"), QStringLiteral("-o"), v};
        else
            return false;
    }
    if (o.log.isEmpty())
        o.log = QStringLiteral("/dev/null");
    return args.size() % 2 == 1 && !o.program.isEmpty() && !o.database.isEmpty() && o.calls > 0 && o.interval > 0
        && o.warmup >= 0 && o.warmup < o.calls && o.quietMinutes >= 0 && o.sampleSeconds > 0;
}

} // namespace

int main(int argc, char** argv)
{
    QStringList args;
    for (int i = 0; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    if (args.contains(QLatin1String("--programa"))) {
        QCoreApplication core(argc, argv);
        SoakProgramOptions o;
        if (!parseProgram(args, o)) {
            std::fprintf(stderr,
                         "uso: soak --programa <MonitorSenha> --database <texto> [--chamadas 2000]"
                         " [--intervalo 1] [--warmup 100] [--sem-chamadas <min>] [--amostra 30]"
                         " [--log <file>] [--dados <file>] [--heaptrack <file>]\n");
            return 2;
        }
        return runSoakProgram(o);
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    Options o;
    if (!parse(app.arguments(), o)) {
        std::fprintf(stderr,
                     "uso: soak --database <texto> [--passes 10000] [--warmup 500] [--pausa 1] [--tipos F,P]\n");
        return 2;
    }

    QuietServices quiet;
    SilentSound& sound = quiet.sound;
    StillCursor& cursor = quiet.cursor;
    PrintedBoxes& boxes = quiet.boxes;

    ConnectionParams params{{QStringLiteral("Database"), o.database}};
    ConnectionDefinition::acrescentaUsuario(params);
    auto connection = std::make_shared<FbConnection>(params);
    try {
        connection->open();
    } catch (const Exception& e) {
        std::fprintf(stderr, "soak: %s\n", e.message().toUtf8().constData());
        return 1;
    }

    std::printf("soak: %d passes, TEMPOSENHA 0, pause between passes %d ms (the program waits 1000 ms;"
                " shortened here to reach the count quickly)\n",
                o.passes, o.pausa);

    CountingView view;
    DisplayGate gate(view);
    WalkerSetup setup;
    std::atomic<bool>& parar = *setup.stopRequested;
    // The walker's own source, as the display window sets it up.
    auto source = std::make_shared<FbTicketSource>(connection);
    source->setSql(ticketQuerySql(o.tipos));
    setup.source = source;
    setup.display = gate.link();
    setup.referenceDate = [] { return QDate::currentDate(); };
    setup.blankMs = o.pausa;

    Usage start, warm, end;
    QElapsedTimer clock;
    view.onPass = [&](int pass) {
        if (pass == 1) {
            start = readUsage();
            clock.start();
            printUsage("start", pass, start);
        }
        if (pass == o.warmup) {
            warm = readUsage();
            printUsage("warm-up", pass, warm);
        }
        if (pass % 1000 == 0 && pass != o.passes)
            printUsage("", pass, readUsage());
        if (pass == o.passes) {
            end = readUsage();
            printUsage("end", pass, end);
            parar = true;
        }
    };

    auto* walker = new ThChamaSenha(setup);
    QObject::connect(walker, &QThread::finished, &app, &QCoreApplication::quit);
    walker->start(QThread::LowestPriority);
    app.exec();
    walker->wait();
    const bool stopped = walker->fim() == ThChamaSenha::Fim::Parada;
    delete walker;

    const double seconds = clock.elapsed() / 1000.0;
    const Usage after = readUsage();
    std::printf("after the walker ended: RssAnon %lld kB, VmRSS %lld kB, threads %d\n", after.anonKb, after.rssKb,
                after.threads);
    std::printf("passes %d, calls shown %d, sounds %d, pointer moves %d, %.1f s (%.2f ms a pass)\n", view.passes,
                view.calls, sound.played, cursor.moves, seconds, view.passes ? seconds * 1000.0 / view.passes : 0.0);
    if (!stopped || boxes.failed || view.passes < o.passes) {
        std::fprintf(stderr, "soak: the walker did not finish its passes\n");
        return 1;
    }
    const bool fromWarm = o.warmup > 0 && o.warmup < o.passes;
    const Usage base = fromWarm ? warm : start;
    std::printf("growth since %s: RssAnon %+lld kB, VmRSS %+lld kB, threads %+d; "
                "since start: RssAnon %+lld kB, VmRSS %+lld kB, threads %+d\n",
                fromWarm ? "warm-up" : "start", end.anonKb - base.anonKb, end.rssKb - base.rssKb,
                end.threads - base.threads, end.anonKb - start.anonKb, end.rssKb - start.rssKb,
                end.threads - start.threads);
    return 0;
}

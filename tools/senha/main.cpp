// senha: the attendant's side of the ticket queue, on the command line.
//
//   senha emitir <LETRA> [--preferencial]
//   senha chamar <LETRA-NUMERO | LETRA NUMERO> (<MESA> | --terminal <código>)
//   senha listar [--tipos F,P]
//   senha demo [--count N] [--intervalo S]
//   senha verificar [--tipos F,P]
//
// The office database is the one of section "CARTÓRIO" of dbxconnections.ini
// beside this executable, or the one given with --database <texto>.

#include "Balcao.h"
#include "Verificacao.h"

#include "base/Errors.h"
#include "config/MonitorSettings.h"
#include "platform/LinuxServices.h"
#include "support/ProgramPaths.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QMap>
#include <QThread>
#include <algorithm>
#include <cstdio>

namespace {

const char* const Usage = "uso:\n"
                          "  senha emitir <LETRA> [--preferencial]\n"
                          "  senha chamar <LETRA-NUMERO | LETRA NUMERO> <MESA>\n"
                          "  senha chamar <LETRA-NUMERO | LETRA NUMERO> --terminal <codigo>\n"
                          "  senha listar [--tipos F,P]\n"
                          "  senha demo [--count N] [--intervalo S]   (N = 0: sem fim; S = 8)\n"
                          "  senha verificar [--tipos F,P]   (sai com 1 quando a consulta do monitor nao usa indice\n"
                          "                                   ou o usuario nao ve as conexoes dos outros programas)\n"
                          "opcao geral: --database <texto>  (senao: dbxconnections.ini ao lado do programa)\n";

struct UsageError : Exception {
    using Exception::Exception;
};

void out(const QString& text)
{
    std::fputs(text.toUtf8().constData(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

struct Args {
    QStringList words;
    QMap<QString, QString> options; // name without "--" -> value ("" for flags)
};

Args parse(const QStringList& argv)
{
    static const QStringList withValue{QStringLiteral("database"), QStringLiteral("terminal"), QStringLiteral("tipos"),
                                       QStringLiteral("count"), QStringLiteral("intervalo")};
    static const QStringList flags{QStringLiteral("preferencial")};
    Args args;
    for (int i = 1; i < argv.size(); ++i) {
        const QString& a = argv[i];
        if (!a.startsWith(QLatin1String("--"))) {
            args.words.append(a);
            continue;
        }
        const QString name = a.mid(2);
        if (flags.contains(name)) {
            args.options[name] = QString();
        } else if (withValue.contains(name)) {
            if (i + 1 >= argv.size())
                throw UsageError(QStringLiteral("falta o valor de %1").arg(a));
            args.options[name] = argv[++i];
        } else {
            throw UsageError(QStringLiteral("opção desconhecida: %1").arg(a));
        }
    }
    if (args.words.isEmpty())
        throw UsageError(QString());
    return args;
}

int intOption(const Args& args, const QString& name, int fallback)
{
    if (!args.options.contains(name))
        return fallback;
    bool ok = false;
    const int value = args.options[name].toInt(&ok);
    if (!ok || value < 0)
        throw UsageError(QStringLiteral("--%1 espera um número inteiro não negativo").arg(name));
    return value;
}

ConnectionParams connectionParams(const Args& args)
{
    if (args.options.contains(QStringLiteral("database")))
        return paramsForDatabase(args.options[QStringLiteral("database")]);
    return paramsFromDefinitionFile(ProgramPaths::directory() + QStringLiteral("dbxconnections.ini"));
}

void requireWords(const Args& args, int min, int max)
{
    if (args.words.size() < min || args.words.size() > max)
        throw UsageError(QStringLiteral("número de argumentos errado para \"%1\"").arg(args.words[0]));
}

int emitir(FbConnection& conn, const Args& args)
{
    requireWords(args, 2, 2);
    const SenhaId id =
        Balcao(conn, QDate::currentDate()).emitir(args.words[1], args.options.contains(QStringLiteral("preferencial")));
    out(id.texto());
    return 0;
}

int chamar(FbConnection& conn, const Args& args)
{
    const bool terminal = args.options.contains(QStringLiteral("terminal"));
    // Ticket as one word (F-7) or two (F 7), then the desk unless --terminal.
    const int ticketWords = args.words.size() - (terminal ? 1 : 2);
    if (ticketWords < 1 || ticketWords > 2)
        throw UsageError(QStringLiteral("uso: senha chamar F-7 <MESA>  ou  senha chamar F-7 --terminal <codigo>"));
    const SenhaId id = parseSenha(args.words[1], ticketWords == 2 ? args.words[2] : QString());
    Balcao balcao(conn, QDate::currentDate());
    if (terminal) {
        const int code = intOption(args, QStringLiteral("terminal"), 0);
        balcao.chamarTerminal(id, code);
        out(QStringLiteral("%1 chamada ao terminal %2").arg(id.texto()).arg(code));
        return 0;
    }
    bool ok = false;
    const int mesa = args.words.last().toInt(&ok);
    if (!ok)
        throw UsageError(QStringLiteral("número de mesa inválido: %1").arg(args.words.last()));
    out(QStringLiteral("%1 chamada para %2").arg(id.texto(), balcao.chamarMesa(id, mesa)));
    return 0;
}

int listar(FbConnection& conn, const Args& args)
{
    requireWords(args, 1, 1);
    const auto calls = Balcao(conn, QDate::currentDate()).listar(args.options.value(QStringLiteral("tipos")));
    for (const SenhaChamada& c : calls)
        out(c.senha + QLatin1Char('\t') + c.mesa + QLatin1Char('\t')
            + (c.preferencial ? QStringLiteral("PREFERENCIAL") : QString()));
    return 0;
}

// Every interval, a new ticket of F and P in turn (P priority), called at
// once to desks 1 and 2 in turn.
int demo(FbConnection& conn, const Args& args)
{
    requireWords(args, 1, 1);
    const int count = intOption(args, QStringLiteral("count"), 0);
    const int intervalo = intOption(args, QStringLiteral("intervalo"), 8);
    for (int i = 0; count == 0 || i < count; ++i) {
        if (i > 0)
            QThread::sleep(static_cast<unsigned long>(intervalo));
        const bool normal = i % 2 == 0;
        Balcao balcao(conn, QDate::currentDate());
        const SenhaId id = balcao.emitir(normal ? QStringLiteral("F") : QStringLiteral("P"), !normal);
        const QString mesa = balcao.chamarMesa(id, normal ? 1 : 2);
        out(QStringLiteral("%1  %2 chamada para %3")
                .arg(QTime::currentTime().toString(QStringLiteral("HH:mm:ss")), id.texto(), mesa));
    }
    return 0;
}

// The display's query on this database: read through an index or by a scan
// of the whole ticket table; and whether the program's user sees the other
// programs' attachments. 0 when both are well, 1 with the fixes otherwise.
// The ticket types are the display's own (CARTORIO.ini beside this program)
// unless given.
int verificar(FbConnection& conn, const Args& args)
{
    requireWords(args, 1, 1);
    const QString tipos = args.options.contains(QStringLiteral("tipos")) ? args.options.value(QStringLiteral("tipos"))
                                                                         : MonitorSettings::RetornaTiposSenha();
    int exitCode = 0;
    for (const Verificacao& v :
         {verificaConsulta(conn, tipos), verificaConexoes(conn, conn.param(QStringLiteral("Database")))}) {
        for (const QString& line : v.lines)
            out(line);
        exitCode = std::max(exitCode, v.exitCode);
    }
    return exitCode;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    platform::installLinuxCoreServices();
    const QStringList argv0 = app.arguments();
    if (argv0.contains(QStringLiteral("-h")) || argv0.contains(QStringLiteral("--help"))) {
        std::fputs(Usage, stdout);
        return 0;
    }
    try {
        const Args args = parse(app.arguments());
        const QString command = args.words[0];
        using Handler = int (*)(FbConnection&, const Args&);
        const QMap<QString, Handler> handlers{{QStringLiteral("emitir"), emitir},
                                              {QStringLiteral("chamar"), chamar},
                                              {QStringLiteral("listar"), listar},
                                              {QStringLiteral("demo"), demo},
                                              {QStringLiteral("verificar"), verificar}};
        if (!handlers.contains(command))
            throw UsageError(QStringLiteral("comando desconhecido: %1").arg(command));
        FbConnection conn(connectionParams(args));
        try {
            conn.open();
        } catch (const Exception& e) {
            throw Exception(QStringLiteral("Não foi possível conectar a %1: %2")
                                .arg(conn.param(QStringLiteral("Database")), e.message()));
        }
        return handlers[command](conn, args);
    } catch (const EntradaInvalida& e) {
        std::fprintf(stderr, "senha: %s\n", e.message().toUtf8().constData());
        std::fputs(Usage, stderr);
        return 2;
    } catch (const UsageError& e) {
        if (!e.message().isEmpty())
            std::fprintf(stderr, "senha: %s\n", e.message().toUtf8().constData());
        std::fputs(Usage, stderr);
        return 2;
    } catch (const Exception& e) {
        std::fprintf(stderr, "senha: %s\n", e.message().toUtf8().constData());
        return 1;
    }
}

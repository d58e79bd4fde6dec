#include "support/E2eProgram.h"

#include "support/Paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QtTest>

#include <csignal>
#include <dlfcn.h>
#include <unistd.h>
#include <xcb/xcb.h>

namespace e2e {

namespace {

const char* const RequireDisplay = "MONITOR_REQUIRE_DISPLAY";

bool skipOrFail(const QString& why)
{
    if (qEnvironmentVariable(RequireDisplay) == QLatin1String("1"))
        QTest::qFail(qPrintable(why), __FILE__, __LINE__);
    else
        QTest::qSkip(qPrintable(why), __FILE__, __LINE__);
    return false;
}

// The X client library is loaded at run time: the tests link no X library.
struct Xcb {
    using Connect = xcb_connection_t* (*)(const char*, int*);
    using HasError = int (*)(xcb_connection_t*);
    using InternAtom = xcb_intern_atom_cookie_t (*)(xcb_connection_t*, uint8_t, uint16_t, const char*);
    using InternAtomReply = xcb_intern_atom_reply_t* (*)(xcb_connection_t*, xcb_intern_atom_cookie_t,
                                                         xcb_generic_error_t**);
    using SendEvent = xcb_void_cookie_t (*)(xcb_connection_t*, uint8_t, xcb_window_t, uint32_t, const char*);
    using Flush = int (*)(xcb_connection_t*);
    using Disconnect = void (*)(xcb_connection_t*);
    using GetInputFocus = xcb_get_input_focus_cookie_t (*)(xcb_connection_t*);
    using GetInputFocusReply = xcb_get_input_focus_reply_t* (*)(xcb_connection_t*, xcb_get_input_focus_cookie_t,
                                                                xcb_generic_error_t**);

    Xcb()
    {
        lib = dlopen("libxcb.so.1", RTLD_NOW | RTLD_LOCAL);
        if (!lib)
            return;
        connect = reinterpret_cast<Connect>(dlsym(lib, "xcb_connect"));
        hasError = reinterpret_cast<HasError>(dlsym(lib, "xcb_connection_has_error"));
        internAtom = reinterpret_cast<InternAtom>(dlsym(lib, "xcb_intern_atom"));
        internAtomReply = reinterpret_cast<InternAtomReply>(dlsym(lib, "xcb_intern_atom_reply"));
        sendEvent = reinterpret_cast<SendEvent>(dlsym(lib, "xcb_send_event"));
        flush = reinterpret_cast<Flush>(dlsym(lib, "xcb_flush"));
        disconnect = reinterpret_cast<Disconnect>(dlsym(lib, "xcb_disconnect"));
        getInputFocus = reinterpret_cast<GetInputFocus>(dlsym(lib, "xcb_get_input_focus"));
        getInputFocusReply = reinterpret_cast<GetInputFocusReply>(dlsym(lib, "xcb_get_input_focus_reply"));
    }
    ~Xcb()
    {
        if (lib)
            dlclose(lib);
    }
    bool ok() const
    {
        return lib && connect && hasError && internAtom && internAtomReply && sendEvent && flush && disconnect
            && getInputFocus && getInputFocusReply;
    }
    xcb_atom_t atom(xcb_connection_t* c, const char* name) const
    {
        xcb_intern_atom_reply_t* reply =
            internAtomReply(c, internAtom(c, 0, static_cast<uint16_t>(qstrlen(name)), name), nullptr);
        if (!reply)
            return XCB_ATOM_NONE;
        const xcb_atom_t result = reply->atom;
        free(reply);
        return result;
    }

    void* lib = nullptr;
    Connect connect = nullptr;
    HasError hasError = nullptr;
    InternAtom internAtom = nullptr;
    InternAtomReply internAtomReply = nullptr;
    SendEvent sendEvent = nullptr;
    Flush flush = nullptr;
    Disconnect disconnect = nullptr;
    GetInputFocus getInputFocus = nullptr;
    GetInputFocusReply getInputFocusReply = nullptr;
};

// The one copy of the loaded X client library.
const Xcb& xcbLibrary()
{
    static const Xcb xcb;
    return xcb;
}

// An X server that resets after its last client goes refuses connections
// for a moment while it resets: a program started then dies at once. The
// test keeps a connection of its own open to its end, so the display never
// resets under it; connecting is retried across a reset the previous test
// may have set off.
bool holdDisplay()
{
    const Xcb& xcb = xcbLibrary();
    static xcb_connection_t* held = nullptr;
    if (held)
        return true;
    if (!xcb.ok())
        return false;
    for (int attempt = 0; attempt < 30; ++attempt) {
        xcb_connection_t* c = xcb.connect(nullptr, nullptr);
        if (!xcb.hasError(c)) {
            held = c;
            return true;
        }
        xcb.disconnect(c);
        QThread::msleep(100);
    }
    return false;
}

QString scriptPath(const QString& name)
{
    return testpaths::sourceDir() + QStringLiteral("/scripts/") + name;
}

} // namespace

bool requireDisplay(const QStringList& tools)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        return skipOrFail(QStringLiteral("no X display (DISPLAY is empty)"));
    if (!holdDisplay())
        return skipOrFail(QStringLiteral("the X display refuses connections"));
    for (const QString& tool : tools)
        if (QStandardPaths::findExecutable(tool).isEmpty())
            return skipOrFail(tool + QStringLiteral(" is missing (scripts/deps installs it)"));
    return true;
}

bool requireFirebirdBinaries()
{
    if (QFile::exists(QStringLiteral("/usr/sbin/firebird")))
        return true;
    if (qEnvironmentVariable("MONITOR_REQUIRE_SERVER") == QLatin1String("1"))
        QTest::qFail("the Firebird server is not installed", __FILE__, __LINE__);
    else
        QTest::qSkip("the Firebird server is not installed", __FILE__, __LINE__);
    return false;
}

Result run(const QString& program, const QStringList& args, int timeoutMs, const QProcessEnvironment& env)
{
    Result result;
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(program, args);
    if (!p.waitForStarted(5000))
        return result;
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished(5000);
    } else {
        result.finished = p.exitStatus() == QProcess::NormalExit;
        result.exitCode = p.exitCode();
    }
    result.out = QString::fromUtf8(p.readAllStandardOutput());
    result.err = QString::fromUtf8(p.readAllStandardError());
    return result;
}

QStringList xdotool(const QStringList& args)
{
    return run(QStringLiteral("xdotool"), args, 5000).out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

QStringList windowsNamed(const QString& nameRegex, qint64 pid)
{
    QStringList args{QStringLiteral("search"), QStringLiteral("--onlyvisible")};
    if (pid > 0)
        args << QStringLiteral("--all") << QStringLiteral("--pid") << QString::number(pid);
    args << QStringLiteral("--name") << nameRegex;
    return xdotool(args);
}

QString waitForWindow(const QString& nameRegex, qint64 pid, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        const QStringList found = windowsNamed(nameRegex, pid);
        if (!found.isEmpty())
            return found.first();
        if (clock.elapsed() > timeoutMs)
            return {};
        QTest::qWait(200);
    }
}

QRect windowGeometry(const QString& window)
{
    QHash<QString, int> values;
    for (const QString& line : xdotool({QStringLiteral("getwindowgeometry"), QStringLiteral("--shell"), window})) {
        const int eq = line.indexOf(QLatin1Char('='));
        if (eq > 0)
            values.insert(line.left(eq), line.mid(eq + 1).toInt());
    }
    return QRect(values.value(QStringLiteral("X")), values.value(QStringLiteral("Y")),
                 values.value(QStringLiteral("WIDTH")), values.value(QStringLiteral("HEIGHT")));
}

void pressReturn(const QString& window)
{
    xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), window});
    // The server's own keyboard, not events sent to the window: a box closes
    // on the press, and a release aimed at a window that is gone by then is
    // lost, leaving Return held down (and repeating into every later box).
    xdotool({QStringLiteral("key"), QStringLiteral("Return")});
    xdotool({QStringLiteral("keyup"), QStringLiteral("Return")});
}

bool requestClose(const QString& window)
{
    bool isNumber = false;
    const xcb_window_t id = window.toUInt(&isNumber);
    const Xcb& xcb = xcbLibrary();
    if (!isNumber || !xcb.ok())
        return false;
    xcb_connection_t* c = xcb.connect(nullptr, nullptr);
    if (xcb.hasError(c)) {
        xcb.disconnect(c);
        return false;
    }
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = id;
    event.type = xcb.atom(c, "WM_PROTOCOLS");
    event.data.data32[0] = xcb.atom(c, "WM_DELETE_WINDOW");
    event.data.data32[1] = XCB_CURRENT_TIME;
    const bool ok = event.type != XCB_ATOM_NONE && event.data.data32[0] != XCB_ATOM_NONE;
    if (ok)
        xcb.sendEvent(c, 0, id, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&event));
    // A round trip before hanging up: the server may drop requests of a
    // client that is gone before it has read them, and under load the
    // request was sometimes lost that way.
    free(xcb.getInputFocusReply(c, xcb.getInputFocus(c), nullptr));
    xcb.disconnect(c);
    return ok;
}

QImage grabScreen()
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("screen.png"));
    const Result r = run(QStringLiteral("import"), {QStringLiteral("-window"), QStringLiteral("root"), file}, 20000);
    if (!r.finished || r.exitCode != 0)
        return {};
    return QImage(file);
}

QImage glyphsOnWhite(const QImage& image)
{
    const QImage source = image.convertToFormat(QImage::Format_RGB32);
    QHash<QRgb, int> counts;
    for (int y = 0; y < source.height(); ++y)
        for (int x = 0; x < source.width(); ++x)
            ++counts[source.pixel(x, y)];
    QRgb background = 0;
    int most = -1;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        if (it.value() > most) {
            most = it.value();
            background = it.key();
        }
    // A margin of white around the text helps the OCR engine find the line.
    const int margin = 20;
    QImage result(source.width() + 2 * margin, source.height() + 2 * margin, QImage::Format_RGB32);
    result.fill(Qt::white);
    for (int y = 0; y < source.height(); ++y)
        for (int x = 0; x < source.width(); ++x) {
            const QRgb p = source.pixel(x, y);
            const int distance = qAbs(qRed(p) - qRed(background)) + qAbs(qGreen(p) - qGreen(background))
                + qAbs(qBlue(p) - qBlue(background));
            if (distance > 150)
                result.setPixel(x + margin, y + margin, qRgb(0, 0, 0));
        }
    return result;
}

QString readText(const QImage& image, TextKind kind)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("text.png"));
    QStringList args{file, QStringLiteral("stdout")};
    QImage scaled = image;
    if (kind == TextKind::Ticket) {
        // Glyphs some hundred pixels high read worse than ordinary print sizes.
        if (image.height() > 160)
            scaled = image.scaledToHeight(160, Qt::SmoothTransformation);
        args << QStringLiteral("--psm") << QStringLiteral("7") << QStringLiteral("-c")
             << QStringLiteral("tessedit_char_whitelist=ABCDEFGHIJKLMNOPQRSTUVWXYZ-0123456789");
    } else {
        // Small screen print reads better enlarged.
        scaled = image.scaled(image.size() * 3, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        args << QStringLiteral("--psm") << QStringLiteral("6");
    }
    if (!scaled.save(file))
        return {};
    const Result r = run(QStringLiteral("tesseract"), args, 30000);
    return r.out.simplified();
}

Program::Program()
{
    m_process.setWorkingDirectory(m_dir.path());
    m_process.setProcessEnvironment(environment());
}

Program::~Program()
{
    stop();
}

QString Program::executable() const
{
    return m_dir.filePath(QStringLiteral("MonitorSenha"));
}

QProcessEnvironment Program::environment()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("LC_ALL"));
    env.insert(QStringLiteral("LC_TIME"), QStringLiteral("pt_BR.UTF-8"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    return env;
}

bool Program::stage(const QString& database)
{
    if (!m_dir.isValid())
        return false;
    for (const QString& name :
         {QStringLiteral("MonitorSenha"), QStringLiteral("VarloLib.dll"), QStringLiteral("senha")}) {
        const QString target = m_dir.filePath(name);
        QFile::remove(target);
        if (!QFile::copy(testpaths::stageDir() + QLatin1Char('/') + name, target))
            return false;
    }
    QFile ini(m_dir.filePath(QStringLiteral("dbxconnections.ini")));
    if (!ini.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    ini.write(QByteArray("[CART\xD3RIO]\r\nDatabase=") + database.toLocal8Bit() + "\r\n");
    m_database = database;
    return true;
}

void Program::writeSettings(const QString& tiposSenha, bool repetirSom)
{
    QFile ini(m_dir.filePath(QStringLiteral("CARTORIO.ini")));
    if (ini.open(QIODevice::WriteOnly | QIODevice::Truncate))
        ini.write("[MONITOR]\r\nTIPO_SENHA=" + tiposSenha.toLatin1() + "\r\nREPETIR_SOM=" + (repetirSom ? "S" : "N")
                  + "\r\n");
}

Result Program::senha(const QStringList& args)
{
    return run(m_dir.filePath(QStringLiteral("senha")), QStringList{QStringLiteral("--database"), m_database} + args,
               30000, environment());
}

void Program::setEnvironment(const QString& name, const QString& value)
{
    QProcessEnvironment env = m_process.processEnvironment();
    env.insert(name, value);
    m_process.setProcessEnvironment(env);
}

void Program::start()
{
    m_stderr.clear();
    // Run as root, the program could set the machine's clock from the
    // server's; a bounding set without that capability keeps the clock.
    if (geteuid() == 0) {
        m_process.start(QStringLiteral("setpriv"),
                        QStringList{QStringLiteral("--bounding-set"), QStringLiteral("-sys_time"), QStringLiteral("--"),
                                    executable()}
                            + m_arguments);
    } else {
        m_process.start(executable(), m_arguments);
    }
    m_process.waitForStarted(5000);
}

bool Program::waitForExit(int timeoutMs)
{
    if (m_process.state() == QProcess::NotRunning)
        return true;
    return m_process.waitForFinished(timeoutMs);
}

void Program::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    // The database client catches SIGTERM for its own shutdown, and the
    // program goes on after it: only a kill ends it.
    m_process.kill();
    m_process.waitForFinished(5000);
}

QString Program::errorOutput()
{
    m_stderr += m_process.readAllStandardError();
    return QString::fromLocal8Bit(m_stderr);
}

PrivateServer::~PrivateServer()
{
    stop();
}

bool PrivateServer::start(QString* error)
{
    if (!m_root.isValid()) {
        *error = QStringLiteral("no temporary folder for the server");
        return false;
    }
    // A port away from the shared servers', moved on while taken.
    const int first = 3300 + static_cast<int>(QCoreApplication::applicationPid() % 400);
    for (int port = first; port < first + 20; ++port) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("PORT"), QString::number(port));
        const Result r =
            run(scriptPath(QStringLiteral("fbserver")), {QStringLiteral("start"), m_root.path()}, 60000, env);
        m_started = true;
        if (r.finished && r.exitCode == 0) {
            const QRegularExpression hostLine(QStringLiteral("MONITOR_FB_HOST=(\\S+)"));
            m_host = hostLine.match(r.out).captured(1);
            return !m_host.isEmpty();
        }
        if (!r.err.contains(QLatin1String("already in use"))) {
            *error = QStringLiteral("fbserver start failed: ") + r.err;
            return false;
        }
    }
    *error = QStringLiteral("no free port for a private server");
    return false;
}

qint64 PrivateServer::serverPid() const
{
    QFile file(m_root.filePath(QStringLiteral("server.pid")));
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    return file.readAll().trimmed().toLongLong();
}

bool PrivateServer::freeze()
{
    const qint64 pid = serverPid();
    if (pid <= 0 || ::kill(pid_t(pid), SIGSTOP) != 0)
        return false;
    m_frozen = true;
    return true;
}

void PrivateServer::thaw()
{
    const qint64 pid = serverPid();
    if (m_frozen && pid > 0)
        ::kill(pid_t(pid), SIGCONT);
    m_frozen = false;
}

bool PrivateServer::restart(QString* error)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("PORT"), m_host.section(QLatin1Char('/'), 1));
    const Result r = run(scriptPath(QStringLiteral("fbserver")), {QStringLiteral("start"), m_root.path()}, 60000, env);
    m_started = true;
    if (!r.finished || r.exitCode != 0)
        *error = QStringLiteral("fbserver start failed: ") + r.err;
    return r.finished && r.exitCode == 0;
}

void PrivateServer::stop()
{
    thaw();
    if (!m_started)
        return;
    run(scriptPath(QStringLiteral("fbserver")), {QStringLiteral("stop"), m_root.path()}, 20000);
    m_started = false;
}

QString PrivateServer::createDemoDatabases(QString* error)
{
    const QString dir = m_root.filePath(QStringLiteral("data/db"));
    const Result r =
        run(scriptPath(QStringLiteral("mkdb")),
            {dir, QStringLiteral("--demo"), QStringLiteral("--server"), m_host, QStringLiteral("--force")}, 120000);
    const QRegularExpression databaseLine(QStringLiteral("Database=(\\S+)"));
    const QString database = databaseLine.match(r.out).captured(1);
    if (!r.finished || r.exitCode != 0 || database.isEmpty())
        *error = QStringLiteral("mkdb failed: ") + r.err;
    return database;
}

} // namespace e2e

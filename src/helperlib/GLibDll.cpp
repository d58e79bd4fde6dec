#include "helperlib/GLibDll.h"

#include "base/Errors.h"
#include "platform/Platform.h"
#include "support/ProgramPaths.h"

#include <QByteArray>
#include <QMutex>
#include <QMutexLocker>

namespace GLibDll {
namespace {

// How the library's entry points receive and return texts: UTF-8 in, the
// result copied into our buffer, the full result length returned.
using GetBuildInfoFn = int (*)(const char* item, const char* target, char* out, int outSize);
using ExisteAtualizacaoFn = int (*)(const char* released, const char* build);
using CriptoGrafaFn = int (*)(const char* text, quint16 key, char* out, int outSize);
using DescriptoGrafaFn = int (*)(const char* text, quint16 key, quint16 mode, char* out, int outSize);

QString libraryPath()
{
    return (ProgramPaths::directory() + QStringLiteral("VarloLib.dll")).trimmed();
}

void* loadLibrary()
{
    platform::LibraryLoader* loader = platform::services().libraries;
    void* handle = loader ? loader->load(libraryPath()) : nullptr;
    if (!handle)
        throw Exception(QStringLiteral("VarloLib.Dll não disponível."));
    return handle;
}

void* entryPoint(void* handle, const char* name)
{
    void* entry = platform::services().libraries->symbol(handle, name);
    if (!entry)
        throw Exception(QStringLiteral("Ponto de Entrada não encontrado na Dll do VARLO - ") + QLatin1String(name));
    return entry;
}

// The library loaded for one call; released when the call ends, however it ends.
class LoadedLibrary {
public:
    LoadedLibrary() : m_handle(loadLibrary()) {}
    ~LoadedLibrary() { platform::services().libraries->release(m_handle); }
    LoadedLibrary(const LoadedLibrary&) = delete;
    LoadedLibrary& operator=(const LoadedLibrary&) = delete;
    template <typename Fn>
    Fn entry(const char* name)
    {
        return reinterpret_cast<Fn>(entryPoint(m_handle, name));
    }

private:
    void* m_handle;
};

// Calls an entry point that writes a text result, growing the buffer when the
// first one was too small.
template <typename Call>
QString textResult(Call call)
{
    QByteArray buffer(256, '\0');
    int length = call(buffer.data(), int(buffer.size()));
    if (length >= buffer.size()) {
        buffer.resize(length + 1);
        length = call(buffer.data(), int(buffer.size()));
    }
    return QString::fromUtf8(buffer.constData(), qBound(0, length, int(buffer.size()) - 1));
}

// Library and entry point kept by DescriptoGrafa between modes 1 and 3.
struct KeptDecipher {
    QMutex mutex;
    void* handle = nullptr;
    DescriptoGrafaFn entry = nullptr;

    void release()
    {
        if (handle)
            platform::services().libraries->release(handle);
        handle = nullptr;
        entry = nullptr;
    }
};

KeptDecipher& kept()
{
    static KeptDecipher k;
    return k;
}

QString decipher(DescriptoGrafaFn entry, const QString& text, quint16 key, quint16 mode)
{
    const QByteArray utf8 = text.toUtf8();
    return textResult([&](char* out, int size) { return entry(utf8.constData(), key, mode, out, size); });
}

} // namespace

QString GetBuildInfo(const QString& item, const QString& target)
{
    const QString file = target == QLatin1String("SELF") ? ProgramPaths::executablePath() : target;
    LoadedLibrary library;
    auto entry = library.entry<GetBuildInfoFn>("GetBuildInfo");
    const QByteArray itemUtf8 = item.toUtf8();
    const QByteArray fileUtf8 = file.toUtf8();
    return textResult(
        [&](char* out, int size) { return entry(itemUtf8.constData(), fileUtf8.constData(), out, size); });
}

bool ExisteAtualizacao(const QString& released, const QString& build)
{
    LoadedLibrary library;
    auto entry = library.entry<ExisteAtualizacaoFn>("ExisteAtualizacao");
    return entry(released.toUtf8().constData(), build.toUtf8().constData()) != 0;
}

QString CriptoGrafa(const QString& text, quint16 key)
{
    LoadedLibrary library;
    auto entry = library.entry<CriptoGrafaFn>("CriptoGrafa");
    const QByteArray utf8 = text.toUtf8();
    return textResult([&](char* out, int size) { return entry(utf8.constData(), key, out, size); });
}

QString DescriptoGrafa(const QString& text, quint16 key, quint16 mode)
{
    if (mode < 1 || mode > 3) {
        LoadedLibrary library;
        return decipher(library.entry<DescriptoGrafaFn>("DescriptoGrafa"), text, key, mode);
    }

    KeptDecipher& k = kept();
    QMutexLocker lock(&k.mutex);
    if (!k.handle) {
        k.handle = loadLibrary();
        try {
            k.entry = reinterpret_cast<DescriptoGrafaFn>(entryPoint(k.handle, "DescriptoGrafa"));
        } catch (...) {
            k.release();
            throw;
        }
    }
    const QString result = decipher(k.entry, text, key, mode);
    if (mode == 3)
        k.release();
    return result;
}

} // namespace GLibDll

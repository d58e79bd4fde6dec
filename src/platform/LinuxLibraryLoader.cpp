#include "platform/LinuxServices.h"

#include <QFile>

#include <dlfcn.h>

namespace platform {

void* LinuxLibraryLoader::load(const QString& path)
{
    // A name without a directory would make dlopen search the library path;
    // only the given file may be loaded.
    if (!path.contains(QLatin1Char('/')))
        return nullptr;
    return dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL);
}

void* LinuxLibraryLoader::symbol(void* handle, const char* name)
{
    return handle ? dlsym(handle, name) : nullptr;
}

void LinuxLibraryLoader::release(void* handle)
{
    if (handle)
        dlclose(handle);
}

} // namespace platform

#include "platform/LinuxMemory.h"

#include <cstdio>
#include <cstring>
#include <malloc.h>
#include <sys/mman.h>

namespace platform {

void limitHeapArenas()
{
    mallopt(M_ARENA_MAX, 2);
}

void trimHeap()
{
    malloc_trim(0);
}

namespace {

struct Mapeamento {
    unsigned long inicio = 0;
    unsigned long fim = 0;
    bool candidato = false; // private, not writable, backed by a file
    bool proprio = false;   // holds pages the process wrote (copies of its own)
};

void libera(const Mapeamento& m)
{
    if (m.candidato && !m.proprio && m.fim > m.inicio)
        madvise(reinterpret_cast<void*>(m.inicio), m.fim - m.inicio, MADV_DONTNEED);
}

} // namespace

void releaseFilePages()
{
    std::FILE* smaps = std::fopen("/proc/self/smaps", "re");
    if (!smaps)
        return;
    char linha[4096];
    Mapeamento atual;
    while (std::fgets(linha, sizeof linha, smaps)) {
        unsigned long inicio = 0;
        unsigned long fim = 0;
        char perms[8] = {};
        unsigned long deslocamento = 0;
        char dispositivo[16] = {};
        unsigned long inode = 0;
        if (std::sscanf(linha, "%lx-%lx %7s %lx %15s %lu", &inicio, &fim, perms, &deslocamento, dispositivo, &inode)
            == 6) {
            libera(atual);
            atual = Mapeamento{inicio, fim, inode != 0 && perms[1] == '-' && perms[3] == 'p', false};
            continue;
        }
        unsigned long kb = 0;
        if (std::sscanf(linha, "Anonymous: %lu kB", &kb) == 1 && kb > 0)
            atual.proprio = true;
    }
    libera(atual);
    std::fclose(smaps);
}

} // namespace platform

#include "base/FreedMemory.h"

// Defines __GLIBC__: without a C library header first, the test below never saw it and nothing was
// ever given back.
#include <cstdlib>

#include <QTimer>

#if defined(__GLIBC__)
#include <malloc.h>
#elif defined(_WIN32)
#include <malloc.h>
#endif

void ReleaseFreedMemory()
{
#if defined(__GLIBC__)
    malloc_trim(0);
#elif defined(_WIN32)
    _heapmin();
#endif
}

void KeepLargeBlocksApart()
{
#if defined(__GLIBC__)
    constexpr int SeparateFrom = 256 * 1024;
    mallopt(M_MMAP_THRESHOLD, SeparateFrom);
#endif
}

void ReleaseFreedMemorySoon(QObject *Context)
{
    constexpr int AfterPaintMs = 250;
    ReleaseFreedMemory();
    QTimer::singleShot(AfterPaintMs, Context, [] { ReleaseFreedMemory(); });
}

#include "ui/HeapTuning.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace zel {

void keepLargeBlocksInHeap()
{
#if defined(__GLIBC__)
    mallopt(M_MMAP_THRESHOLD, 64 * 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 256 * 1024 * 1024);
#endif
}

} // namespace zel

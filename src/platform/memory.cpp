// The allocator's thresholds where the C library lets them be set (glibc); elsewhere its own are kept.
#include "platform/memory.hpp"

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace fk::platform {

void keepFreedMemory() {
#if defined(__GLIBC__)
    mallopt(M_MMAP_THRESHOLD, 1 << 30); // blocks below 1 GB come from the heap, reused when freed
    mallopt(M_TRIM_THRESHOLD, -1);      // freed heap memory is kept, not trimmed away
#endif
}

} // namespace fk::platform

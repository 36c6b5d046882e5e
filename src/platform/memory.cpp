// The allocator's thresholds where the C library lets them be set (glibc); elsewhere its own are kept.
#include "platform/memory.hpp"

#include <cstdlib> // defines __GLIBC__ where it is glibc

#if defined(__GLIBC__)
#include <malloc.h>
#endif
#if defined(__GLIBC__) && defined(__linux__)
#include <string>
#include <unistd.h>
#endif

namespace fk::platform {

void keepFreedMemory() {
#if defined(__GLIBC__)
    mallopt(M_MMAP_THRESHOLD, 1 << 30); // blocks below 1 GB come from the heap, reused when freed
    mallopt(M_TRIM_THRESHOLD, -1);      // freed heap memory is kept, not trimmed away
#endif
}

void useLargePages([[maybe_unused]] char** argv) {
#if defined(__GLIBC__) && defined(__linux__)
    // glibc reads its tunables once, at start: the only way to ask is to start again with one set. Where the
    // variable names it already (this restart, or the user's own choice) nothing is changed.
    constexpr const char* name = "GLIBC_TUNABLES";
    const char* set = std::getenv(name);
    const std::string before = set ? set : "";
    if (before.find("glibc.malloc.hugetlb") != std::string::npos)
        return;
    const std::string asked = (before.empty() ? "" : before + ":") + "glibc.malloc.hugetlb=1";
    if (::setenv(name, asked.c_str(), 1) != 0)
        return;
    ::execv("/proc/self/exe", argv);
    // Not started again (no /proc): go on with the defaults, the environment as it was.
    if (set)
        ::setenv(name, before.c_str(), 1);
    else
        ::unsetenv(name);
#endif
}

} // namespace fk::platform

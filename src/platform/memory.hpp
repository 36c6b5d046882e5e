// How the process's allocator treats large blocks it frees.
#pragma once

namespace fk::platform {

// Keeps large freed blocks for reuse instead of handing them back to the system at once: a board's layers are
// read, united and let go one after the other, and giving each back only to fault it in again took a fifth of
// Board Check's time on large boards. Call once, first thing in main.
void keepFreedMemory();

// Where the C library can be asked for large pages (glibc on Linux), starts the program again, once, with
// that asked: a large board's hundreds of megabytes then fault in by 2 MB and not by 4 kB, which took a
// quarter of Board Check's time on the 100 000-hole board. Elsewhere, or when it cannot, returns and the
// program goes on as it is. Call first thing in main, with main's own argv.
void useLargePages(char** argv);

} // namespace fk::platform

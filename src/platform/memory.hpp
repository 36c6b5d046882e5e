// How the process's allocator treats large blocks it frees.
#pragma once

namespace fk::platform {

// Keeps large freed blocks for reuse instead of handing them back to the system at once: a board's layers are
// read, united and let go one after the other, and giving each back only to fault it in again took a fifth of
// Board Check's time on large boards. Call once, first thing in main.
void keepFreedMemory();

} // namespace fk::platform

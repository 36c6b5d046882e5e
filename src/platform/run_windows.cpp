// Which run a transient file belongs to, and whether that run still lives, on Windows.
#include "platform/host.hpp"

#include <windows.h>

namespace fk::platform::host {

namespace {

// When a process was made, in 100 ns units, exactly as the system keeps it; 0 where it cannot be told.
unsigned long long creationTime(HANDLE process) {
    FILETIME created, exited, kernel, user;
    if (!::GetProcessTimes(process, &created, &exited, &kernel, &user))
        return 0;
    return (static_cast<unsigned long long>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
}

} // namespace

Run currentRun() {
    return {::GetCurrentProcessId(), creationTime(::GetCurrentProcess()), 0};
}

bool runIsLive(const Run& run) {
    HANDLE process = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(run.pid));
    if (!process)
        return ::GetLastError() == ERROR_ACCESS_DENIED;
    DWORD code = 0;
    const bool running = ::GetExitCodeProcess(process, &code) && code == STILL_ACTIVE;
    const unsigned long long created = creationTime(process);
    ::CloseHandle(process);
    // A process made at another time only took the number of the one that made the file.
    return running && (run.started == 0 || created == 0 || created == run.started);
}

} // namespace fk::platform::host

// Which run a transient file belongs to, and whether that run still lives, on Linux.
#include "platform/host.hpp"

#include <cerrno>
#include <charconv>
#include <csignal>
#include <fstream>
#include <limits>
#include <sstream>
#include <unistd.h>

namespace fk::platform::host {

namespace {

struct ProcessState {
    char state;
    unsigned long long started; // clock ticks after boot, as the kernel fixed it when the process was made
};

// The state and start time of a process from /proc (Linux); nullopt where that cannot be told.
std::optional<ProcessState> processState(unsigned long pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(stat, line))
        return std::nullopt;
    // The command name in parentheses may hold blanks; the state is the field after it, the start time the
    // 20th.
    auto close = line.rfind(')');
    if (close == std::string::npos)
        return std::nullopt;
    std::istringstream fields(line.substr(close + 1));
    std::string state, field;
    fields >> state;
    for (int i = 1; i < 20 && fields >> field; ++i) {
    }
    unsigned long long started = 0;
    const char* end = field.data() + field.size();
    auto [stop, error] = std::from_chars(field.data(), end, started);
    if (!fields || state.size() != 1 || error != std::errc() || stop != end)
        return std::nullopt;
    return ProcessState{state[0], started};
}

// The first 32 bits of this boot's random id; 0 where the system does not tell it.
unsigned long bootTag() {
    std::ifstream id("/proc/sys/kernel/random/boot_id");
    std::string text;
    unsigned long tag = 0;
    if (!std::getline(id, text) || text.size() < 8)
        return 0;
    auto [stop, error] = std::from_chars(text.data(), text.data() + 8, tag, 16);
    return error == std::errc() && stop == text.data() + 8 ? tag : 0;
}

} // namespace

Run currentRun() {
    const auto pid = static_cast<unsigned long>(::getpid());
    const auto self = processState(pid);
    return {pid, self ? self->started : 0, bootTag()};
}

bool runIsLive(const Run& run) {
    if (run.pid == 0 || run.pid > static_cast<unsigned long>(std::numeric_limits<pid_t>::max()))
        return false;
    // Start times count from the boot; one of an earlier boot says nothing about today's processes.
    const unsigned long boot = bootTag();
    if (run.boot != 0 && boot != 0 && run.boot != boot)
        return false;
    if (::kill(static_cast<pid_t>(run.pid), 0) != 0 && errno == ESRCH)
        return false;
    const auto now = processState(run.pid);
    if (!now)
        return true;
    // A killed process waiting for its parent to collect it holds nothing any more.
    if (now->state == 'Z' || now->state == 'X')
        return false;
    return run.started == 0 || now->started == run.started;
}

} // namespace fk::platform::host

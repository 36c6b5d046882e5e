#include "platform/interrupt.hpp"

#include "platform/files.hpp"

#include <atomic>
#include <windows.h>

namespace fk::platform {

namespace {

// Set from the console's control thread: the one place where only a global can carry the request.
std::atomic<bool> stopRequested{false};

BOOL WINAPI onConsoleControl(DWORD) {
    stopRequested = true;
    return TRUE; // handled: the job stops at its next safe point
}

} // namespace

struct InterruptScope::Saved {};

InterruptScope::InterruptScope() : saved_(std::make_unique<Saved>()) {
    stopRequested = false;
    ::SetConsoleCtrlHandler(onConsoleControl, TRUE);
}

InterruptScope::~InterruptScope() {
    ::SetConsoleCtrlHandler(onConsoleControl, FALSE);
    stopRequested = false;
}

void checkInterrupted() {
    if (stopRequested)
        throw Interrupted();
}

// A request during a commit only sets the flag; nothing checks it until the commit is through.
HoldInterrupts::HoldInterrupts() = default;
HoldInterrupts::~HoldInterrupts() = default;

void ignoreBrokenPipe() {}

void requestInterruptForTesting() {
    stopRequested = true;
}

} // namespace fk::platform

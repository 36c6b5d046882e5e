#include "platform/interrupt.hpp"

#include "platform/files.hpp"

#include <csignal>
#include <pthread.h>

namespace fk::platform {

namespace {

// Set from a signal handler: the one place where only a global can carry the request.
volatile std::sig_atomic_t stopRequested = 0;

constexpr int stopSignals[] = {SIGINT, SIGTERM, SIGHUP};

extern "C" void onStopSignal(int) {
    stopRequested = 1;
}

sigset_t stopSet() {
    sigset_t set;
    sigemptyset(&set);
    for (int s : stopSignals)
        sigaddset(&set, s);
    return set;
}

} // namespace

struct InterruptScope::Saved {
    struct sigaction actions[std::size(stopSignals)];
};

InterruptScope::InterruptScope() : saved_(std::make_unique<Saved>()) {
    stopRequested = 0;
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    for (size_t i = 0; i < std::size(stopSignals); ++i)
        sigaction(stopSignals[i], &action, &saved_->actions[i]);
}

InterruptScope::~InterruptScope() {
    for (size_t i = 0; i < std::size(stopSignals); ++i)
        sigaction(stopSignals[i], &saved_->actions[i], nullptr);
    stopRequested = 0;
}

void checkInterrupted() {
    if (stopRequested)
        throw Interrupted();
}

HoldInterrupts::HoldInterrupts() {
    sigset_t set = stopSet();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

HoldInterrupts::~HoldInterrupts() {
    sigset_t set = stopSet();
    pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
}

void ignoreBrokenPipe() {
    std::signal(SIGPIPE, SIG_IGN);
}

void requestInterruptForTesting() {
    stopRequested = 1;
}

} // namespace fk::platform

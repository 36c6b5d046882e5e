// Stop requests from outside while a job runs: Ctrl+C, SIGTERM, a closed terminal. They end the job at its
// next safe point instead of killing the process, so that its files are left as they were.
#pragma once

#include <memory>

namespace fk::platform {

// While one exists, SIGINT, SIGTERM and SIGHUP (Ctrl+C and console close on Windows) only ask for a stop.
class InterruptScope {
  public:
    InterruptScope();
    ~InterruptScope();
    InterruptScope(const InterruptScope&) = delete;
    InterruptScope& operator=(const InterruptScope&) = delete;

  private:
    struct Saved; // what the host did with these requests before
    std::unique_ptr<Saved> saved_;
};

// Throws Interrupted when a stop was asked for since the scope began.
void checkInterrupted();

// Holds stop requests off while files are being replaced; they take effect when it ends.
class HoldInterrupts {
  public:
    HoldInterrupts();
    ~HoldInterrupts();
    HoldInterrupts(const HoldInterrupts&) = delete;
    HoldInterrupts& operator=(const HoldInterrupts&) = delete;
};

// A reader of our output that went away (a closed pipe) must not kill the process between two commits.
void ignoreBrokenPipe();

// Test seam: asks for a stop as a signal would.
void requestInterruptForTesting();

} // namespace fk::platform

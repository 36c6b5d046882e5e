// The command buttons: index, caption, command-line name, the files each reads and writes, and the job behind
// each. This table sits above the jobs so that nothing below the front ends has to know every job.
#pragma once

#include "app/context.hpp"
#include "app/runner.hpp"

#include <optional>
#include <span>
#include <string>
#include <vector>

namespace fk::model {

using app::JobFunction;

struct Command {
    int index;
    const char* caption;
    const char* name;      // command-line job name; empty for buttons without a job
    JobFunction job;       // nullptr: the button runs no job
    const char* files;     // what the button reads and writes (tooltip and help); empty when it does nothing
    int stoppedStatus = 1; // flashkit-cli's exit status when the job stops early
};

// Every button of the main window, index 0 to 18 (there is no index 1).
std::span<const Command> commands();
const Command* commandByIndex(int index);
const Command* commandByName(const std::string& nameOrIndex);

// Runs the job of a button; buttons without a job return at once. File errors and orderly stops that a job
// did not handle itself are turned into a log message here.
// The log's list of written files starts empty for each job.
std::optional<app::JobResult> dispatch(int index, const app::JobContext& context);

// What a job wrote, on one line for a window's status line: "No file was written.", "Written: <path>" or
// "Written (3): <path>, <path>, <path>".
std::string writtenSummary(const std::vector<std::string>& written);

} // namespace fk::model

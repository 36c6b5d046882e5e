// The command buttons: index, caption, command-line name and the job behind each.
#pragma once

#include "app/context.hpp"

#include <optional>
#include <span>
#include <string>

namespace fk::app {

using JobFunction = JobResult (*)(const JobContext&);

struct Command {
    int index;
    const char* caption;
    const char* name; // command-line job name; empty for buttons that do nothing
    JobFunction job;  // nullptr: the button does nothing
};

// Every button of the main window, index 0 to 18 (there is no index 1).
std::span<const Command> commands();
const Command* commandByIndex(int index);
const Command* commandByName(const std::string& nameOrIndex);

// Runs the job of a button; buttons without a job return at once. File errors and orderly stops that a job
// did not handle itself are turned into a log message here.
std::optional<JobResult> dispatch(int index, const JobContext& context);

} // namespace fk::app

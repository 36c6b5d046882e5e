// The boundary of every job: what it leaves in the log when it stops, and the tidying of what an earlier,
// interrupted run left in the folders it works in.
#pragma once

#include "app/context.hpp"

#include <functional>
#include <string>

namespace fk::app {

using JobFunction = JobResult (*)(const JobContext&);

// Where a job puts the message that stops it, in the manner of its other messages.
enum class Placement {
    Show,    // the log becomes the message alone
    Prepend, // on top, the newest line first
    Append,  // below the lines so far
    Below,   // below the lines so far, or alone in an empty log
    AtEnd,   // at the very end with its own line break, as the report job adds its notes
};
struct StopReport {
    Placement placement = Placement::Below;
    std::string trailer{}; // a line that follows the message ("[Aperture processing failed]")
};

// Runs a job's body; a JobStop, a FileError or a stop request ends it with its message placed as `report`
// says, and the job counts as stopped.
JobResult runBody(const JobContext& context, const StopReport& report,
                  const std::function<JobResult()>& body);

// The message of a job whose file base name is empty or blank.
inline constexpr const char* blankBaseName = "The file base name is empty, correct and re-try";
// True, with the log showing blankBaseName, when the file base name is empty or blank: the job would look
// for files named only by their extension (".PCB") and write such files.
bool refuseBlankBaseName(const JobContext& context);

// Runs a job to its end. Before it starts, the folders of the fields and of the program are tidied (an
// interrupted commit is undone, leftovers of ended runs removed), and so is every folder the user picks a
// file in, before the job reads it. Stop requests from outside end the job at a safe point.
JobResult runJob(JobFunction job, const JobContext& context);

} // namespace fk::app

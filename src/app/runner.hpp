// The boundary of every job: what it leaves in the log when it stops, and the tidying of what an earlier,
// interrupted run left in the folders it works in.
#pragma once

#include "app/context.hpp"

namespace fk::app {

using JobFunction = JobResult (*)(const JobContext&);

// Runs a job to its end. Before it starts, the folders of the fields and of the program are tidied (an
// interrupted commit is undone, leftovers of ended runs removed), and so is every folder the user picks a
// file in, before the job reads it. Stop requests from outside end the job at a safe point. File errors,
// orderly stops and interruptions that the job did not report itself are added to the log here.
JobResult runJob(JobFunction job, const JobContext& context);

} // namespace fk::app

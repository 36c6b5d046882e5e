// The two definition-file copies between PCB.DFN and the design's own definition file.
#pragma once

#include "app/context.hpp"

namespace fk::app {

JobResult dfn2file(const JobContext& context); // "TangoDFN >> File"
JobResult file2dfn(const JobContext& context); // "File >> TangoDFN"

} // namespace fk::app

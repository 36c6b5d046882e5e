// Design file editors: the polygon cleaner and the via plane assignment.
#pragma once
#include "app/context.hpp"
namespace fk::pcbedit {
app::JobResult pcbprocess(const app::JobContext& context); // "PCB Processor"
app::JobResult viaplane(const app::JobContext& context);   // "Vias >> Plane"
} // namespace fk::pcbedit

// The steps of the Gerber converter.
#pragma once

#include "app/context.hpp"
#include "platform/files.hpp"

#include <memory>
#include <string>

namespace fk::gerber {

// Draws a chosen drill list as a design file of arc records and hands back the finished drawing, to be
// committed with the job's other outputs; nothing when the selection was cancelled.
std::unique_ptr<platform::AtomicWriter> drillListStep(const app::JobContext& context);

// An arc record of a hole: radius, position, all as signed number texts.
std::string arcRecord(int radius, int x, int y);

} // namespace fk::gerber

// The steps of the Gerber converter.
#pragma once

#include "app/context.hpp"

#include <string>

namespace fk::gerber {

// Draws a chosen drill list as a design file of arc records. Cancelling the selection skips the step.
void drillListStep(const app::JobContext& context);

// An arc record of a hole: radius, position, all as signed number texts.
std::string arcRecord(int radius, int x, int y);

} // namespace fk::gerber

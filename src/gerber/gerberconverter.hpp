// "Gerber Converter": a drill list drawn as a design file, then Gerber files renumbered to a compressed
// table.
#pragma once
#include "app/context.hpp"
namespace fk::gerber {
app::JobResult gerberconverter(const app::JobContext& context);
}

// "Fab Export": the picked plots as RS-274-X with their apertures defined, the design's NC1 as Excellon with
// its tool table, for board houses and viewers that read nothing else.
#pragma once
#include "app/context.hpp"
namespace fk::fab {
app::JobResult fabexport(const app::JobContext& context);
}

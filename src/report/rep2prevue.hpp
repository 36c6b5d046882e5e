// "REP >> GerbView": an aperture report into the GC Prevue aperture and tool tables.
#pragma once
#include "app/context.hpp"
namespace fk::report {
app::JobResult rep2prevue(const app::JobContext& context);
}

// "PCB >> Aperture": a design's aperture definitions into PCB.DFN.
#pragma once
#include "app/context.hpp"
namespace fk::aperture {
app::JobResult pcb2aperture(const app::JobContext& context);
}

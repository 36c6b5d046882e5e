// Transitional: the button table moved up to model/buttons.hpp. Only tests/test_faults.cpp still includes
// this name; once it includes model/buttons.hpp this file goes. No library source includes it.
#pragma once

#include "model/buttons.hpp"

namespace fk::app {
using model::dispatch;
}

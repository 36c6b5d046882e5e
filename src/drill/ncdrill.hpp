// "NC1 >> 2,3,4": NC drill dialect recognition, normalisation and the four derived drill files.
#pragma once
#include "app/context.hpp"
namespace fk::drill {
app::JobResult ncdrill(const app::JobContext& context);
}

#include "app/commit.hpp"

namespace fk::app {

void commitOutputs(std::span<platform::AtomicWriter* const> outputs) {
    for (auto* output : outputs)
        output->finish();
    for (auto* output : outputs)
        output->commit();
}

} // namespace fk::app

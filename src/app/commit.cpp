#include "app/commit.hpp"

#include "platform/interrupt.hpp"
#include "platform/replace.hpp"

namespace fk::app {

void commitOutputs(std::span<platform::AtomicWriter* const> outputs) {
    platform::checkInterrupted();
    // A stop asked for now waits until every target is old or every target is new.
    platform::HoldInterrupts hold;
    platform::replaceTogether(outputs);
}

} // namespace fk::app

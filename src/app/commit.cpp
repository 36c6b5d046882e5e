#include "app/commit.hpp"

#include "platform/interrupt.hpp"
#include "platform/replace.hpp"

namespace fk::app {

void commitOutputs(MessageLog& log, std::span<platform::AtomicWriter* const> outputs) {
    platform::checkInterrupted();
    // A stop asked for now waits until every target is old or every target is new.
    platform::HoldInterrupts hold;
    platform::replaceTogether(outputs);
    for (const platform::AtomicWriter* out : outputs)
        log.noteWritten(out->pathText());
}

} // namespace fk::app

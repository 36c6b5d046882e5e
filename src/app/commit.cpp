// The one commit of a job's outputs (platform/replace holds all of it) and the log's record of what it wrote.
#include "app/commit.hpp"

#include "platform/replace.hpp"

namespace fk::app {

void commitOutputs(MessageLog& log, std::span<platform::AtomicWriter* const> outputs) {
    platform::replaceTogether(outputs);
    for (const platform::AtomicWriter* out : outputs)
        log.noteWritten(out->pathText());
}

} // namespace fk::app

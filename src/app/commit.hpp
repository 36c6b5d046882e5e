// The one commit of a job: every output is complete before the first target is touched, then all targets are
// replaced together by platform::replaceTogether, which holds the whole protocol (journal, rollback,
// recovery, stop requests); the job's log then notes every file written.
#pragma once

#include "app/messagelog.hpp"
#include "platform/files.hpp"

#include <initializer_list>
#include <span>

namespace fk::app {

// Finishes every output, then replaces all their targets together. When a replacement fails, the targets
// already replaced get their old content back and the FileError names the target that failed. The log notes
// every target once all are replaced.
void commitOutputs(MessageLog& log, std::span<platform::AtomicWriter* const> outputs);
inline void commitOutputs(MessageLog& log, std::initializer_list<platform::AtomicWriter*> outputs) {
    commitOutputs(log, std::span<platform::AtomicWriter* const>(outputs.begin(), outputs.size()));
}

} // namespace fk::app

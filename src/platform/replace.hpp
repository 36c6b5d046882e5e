// Replacing several files together, and tidying what an interrupted run left behind.
#pragma once

#include "platform/files.hpp"

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace fk::platform {

// Puts every finished output in its target's place, all or nothing. Before the first target is touched, a
// journal of the planned replacements is written beside the targets; each old target keeps a second name
// until all are replaced. When a replacement fails, the targets already replaced get their old content back
// and the FileError names the target that failed. A run killed in the middle is undone by tidyDirectory().
// A stop asked for before the first replacement throws Interrupted and changes nothing; one asked for during
// the replacements waits until they are all done.
void replaceTogether(std::span<AtomicWriter* const> outputs);

// Undoes a commit that an ended run left unfinished in the directory (its main journal still there), and
// removes the transient files of runs that have ended (never those of a running one). Returns one message for
// the log per commit undone.
std::vector<std::string> tidyDirectory(std::string_view directoryText);

// Test seams, per thread: make the n-th replacement of the next commits fail as a locked file would (0 is
// the first), or end the process at once after n replacements as a kill would (n the number of outputs:
// all replaced, the journal still there; one more: the journal gone, the commit done).
void setReplaceFailureForTesting(std::optional<int> failingReplacement);
void setCommitKillForTesting(std::optional<int> afterReplacements);
// Test seam, per thread: hard links fail, as on a file system without them, so the old target moves aside.
void setHardLinkFailureForTesting(bool fail);
// Test seam, per thread: the n-th journal of the next commits (0 is the main one, then one per further
// directory) is cut off half way, as on a disk that fills up while it is written.
void setJournalFailureForTesting(std::optional<int> failingJournal);

} // namespace fk::platform

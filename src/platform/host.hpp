// What the file room needs from the host system, below the Windows path texts. Implemented once per host.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/files.hpp"

namespace fk::platform::host {

enum class Want { File, FileOrDirectory };
// Whether the text names an existing ordinary file (or, when wanted, a directory); wildcards allowed last.
bool exists(std::string_view pathText, Want want);
// The entries of a directory that are not hidden, in no particular order.
std::vector<DirEntry> entries(std::string_view pathText);

// An existing regular file opened for binary reading; nullptr when it cannot be.
std::FILE* openRead(const std::filesystem::path& file);

// The reason of this thread's last failed system call, in the program's words ("The disk is full.").
std::string lastErrorReason();

// A run is a process told apart from every other that had or will have its number: the process id with the
// process's start time as the system keeps it, recorded and compared exactly. On Linux that is clock ticks
// since boot, so the boot is recorded too (the first 32 bits of its boot id); on Windows it is the creation
// time in 100 ns units, which no later boot repeats (boot 0). 0 stands for what the system does not tell.
struct Run {
    unsigned long pid;
    unsigned long long started;
    unsigned long boot;
};
Run currentRun();
// False only when the run has certainly ended: the system has booted since, no process has its id, or the one
// that has it started at another time (a later process took the number). Never decided by file times, which
// a link keeps.
bool runIsLive(const Run& run);

// Transient files of a run are named `.<name>.fk-<process id>-<start time>-<boot>-<kind><random>`, so that a
// later run can tell them apart and remove those whose run has ended. Kinds: 't' a temporary output, 'b' the
// old content of a target during a commit, 'j' a commit's journal.
struct Temp {
    std::FILE* file;
    std::filesystem::path path;
};
struct TempResult {
    std::optional<Temp> temp;
    std::string reason; // why there is none
};
// A new hidden transient file of the given kind beside `target`, open for binary writing. Nothing when it
// cannot be made, or when the target exists and is read-only or not a regular file.
TempResult createTempBeside(const std::filesystem::path& target, char kind);
// A new name for a transient file of the given kind beside `target` (no file is made).
std::filesystem::path transientName(const std::filesystem::path& target, char kind);

// Puts `from` in the place of `to` in one step, replacing it.
bool replace(const std::filesystem::path& from, const std::filesystem::path& to);
// A second name for an existing file (false where the file system has no links).
bool hardLink(const std::filesystem::path& existing, const std::filesystem::path& link);
void removeQuietly(const std::filesystem::path& file);
// Forces a file's content, or a directory's entries, to the disk.
void syncFile(const std::filesystem::path& file);
void syncDirectory(const std::filesystem::path& directory);
// A temporary output is hidden while it is written and shown once it stands in its target's place.
void showFile(const std::filesystem::path& file);
// The file a path names after following symbolic links (the path itself when it is no link).
std::filesystem::path followLinks(const std::filesystem::path& path);

// Test seam: the file's descriptor is pointed at a device that is always full (POSIX only; false elsewhere).
bool makeFull(std::FILE* file);
// Test seam: the last error becomes the one of a file that another program holds open.
void failAsInUse();
// Leaves the reason a full disk gives as the last error (a test seam's failure).
void failAsDiskFull();

std::optional<std::uintmax_t> sizeOf(std::FILE* file);
enum class CopyResult { Done, ReadFailed, WriteFailed };
// Copies what remains of `from` to the end of `to`.
CopyResult copyBytes(std::FILE* from, std::FILE* to);

} // namespace fk::platform::host

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

struct Temp {
    std::FILE* file;
    std::filesystem::path path;
};
// A new hidden temporary file in the target's directory, open for binary writing. Nothing when it cannot be
// made, or when the target exists and is read-only or not a regular file.
std::optional<Temp> createTempBeside(const std::filesystem::path& target);

// Puts `from` in the place of `to` in one step, replacing it.
bool replace(const std::filesystem::path& from, const std::filesystem::path& to);
void removeQuietly(const std::filesystem::path& file);

std::optional<std::uintmax_t> sizeOf(std::FILE* file);
enum class CopyResult { Done, ReadFailed, WriteFailed };
// Copies what remains of `from` to the end of `to`.
CopyResult copyBytes(std::FILE* from, std::FILE* to);

} // namespace fk::platform::host

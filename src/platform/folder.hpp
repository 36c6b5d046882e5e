// A folder read whole by a job (a board's files): what each entry is, found without opening anything that
// could wait, links looked at before they are followed, and a file read only when it is an ordinary one of a
// size the job takes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace fk::platform {

enum class EntryKind {
    File,         // an ordinary file, or a link to one inside the folder read
    Folder,       // a folder of its own (a link to one is LinkToFolder)
    Hidden,       // a name beginning with a dot (on Windows also hidden or system): left unread
    Special,      // a named pipe, socket or device: reading it could wait forever or never end
    Dangling,     // a link to nothing
    LinkOut,      // a link to something outside the folder read
    LinkToFolder, // a link to a folder inside the folder read, whose files are read where they are
    Unreadable,   // the system refuses to open it
};

struct FolderEntry {
    std::string name;
    EntryKind kind = EntryKind::File;
    std::uintmax_t size = 0; // of a file
    std::string why{};       // what a special entry is, or the system's reason
};

// Every entry of a folder, hidden ones too, in name order (ASCII case-insensitive). `withinText` is the
// outermost folder being read (the folder itself or one that holds it): a link counts as its target only
// where that lies inside it. Throws FileError(Read) with the system's reason when the folder cannot be
// listed.
std::vector<FolderEntry> folderEntries(std::string_view folderText, std::string_view withinText);

// The bytes of an ordinary file, opened without waiting: a named pipe, socket or device is refused with
// FileError(Read) saying what it is. Nothing when the file holds more than `most` bytes, found before they
// are read.
std::optional<std::string> readOrdinaryFile(std::string_view pathText, std::uintmax_t most);

} // namespace fk::platform

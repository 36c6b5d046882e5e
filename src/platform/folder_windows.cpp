// A folder read whole on Windows: entries from FindFirstFileW, a reparse point (a symbolic link or junction)
// followed only after its final path is known to lie inside the folder read, and a file read only when its
// handle is a disk file (never a pipe or a device, whose reads could wait).
#include "platform/folder.hpp"

#include "platform/files.hpp"
#include "platform/host.hpp"
#include "platform/utf16.hpp"
#include "util/text.hpp"

#include <algorithm>
#include <cwchar>
#include <windows.h>

namespace fk::platform {

namespace {

struct Handle {
    HANDLE h;
    ~Handle() {
        if (h != INVALID_HANDLE_VALUE)
            ::CloseHandle(h);
    }
};

HANDLE openForReading(const std::wstring& path, DWORD flags) {
    return ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING, flags, nullptr);
}

// Where a name leads, every link followed; nothing when it leads nowhere.
std::optional<std::wstring> finalPath(const std::wstring& path) {
    const Handle file{::CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr)};
    if (file.h == INVALID_HANDLE_VALUE)
        return std::nullopt;
    std::wstring out(MAX_PATH, L'\0');
    DWORD n = ::GetFinalPathNameByHandleW(file.h, out.data(), DWORD(out.size()), FILE_NAME_NORMALIZED);
    if (n >= out.size()) {
        out.resize(n + 1);
        n = ::GetFinalPathNameByHandleW(file.h, out.data(), DWORD(out.size()), FILE_NAME_NORMALIZED);
    }
    if (n == 0 || n >= out.size())
        return std::nullopt;
    out.resize(n);
    return out;
}

bool isInside(const std::wstring& target, const std::wstring& within) {
    return target.size() >= within.size() &&
           ::_wcsnicmp(target.c_str(), within.c_str(), within.size()) == 0 &&
           (target.size() == within.size() || target[within.size()] == L'\\' || within.ends_with(L'\\'));
}

std::uintmax_t sizeOf(const WIN32_FIND_DATAW& found) {
    return (static_cast<std::uintmax_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
}

// A disk file this process may read: opened and closed at once.
std::optional<std::string> refusalToOpen(const std::wstring& path) {
    const Handle file{openForReading(path, FILE_ATTRIBUTE_NORMAL)};
    if (file.h == INVALID_HANDLE_VALUE)
        return host::lastErrorReason();
    if (::GetFileType(file.h) != FILE_TYPE_DISK)
        return "It is a device or a pipe, not a file.";
    return std::nullopt;
}

FolderEntry entryOf(const std::wstring& path, const WIN32_FIND_DATAW& found, const std::wstring& within) {
    FolderEntry entry{.name = toUtf8(found.cFileName)};
    const DWORD attributes = found.dwFileAttributes;
    const bool folder = attributes & FILE_ATTRIBUTE_DIRECTORY;
    if (entry.name.starts_with(".") || (attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM))) {
        entry.kind = EntryKind::Hidden;
        return entry;
    }
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        const auto target = finalPath(path);
        if (!target) {
            entry.kind = EntryKind::Dangling;
            return entry;
        }
        if (!isInside(*target, within)) {
            entry.kind = EntryKind::LinkOut;
            return entry;
        }
        if (folder) {
            entry.kind = EntryKind::LinkToFolder;
            return entry;
        }
    } else if (folder) {
        entry.kind = EntryKind::Folder;
        return entry;
    }
    if (auto refused = refusalToOpen(path)) {
        entry.kind = EntryKind::Unreadable, entry.why = *refused;
        return entry;
    }
    WIN32_FILE_ATTRIBUTE_DATA data;
    entry.size = ::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)
                     ? (static_cast<std::uintmax_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow
                     : sizeOf(found);
    return entry;
}

} // namespace

std::vector<FolderEntry> folderEntries(std::string_view folderText, std::string_view withinText) {
    std::wstring folder = toUtf16(folderText);
    const auto within = finalPath(toUtf16(withinText));
    if (!within)
        throw FileError(FileError::Kind::Read, std::string(folderText), host::lastErrorReason());
    if (!folder.ends_with(L'\\'))
        folder += L'\\';
    WIN32_FIND_DATAW found;
    HANDLE search = ::FindFirstFileW((folder + L'*').c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        throw FileError(FileError::Kind::Read, std::string(folderText), host::lastErrorReason());
    std::vector<FolderEntry> entries;
    do {
        const std::wstring_view name = found.cFileName;
        if (name != L"." && name != L"..")
            entries.push_back(entryOf(folder + found.cFileName, found, *within));
    } while (::FindNextFileW(search, &found));
    const DWORD ended = ::GetLastError();
    ::FindClose(search);
    if (ended != ERROR_NO_MORE_FILES)
        throw FileError(FileError::Kind::Read, std::string(folderText), host::lastErrorReason());
    std::sort(entries.begin(), entries.end(), [](const FolderEntry& a, const FolderEntry& b) {
        return util::upper(a.name) < util::upper(b.name);
    });
    return entries;
}

std::optional<std::string> readOrdinaryFile(std::string_view pathText, std::uintmax_t most) {
    const Handle file{openForReading(toUtf16(pathText), FILE_ATTRIBUTE_NORMAL)};
    const auto refuse = [&](std::string reason) {
        return FileError(FileError::Kind::Read, std::string(pathText), std::move(reason));
    };
    if (file.h == INVALID_HANDLE_VALUE)
        throw refuse(host::lastErrorReason());
    if (::GetFileType(file.h) != FILE_TYPE_DISK)
        throw refuse("It is a device or a pipe, not a file.");
    LARGE_INTEGER size;
    if (!::GetFileSizeEx(file.h, &size))
        throw refuse(host::lastErrorReason());
    if (static_cast<std::uintmax_t>(size.QuadPart) > most)
        return std::nullopt;
    std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
    size_t got = 0;
    for (;;) {
        if (got == bytes.size()) { // as stated, or the file grew since: read on to its end
            if (got > most)
                return std::nullopt;
            bytes.resize(static_cast<size_t>(std::min<std::uintmax_t>(most + 1, got + 65536)));
        }
        const DWORD want = DWORD(std::min<size_t>(bytes.size() - got, 1u << 30));
        DWORD n = 0;
        if (!::ReadFile(file.h, bytes.data() + got, want, &n, nullptr))
            throw refuse(host::lastErrorReason());
        if (n == 0)
            break;
        got += n;
    }
    bytes.resize(got);
    return bytes;
}

} // namespace fk::platform

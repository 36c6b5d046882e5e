// A folder read whole on POSIX: entries by lstat (a link is looked at, then its target), files opened with
// O_NONBLOCK so that a named pipe never holds the job, and their type checked on the open descriptor.
#include "platform/folder.hpp"

#include "platform/files.hpp"
#include "platform/host.hpp"
#include "util/text.hpp"

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace fk::platform {

namespace fs = std::filesystem;

namespace {

std::string specialKind(mode_t mode) {
    if (S_ISFIFO(mode))
        return "It is a named pipe (FIFO), not a file.";
    if (S_ISSOCK(mode))
        return "It is a socket, not a file.";
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return "It is a device, not a file.";
    return "It is not an ordinary file.";
}

struct Descriptor {
    int fd;
    ~Descriptor() {
        if (fd >= 0)
            ::close(fd);
    }
};

bool isInside(const fs::path& target, const fs::path& within) {
    auto [end, at] = std::mismatch(within.begin(), within.end(), target.begin(), target.end());
    return end == within.end();
}

// An ordinary file that this process may open for reading: opened and closed at once, never waited on.
std::optional<std::string> refusalToOpen(const fs::path& file) {
    const int fd = ::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return host::lastErrorReason();
    ::close(fd);
    return std::nullopt;
}

FolderEntry entryOf(const fs::path& path, std::string name, const fs::path& within) {
    FolderEntry entry{.name = std::move(name)};
    if (entry.name.starts_with(".")) {
        entry.kind = EntryKind::Hidden;
        return entry;
    }
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0) {
        entry.kind = EntryKind::Unreadable, entry.why = host::lastErrorReason();
        return entry;
    }
    const bool link = S_ISLNK(st.st_mode);
    if (link) {
        std::error_code ec;
        const fs::path target = fs::canonical(path, ec);
        if (ec || ::stat(path.c_str(), &st) != 0) {
            entry.kind = EntryKind::Dangling;
            return entry;
        }
        if (!isInside(target, within)) {
            entry.kind = EntryKind::LinkOut;
            return entry;
        }
    }
    if (S_ISDIR(st.st_mode)) {
        entry.kind = link ? EntryKind::LinkToFolder : EntryKind::Folder;
    } else if (!S_ISREG(st.st_mode)) {
        entry.kind = EntryKind::Special, entry.why = specialKind(st.st_mode);
    } else if (auto refused = refusalToOpen(path)) {
        entry.kind = EntryKind::Unreadable, entry.why = *refused;
    } else {
        entry.size = static_cast<std::uintmax_t>(st.st_size);
    }
    return entry;
}

} // namespace

std::vector<FolderEntry> folderEntries(std::string_view folderText, std::string_view withinText) {
    const auto folder = resolveExisting(folderText);
    const auto outer = resolveExisting(withinText);
    if (!folder || !outer)
        throw FileError(FileError::Kind::Read, std::string(folderText), "The folder does not exist.");
    std::error_code ec;
    const fs::path within = fs::canonical(*outer, ec);
    std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder->c_str()), ::closedir);
    if (!dir || ec)
        throw FileError(FileError::Kind::Read, std::string(folderText), host::lastErrorReason());
    std::vector<FolderEntry> entries;
    errno = 0;
    while (const dirent* d = ::readdir(dir.get())) {
        const std::string name = d->d_name;
        if (name != "." && name != "..")
            entries.push_back(entryOf(*folder / name, name, within));
        errno = 0;
    }
    if (errno != 0)
        throw FileError(FileError::Kind::Read, std::string(folderText), host::lastErrorReason());
    std::sort(entries.begin(), entries.end(), [](const FolderEntry& a, const FolderEntry& b) {
        return util::upper(a.name) < util::upper(b.name);
    });
    return entries;
}

std::optional<std::string> readOrdinaryFile(std::string_view pathText, std::uintmax_t most) {
    const auto path = resolveExisting(pathText);
    const Descriptor file{path ? ::open(path->c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY) : -1};
    const auto refuse = [&](std::string reason) {
        return FileError(FileError::Kind::Read, std::string(pathText), std::move(reason));
    };
    struct stat st;
    if (file.fd < 0 || ::fstat(file.fd, &st) != 0)
        throw refuse(path ? host::lastErrorReason() : std::string());
    if (!S_ISREG(st.st_mode))
        throw refuse(specialKind(st.st_mode));
    if (static_cast<std::uintmax_t>(st.st_size) > most)
        return std::nullopt;
    std::string bytes(static_cast<size_t>(st.st_size), '\0');
    size_t got = 0;
    for (;;) {
        if (got == bytes.size()) { // as stated, or the file grew since: read on to its end
            if (got > most)
                return std::nullopt;
            bytes.resize(static_cast<size_t>(std::min<std::uintmax_t>(most + 1, got + 65536)));
        }
        const ssize_t n = ::read(file.fd, bytes.data() + got, bytes.size() - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            throw refuse(host::lastErrorReason());
        if (n == 0)
            break;
        got += static_cast<size_t>(n);
    }
    bytes.resize(got);
    return bytes;
}

} // namespace fk::platform

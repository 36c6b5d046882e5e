#include "platform/files.hpp"
#include "platform/host.hpp"

#include "util/text.hpp"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace fk::platform {

namespace fs = std::filesystem;

namespace {

using host::Want;

bool isSeparator(char c) {
    return c == '\\' || c == '/';
}

bool hasWildcard(std::string_view s) {
    return s.find_first_of("*?") != std::string_view::npos;
}

// Windows ignores blanks and dots at the end of a path component.
std::string trimComponent(std::string_view c) {
    size_t end = c.size();
    while (end > 0 && (c[end - 1] == ' ' || c[end - 1] == '.'))
        --end;
    return std::string(c.substr(0, end));
}

struct ParsedPath {
    fs::path base;
    std::vector<std::string> components;
};

std::optional<ParsedPath> parse(std::string_view text) {
    if (text.empty() || text.find('\0') != std::string_view::npos)
        return std::nullopt;
    ParsedPath parsed;
    std::string_view rest = text;
    bool rooted = false;
    if (text.size() >= 2 && text[1] == ':' && std::isalpha(static_cast<unsigned char>(text[0]))) {
        if (text[0] != 'Z' && text[0] != 'z')
            return std::nullopt;
        rest = text.substr(2);
    }
    if (!rest.empty() && isSeparator(rest[0]))
        rooted = true;
    std::error_code ec;
    parsed.base = rooted ? fs::path("/") : fs::current_path(ec);
    if (ec)
        return std::nullopt;
    size_t i = 0;
    while (i <= rest.size()) {
        size_t j = i;
        while (j < rest.size() && !isSeparator(rest[j]))
            ++j;
        std::string_view part = rest.substr(i, j - i);
        if (part == "..") {
            if (!parsed.components.empty())
                parsed.components.pop_back();
            else
                parsed.base = parsed.base.parent_path();
        } else if (!part.empty() && part != ".") {
            std::string trimmed = trimComponent(part);
            if (!trimmed.empty())
                parsed.components.push_back(std::move(trimmed));
        }
        i = j + 1;
    }
    return parsed;
}

bool statPath(const fs::path& p, struct stat& st) {
    return ::stat(p.c_str(), &st) == 0;
}

// The entry of dir named `name`, exactly or else in another ASCII case (the first in name order).
std::optional<fs::path> findEntry(const fs::path& dir, const std::string& name) {
    fs::path exact = dir / name;
    struct stat st;
    if (statPath(exact, st) || ::lstat(exact.c_str(), &st) == 0)
        return exact;
    std::error_code ec;
    std::optional<std::string> best;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        std::string entry = it->path().filename().string();
        if (util::equalsNoCase(entry, name) && (!best || entry < *best))
            best = entry;
    }
    if (!best)
        return std::nullopt;
    return dir / *best;
}

std::optional<fs::path> walk(const fs::path& base, const std::vector<std::string>& components, size_t count) {
    fs::path current = base;
    for (size_t i = 0; i < count; ++i) {
        if (hasWildcard(components[i]))
            return std::nullopt;
        auto next = findEntry(current, components[i]);
        if (!next)
            return std::nullopt;
        current = *next;
    }
    return current;
}

bool isHiddenName(const fs::path& p) {
    std::string name = p.filename().string();
    return !name.empty() && name[0] == '.' && name != "." && name != "..";
}

bool qualifies(const fs::path& p, Want want) {
    struct stat st;
    if (!statPath(p, st))
        return false;
    if (S_ISREG(st.st_mode))
        return !isHiddenName(p);
    if (S_ISDIR(st.st_mode))
        return want == Want::FileOrDirectory && !isHiddenName(p);
    return false;
}

} // namespace

bool host::exists(std::string_view text, Want want) {
    auto parsed = parse(text);
    if (!parsed)
        return false;
    const auto& comps = parsed->components;
    if (comps.empty())
        return want == Want::FileOrDirectory && qualifies(parsed->base, want);
    if (!hasWildcard(comps.back())) {
        auto p = walk(parsed->base, comps, comps.size());
        return p && qualifies(*p, want);
    }
    auto dir = walk(parsed->base, comps, comps.size() - 1);
    if (!dir)
        return false;
    std::error_code ec;
    for (fs::directory_iterator it(*dir, ec), end; !ec && it != end; it.increment(ec)) {
        if (wildcardMatch(comps.back(), it->path().filename().string()) && qualifies(it->path(), want))
            return true;
    }
    return false;
}

std::optional<fs::path> resolveExisting(std::string_view pathText) {
    auto parsed = parse(pathText);
    if (!parsed)
        return std::nullopt;
    return walk(parsed->base, parsed->components, parsed->components.size());
}

fs::path resolveForWrite(std::string_view pathText) {
    auto parsed = parse(pathText);
    if (!parsed || parsed->components.empty() || hasWildcard(parsed->components.back()))
        throw FileError(FileError::Kind::Write, std::string(pathText));
    const auto& comps = parsed->components;
    auto dir = walk(parsed->base, comps, comps.size() - 1);
    std::error_code ec;
    if (!dir || !fs::is_directory(*dir, ec))
        throw FileError(FileError::Kind::Write, std::string(pathText), "The folder does not exist.");
    auto existing = findEntry(*dir, comps.back());
    return existing ? *existing : *dir / comps.back();
}

std::string toPathText(const fs::path& hostPath) {
    std::error_code ec;
    fs::path absolute = hostPath.is_absolute() ? hostPath : fs::absolute(hostPath, ec);
    std::string s = absolute.lexically_normal().string();
    std::replace(s.begin(), s.end(), '/', '\\');
    if (s.size() > 1 && s.back() == '\\')
        s.pop_back();
    return "Z:" + s;
}

std::string pathTextOfArgument(const std::string& value) {
    if (value.empty() || value[0] != '/')
        return value;
    std::string text = "Z:" + value;
    std::replace(text.begin(), text.end(), '/', '\\');
    return text;
}

std::vector<std::string> drives() {
    return {"Z:"};
}

std::string realCase(const std::string& pathText) {
    auto host = resolveExisting(pathText);
    return host ? toPathText(*host) : pathText;
}

std::optional<std::uintmax_t> filelength(std::string_view pathText) {
    auto p = resolveExisting(pathText);
    struct stat st;
    if (!p || !statPath(*p, st) || !S_ISREG(st.st_mode))
        return std::nullopt;
    return static_cast<std::uintmax_t>(st.st_size);
}

bool isReadOnly(std::string_view pathText) {
    auto p = resolveExisting(pathText);
    struct stat st;
    return p && statPath(*p, st) && (st.st_mode & 0222) == 0;
}

void resetAttributes(std::string_view pathText) {
    auto p = resolveExisting(pathText);
    struct stat st;
    if (p && statPath(*p, st) && S_ISREG(st.st_mode) && (st.st_mode & S_IWUSR) == 0)
        ::chmod(p->c_str(), (st.st_mode & 07777) | S_IWUSR);
}

std::string currentDirectory() {
    std::error_code ec;
    auto p = fs::current_path(ec);
    return ec ? std::string("Z:\\") : toPathText(p);
}

bool setCurrentDirectory(std::string_view pathText) {
    auto p = resolveExisting(pathText);
    std::error_code ec;
    if (!p || !fs::is_directory(*p, ec))
        return false;
    fs::current_path(*p, ec);
    return !ec;
}

std::string executableDirectory() {
    std::error_code ec;
    auto exe = fs::read_symlink("/proc/self/exe", ec);
    if (ec)
        return currentDirectory();
    return toPathText(exe.parent_path());
}

bool directoryWritable(std::string_view pathText) {
    auto p = resolveExisting(pathText);
    return p && ::access(p->c_str(), W_OK | X_OK) == 0;
}

std::vector<DirEntry> host::entries(std::string_view pathText) {
    std::vector<DirEntry> out;
    auto dir = resolveExisting(pathText);
    if (!dir)
        return out;
    std::error_code ec;
    for (fs::directory_iterator it(*dir, ec), end; !ec && it != end; it.increment(ec)) {
        if (isHiddenName(it->path()))
            continue;
        struct stat st;
        if (!statPath(it->path(), st))
            continue;
        if (S_ISDIR(st.st_mode) || S_ISREG(st.st_mode))
            out.push_back({it->path().filename().string(), S_ISDIR(st.st_mode)});
    }
    return out;
}

} // namespace fk::platform

namespace fk::platform::host {

namespace fs = std::filesystem;

std::FILE* openRead(const fs::path& file) {
    struct stat st;
    if (::stat(file.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return nullptr;
    return std::fopen(file.c_str(), "rb");
}

std::string lastErrorReason() {
    switch (errno) {
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return "The disk is full.";
    case EROFS:
        return "The disk is read-only.";
    case EACCES:
    case EPERM:
        return "Access is denied: the file or its folder is read-only or protected.";
    case EBUSY:
    case ETXTBSY:
        return "The file is in use by another program.";
    case ENAMETOOLONG:
        return "The name is too long for the file system.";
    case ENOENT:
    case ENOTDIR:
        return "The folder does not exist.";
    case EISDIR:
        return "A folder of that name stands in its place.";
    case EIO:
        return "The disk reported an input/output error.";
    case EXDEV:
        return "The file is on another disk.";
    default:
        return "The system reported error " + std::to_string(errno) + ".";
    }
}

namespace {

// The longest name the directory takes; transient names are cut to fit it.
size_t nameLimit(const fs::path& directory) {
    long limit = ::pathconf(directory.c_str(), _PC_NAME_MAX);
    return limit > 0 ? static_cast<size_t>(limit) : 255;
}

// `.<name>.fk-<pid>-<start time>-<boot>-<kind>` with the name cut so that six more characters still fit.
std::string transientPrefix(const fs::path& target, char kind) {
    const Run run = currentRun();
    const std::string tail = ".fk-" + std::to_string(run.pid) + "-" + std::to_string(run.started) + "-" +
                             std::to_string(run.boot) + "-" + kind;
    std::string name = target.filename().string();
    const size_t room = nameLimit(target.parent_path()) - 1 - tail.size() - 6;
    if (name.size() > room)
        name.resize(room);
    return "." + name + tail;
}

} // namespace

fs::path transientName(const fs::path& target, char kind) {
    static constexpr char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::random_device random;
    std::string name = transientPrefix(target, kind);
    for (int i = 0; i < 6; ++i)
        name += letters[random() % (sizeof letters - 1)];
    return target.parent_path() / name;
}

TempResult createTempBeside(const fs::path& target, char kind) {
    struct stat st;
    const bool targetExists = ::stat(target.c_str(), &st) == 0;
    if (targetExists && !S_ISREG(st.st_mode))
        return {std::nullopt, "A folder or device of that name stands in its place."};
    if (targetExists && (st.st_mode & 0222) == 0)
        return {std::nullopt, "The file is read-only."};
    std::string pattern = (target.parent_path() / (transientPrefix(target, kind) + "XXXXXX")).string();
    int fd = ::mkstemp(pattern.data());
    if (fd < 0)
        return {std::nullopt, lastErrorReason()};
    // The new file gets the permissions of the one it replaces, or the usual ones for a new file.
    mode_t mode;
    if (targetExists) {
        mode = st.st_mode & 07777;
    } else {
        mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    ::fchmod(fd, mode);
    std::FILE* file = ::fdopen(fd, "wb");
    if (!file) {
        std::string reason = lastErrorReason();
        ::close(fd);
        ::unlink(pattern.c_str());
        return {std::nullopt, reason};
    }
    return {Temp{file, pattern}, {}};
}

bool replace(const fs::path& from, const fs::path& to) {
    return ::rename(from.c_str(), to.c_str()) == 0;
}

bool hardLink(const fs::path& existing, const fs::path& link) {
    return ::link(existing.c_str(), link.c_str()) == 0;
}

void syncFile(const fs::path& file) {
    int fd = ::open(file.c_str(), O_RDONLY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

void syncDirectory(const fs::path& directory) {
    syncFile(directory);
}

void showFile(const fs::path&) {}

fs::path followLinks(const fs::path& path) {
    fs::path current = path;
    std::error_code ec;
    // Bounded, as the system bounds a chain of links, so that a loop of links cannot hold the job.
    for (int hops = 0; hops < 40 && fs::is_symlink(current, ec); ++hops) {
        fs::path next = fs::read_symlink(current, ec);
        if (ec)
            break;
        current = next.is_absolute() ? next : current.parent_path() / next;
    }
    return current;
}

void failAsInUse() {
    errno = EBUSY;
}

void failAsDiskFull() {
    errno = ENOSPC;
}

bool makeFull(std::FILE* file) {
    int full = ::open("/dev/full", O_WRONLY);
    if (full < 0)
        return false;
    bool done = ::dup2(full, ::fileno(file)) >= 0;
    ::close(full);
    return done;
}

void removeQuietly(const fs::path& file) {
    ::unlink(file.c_str());
}

std::optional<std::uintmax_t> sizeOf(std::FILE* file) {
    struct stat st;
    if (::fstat(::fileno(file), &st) != 0)
        return std::nullopt;
    return static_cast<std::uintmax_t>(st.st_size);
}

CopyResult copyBytes(std::FILE* from, std::FILE* to) {
    // The kernel copies the bytes without passing them through this process; a file system that cannot
    // (another device, an old kernel) gets the ordinary read and write loop.
    const int in = ::fileno(from);
    const int out = ::fileno(to);
    for (;;) {
        ssize_t n = ::copy_file_range(in, nullptr, out, nullptr, 1 << 30, 0);
        if (n == 0)
            return CopyResult::Done;
        if (n < 0) {
            if (errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP)
                break;
            return CopyResult::WriteFailed;
        }
    }
    std::vector<char> chunk(1 << 16);
    for (;;) {
        ssize_t n = ::read(in, chunk.data(), chunk.size());
        if (n < 0)
            return CopyResult::ReadFailed;
        if (n == 0)
            return CopyResult::Done;
        if (::write(out, chunk.data(), static_cast<size_t>(n)) != n)
            return CopyResult::WriteFailed;
    }
}

} // namespace fk::platform::host

// The file window's full paths.
namespace fk::platform {

std::string fullPathText(std::string_view pathText) {
    auto parsed = parse(pathText);
    if (!parsed)
        return std::string(pathText);
    std::filesystem::path full = parsed->base;
    for (const auto& component : parsed->components)
        full /= component;
    return toPathText(full);
}

} // namespace fk::platform

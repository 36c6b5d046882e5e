#include "platform/files.hpp"

#include "util/text.hpp"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fk::platform {

namespace fs = std::filesystem;

namespace {

thread_local std::optional<std::uintmax_t> writeBudget;

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

enum class Want { File, FileOrDirectory };

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

bool exists(std::string_view text, Want want) {
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

bool matchHere(std::string_view p, std::string_view n) {
    // Iterative glob with backtracking on the last star.
    size_t pi = 0, ni = 0, star = std::string_view::npos, mark = 0;
    auto same = [](char a, char b) {
        return util::equalsNoCase(std::string_view(&a, 1), std::string_view(&b, 1));
    };
    while (ni < n.size()) {
        if (pi < p.size() && (p[pi] == '?' || same(p[pi], n[ni]))) {
            ++pi;
            ++ni;
        } else if (pi < p.size() && p[pi] == '*') {
            star = pi++;
            mark = ni;
        } else if (star != std::string_view::npos) {
            pi = star + 1;
            ni = ++mark;
        } else {
            return false;
        }
    }
    while (pi < p.size() && p[pi] == '*')
        ++pi;
    return pi == p.size();
}

void chargeWrite(size_t bytes) {
    if (!writeBudget)
        return;
    if (*writeBudget < bytes) {
        *writeBudget = 0;
        errno = ENOSPC;
        throw std::runtime_error("no space");
    }
    *writeBudget -= bytes;
}

} // namespace

FileError::FileError(Kind kind, std::string pathText)
    : std::runtime_error("file error: " + pathText), kind_(kind), path_(std::move(pathText)) {}

std::string FileError::logMessage() const {
    std::string what = kind_ == Kind::Read ? "Could not read the file:" : "Could not write the file:";
    return what + std::string(util::crlf) + "<" + path_ + ">";
}

bool wildcardMatch(std::string_view pattern, std::string_view name) {
    if (pattern == "*.*" || pattern == "*")
        return true;
    if (matchHere(pattern, name))
        return true;
    // As on Windows, a pattern ending in ".*" also matches names without an extension, and one ending in
    // "." matches names without a dot.
    if (pattern.size() >= 2 && pattern.substr(pattern.size() - 2) == ".*")
        return name.find('.') == std::string_view::npos &&
               matchHere(pattern.substr(0, pattern.size() - 2), name);
    if (!pattern.empty() && pattern.back() == '.')
        return name.find('.') == std::string_view::npos &&
               matchHere(pattern.substr(0, pattern.size() - 1), name);
    return false;
}

bool fileexists(std::string_view pathText) {
    return exists(pathText, Want::File);
}

bool direxists(std::string_view pathText) {
    return exists(pathText, Want::FileOrDirectory);
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
        throw FileError(FileError::Kind::Write, std::string(pathText));
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

char copyInto(AtomicWriter& out, std::string_view fromText) {
    auto from = resolveExisting(fromText);
    struct stat st;
    int fd = (from && statPath(*from, st) && S_ISREG(st.st_mode)) ? ::open(from->c_str(), O_RDONLY) : -1;
    if (fd < 0)
        throw FileError(FileError::Kind::Read, std::string(fromText));
    std::unique_ptr<int, void (*)(int*)> guard(&fd, [](int* f) { ::close(*f); });
    return out.appendFile(fd, std::string(fromText));
}

void copyFile(std::string_view fromText, std::string_view toText) {
    if (!resolveExisting(fromText))
        throw FileError(FileError::Kind::Read, std::string(fromText));
    AtomicWriter out(toText);
    copyInto(out, fromText);
    out.commit();
}

void renameFile(std::string_view fromText, std::string_view toText) {
    auto from = resolveExisting(fromText);
    if (!from)
        throw FileError(FileError::Kind::Read, std::string(fromText));
    if (isReadOnly(toText))
        throw FileError(FileError::Kind::Write, std::string(toText));
    fs::path to = resolveForWrite(toText);
    if (::rename(from->c_str(), to.c_str()) != 0)
        throw FileError(FileError::Kind::Write, std::string(toText));
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

std::vector<DirEntry> listDirectory(std::string_view pathText) {
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
    std::sort(out.begin(), out.end(),
              [](const DirEntry& a, const DirEntry& b) { return util::upper(a.name) < util::upper(b.name); });
    return out;
}

// ---- LineReader ----

LineReader::LineReader(std::string_view pathText) : path_(pathText), buffer_(1 << 16) {
    auto p = resolveExisting(pathText);
    struct stat st;
    if (p && statPath(*p, st) && S_ISREG(st.st_mode))
        file_ = std::fopen(p->c_str(), "rb");
    if (!file_)
        throw FileError(FileError::Kind::Read, path_);
}

LineReader::~LineReader() {
    if (file_)
        std::fclose(file_);
}

bool LineReader::fill() {
    if (eof_)
        return false;
    size_ = std::fread(buffer_.data(), 1, buffer_.size(), file_);
    pos_ = 0;
    if (size_ == 0) {
        if (std::ferror(file_))
            throw FileError(FileError::Kind::Read, path_);
        eof_ = true;
        return false;
    }
    return true;
}

bool LineReader::atEnd() {
    if (ended_)
        return true;
    if (pos_ < size_)
        return buffer_[pos_] == '\x1a' ? (ended_ = true) : false;
    if (!fill()) {
        ended_ = true;
        return true;
    }
    return atEnd();
}

bool LineReader::next(std::string& line) {
    std::string_view view;
    if (!next(view)) {
        line.clear();
        return false;
    }
    line.assign(view);
    return true;
}

bool LineReader::next(std::string_view& line) {
    if (atEnd())
        return false;
    carry_.clear();
    bool carrying = false;
    for (;;) {
        if (pos_ >= size_ && !fill()) {
            ended_ = true;
            line = carry_;
            return true;
        }
        const char* start = buffer_.data() + pos_;
        const char* stop = buffer_.data() + size_;
        const char* p = start;
        // Line ends and the end-of-text mark are all below 0x1b: one compare skips ordinary text.
        while (p < stop &&
               (static_cast<unsigned char>(*p) > 0x1a || (*p != '\n' && *p != '\r' && *p != '\x1a')))
            ++p;
        std::string_view piece(start, static_cast<size_t>(p - start));
        pos_ = static_cast<size_t>(p - buffer_.data());
        if (p == stop) {
            carry_.append(piece);
            carrying = true;
            continue;
        }
        if (carrying)
            carry_.append(piece);
        char c = *p;
        ++pos_;
        if (c == '\x1a')
            ended_ = true;
        if (c == '\r' && pos_ >= size_ && !ended_) {
            // The LF that may follow is in the next read, which replaces the buffer the piece points into.
            if (!carrying) {
                carry_.assign(piece);
                carrying = true;
            }
            fill();
        }
        if (c == '\r' && pos_ < size_ && buffer_[pos_] == '\n')
            ++pos_;
        line = carrying ? std::string_view(carry_) : piece;
        return true;
    }
}

// ---- AtomicWriter ----

AtomicWriter::AtomicWriter(std::string_view pathText) : path_(pathText) {
    target_ = resolveForWrite(pathText);
    struct stat st;
    bool targetExists = statPath(target_, st);
    if (targetExists && (!S_ISREG(st.st_mode) || (st.st_mode & 0222) == 0))
        throw FileError(FileError::Kind::Write, path_);
    std::string pattern =
        (target_.parent_path() / ("." + target_.filename().string() + ".fk-XXXXXX")).string();
    int fd = ::mkstemp(pattern.data());
    if (fd < 0)
        throw FileError(FileError::Kind::Write, path_);
    temp_ = pattern;
    mode_t mode;
    if (targetExists) {
        mode = st.st_mode & 07777;
    } else {
        mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    ::fchmod(fd, mode);
    file_ = ::fdopen(fd, "wb");
    if (!file_) {
        ::close(fd);
        fail();
    }
    buffer_ = std::make_unique_for_overwrite<char[]>(capacity_);
    open_ = true;
}

AtomicWriter::~AtomicWriter() {
    if (file_)
        std::fclose(file_);
    if (!committed_ && !temp_.empty()) {
        std::error_code ec;
        fs::remove(temp_, ec);
    }
}

void AtomicWriter::fail() {
    open_ = false;
    if (file_) {
        std::fclose(file_);
        file_ = nullptr;
    }
    std::error_code ec;
    if (!temp_.empty())
        fs::remove(temp_, ec);
    temp_.clear();
    throw FileError(FileError::Kind::Write, path_);
}

void AtomicWriter::writeSlow(std::string_view bytes) {
    if (!open_)
        fail();
    if (used_ + bytes.size() > capacity_)
        flush();
    if (bytes.size() > capacity_) {
        try {
            chargeWrite(bytes.size());
        } catch (const std::runtime_error&) {
            fail();
        }
        if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size())
            fail();
        return;
    }
    append(bytes);
}

char AtomicWriter::appendFile(int fd, const std::string& fromText) {
    if (!open_)
        fail();
    flush();
    if (std::fflush(file_) != 0)
        fail();
    struct stat st;
    if (::fstat(fd, &st) != 0)
        throw FileError(FileError::Kind::Read, fromText);
    try {
        chargeWrite(static_cast<size_t>(st.st_size));
    } catch (const std::runtime_error&) {
        fail();
    }
    // The kernel copies the bytes without passing them through this process; a file system that cannot
    // (another device, an old kernel) gets the ordinary read and write loop.
    const int to = ::fileno(file_);
    bool fallback = false;
    for (;;) {
        ssize_t n = ::copy_file_range(fd, nullptr, to, nullptr, 1 << 30, 0);
        if (n == 0)
            break;
        if (n < 0) {
            if (errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP) {
                fallback = true;
                break;
            }
            fail();
        }
    }
    if (fallback) {
        std::vector<char> chunk(1 << 16);
        for (;;) {
            ssize_t n = ::read(fd, chunk.data(), chunk.size());
            if (n < 0)
                throw FileError(FileError::Kind::Read, fromText);
            if (n == 0)
                break;
            if (::write(to, chunk.data(), static_cast<size_t>(n)) != n)
                fail();
        }
    }
    // The last byte tells a caller whether the text ends with a line break.
    char last = '\0';
    if (st.st_size > 0 && ::pread(fd, &last, 1, st.st_size - 1) != 1)
        throw FileError(FileError::Kind::Read, fromText);
    if (std::fseek(file_, 0, SEEK_END) != 0)
        fail();
    return last;
}

void AtomicWriter::flushForLine(size_t maxBytes) {
    if (!open_)
        fail();
    flush();
    if (maxBytes + 2 > capacity_) {
        buffer_ = std::make_unique_for_overwrite<char[]>(maxBytes + 2);
        capacity_ = maxBytes + 2;
    }
}

void AtomicWriter::flush() {
    try {
        chargeWrite(used_);
    } catch (const std::runtime_error&) {
        fail();
    }
    if (used_ > 0 && std::fwrite(buffer_.get(), 1, used_, file_) != used_)
        fail();
    used_ = 0;
}

void AtomicWriter::finish() {
    if (finished_)
        return;
    if (!file_)
        fail();
    flush();
    // The data goes to the operating system before the rename; a killed or failing job can therefore never
    // leave a partial target. No fsync: forcing every output to the disk would halve the write speed.
    if (std::fflush(file_) != 0)
        fail();
    int rc = std::fclose(file_);
    file_ = nullptr;
    open_ = false;
    if (rc != 0)
        fail();
    finished_ = true;
}

void AtomicWriter::commit() {
    finish();
    if (::rename(temp_.c_str(), target_.c_str()) != 0)
        fail();
    committed_ = true;
}

void setWriteBudgetForTesting(std::optional<std::uintmax_t> bytes) {
    writeBudget = bytes;
}

} // namespace fk::platform

// The host file system behind Windows path texts. Every path the program shows or composes is a Windows
// path text; this room maps it to the host (drive Z: is the POSIX root) and owns all file access.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace fk::platform {

// A file that could not be opened, read or written. Carries the path text as the user wrote it and, where
// the system said why, the reason in the program's words ("The disk is full.").
class FileError : public std::runtime_error {
  public:
    enum class Kind { Read, Write };
    FileError(Kind kind, std::string pathText, std::string reason = {});
    Kind kind() const { return kind_; }
    const std::string& pathText() const { return path_; }
    const std::string& reason() const { return reason_; }
    // The message for the log: a line saying what failed, the path between "<" and ">", then the reason.
    std::string logMessage() const;

  private:
    Kind kind_;
    std::string path_;
    std::string reason_;
};

// A job stopped by the user or the system (Ctrl+C, SIGTERM, a closed terminal) at a safe point.
class Interrupted : public std::runtime_error {
  public:
    Interrupted() : std::runtime_error("interrupted") {}
};

// True when the text names an existing ordinary (regular, not hidden) file; wildcards * and ? are allowed in
// the last component. Never throws.
bool fileexists(std::string_view pathText);
// As fileexists, but directories match too.
bool direxists(std::string_view pathText);
// True when the text names an existing directory, hidden or not; no wildcards.
bool isDirectoryText(std::string_view pathText);

// The host path of an existing file or directory, looked up exactly and then case-insensitively.
std::optional<std::filesystem::path> resolveExisting(std::string_view pathText);
// The host path a new file of this text takes: the directory must exist; an existing file of the same name
// in another case is reused. Throws FileError(Write) when the directory is missing.
std::filesystem::path resolveForWrite(std::string_view pathText);

// A host path from its UTF-8 text and back, the same bytes on every host. (On Windows a path made from a
// plain std::string reads it in the ANSI code page, which cannot hold every name.)
std::filesystem::path hostPathOfUtf8(std::string_view utf8);
std::string utf8OfHostPath(const std::filesystem::path& hostPath);

// The Windows path text of a host path ("/tmp/work" gives "Z:\tmp\work").
std::string toPathText(const std::filesystem::path& hostPath);
// A path given on the command line as its path text: on POSIX a value that starts with "/" is a host path
// ("/tmp/work" gives "Z:\tmp\work"); any other value stays as typed.
std::string pathTextOfArgument(const std::string& value);
// The drives a file window offers: the machine's drive letters ("C:"), on POSIX the one drive "Z:".
std::vector<std::string> drives();
// An existing path in the case the file system has it (on POSIX, where texts are looked up ignoring case);
// the text itself elsewhere or when it names nothing.
std::string realCase(const std::string& pathText);
// True when both texts name one file: the same text in any letter case, or one existing file (a link, another
// spelling of the path).
bool sameFile(std::string_view a, std::string_view b);

std::optional<std::uintmax_t> filelength(std::string_view pathText);
// The whole file, byte for byte. Throws FileError(Read).
std::string readBytes(std::string_view pathText);
// Clears the read-only state of a file (no error when it does not exist).
void resetAttributes(std::string_view pathText);
// True when an existing file is marked read-only (no write permission bit at all).
bool isReadOnly(std::string_view pathText);
// Byte-for-byte copy, replacing the destination atomically. Throws FileError.
void copyFile(std::string_view fromText, std::string_view toText);

std::string currentDirectory();
bool setCurrentDirectory(std::string_view pathText);
// Directory of the running executable, as a path text.
std::string executableDirectory();
// True when a new file can be created in the directory.
bool directoryWritable(std::string_view pathText);

struct DirEntry {
    std::string name;
    bool directory = false;
};
// Entries of a directory, sorted by name (ASCII case-insensitive); hidden names left out. Empty on error.
std::vector<DirEntry> listDirectory(std::string_view pathText);
// Windows-style wildcard match of a file name (case-insensitive, "*.*" matches every name).
bool wildcardMatch(std::string_view pattern, std::string_view name);

// The longest line a job reads; a longer one stops the job, so that no input can take unbounded memory.
inline constexpr size_t maxLineLength = size_t{4} << 20;

// The first line end (CR or LF) or end-of-text mark (Ctrl-Z) in [from, to), or `to` when there is none.
// Looks at sixteen or eight bytes at a time: ordinary text never stops the scan.
const char* findLineEnd(const char* from, const char* to);

// Reads a text file line by line: a line ends at CR LF, LF or CR; the last line counts without its end;
// a Ctrl-Z byte ends the text. Throws FileError(Read) when the file cannot be opened or read, or holds a line
// longer than maxLineLength.
class LineReader {
  public:
    explicit LineReader(std::string_view pathText);
    ~LineReader();
    LineReader(const LineReader&) = delete;
    LineReader& operator=(const LineReader&) = delete;
    // Next line into `line`; false at the end of the text.
    bool next(std::string& line);
    // Next line as a view that stays valid until the next call; saves a copy per line. Inline: every job
    // calls it once per line, and nearly every line lies whole in the buffer with its end. A CR on the
    // buffer's last byte may yet be followed by an LF in the next read, and so goes the long way.
    bool next(std::string_view& line) {
        if (!ended_ && pos_ < size_) {
            const char* data = buffer_.data();
            const char* start = data + pos_;
            const char* stop = data + size_;
            const char* end = *start == '\x1a' ? start : findLineEnd(start, stop);
            if (end != stop && *end != '\x1a' && (*end != '\r' || end + 1 != stop)) {
                ++lineNumber_;
                pos_ = static_cast<size_t>(end - data) + 1 + (*end == '\r' && end[1] == '\n');
                line = std::string_view(start, static_cast<size_t>(end - start));
                return true;
            }
        }
        return nextAcrossReads(line);
    }
    bool atEnd();
    // The number of the line last handed out (1 for the first).
    long lineNumber() const { return lineNumber_; }
    // Test seam: the size of each read, so that tests can put line ends on read boundaries.
    void setReadSizeForTesting(size_t bytes) { readSize_ = bytes; }

  private:
    bool fill();
    bool nextAcrossReads(std::string_view& line);
    void keep(std::string_view piece);
    std::string carry_; // a line that runs across two reads of the buffer
    long lineNumber_ = 0;
    std::string path_;
    std::FILE* file_ = nullptr;
    std::vector<char> buffer_;
    size_t readSize_;
    size_t pos_ = 0;
    size_t size_ = 0;
    bool eof_ = false;
    bool ended_ = false;
};

// Writes a file through a hidden temporary file in its target's directory; commit() puts it in the target's
// place (a job with several outputs commits them together: app::commitOutputs). A writer destroyed without
// commit removes its temporary file, so the target is always old or new, never half. A target that is a
// symbolic link is followed: the file it points to is replaced and the link stays.
class AtomicWriter {
  public:
    explicit AtomicWriter(std::string_view pathText);
    ~AtomicWriter();
    AtomicWriter(const AtomicWriter&) = delete;
    AtomicWriter& operator=(const AtomicWriter&) = delete;
    void write(std::string_view bytes) {
        if (used_ + bytes.size() > capacity_ || !open_)
            writeSlow(bytes);
        else
            append(bytes);
    }
    // A line of at most maxBytes built in place by fill(char*), which returns its length; then CR LF.
    template <typename Fill> void writeLineWith(size_t maxBytes, Fill fill) {
        if (used_ + maxBytes + 2 > capacity_ || !open_)
            flushForLine(maxBytes);
        used_ += fill(buffer_.get() + used_);
        buffer_[used_++] = '\r';
        buffer_[used_++] = '\n';
    }
    // The line and CR LF.
    void writeLine(std::string_view line) {
        if (used_ + line.size() + 2 > capacity_ || !open_) {
            writeSlow(line);
            writeSlow("\r\n");
            return;
        }
        append(line);
        buffer_[used_++] = '\r';
        buffer_[used_++] = '\n';
    }
    // Completes the temporary file and closes it; the target is replaced later by commit(). Lets a job
    // prepare many outputs without holding their files open.
    void finish();
    void commit();
    // Hands the bytes of the finished temporary file to `take`, in pieces of up to `pieceBytes` in their
    // order: a job that drafts an output before it knows all of its final form reads the draft back. Throws
    // FileError(Read).
    void readBack(const std::function<void(std::string_view)>& take,
                  size_t pieceBytes = size_t{1} << 18) const;
    // Appends the whole content of an open file; returns its last byte ('\0' when empty).
    char appendFile(std::FILE* from, const std::string& fromText);
    const std::string& pathText() const { return path_; }
    // For the commit of several outputs: the host paths of the target and of the finished temporary file.
    const std::filesystem::path& targetPath() const { return target_; }
    const std::filesystem::path& tempPath() const { return temp_; }
    // The temporary file now stands in the target's place; nothing is left to remove.
    void markCommitted() { committed_ = true; }

  private:
    size_t capacity_ = 1 << 20;
    void append(std::string_view bytes) {
        if (bytes.empty()) // an empty view may have no data at all
            return;
        std::memcpy(buffer_.get() + used_, bytes.data(), bytes.size());
        used_ += bytes.size();
    }
    void writeSlow(std::string_view bytes);
    void flushForLine(size_t maxBytes);
    [[noreturn]] void fail();
    [[noreturn]] void failWithReason(std::string reason);
    void flush();
    void writeOut(const char* data, size_t size);
    std::unique_ptr<char[]> buffer_;
    size_t used_ = 0;
    bool open_ = false;
    std::string path_;
    std::filesystem::path target_;
    std::filesystem::path temp_;
    std::FILE* file_ = nullptr;
    bool finished_ = false;
    bool committed_ = false;
    std::uintmax_t charged_ = 0; // bytes the test seam's budget counted for this file
};

// Copies the bytes of a file into a writer; returns the last byte copied ('\0' for an empty file).
char copyInto(AtomicWriter& out, std::string_view fromText);

// A path text made full, as the file window shows folders: a relative text taken from the current directory,
// "." and ".." resolved, no trailing backslash but a root's. A text the host cannot place comes back as
// given.
std::string fullPathText(std::string_view pathText);

// Test seam: the number of bytes after which every write fails as on a full disk (nullopt: never); the bytes
// of a temporary file that is removed again count no more. On POSIX
// the file is then really full (its descriptor points at /dev/full), so the system calls themselves fail.
// Only tests set it; it is per thread so that it cannot leak between runs of the program.
void setWriteBudgetForTesting(std::optional<std::uintmax_t> bytes);

// The value of an environment variable, nothing when it is unset.
std::optional<std::string> environmentValue(const char* name);

} // namespace fk::platform

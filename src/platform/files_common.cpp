// The parts of the file room that are the same on every host: errors, wildcards, the line reader and the
// atomic writer. Host specifics come through host.hpp.
#include "platform/files.hpp"

#include "platform/host.hpp"
#include "platform/interrupt.hpp"
#include "platform/replace.hpp"
#include "util/text.hpp"

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <fstream>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace fk::platform {

namespace fs = std::filesystem;

namespace {

thread_local std::optional<std::uintmax_t> writeBudget;

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

// False when the test seam's budget does not cover the bytes, as a disk without room for them.
bool chargeWrite(size_t bytes) {
    if (!writeBudget)
        return true;
    if (*writeBudget < bytes)
        return false;
    *writeBudget -= bytes;
    return true;
}

// A temporary file removed again gives its room back, as on a real disk.
void refundWrite(std::uintmax_t bytes) {
    if (writeBudget)
        *writeBudget += bytes;
}

} // namespace

FileError::FileError(Kind kind, std::string pathText, std::string reason)
    : std::runtime_error("file error: " + pathText), kind_(kind), path_(std::move(pathText)),
      reason_(std::move(reason)) {}

std::string FileError::logMessage() const {
    std::string what = kind_ == Kind::Read ? "Could not read the file:" : "Could not write the file:";
    return reason_.empty() ? util::lines({what, util::angled(path_)})
                           : util::lines({what, util::angled(path_), reason_});
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

char copyInto(AtomicWriter& out, std::string_view fromText) {
    auto from = resolveExisting(fromText);
    std::FILE* in = from ? host::openRead(*from) : nullptr;
    if (!in)
        throw FileError(FileError::Kind::Read, std::string(fromText));
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> guard(in, std::fclose);
    return out.appendFile(in, std::string(fromText));
}

bool fileexists(std::string_view pathText) {
    return host::exists(pathText, host::Want::File);
}

bool direxists(std::string_view pathText) {
    return host::exists(pathText, host::Want::FileOrDirectory);
}

bool isDirectoryText(std::string_view pathText) {
    const auto hostPath = resolveExisting(pathText);
    std::error_code ec;
    return hostPath && fs::is_directory(*hostPath, ec);
}

fs::path hostPathOfUtf8(std::string_view utf8) {
    return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string utf8OfHostPath(const fs::path& hostPath) {
    const std::u8string text = hostPath.u8string();
    return std::string(text.begin(), text.end());
}

bool sameFile(std::string_view a, std::string_view b) {
    if (util::equalsNoCase(a, b))
        return true;
    const auto hostA = resolveExisting(a), hostB = resolveExisting(b);
    std::error_code ec;
    return hostA && hostB && std::filesystem::equivalent(*hostA, *hostB, ec);
}

std::vector<DirEntry> listDirectory(std::string_view pathText) {
    std::vector<DirEntry> out = host::entries(pathText);
    std::sort(out.begin(), out.end(),
              [](const DirEntry& a, const DirEntry& b) { return util::upper(a.name) < util::upper(b.name); });
    return out;
}

void copyFile(std::string_view fromText, std::string_view toText) {
    if (!resolveExisting(fromText))
        throw FileError(FileError::Kind::Read, std::string(fromText));
    AtomicWriter out(toText);
    copyInto(out, fromText);
    out.commit();
}

// ---- LineReader ----

namespace {

bool isLineEnd(char c) {
    return c == '\n' || c == '\r' || c == '\x1a';
}

constexpr std::uint64_t eachByte(std::uint8_t b) {
    return 0x0101010101010101ULL * b;
}

bool above1a(char c) {
    return static_cast<unsigned char>(c) > 0x1a;
}

// Line ends and the end-of-text mark are all below 0x1b: the first byte below it is where a scan stops.
const char* firstBelow1b(const char* from, const char* to) {
#if defined(__SSE2__)
    // Sixteen bytes at a time where the processor has SSE2, as every x86-64 one does: a byte is below 0x1b
    // where its unsigned minimum with 0x1a is the byte itself.
    const __m128i highest = _mm_set1_epi8(0x1a);
    for (; to - from >= 16; from += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from));
        const int below = _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_min_epu8(bytes, highest), bytes));
        if (below != 0)
            return from + std::countr_zero(static_cast<unsigned>(below));
    }
#endif
    // The classic test for a byte below n sets the top bit of the first such byte of a word exactly; bytes
    // after it may be flagged falsely (by the borrow), so only the first flag counts.
    if constexpr (std::endian::native == std::endian::little) {
        for (; to - from >= 8; from += 8) {
            std::uint64_t word;
            std::memcpy(&word, from, 8);
            const std::uint64_t flags = (word - eachByte(0x1b)) & ~word & eachByte(0x80);
            if (flags != 0)
                return from + (std::countr_zero(flags) >> 3);
        }
    }
    while (from < to && above1a(*from))
        ++from;
    return from;
}

} // namespace

const char* findLineEnd(const char* from, const char* to) {
    // A tab or another control byte below 0x1b only stops the scan for a moment.
    for (;;) {
        const char* p = firstBelow1b(from, to);
        if (p == to || isLineEnd(*p))
            return p;
        from = p + 1;
    }
}

// Reads of 256 kB: fewer system calls, and the buffer is still small beside the line limit.
LineReader::LineReader(std::string_view pathText)
    : path_(pathText), buffer_(1 << 18), readSize_(buffer_.size()) {
    auto p = resolveExisting(pathText);
    if (p)
        file_ = host::openRead(*p);
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
    checkInterrupted();
    size_ = std::fread(buffer_.data(), 1, std::min(readSize_, buffer_.size()), file_);
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

// A piece of a line that runs on into the next read; a line longer than any job can use stops the job.
void LineReader::keep(std::string_view piece) {
    if (carry_.size() + piece.size() > maxLineLength)
        throw FileError(FileError::Kind::Read, path_,
                        "Line " + std::to_string(lineNumber_) + " is longer than " +
                            std::to_string(maxLineLength >> 20) + " MB; no job reads lines that long.");
    carry_.append(piece);
}

bool LineReader::nextAcrossReads(std::string_view& line) {
    if (atEnd())
        return false;
    ++lineNumber_;
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
        const char* p = findLineEnd(start, stop);
        std::string_view piece(start, static_cast<size_t>(p - start));
        pos_ = static_cast<size_t>(p - buffer_.data());
        if (p == stop) {
            keep(piece);
            carrying = true;
            continue;
        }
        if (carrying)
            keep(piece);
        char c = *p;
        ++pos_;
        if (c == '\x1a')
            ended_ = true;
        if (c == '\r' && pos_ >= size_ && !ended_) {
            // The LF that may follow is in the next read, which replaces the buffer the piece points into.
            if (!carrying) {
                keep(piece);
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
    target_ = host::followLinks(resolveForWrite(pathText));
    auto made = host::createTempBeside(target_, 't');
    if (!made.temp)
        throw FileError(FileError::Kind::Write, path_, made.reason);
    file_ = made.temp->file;
    temp_ = made.temp->path;
    buffer_ = std::make_unique_for_overwrite<char[]>(capacity_);
    open_ = true;
}

AtomicWriter::~AtomicWriter() {
    if (file_)
        std::fclose(file_);
    if (!committed_ && !temp_.empty()) {
        host::removeQuietly(temp_);
        refundWrite(charged_);
    }
}

void AtomicWriter::fail() {
    failWithReason(host::lastErrorReason());
}

void AtomicWriter::failWithReason(std::string reason) {
    open_ = false;
    if (file_) {
        std::fclose(file_);
        file_ = nullptr;
    }
    if (!temp_.empty()) {
        host::removeQuietly(temp_);
        refundWrite(charged_);
    }
    temp_.clear();
    throw FileError(FileError::Kind::Write, path_, std::move(reason));
}

// Every byte goes through here, so that the test seam's full disk is met by the real system call.
void AtomicWriter::writeOut(const char* data, size_t size) {
    checkInterrupted();
    if (chargeWrite(size))
        charged_ += size;
    else if (!host::makeFull(file_))
        failWithReason("The disk is full.");
    if (size > 0 && std::fwrite(data, 1, size, file_) != size)
        fail();
}

void AtomicWriter::writeSlow(std::string_view bytes) {
    if (!open_)
        fail();
    if (used_ + bytes.size() > capacity_)
        flush();
    if (bytes.size() > capacity_) {
        writeOut(bytes.data(), bytes.size());
        return;
    }
    append(bytes);
}

char AtomicWriter::appendFile(std::FILE* from, const std::string& fromText) {
    if (!open_)
        fail();
    flush();
    if (std::fflush(file_) != 0)
        fail();
    auto size = host::sizeOf(from);
    if (!size)
        throw FileError(FileError::Kind::Read, fromText);
    if (chargeWrite(*size))
        charged_ += *size;
    else if (!host::makeFull(file_))
        failWithReason("The disk is full.");
    switch (host::copyBytes(from, file_)) {
    case host::CopyResult::ReadFailed:
        throw FileError(FileError::Kind::Read, fromText);
    case host::CopyResult::WriteFailed:
        fail();
        break;
    case host::CopyResult::Done:
        break;
    }
    // The last byte tells a caller whether the text ends with a line break.
    char last = '\0';
    if (*size > 0 && (std::fseek(from, -1, SEEK_END) != 0 || std::fread(&last, 1, 1, from) != 1))
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
    writeOut(buffer_.get(), used_);
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
    // A job may hold many finished outputs until its commit; none of them needs its buffer any more.
    buffer_.reset();
    capacity_ = 0;
    if (rc != 0)
        fail();
    finished_ = true;
}

void AtomicWriter::readBack(const std::function<void(std::string_view)>& take, size_t pieceBytes) const {
    std::FILE* in = finished_ ? host::openRead(temp_) : nullptr;
    if (!in)
        throw FileError(FileError::Kind::Read, path_);
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> guard(in, std::fclose);
    std::vector<char> piece(std::max<size_t>(pieceBytes, 1));
    for (;;) {
        checkInterrupted();
        const size_t got = std::fread(piece.data(), 1, piece.size(), in);
        if (got == 0)
            break;
        take(std::string_view(piece.data(), got));
    }
    if (std::ferror(in))
        throw FileError(FileError::Kind::Read, path_);
}

void AtomicWriter::commit() {
    AtomicWriter* self = this;
    replaceTogether(std::span<AtomicWriter* const>(&self, 1));
}

void setWriteBudgetForTesting(std::optional<std::uintmax_t> bytes) {
    writeBudget = bytes;
}

std::optional<std::string> environmentValue(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::optional<std::string>(value) : std::nullopt;
}

} // namespace fk::platform

namespace fk::platform {

std::string readBytes(std::string_view pathText) {
    const auto host = resolveExisting(pathText);
    std::ifstream in;
    if (host)
        in.open(*host, std::ios::binary);
    if (!in)
        throw FileError(FileError::Kind::Read, std::string(pathText));
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    in.seekg(0, std::ios::beg);
    std::string bytes(size > 0 ? size_t(size) : 0, '\0');
    in.read(bytes.data(), std::streamsize(bytes.size()));
    if (in.bad() || size < 0 || in.gcount() != std::streamsize(bytes.size()))
        throw FileError(FileError::Kind::Read, std::string(pathText));
    return bytes;
}

} // namespace fk::platform

// The file room on Windows: path texts are the paths themselves, in UTF-8, converted for the wide API (never
// the ANSI code page, which cannot hold every name). Hidden and system files are not ordinary files.
#include "platform/files.hpp"
#include "platform/host.hpp"
#include "platform/utf16.hpp"

#include "util/text.hpp"

#include <algorithm>
#include <fcntl.h>
#include <io.h>
#include <random>
#include <sys/stat.h>
#include <windows.h>

namespace fk::platform {

namespace fs = std::filesystem;

namespace {

using host::Want;

bool usable(std::string_view text) {
    return !text.empty() && text.find('\0') == std::string_view::npos;
}

bool hasWildcard(std::string_view s) {
    return s.find_first_of("*?") != std::string_view::npos;
}

constexpr DWORD notOrdinary = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

DWORD attributesOf(const std::wstring& path) {
    return ::GetFileAttributesW(path.c_str());
}

bool isDirectory(DWORD attributes) {
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool qualifies(DWORD attributes, Want want) {
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & notOrdinary))
        return false;
    return !(attributes & FILE_ATTRIBUTE_DIRECTORY) || want == Want::FileOrDirectory;
}

// A drive root or a text ending in a separator names a directory; FindFirstFile cannot look those up.
bool namesDirectoryItself(std::string_view text) {
    return text.back() == '\\' || text.back() == '/' || (text.size() == 2 && text[1] == ':');
}

} // namespace

bool host::exists(std::string_view text, Want want) {
    if (!usable(text))
        return false;
    const std::wstring path = toUtf16(text);
    if (namesDirectoryItself(text)) {
        if (hasWildcard(text))
            return false;
        return want == Want::FileOrDirectory && isDirectory(attributesOf(path));
    }
    WIN32_FIND_DATAW found;
    HANDLE search = ::FindFirstFileW(path.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return false;
    bool any = false;
    do {
        std::wstring_view name = found.cFileName;
        if (name != L"." && name != L".." && qualifies(found.dwFileAttributes, want))
            any = true;
    } while (!any && ::FindNextFileW(search, &found));
    ::FindClose(search);
    return any;
}

std::optional<fs::path> resolveExisting(std::string_view pathText) {
    if (!usable(pathText) || hasWildcard(pathText))
        return std::nullopt;
    std::wstring path = toUtf16(pathText);
    if (attributesOf(path) == INVALID_FILE_ATTRIBUTES)
        return std::nullopt;
    return fs::path(path);
}

fs::path resolveForWrite(std::string_view pathText) {
    if (!usable(pathText) || hasWildcard(pathText) || namesDirectoryItself(pathText))
        throw FileError(FileError::Kind::Write, std::string(pathText));
    fs::path path(toUtf16(pathText));
    std::error_code ec;
    fs::path directory = fs::absolute(path, ec).parent_path();
    if (ec || !isDirectory(attributesOf(directory.wstring())))
        throw FileError(FileError::Kind::Write, std::string(pathText));
    return path;
}

std::string toPathText(const fs::path& hostPath) {
    std::error_code ec;
    std::wstring text = fs::absolute(hostPath, ec).lexically_normal().wstring();
    std::replace(text.begin(), text.end(), L'/', L'\\');
    if (text.size() > 3 && text.back() == L'\\')
        text.pop_back();
    return toUtf8(text);
}

std::string pathTextOfArgument(const std::string& value) {
    return value;
}

std::vector<std::string> drives() {
    std::vector<std::string> list;
    const DWORD present = ::GetLogicalDrives();
    for (int d = 0; d < 26; ++d) {
        if (present & (1u << d))
            list.push_back(std::string(1, static_cast<char>('A' + d)) + ":");
    }
    return list;
}

namespace {

// The name the directory lists for an existing entry: in the case it was created with, and long where the
// text gave its short form.
std::optional<std::string> listedName(const std::string& pathText) {
    WIN32_FIND_DATAW found;
    HANDLE search = ::FindFirstFileW(toUtf16(pathText).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return std::nullopt;
    ::FindClose(search);
    return toUtf8(found.cFileName);
}

// Where the names start: after "C:\" (its letter upper-cased) or after "\\server\share\", kept as typed.
size_t rootLength(const std::string& pathText) {
    if (pathText.size() >= 2 && pathText[1] == ':')
        return pathText.size() > 2 && pathText[2] == '\\' ? 3 : 2;
    if (!pathText.starts_with("\\\\"))
        return 0;
    size_t share = pathText.find('\\', 2);
    size_t end = share == std::string::npos ? std::string::npos : pathText.find('\\', share + 1);
    return end == std::string::npos ? pathText.size() : end + 1;
}

} // namespace

// Windows finds a name in any case, so a typed text opens; the names shown are the ones on disk.
std::string realCase(const std::string& pathText) {
    if (!usable(pathText) || hasWildcard(pathText))
        return pathText;
    const size_t root = rootLength(pathText);
    std::string out = pathText.substr(0, root);
    if (root >= 2 && out[1] == ':' && out[0] >= 'a' && out[0] <= 'z')
        out[0] = static_cast<char>(out[0] - 'a' + 'A');
    for (size_t at = root; at < pathText.size();) {
        size_t end = std::min(pathText.find('\\', at), pathText.size());
        const std::string name = pathText.substr(at, end - at);
        auto listed = name.empty() || name == "." || name == ".." ? std::nullopt : listedName(out + name);
        if (!listed)
            return out + pathText.substr(at);
        out += *listed;
        if (end < pathText.size())
            out += '\\';
        at = end + 1;
    }
    return out;
}

std::optional<std::uintmax_t> filelength(std::string_view pathText) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!usable(pathText) ||
        !::GetFileAttributesExW(toUtf16(pathText).c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return std::nullopt;
    return (static_cast<std::uintmax_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

bool isReadOnly(std::string_view pathText) {
    if (!usable(pathText))
        return false;
    DWORD attributes = attributesOf(toUtf16(pathText));
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY) &&
           (attributes & FILE_ATTRIBUTE_READONLY);
}

void resetAttributes(std::string_view pathText) {
    if (isReadOnly(pathText))
        ::SetFileAttributesW(toUtf16(pathText).c_str(), FILE_ATTRIBUTE_NORMAL);
}

std::string currentDirectory() {
    wchar_t buffer[MAX_PATH * 4];
    DWORD n = ::GetCurrentDirectoryW(static_cast<DWORD>(std::size(buffer)), buffer);
    return n == 0 ? std::string("C:\\") : toPathText(fs::path(std::wstring(buffer, n)));
}

bool setCurrentDirectory(std::string_view pathText) {
    return usable(pathText) && ::SetCurrentDirectoryW(toUtf16(pathText).c_str());
}

std::string executableDirectory() {
    wchar_t buffer[MAX_PATH * 4];
    DWORD n = ::GetModuleFileNameW(nullptr, buffer, static_cast<DWORD>(std::size(buffer)));
    if (n == 0)
        return currentDirectory();
    return toPathText(fs::path(std::wstring(buffer, n)).parent_path());
}

bool directoryWritable(std::string_view pathText) {
    return usable(pathText) && isDirectory(attributesOf(toUtf16(pathText)));
}

std::vector<DirEntry> host::entries(std::string_view pathText) {
    std::vector<DirEntry> out;
    if (!usable(pathText))
        return out;
    std::wstring pattern = toUtf16(pathText);
    if (pattern.back() != L'\\')
        pattern += L'\\';
    pattern += L'*';
    WIN32_FIND_DATAW found;
    HANDLE search = ::FindFirstFileW(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return out;
    do {
        std::wstring_view name = found.cFileName;
        if (name == L"." || name == L".." || (found.dwFileAttributes & notOrdinary))
            continue;
        out.push_back({toUtf8(name), (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
    return out;
}

} // namespace fk::platform

namespace fk::platform::host {

namespace fs = std::filesystem;

std::FILE* openRead(const fs::path& file) {
    DWORD attributes = ::GetFileAttributesW(file.wstring().c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return nullptr;
    return ::_wfopen(file.wstring().c_str(), L"rb");
}

std::string lastErrorReason() {
    const DWORD code = ::GetLastError();
    switch (code) {
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return "The disk is full.";
    case ERROR_WRITE_PROTECT:
        return "The disk is read-only.";
    case ERROR_ACCESS_DENIED:
        return "Access is denied: the file or its folder is read-only or protected.";
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_USER_MAPPED_FILE:
        return "The file is in use by another program.";
    case ERROR_FILENAME_EXCED_RANGE:
        return "The name is too long for the file system.";
    case ERROR_PATH_NOT_FOUND:
    case ERROR_FILE_NOT_FOUND:
        return "The folder does not exist.";
    case ERROR_SUCCESS:
        // The C runtime's own failures (fwrite) leave their reason in errno.
        if (errno == ENOSPC)
            return "The disk is full.";
        return "The system reported an error.";
    default:
        return "The system reported error " + std::to_string(code) + ".";
    }
}

namespace {

// `.<name>.fk-<pid>-<start time>-<boot>-<kind>` with the name cut so that the whole name stays within 255
// characters.
std::wstring transientPrefix(const fs::path& target, char kind) {
    const Run run = currentRun();
    const std::wstring tail = L".fk-" + std::to_wstring(run.pid) + L"-" + std::to_wstring(run.started) +
                              L"-" + std::to_wstring(run.boot) + L"-" + static_cast<wchar_t>(kind);
    std::wstring name = target.filename().wstring();
    const size_t room = 255 - 1 - tail.size() - 8;
    if (name.size() > room)
        name.resize(room);
    return L"." + name + tail;
}

std::wstring randomSuffix() {
    static constexpr wchar_t letters[] = L"abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::random_device random;
    std::wstring out;
    for (int i = 0; i < 6; ++i)
        out += letters[random() % (std::size(letters) - 1)];
    return out;
}

} // namespace

fs::path transientName(const fs::path& target, char kind) {
    return target.parent_path() / (transientPrefix(target, kind) + randomSuffix());
}

TempResult createTempBeside(const fs::path& target, char kind) {
    DWORD attributes = ::GetFileAttributesW(target.wstring().c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return {std::nullopt, "A folder of that name stands in its place."};
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        return {std::nullopt, "The file is read-only."};
    for (int attempt = 0; attempt < 16; ++attempt) {
        fs::path path = transientName(target, kind);
        HANDLE handle = ::CreateFileW(path.wstring().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_HIDDEN, nullptr);
        if (handle == INVALID_HANDLE_VALUE) {
            if (::GetLastError() == ERROR_FILE_EXISTS)
                continue;
            return {std::nullopt, lastErrorReason()};
        }
        int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_WRONLY | _O_BINARY);
        std::FILE* file = fd < 0 ? nullptr : ::_fdopen(fd, "wb");
        if (!file) {
            if (fd >= 0)
                ::_close(fd);
            else
                ::CloseHandle(handle);
            ::DeleteFileW(path.wstring().c_str());
            return {std::nullopt, "The temporary file could not be opened."};
        }
        return {Temp{file, path}, {}};
    }
    return {std::nullopt, "No free name for a temporary file."};
}

bool replace(const fs::path& from, const fs::path& to) {
    return ::MoveFileExW(from.wstring().c_str(), to.wstring().c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

bool hardLink(const fs::path& existing, const fs::path& link) {
    return ::CreateHardLinkW(link.wstring().c_str(), existing.wstring().c_str(), nullptr) != 0;
}

void syncFile(const fs::path& file) {
    HANDLE handle = ::CreateFileW(file.wstring().c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle != INVALID_HANDLE_VALUE) {
        ::FlushFileBuffers(handle);
        ::CloseHandle(handle);
    }
}

// Windows keeps a directory's entries with the files themselves.
void syncDirectory(const fs::path&) {}

void showFile(const fs::path& file) {
    ::SetFileAttributesW(file.wstring().c_str(), FILE_ATTRIBUTE_NORMAL);
}

fs::path followLinks(const fs::path& path) {
    std::error_code ec;
    if (!fs::is_symlink(path, ec))
        return path;
    fs::path real = fs::weakly_canonical(path, ec);
    return ec ? path : real;
}

void failAsInUse() {
    ::SetLastError(ERROR_SHARING_VIOLATION);
}

void failAsDiskFull() {
    ::SetLastError(ERROR_DISK_FULL);
}

bool makeFull(std::FILE*) {
    return false;
}

void removeQuietly(const fs::path& file) {
    ::DeleteFileW(file.wstring().c_str());
}

std::optional<std::uintmax_t> sizeOf(std::FILE* file) {
    struct _stat64 st;
    if (::_fstat64(::_fileno(file), &st) != 0)
        return std::nullopt;
    return static_cast<std::uintmax_t>(st.st_size);
}

CopyResult copyBytes(std::FILE* from, std::FILE* to) {
    std::vector<char> chunk(1 << 16);
    for (;;) {
        size_t n = std::fread(chunk.data(), 1, chunk.size(), from);
        if (n == 0)
            return std::ferror(from) ? CopyResult::ReadFailed : CopyResult::Done;
        if (std::fwrite(chunk.data(), 1, n, to) != n)
            return CopyResult::WriteFailed;
    }
}

} // namespace fk::platform::host

// The file window's full paths.
namespace fk::platform {

std::string fullPathText(std::string_view pathText) {
    if (!usable(pathText))
        return std::string(pathText);
    const std::wstring wide = toUtf16(pathText);
    DWORD n = ::GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    std::wstring full(n, L'\0');
    n = n == 0 ? 0 : ::GetFullPathNameW(wide.c_str(), n, full.data(), nullptr);
    if (n == 0 || n >= full.size())
        return std::string(pathText);
    full.resize(n);
    while (full.size() > 3 && full.back() == L'\\')
        full.pop_back();
    return toUtf8(full);
}

} // namespace fk::platform

#include "model/filewindow.hpp"

#include "platform/files.hpp"
#include "util/text.hpp"

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace fk::model {

namespace {

std::string trimmed(std::string_view text) {
    return std::string(util::withoutBlanks(text, " \t"));
}

bool hasWildcard(std::string_view text) {
    return text.find_first_of("*?") != std::string_view::npos;
}

bool hasPath(std::string_view text) {
    return text.find_first_of("\\/:") != std::string_view::npos;
}

bool hasDrive(std::string_view text) {
    return text.size() >= 2 && text[1] == ':' && std::isalpha(static_cast<unsigned char>(text[0]));
}

// The pattern box may hold several patterns separated by ";" ("*.GBR;*.TXT").
bool matchesAny(const std::string& patterns, const std::string& name) {
    for (size_t start = 0; start <= patterns.size();) {
        size_t end = std::min(patterns.find(';', start), patterns.size());
        std::string one = trimmed(std::string_view(patterns).substr(start, end - start));
        if (!one.empty() && platform::wildcardMatch(one, name))
            return true;
        start = end + 1;
    }
    return false;
}

// The names in "File name": one per line or separated by ",", blanks around them and quotes dropped.
std::vector<std::string> splitNames(const std::string& text) {
    std::vector<std::string> names;
    for (size_t start = 0; start <= text.size();) {
        size_t end = std::min(text.find_first_of(",\r\n", start), text.size());
        std::string name = trimmed(std::string_view(text).substr(start, end - start));
        if (name.size() >= 2 && name.front() == '"' && name.back() == '"')
            name = trimmed(std::string_view(name).substr(1, name.size() - 2));
        if (!name.empty())
            names.push_back(name);
        start = end + 1;
    }
    return names;
}

// "Z:\" for a path on a drive, "\\server\share" for a network path, empty for anything else.
std::string rootOf(const std::string& path) {
    if (hasDrive(path))
        return path.substr(0, 2) + "\\";
    if (!path.starts_with("\\\\"))
        return {};
    size_t share = path.find('\\', 2);
    return share == std::string::npos ? path : path.substr(0, path.find('\\', share + 1));
}

std::string parentOf(const std::string& path) {
    const std::string root = rootOf(path);
    const size_t slash = path.rfind('\\');
    return slash == std::string::npos || slash < root.size() ? root : path.substr(0, slash);
}

std::string childOf(const std::string& folder, const std::string& name) {
    if (name.empty() || folder.empty())
        return folder + name;
    return folder + (folder.back() == '\\' ? "" : "\\") + name;
}

// A folder as the window returns it: its path and a trailing backslash, so that its directory is itself.
std::string folderChoice(const std::string& folder) {
    return folder.ends_with('\\') ? folder : folder + "\\";
}

bool isFolder(const std::string& path) {
    auto host = platform::resolveExisting(path);
    std::error_code ec;
    return host && std::filesystem::is_directory(*host, ec);
}

// Typed text as the full path it names from `folder`: a drive's path, a network path, a path from the
// drive's root ("\WORK"), a host path on POSIX ("/tmp"), or a path relative to `folder`.
std::string fullPathIn(const std::string& folder, const std::string& typed) {
    std::string text = platform::pathTextOfArgument(typed);
    std::replace(text.begin(), text.end(), '/', '\\');
    if (hasDrive(text) && !(text.size() >= 3 && text[2] == '\\')) {
        // "D:" or "D:NAME": from the folder shown when it is on that drive, else from the drive's root.
        const bool sameDrive = util::equalsNoCase(folder.substr(0, 2), text.substr(0, 2));
        text = childOf(sameDrive ? folder : text.substr(0, 2) + "\\", text.substr(2));
    } else if (text.starts_with("\\") && !text.starts_with("\\\\")) {
        const std::string root = rootOf(folder);
        text = (root.ends_with('\\') ? root.substr(0, root.size() - 1) : root) + text;
    } else if (!hasDrive(text) && !text.starts_with("\\")) {
        text = childOf(folder, text);
    }
    return platform::fullPathText(text);
}

// "..", "." and chains of them move through the folders even where a folder is asked for.
bool onlyDots(const std::string& typed) {
    return typed.find_first_not_of(".\\/") == std::string::npos;
}

} // namespace

FileWindow::FileWindow(const app::PickRequest& request)
    : folderWanted_(request.folder), boardWanted_(request.board), drives_(platform::drives()),
      pattern_(request.mask.empty() ? "*.*" : request.mask) {
    go(request.startDirectory);
}

std::string FileWindow::drive() const {
    return hasDrive(directory_) ? util::upper(directory_.substr(0, 2)) : std::string();
}

void FileWindow::go(const std::string& path) {
    directory_ = platform::realCase(platform::fullPathText(path));
    highlightedFolder_.reset();
    names_.clear();
    list();
}

void FileWindow::list() {
    folders_.clear();
    std::vector<std::string> chain;
    for (std::string p = directory_;; p = parentOf(p)) {
        chain.insert(chain.begin(), p);
        if (rootOf(p).empty() || p.size() <= rootOf(p).size())
            break;
    }
    for (const auto& p : chain) {
        const bool root = p.size() <= rootOf(p).size();
        folders_.push_back({.label = root ? p : p.substr(p.rfind('\\') + 1),
                            .path = p,
                            .depth = static_cast<int>(folders_.size()),
                            .onChain = true});
    }
    currentRow_ = folders_.size() - 1;
    files_.clear();
    highlightedFiles_.clear();
    for (const auto& entry : platform::listDirectory(directory_)) {
        if (entry.directory)
            folders_.push_back({.label = entry.name,
                                .path = childOf(directory_, entry.name),
                                .depth = static_cast<int>(chain.size()),
                                .onChain = false});
        else if (matchesAny(pattern_, entry.name))
            files_.push_back(entry.name);
    }
    ++listing_;
}

void FileWindow::choosePattern(const std::string& text) {
    pattern_ = text;
    status_.clear();
    list();
}

void FileWindow::chooseDrive(const std::string& drive) {
    status_.clear();
    const std::string here = platform::currentDirectory();
    const std::string target = util::equalsNoCase(here.substr(0, 2), drive) ? here : drive + "\\";
    if (platform::direxists(target))
        go(target);
    else
        status_ = "Drive " + drive + " cannot be read.";
}

void FileWindow::highlightFolder(size_t row) {
    if (row >= folders_.size())
        return;
    // The latest click is what OK acts on: names chosen before it no longer are.
    highlightedFolder_ = row;
    highlightedFiles_.clear();
    names_.clear();
    status_.clear();
}

void FileWindow::openFolder(size_t row) {
    status_.clear();
    if (row < folders_.size())
        go(folders_[row].path);
}

void FileWindow::highlightFiles(std::vector<size_t> rows) {
    std::erase_if(rows, [&](size_t row) { return row >= files_.size(); });
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    highlightedFiles_ = rows;
    names_.clear();
    for (size_t row : rows)
        names_ += (names_.empty() ? "" : "\n") + files_[row];
    count_ = std::to_string(rows.size());
    highlightedFolder_.reset();
    status_.clear();
}

void FileWindow::typeNames(const std::string& text) {
    names_.clear();
    for (char c : text)
        if (c != '\r')
            names_.push_back(c);
    if (!trimmed(names_).empty())
        highlightedFolder_.reset();
    status_.clear();
}

std::optional<std::string> FileWindow::confirm() {
    status_.clear();
    const std::vector<std::string> names = splitNames(names_);
    if (names.empty())
        return confirmWithoutNames();
    if (names.size() > 1)
        return confirmSeveral(names);
    return confirmOne(names.front());
}

std::optional<std::string> FileWindow::confirmWithoutNames() {
    if (highlightedFolder_) {
        const std::string path = folders_[*highlightedFolder_].path;
        if (folderWanted_ || boardWanted_)
            return folderChoice(path);
        go(path);
        return std::nullopt;
    }
    if (folderWanted_)
        return folderChoice(directory_);
    status_ = "No file chosen: highlight one or type its name.";
    return std::nullopt;
}

std::optional<std::string> FileWindow::chooseBoardFolder() {
    if (!boardWanted_)
        return std::nullopt;
    status_.clear();
    return folderChoice(highlightedFolder_ ? folders_[*highlightedFolder_].path : directory_);
}

std::optional<std::string> FileWindow::confirmSeveral(const std::vector<std::string>& names) {
    for (const auto& name : names) {
        if (hasPath(name) || hasWildcard(name)) {
            status_ = "Several names are taken from this folder only: " + name;
            return std::nullopt;
        }
    }
    return joinChoice(directory_, names);
}

std::optional<std::string> FileWindow::confirmOne(const std::string& typed) {
    if (hasWildcard(typed)) {
        applyTypedPattern(typed);
        return std::nullopt;
    }
    const std::string path = fullPathIn(directory_, typed);
    if (isFolder(path)) {
        if (folderWanted_ && !onlyDots(typed))
            return folderChoice(platform::realCase(path));
        go(path);
        return std::nullopt;
    }
    if (platform::fileexists(path))
        return platform::realCase(path);
    // A name not there yet: the job that asked says what it makes of it.
    if (isFolder(parentOf(path)))
        return joinChoice(platform::realCase(parentOf(path)), {path.substr(path.rfind('\\') + 1)});
    status_ = "The folder " + parentOf(path) + " does not exist.";
    return std::nullopt;
}

// "*.GBR" narrows the list; "SUB\*.GBR" goes to SUB first.
void FileWindow::applyTypedPattern(const std::string& typed) {
    const size_t slash = typed.find_last_of("\\/");
    if (slash != std::string::npos || hasDrive(typed)) {
        const size_t cut = slash == std::string::npos ? 2 : slash + 1;
        const std::string folder = fullPathIn(directory_, typed.substr(0, cut));
        if (!isFolder(folder)) {
            status_ = "The folder " + folder + " does not exist.";
            return;
        }
        go(folder);
    }
    names_.clear();
    choosePattern(typed.substr(slash == std::string::npos ? (hasDrive(typed) ? 2 : 0) : slash + 1));
}

} // namespace fk::model

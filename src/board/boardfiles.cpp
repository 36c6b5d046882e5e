// A board's files from a folder, a zip or a pick: each entry looked at and listed before anything is read,
// the budgets checked against the sizes stated, and one file read at a time.
#include "board/boardfiles.hpp"

#include "app/context.hpp"
#include "platform/files.hpp"
#include "platform/folder.hpp"
#include "util/text.hpp"

#include <zip.h>

#include <algorithm>
#include <new>

namespace fk::board {

struct BoardSources::Zip {
    std::string path;
    std::string bytes; // the archive reads from these
    zip_t* archive = nullptr;
    ~Zip() {
        if (archive)
            zip_discard(archive);
    }
};

namespace {

std::string gigabytes(std::uint64_t bytes) {
    return std::to_string(bytes >> 30) + " GB";
}

const std::string fileTooLarge =
    "It is larger than " + gigabytes(largestBoardFile) + ", the most a board's file may be.";

[[noreturn]] void refuseFile(const std::string& shown, const std::string& reason, bool inFolder = true) {
    throw app::JobStop{util::lines(
        {"A file of the board cannot be read:", util::angled(shown), reason,
         inFolder ? "Nothing was checked; move it out of the board's folder." : "Nothing was checked."})};
}

[[noreturn]] void refuseTotal(const std::string& pathText, bool zip) {
    throw app::JobStop{
        util::lines({(zip ? "The zip's members unpack to more than " : "The board's files are larger than ") +
                         gigabytes(largestBoardFiles) + " together, the most a board's files may be:",
                     util::angled(pathText), "Nothing was checked."})};
}

void countEntries(std::size_t count, const std::string& pathText) {
    if (count > mostBoardEntries)
        throw app::JobStop{util::lines(
            {"The board holds more than " + std::to_string(mostBoardEntries) + " files and folders:",
             util::angled(pathText),
             "Nothing was checked; name the folder or zip of the board's Gerber and "
             "drill files."})};
}

std::string inFolder(const std::string& folder, const std::string& name) {
    return (folder.ends_with("\\") ? folder : folder + "\\") + name;
}

// A folder's entries and, down to deepestBoardFolder, its folders' (CAD tools write Gerber and drill files
// into folders of their own).
void listFolder(const std::string& folder, const std::string& root, int depth, std::uint64_t& total,
                std::vector<BoardEntry>& out) {
    std::vector<platform::FolderEntry> found;
    try {
        found = platform::folderEntries(folder, root);
    } catch (const platform::FileError& e) {
        throw app::JobStop{util::lines(
            {depth == 0 ? "The board's folder cannot be read:" : "A folder of the board cannot be read:",
             util::angled(folder), e.reason(), "Nothing was checked."})};
    }
    countEntries(out.size() + found.size(), root);
    using Kind = platform::EntryKind;
    for (const auto& e : found) {
        const std::string shown = inFolder(folder, e.name);
        const auto listed = [&](const char* why) { out.push_back({e.name, shown, why}); };
        switch (e.kind) {
        case Kind::File:
            if (e.size > largestBoardFile)
                refuseFile(shown, fileTooLarge);
            if ((total += e.size) > largestBoardFiles)
                refuseTotal(root, false);
            out.push_back({e.name, shown, ""});
            break;
        case Kind::Folder:
            if (depth < deepestBoardFolder)
                listFolder(shown, root, depth + 1, total, out);
            else
                listed("a folder more than three levels down, not read");
            break;
        case Kind::Hidden:
            listed("hidden, not read");
            break;
        case Kind::LinkOut:
            listed("a link out of the board's folder, not followed");
            break;
        case Kind::LinkToFolder:
            listed("a link to a folder, not followed: the board's files are read where they are");
            break;
        case Kind::Dangling:
            refuseFile(shown, "It is a link to nothing.");
        case Kind::Special:
        case Kind::Unreadable:
            refuseFile(shown, e.why);
        }
    }
}

} // namespace

bool isZip(std::string_view bytes) {
    return bytes.starts_with(std::string_view("PK\x03\x04", 4)) ||
           bytes.starts_with(std::string_view("PK\x05\x06", 4));
}

BoardSources::BoardSources() = default;
BoardSources::BoardSources(BoardSources&&) noexcept = default;
BoardSources::~BoardSources() = default;

void BoardSources::sort() {
    std::stable_sort(entries_.begin(), entries_.end(), [](const BoardEntry& a, const BoardEntry& b) {
        return util::lower(a.name) < util::lower(b.name);
    });
}

BoardSources BoardSources::ofPath(const std::string& pathText) {
    BoardSources s;
    if (platform::isDirectoryText(pathText)) {
        std::uint64_t total = 0;
        listFolder(pathText, pathText, 0, total, s.entries_);
        s.sort();
        return s;
    }
    std::optional<std::string> bytes;
    try {
        bytes = platform::readOrdinaryFile(pathText, largestBoardFile);
    } catch (const platform::FileError& e) {
        throw app::JobStop{util::lines({"The board cannot be read:", util::angled(pathText),
                                        e.reason().empty() ? "There is no such folder or file." : e.reason(),
                                        "Nothing was checked."})};
    }
    if (!bytes)
        throw app::JobStop{util::lines({"The board's zip is larger than " + gigabytes(largestBoardFile) +
                                            ", the most a board's file may be:",
                                        util::angled(pathText), "Nothing was checked."})};
    if (!isZip(*bytes))
        throw app::JobStop{util::lines(
            {"The board is neither a folder nor a zip:", util::angled(pathText),
             "Nothing was checked; name the folder or zip of the board's Gerber and drill files."})};
    s.zip_ = std::make_unique<Zip>();
    Zip& zip = *s.zip_;
    zip.path = pathText, zip.bytes = std::move(*bytes);
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(zip.bytes.data(), zip.bytes.size(), 0, &error);
    zip.archive = source ? zip_open_from_source(source, ZIP_RDONLY, &error) : nullptr;
    if (!zip.archive) {
        if (source)
            zip_source_free(source);
        const std::string why = zip_error_strerror(&error);
        zip_error_fini(&error);
        throw app::JobStop{util::lines(
            {"The zip cannot be read (" + why + "):", util::angled(pathText), "Nothing was checked."})};
    }
    const zip_int64_t count = zip_get_num_entries(zip.archive, 0);
    countEntries(std::size_t(std::max<zip_int64_t>(count, 0)), pathText);
    std::uint64_t total = 0;
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t stat;
        if (zip_stat_index(zip.archive, zip_uint64_t(i), 0, &stat) != 0 || !(stat.valid & ZIP_STAT_NAME) ||
            !(stat.valid & ZIP_STAT_SIZE))
            throw app::JobStop{util::lines({"The zip's entry " + std::to_string(i + 1) + " cannot be read:",
                                            util::angled(pathText), "Nothing was checked."})};
        const std::string name = stat.name;
        if (name.empty() || name.back() == '/')
            continue; // a folder: its files are entries of their own
        // A member's stated size is what its bytes take unpacked, checked before any is unpacked.
        if (stat.size > largestBoardFile)
            throw app::JobStop{
                util::lines({"The zip's member " + name + " is larger than " + gigabytes(largestBoardFile) +
                                 ", the most a board's file may be:",
                             util::angled(pathText), "Nothing was checked."})};
        if ((total += stat.size) > largestBoardFiles)
            refuseTotal(pathText, true);
        const std::string own = name.substr(name.find_last_of('/') + 1);
        s.entries_.push_back(
            {own, pathText + "\\" + name, own.starts_with(".") ? "hidden, not read" : "", long(i)});
    }
    s.sort();
    return s;
}

BoardSources BoardSources::ofFiles(const std::vector<std::string>& paths) {
    BoardSources s;
    std::uint64_t total = 0;
    for (const auto& path : paths) {
        const auto size = platform::filelength(path);
        if (size && *size > largestBoardFile)
            refuseFile(path, fileTooLarge, false);
        if ((total += size.value_or(0)) > largestBoardFiles)
            refuseTotal(util::directoryOf(path), false);
        s.entries_.push_back({path.substr(path.find_last_of('\\') + 1), path, ""});
    }
    s.sort();
    return s;
}

std::string BoardSources::bytes(const BoardEntry& entry) const {
    try {
        if (!zip_) {
            std::optional<std::string> read;
            try {
                read = platform::readOrdinaryFile(entry.shown, largestBoardFile);
            } catch (const platform::FileError& e) {
                refuseFile(entry.shown, e.reason().empty() ? "There is no such file." : e.reason());
            }
            if (!read)
                refuseFile(entry.shown, fileTooLarge);
            return std::move(*read);
        }
        zip_stat_t stat;
        zip_file_t* file = zip_stat_index(zip_->archive, zip_uint64_t(entry.index), 0, &stat) == 0
                               ? zip_fopen_index(zip_->archive, zip_uint64_t(entry.index), 0)
                               : nullptr;
        std::string data(file ? stat.size : 0, '\0');
        const zip_int64_t read = file ? zip_fread(file, data.data(), data.size()) : -1;
        if (file)
            zip_fclose(file);
        if (read < 0 || zip_uint64_t(read) != data.size())
            throw app::JobStop{util::lines(
                {"The zip's member " + entry.shown.substr(zip_->path.size() + 1) + " cannot be read:",
                 util::angled(zip_->path), "Nothing was checked."})};
        return data;
    } catch (const std::bad_alloc&) {
        throw app::JobStop{util::lines({"Not enough memory to read the board's file:",
                                        util::angled(entry.shown), "Nothing was checked."})};
    }
}

} // namespace fk::board

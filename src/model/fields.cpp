#include "model/fields.hpp"

#include "platform/files.hpp"
#include "util/text.hpp"

#include <algorithm>
#include <array>
#include <filesystem>
#include <stdexcept>

namespace fk::model {

namespace {

constexpr std::array<const char*, 3> planeEntries{"None", "Internal", "External"};
constexpr std::array<const char*, 2> maskEntries{"No", "Yes"};
constexpr std::array<const char*, 11> swellEntries{"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "10"};

constexpr std::array<FieldSpec, 8> fieldTable{{
    {.field = Field::fnamebase,
     .name = "fnamebase",
     .caption = "File base name",
     .mnemonic = 'F',
     .entries = {},
     .meaning = "the design's name without directory and extension (BOARD for BOARD.PCB)"},
    {.field = Field::indatapath,
     .name = "indatapath",
     .caption = "Input data path",
     .mnemonic = 'I',
     .entries = {},
     .meaning = "the directory of the design, its report, its NC1 drill file and its definition file"},
    {.field = Field::dfnpath,
     .name = "dfnpath",
     .caption = "PCB.DFN path",
     .mnemonic = 'D',
     .entries = {},
     .meaning = "the directory holding Tango-PCB's PCB.DFN"},
    {.field = Field::gcpvpath,
     .name = "gcpvpath",
     .caption = "GC Prevue path",
     .mnemonic = 'G',
     .entries = {},
     .meaning = "the directory of the GC Prevue viewer's tables apr.apr and rck.rck"},
    {.field = Field::planes,
     .name = "planes",
     .caption = "Plane type",
     .mnemonic = 'P',
     .entries = planeEntries,
     .meaning = "the power planes' kind, for the plane apertures of PCB >> Aperture"},
    {.field = Field::smenable,
     .name = "smenable",
     .caption = "Solder mask",
     .mnemonic = 'S',
     .entries = maskEntries,
     .meaning = "whether PCB >> Aperture adds solder-mask apertures"},
    {.field = Field::smswell,
     .name = "smswell",
     .caption = "Mask swell",
     .mnemonic = 'M',
     .entries = swellEntries,
     .meaning = "how many mils a solder-mask aperture is larger than its pad"},
    {.field = Field::outdatapath,
     .name = "outdatapath",
     .caption = "Output data path",
     .mnemonic = 'O',
     .entries = {},
     .meaning = "the directory NC1 >> 2,3,4 writes NC2 to NC5 into"},
}};

constexpr std::array<Field, 8> layout{Field::fnamebase,   Field::indatapath, Field::dfnpath,  Field::gcpvpath,
                                      Field::outdatapath, Field::planes,     Field::smenable, Field::smswell};

// "X:\...": only a path from a drive's root means the same place once its case and backslashes are tidied; a
// UNC "\\server" or a relative text changes meaning with them.
bool fromDriveRoot(std::string_view text) {
    const char drive = static_cast<char>(text.empty() ? 0 : text[0] | 0x20);
    return text.size() >= 3 && drive >= 'a' && drive <= 'z' && text[1] == ':' && text[2] == '\\';
}

// Both host paths exist and are one entry, whatever their texts.
bool sameEntry(const std::optional<std::filesystem::path>& a, const std::optional<std::filesystem::path>& b) {
    std::error_code ec;
    return a && b && std::filesystem::equivalent(*a, *b, ec);
}

// The text with doubled backslashes made single and trailing ones dropped, the root's kept: the same folder,
// in a form every host resolves (Windows may not find "C:\\W\\\\").
std::string withTidiedBackslashes(std::string_view text) {
    std::string out;
    for (char c : text)
        if (c != '\\' || out.empty() || out.back() != '\\')
            out.push_back(c);
    while (out.size() > 3 && out.back() == '\\')
        out.pop_back();
    return out;
}

} // namespace

std::span<const FieldSpec> fieldSpecs() {
    return fieldTable;
}

const FieldSpec& specOf(Field field) {
    return fieldTable.at(static_cast<size_t>(field));
}

std::span<const Field> layoutOrder() {
    return layout;
}

std::string markedCaption(const FieldSpec& info) {
    std::string caption = info.caption;
    auto at = caption.find(info.mnemonic);
    return at == std::string::npos ? caption : caption.insert(at, "&");
}

std::string& textOf(app::Fields& f, Field field) {
    switch (field) {
    case Field::fnamebase:
        return f.fnamebase;
    case Field::indatapath:
        return f.indatapath;
    case Field::dfnpath:
        return f.dfnpath;
    case Field::gcpvpath:
        return f.gcpvpath;
    case Field::outdatapath:
        return f.outdatapath;
    default:
        throw std::logic_error("a list field has no text");
    }
}

int& indexOf(app::Fields& f, Field field) {
    switch (field) {
    case Field::planes:
        return f.planes;
    case Field::smenable:
        return f.smenable;
    case Field::smswell:
        return f.smswell;
    default:
        throw std::logic_error("a text field has no list index");
    }
}

std::string hostToText(std::string_view text) {
    return platform::pathTextOfArgument(std::string(text));
}

bool namesSameFolder(const std::string& typed, const std::string& tidied) {
    const bool onDrive = fromDriveRoot(typed); // a UNC "\\\\server" keeps its two backslashes
    auto typedHost = platform::resolveExisting(onDrive ? withTidiedBackslashes(typed) : typed);
    auto tidiedHost = platform::resolveExisting(tidied);
    if (typedHost && tidiedHost)
        return sameEntry(typedHost, tidiedHost);
    // Letter case and doubled or trailing backslashes name the same folder on a drive, existing or not.
    return onDrive && util::upper(withTidiedBackslashes(typed)) == tidied;
}

std::string leaveField(Field field, std::string_view text) {
    if (field == Field::fnamebase)
        return util::splitname(hostToText(text), 1);
    std::string typed = hostToText(util::withoutBlanks(text));
    // Tidying drops blanks, dots, dashes and letters outside ASCII that real folder names hold; a tidied text
    // naming another folder sent the next job's output there.
    std::string tidied = util::cleanpath(typed);
    return tidied == typed || namesSameFolder(typed, tidied) ? tidied : typed;
}

namespace {

// A path caption browses for any file in the directory its field names and keeps that directory.
Browse directoryOf(Field field) {
    return {.start = field,
            .mask = "*.*",
            .title = "Select any file in target directory...",
            .part = Part::directory,
            .target = field};
}

} // namespace

std::optional<Browse> browseFor(int index) {
    switch (index) {
    case 0:
        return Browse{.start = Field::indatapath,
                      .mask = "*.pcb",
                      .title = "Select file to process...",
                      .part = Part::name,
                      .target = Field::fnamebase,
                      .folder = Field::indatapath};
    case 1:
        return directoryOf(Field::indatapath);
    case 2:
        return directoryOf(Field::dfnpath);
    case 3:
        return directoryOf(Field::gcpvpath);
    case 7:
        return directoryOf(Field::outdatapath);
    default:
        return std::nullopt;
    }
}

namespace {

// Only what tidying keeps: letters and digits of ASCII, '_', ':' and backslashes.
bool onlyTidyCharacters(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' ||
               c == ':' || c == '\\';
    });
}

// A browsed or dropped folder upper-cased, as the fields show paths, unless that names another place (a
// sibling differing only in case) or the folder's name holds a blank, dot, dash or letter outside ASCII,
// which stays as it is on disk.
std::string shownFolder(const std::string& folder) {
    if (!onlyTidyCharacters(folder))
        return folder;
    std::string up = util::upper(folder);
    return up == folder || namesSameFolder(folder, up) ? up : folder;
}

} // namespace

namespace {

// The folder of a choice: a chosen folder (its path ends in a backslash) itself, else the file's folder; a
// drive's root keeps its backslash ("Z:" alone would mean the current folder on Z:).
std::string folderOfChoice(const std::string& chosen) {
    std::string folder =
        chosen.ends_with('\\') ? chosen.substr(0, chosen.size() - 1) : util::splitname(chosen, 3);
    return folder.size() == 2 && folder[1] == ':' ? folder + "\\" : folder;
}

} // namespace

bool applyChoice(const Browse& browse, const std::string& chosen, app::Fields& fields) {
    const std::string folder = shownFolder(folderOfChoice(chosen));
    const std::string part = browse.part == Part::name ? util::upper(util::splitname(chosen, 1)) : folder;
    if (part.empty())
        return false;
    textOf(fields, browse.target) = part;
    std::string* folderField = browse.folder ? &textOf(fields, *browse.folder) : nullptr;
    if (folderField && !folder.empty() &&
        !sameEntry(platform::resolveExisting(*folderField), platform::resolveExisting(folder)))
        *folderField = folder;
    return true;
}

bool dropInto(Field field, const std::string& pathText, bool isDirectory, app::Fields& fields) {
    auto browse = browseFor(static_cast<int>(field));
    if (!browse || (isDirectory && browse->part == Part::name))
        return false;
    if (!isDirectory)
        return applyChoice(*browse, pathText, fields);
    textOf(fields, browse->target) = shownFolder(pathText);
    return true;
}

} // namespace fk::model

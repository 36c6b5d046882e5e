#include "model/fields.hpp"

#include "platform/files.hpp"
#include "util/text.hpp"

#include <array>
#include <filesystem>
#include <stdexcept>

namespace fk::model {

namespace {

constexpr std::array<const char*, 3> planeEntries{"None", "Internal", "External"};
constexpr std::array<const char*, 2> maskEntries{"No", "Yes"};
constexpr std::array<const char*, 11> swellEntries{"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "10"};

constexpr std::array<FieldSpec, 8> specs{{
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

bool namesDirectory(const std::string& text) {
    auto host = platform::resolveExisting(text);
    std::error_code ec;
    return host && std::filesystem::is_directory(*host, ec);
}

std::string trimmed(std::string_view text) {
    auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return {};
    return std::string(text.substr(first, text.find_last_not_of(' ') - first + 1));
}

} // namespace

std::span<const FieldSpec> fieldSpecs() {
    return specs;
}

const FieldSpec& specOf(Field field) {
    return specs.at(static_cast<size_t>(field));
}

std::span<const Field> layoutOrder() {
    return layout;
}

std::string markedCaption(const FieldSpec& spec) {
    std::string caption = spec.caption;
    auto at = caption.find(spec.mnemonic);
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
#ifdef _WIN32
    return std::string(text);
#else
    if (text.empty() || text[0] != '/')
        return std::string(text);
    std::string converted = "Z:" + std::string(text);
    for (char& c : converted) {
        if (c == '/')
            c = '\\';
    }
    return converted;
#endif
}

std::string leaveField(Field field, std::string_view text) {
    if (field == Field::fnamebase)
        return util::splitname(hostToText(text), 1);
    const std::string typed = hostToText(trimmed(text));
    std::string cleaned = util::cleanpath(typed);
    // Cleaning drops characters such as "-" and "." that real directory names hold; a path that worked must
    // keep working.
    if (namesDirectory(typed) && !namesDirectory(cleaned))
        return util::upper(typed);
    return cleaned;
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
                      .target = Field::fnamebase};
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

std::string browsedPart(const Browse& browse, const std::string& chosen) {
    return util::upper(util::splitname(chosen, browse.part == Part::name ? 1 : 3));
}

std::string droppedPart(Field field, const std::string& pathText, bool isDirectory) {
    auto browse = browseFor(static_cast<int>(field));
    if (!browse)
        return {};
    if (!isDirectory)
        return browsedPart(*browse, pathText);
    return browse->part == Part::directory ? util::upper(pathText) : std::string();
}

} // namespace fk::model

// What Fab Export says about its files: the X2 attributes heading each plot, the outline drawn around the
// plots, the job file listing them all, and the one date all of them carry when the build asks for one.
#include "app/context.hpp"
#include "fab/model.hpp"
#include "util/text.hpp"

#include <algorithm>
#include <charconv>

namespace fk::fab {

namespace {

constexpr const char* vendor = "Flashkit";
constexpr const char* application = "Fab Export";

std::string twoDigits(std::int64_t n) {
    return (n < 10 ? "0" : "") + std::to_string(n);
}

// Millimetres of whole mils, exactly: a mil is 0.0254 mm.
std::string millimetres(std::int64_t mils) {
    const std::int64_t tenThousandths = mils * 254;
    std::string fraction = std::to_string(tenThousandths % 10000);
    fraction.insert(0, 4 - fraction.size(), '0');
    fraction.erase(fraction.find_last_not_of('0') + 1);
    return std::to_string(tenThousandths / 10000) + (fraction.empty() ? "" : "." + fraction);
}

std::string jsonText(std::string_view text) {
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\')
            quoted += '\\';
        if (static_cast<unsigned char>(c) < 0x20)
            quoted += "\\u00" + std::string(1, "0123456789abcdef"[c >> 4]) + "0123456789abcdef"[c & 15];
        else
            quoted += c;
    }
    return quoted + "\"";
}

} // namespace

void Extent::add(int x, int y) {
    left = empty ? x : std::min(left, x);
    right = empty ? x : std::max(right, x);
    bottom = empty ? y : std::min(bottom, y);
    top = empty ? y : std::max(top, y);
    empty = false;
}

void Extent::add(const Extent& other) {
    if (other.empty)
        return;
    add(other.left, other.bottom);
    add(other.right, other.top);
}

std::vector<std::string> fileAttributes(Role role, int copperLayers, const std::optional<std::string>& date) {
    std::vector<std::string> lines{std::string("%TF.GenerationSoftware,") + vendor + "," + application + "," +
                                   FLASHKIT_VERSION + "*%"};
    if (date)
        lines.push_back("%TF.CreationDate," + *date + "*%");
    lines.push_back("%TF.Part,Single*%");
    lines.push_back("%TF.FileFunction," + fileFunctionOf(role, copperLayers) + "*%");
    lines.push_back("%TF.FilePolarity," + polarityOf(role) + "*%");
    return lines;
}

void writeOutline(const Extent& extent, const std::vector<std::string>& attributes,
                  platform::AtomicWriter& out) {
    for (const auto& a : attributes)
        out.writeLine(a);
    for (const char* line : {"%FSLAX23Y23*%", "%MOIN*%", "%ADD10C,0.01*%", "G01*", "D10*"})
        out.writeLine(line);
    const auto at = [](int x, int y) { return "X" + std::to_string(x) + "Y" + std::to_string(y); };
    out.writeLine(at(extent.left, extent.bottom) + "D02*");
    out.writeLine(at(extent.right, extent.bottom) + "D01*");
    out.writeLine(at(extent.right, extent.top) + "D01*");
    out.writeLine(at(extent.left, extent.top) + "D01*");
    out.writeLine(at(extent.left, extent.bottom) + "D01*");
    out.writeLine("M02*");
}

void writeJobFile(const JobDescription& job, platform::AtomicWriter& out) {
    out.writeLine("{");
    out.writeLine("  \"Header\": {");
    out.writeLine("    \"GenerationSoftware\": {");
    out.writeLine(std::string("      \"Vendor\": ") + jsonText(vendor) + ",");
    out.writeLine(std::string("      \"Application\": ") + jsonText(application) + ",");
    out.writeLine(std::string("      \"Version\": ") + jsonText(FLASHKIT_VERSION));
    out.writeLine(job.date ? "    }," : "    }");
    if (job.date)
        out.writeLine("    \"CreationDate\": " + jsonText(*job.date));
    out.writeLine("  },");
    out.writeLine("  \"GeneralSpecs\": {");
    out.writeLine("    \"Size\": {");
    out.writeLine("      \"X\": " + millimetres(std::int64_t{job.board.right} - job.board.left) + ",");
    out.writeLine("      \"Y\": " + millimetres(std::int64_t{job.board.top} - job.board.bottom));
    out.writeLine("    },");
    out.writeLine("    \"LayerNumber\": " + std::to_string(job.copperLayers));
    out.writeLine("  },");
    out.writeLine("  \"FilesAttributes\": [");
    for (size_t i = 0; i < job.files.size(); ++i) {
        const JobEntry& f = job.files[i];
        out.writeLine("    {");
        out.writeLine("      \"Path\": " + jsonText(f.path) + ",");
        out.writeLine("      \"FileFunction\": " + jsonText(f.function) + ",");
        out.writeLine("      \"FilePolarity\": " + jsonText(f.polarity));
        out.writeLine(i + 1 < job.files.size() ? "    }," : "    }");
    }
    out.writeLine("  ]");
    out.writeLine("}");
}

std::optional<std::int64_t> sourceDateEpoch() {
    const auto text = platform::environmentValue("SOURCE_DATE_EPOCH");
    if (!text)
        return std::nullopt;
    std::int64_t seconds = 0;
    const char* last = text->data() + text->size();
    auto [end, error] = std::from_chars(text->data(), last, seconds);
    constexpr std::int64_t from1980 = 315'532'800, before10000 = 253'402'300'799;
    if (text->empty() || error != std::errc() || end != last || seconds < from1980 || seconds > before10000)
        throw app::JobStop{util::lines({"SOURCE_DATE_EPOCH is " + *text +
                                            ", which is no whole number of "
                                            "seconds from 1980 to 9999:",
                                        "No file was written; correct it or unset it and re-try."})};
    return seconds;
}

// The civil date of a day count from 1970-01-01 (H. Hinnant's algorithm), then the time of day.
CivilTime civilTimeOf(std::int64_t seconds) {
    const std::int64_t days = seconds / 86400, secondOfDay = seconds % 86400;
    const std::int64_t z = days + 719468, era = z / 146097, dayOfEra = z - era * 146097;
    const std::int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const std::int64_t mp = (5 * dayOfYear + 2) / 153, day = dayOfYear - (153 * mp + 2) / 5 + 1;
    const std::int64_t month = mp < 10 ? mp + 3 : mp - 9;
    return {.year = static_cast<int>(yearOfEra + era * 400 + (month <= 2 ? 1 : 0)),
            .month = static_cast<int>(month),
            .day = static_cast<int>(day),
            .hour = static_cast<int>(secondOfDay / 3600),
            .minute = static_cast<int>(secondOfDay / 60 % 60),
            .second = static_cast<int>(secondOfDay % 60)};
}

std::string isoDate(std::int64_t seconds) {
    const CivilTime t = civilTimeOf(seconds);
    return std::to_string(t.year) + "-" + twoDigits(t.month) + "-" + twoDigits(t.day) + "T" +
           twoDigits(t.hour) + ":" + twoDigits(t.minute) + ":" + twoDigits(t.second) + "+00:00";
}

} // namespace fk::fab

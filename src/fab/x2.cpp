// What Fab Export says about its files: the X2 attributes heading each plot, the outline drawn around the
// plots, the job file listing them all, and the one date all of them carry when the build asks for one.
#include "app/context.hpp"
#include "fab/model.hpp"
#include "util/text.hpp"

#include "app/settings.hpp"
#include "util/fixed.hpp"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <charconv>
#include <chrono>

namespace fk::fab {

namespace {

constexpr const char* vendor = "Flashkit";
constexpr const char* application = "Fab Export";

std::string twoDigits(std::int64_t n) {
    return (n < 10 ? "0" : "") + std::to_string(n);
}

// An X2 attribute's field: the characters the format reserves (comma, asterisk, percent, backslash) as
// escapes of a backslash, "u" and four hex digits.
std::string fieldText(std::string_view text) {
    std::string out;
    for (const char c : text) {
        if (c == ',' || c == '*' || c == '%' || c == '\\') {
            out += "\\u00";
            out += "0123456789ABCDEF"[(c >> 4) & 15];
            out += "0123456789ABCDEF"[c & 15];
        } else {
            out += c;
        }
    }
    return out;
}

// Two FNV-1a hashes of the name, with different offsets, as the GUID's 128 bits.
std::uint64_t fnv1a(std::string_view text, std::uint64_t offset) {
    std::uint64_t hash = offset;
    for (const char c : text)
        hash = (hash ^ static_cast<unsigned char>(c)) * 0x100000001b3ULL;
    return hash;
}

std::string hexDigits(std::uint64_t value, int digits) {
    std::string out(static_cast<size_t>(digits), '0');
    for (int i = digits - 1; i >= 0; --i, value >>= 4)
        out[static_cast<size_t>(i)] = "0123456789abcdef"[value & 15];
    return out;
}

// A JSON number of a decimal, `value` / 10^`decimals`: the division rounds once, to the double nearest the
// decimal, which the JSON writer then prints as the decimal itself.
double decimal(std::int64_t value, int decimals) {
    double scale = 1;
    for (int i = 0; i < decimals; ++i)
        scale *= 10;
    return static_cast<double>(value) / scale;
}

double millimetresOf(util::Length length) {
    return decimal(length.toMillimetreDecimals(6), 6);
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

Provenance provenanceOf(const std::string& designName, const std::string& date) {
    const std::uint64_t high = fnv1a(designName, 0xcbf29ce484222325ULL);
    const std::uint64_t low = fnv1a(designName, 0x84222325cbf29ce4ULL);
    // Version 8 in the third group's first digit, the RFC variant in the fourth group's first two bits.
    const std::string guid = hexDigits(high >> 32, 8) + "-" + hexDigits(high >> 16, 4) + "-8" +
                             hexDigits(high, 3) + "-" + hexDigits(0x8000 | ((low >> 48) & 0x3fff), 4) + "-" +
                             hexDigits(low, 12);
    return {.software = std::string(vendor) + "," + application + "," + FLASHKIT_VERSION,
            .name = designName,
            .guid = guid,
            .revision = "rev?",
            .date = date};
}

std::vector<std::string> fileAttributes(const std::string& function, const std::string& polarity,
                                        const Provenance& made) {
    return {"%TF.GenerationSoftware," + made.software + "*%",
            "%TF.CreationDate," + made.date + "*%",
            "%TF.ProjectId," + fieldText(made.name) + "," + made.guid + "," + fieldText(made.revision) + "*%",
            "%TF.SameCoordinates,Original*%",
            "%TF.Part,Single*%",
            "%TF.FileFunction," + function + "*%",
            "%TF.FilePolarity," + polarity + "*%"};
}

void writeOutline(const Extent& extent, const std::vector<std::string>& attributes,
                  platform::AtomicWriter& out) {
    for (const auto& a : attributes)
        out.writeLine(a);
    for (const char* line : {"%FSLAX26Y26*%", "%MOIN*%", "%ADD10C,0.01*%", "G01*", "D10*"})
        out.writeLine(line);
    const auto at = [](int x, int y) { return "X" + inFormat26(x) + "Y" + inFormat26(y); };
    out.writeLine(at(extent.left, extent.bottom) + "D02*");
    out.writeLine(at(extent.right, extent.bottom) + "D01*");
    out.writeLine(at(extent.right, extent.top) + "D01*");
    out.writeLine(at(extent.left, extent.top) + "D01*");
    out.writeLine(at(extent.left, extent.bottom) + "D01*");
    out.writeLine("M02*");
}

namespace {

using Json = nlohmann::ordered_json;

constexpr int copperMicrometres = 35, maskMicrometres = 10; // 1 oz copper; a common mask

Json layer(const char* type, const std::string& name, int micrometres = 0, const char* colour = nullptr) {
    Json j{{"Type", type}};
    if (micrometres)
        j["Thickness"] = decimal(micrometres, 3);
    if (colour)
        j["Color"] = colour;
    j["Name"] = name;
    return j;
}

bool holds(const std::vector<Role>& roles, Layer layer) {
    return std::any_of(roles.begin(), roles.end(), [layer](const Role& r) { return r.layer == layer; });
}

// The mask, paste and legend of one side, in the order they lie from the outside in.
void sideLayers(Json& stack, const std::vector<Role>& roles, bool top) {
    const char* side = top ? "Top" : "Bottom";
    std::vector<Json> layers;
    if (holds(roles, top ? Layer::TopSilk : Layer::BottomSilk))
        layers.push_back(layer("Legend", std::string(side) + " legend", 0, "White"));
    if (holds(roles, top ? Layer::TopPaste : Layer::BottomPaste))
        layers.push_back(layer("SolderPaste", std::string(side) + " paste"));
    if (holds(roles, top ? Layer::TopMask : Layer::BottomMask))
        layers.push_back(layer("SolderMask", std::string(side) + " solder mask", maskMicrometres, "Green"));
    if (!top)
        std::reverse(layers.begin(), layers.end());
    for (auto& l : layers)
        stack.push_back(std::move(l));
}

// Copper of 35 um on every layer; the rest of the thickness split evenly between the dielectrics, the middle
// one taking what the even split leaves, so that the stack adds up to the board.
Json stackup(const JobDescription& job) {
    const int copper = job.copperLayers, dielectrics = std::max(copper - 1, 1);
    const int core = job.thicknessMicrometres - copper * copperMicrometres;
    if (core < dielectrics * copperMicrometres)
        throw app::JobStop{util::lines(
            {"A board of " + util::shortDecimalText(job.thicknessMicrometres, 3) + " mm cannot hold " +
                 std::to_string(copper) + " copper layers of 0.035 mm with their dielectrics.",
             "No file was written; give a thicker board (--thickness, FABEXPORT_THICKNESS) and re-try."})};
    Json stack = Json::array();
    sideLayers(stack, job.roles, true);
    if (copper == 0) { // no copper plot picked: the board is its substrate
        Json d = layer("Dielectric", "Board", job.thicknessMicrometres);
        d["Material"] = "FR4";
        stack.push_back(std::move(d));
    }
    const int even = core / dielectrics;
    for (int n = 1; n <= copper; ++n) {
        stack.push_back(layer("Copper", "L" + std::to_string(n), copperMicrometres));
        if (n == copper && copper > 1)
            break;
        const int thickness = n == (dielectrics + 1) / 2 ? core - even * (dielectrics - 1) : even;
        const std::string between =
            copper > 1 ? "L" + std::to_string(n) + "/L" + std::to_string(n + 1) : "L1";
        Json d = layer("Dielectric", between, thickness);
        d["Material"] = "FR4";
        stack.push_back(std::move(d));
    }
    sideLayers(stack, job.roles, false);
    return stack;
}

} // namespace

void writeJobFile(const JobDescription& job, platform::AtomicWriter& out) {
    Json j;
    j["Header"] = {{"GenerationSoftware",
                    {{"Vendor", vendor}, {"Application", application}, {"Version", FLASHKIT_VERSION}}},
                   {"CreationDate", job.made.date}};
    const std::int64_t width = std::int64_t{job.board.right} - job.board.left;
    const std::int64_t height = std::int64_t{job.board.top} - job.board.bottom;
    j["GeneralSpecs"] = {
        {"ProjectId", {{"Name", job.made.name}, {"GUID", job.made.guid}, {"Revision", job.made.revision}}},
        {"Size", {{"X", decimal(width * 254, 4)}, {"Y", decimal(height * 254, 4)}}}, // a mil is 0.0254 mm
        {"LayerNumber", job.copperLayers},
        {"BoardThickness", decimal(job.thicknessMicrometres, 3)}};
    const double clearance = millimetresOf(job.limits.clearance);
    j["DesignRules"] = Json::array({{{"Layers", "All"},
                                     {"PadToPad", clearance},
                                     {"PadToTrack", clearance},
                                     {"TrackToTrack", clearance},
                                     {"TrackToRegion", clearance},
                                     {"RegionToRegion", clearance}}});
    Json files = Json::array();
    for (const JobEntry& f : job.files)
        files.push_back({{"Path", f.path}, {"FileFunction", f.function}, {"FilePolarity", f.polarity}});
    j["FilesAttributes"] = std::move(files);
    j["MaterialStackup"] = stackup(job);
    const std::string text = j.dump(2);
    for (size_t start = 0; start <= text.size();) {
        const size_t end = std::min(text.find('\n', start), text.size());
        out.writeLine(std::string_view(text).substr(start, end - start));
        start = end + 1;
    }
}

int thicknessOf(const app::JobContext& context) {
    app::SettingsTable settings(context.programDir);
    (void)settings.loadWithoutCreating(); // an unreadable file leaves the default
    std::optional<std::string> text, from;
    const std::string key = "FABEXPORT_THICKNESS=";
    if (const int n = board::keyLineOf(settings, key))
        text = settings.line(n).substr(key.size()), from = settings.filePath() + " line " + std::to_string(n);
    if (auto option = context.options.find("thickness"); option != context.options.end())
        text = option->second, from = "--thickness";
    if (!text)
        return 1600;
    const util::Fixed mm = util::readFixed(util::trim(*text), 3, 10'000);
    if (!mm.ok() || mm.value < 200)
        throw app::JobStop{util::lines({"The board thickness of " + *from + " is no thickness: " + *text,
                                        "Expected: millimetres from 0.2 to 10 (1.6). No file was written."})};
    return static_cast<int>(mm.value);
}

std::int64_t creationSeconds() {
    if (const auto epoch = sourceDateEpoch())
        return *epoch;
    return std::chrono::duration_cast<std::chrono::seconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

std::optional<std::int64_t> sourceDateEpoch() {
    const auto text = platform::environmentValue("SOURCE_DATE_EPOCH");
    if (!text)
        return std::nullopt;
    std::int64_t seconds = 0;
    const char* last = text->data() + text->size();
    auto [end, error] = std::from_chars(text->data(), last, seconds);
    // A zip entry's date holds the years 1980 to 2107 only (seven bits from 1980).
    constexpr std::int64_t from1980 = 315'532'800, to2107 = 4'354'819'199;
    if (text->empty() || error != std::errc() || end != last || seconds < from1980 || seconds > to2107)
        throw app::JobStop{util::lines({"SOURCE_DATE_EPOCH is " + *text +
                                            ", which is no whole number of "
                                            "seconds from 1980 to 2107:",
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

// The findings as the log, the JSON file and the summary give them.
#include "boardcheck/model.hpp"
#include "util/text.hpp"

#include <nlohmann/json.hpp>

#include <array>

namespace fk::boardcheck {

namespace {

constexpr std::array<const char*, kindCount> kindNames{"no-pad",
                                                       "breakout",
                                                       "registration",
                                                       "ring",
                                                       "plane-solid",
                                                       "plane-clearance",
                                                       "pad-without-hole",
                                                       "tool-size",
                                                       "stacked",
                                                       "web",
                                                       "clearance",
                                                       "drill-reading",
                                                       "unplated-copper",
                                                       "net-short",
                                                       "spacing",
                                                       "width",
                                                       "edge",
                                                       "mask-web",
                                                       "silk"};

// A length as "3.00 mil (0.076 mm)".
std::string milsAndMillimetres(Length l) {
    return util::decimalText(l.toMilDecimals(2), 2) + " mil (" +
           util::decimalText(l.toMillimetreDecimals(3), 3) + " mm)";
}

using Json = nlohmann::ordered_json;

// An exact length in inches as a JSON number: the shortest decimal that reads back as the same double.
Json inchNumber(Length length) {
    // The shortest exact decimal of whole nano-inches, else nano-inches rounded.
    const std::string text = util::shortDecimalText(length.toInchDecimals(9), 9);
    if (text.find('.') == std::string::npos)
        return std::stoll(text); // a whole number of inches is written as one, "1" and not "1.0"
    return std::stod(text);
}

// One object a line, CR LF between, so that the file reads and compares line by line.
std::string jsonLines(const std::string& head, const std::vector<Json>& items, const std::string& tail) {
    std::string out = head;
    for (size_t i = 0; i < items.size(); ++i)
        out += std::string(i ? "," : "") + "\r\n" +
               items[i].dump(-1, ' ', false, Json::error_handler_t::replace);
    return out + "\r\n" + tail;
}

} // namespace

const char* kindName(Kind kind) {
    return kindNames[static_cast<size_t>(kind)];
}

// kind, plot, place in inches and millimetres, what was measured against its limit, and what it is.
std::string findingLine(const Finding& f) {
    std::string line = std::string(kindName(f.kind)) + "\t" + f.plot;
    if (f.kind != Kind::DrillReading)
        line += "\tX " + util::decimalText(f.at.x.toInchDecimals(4), 4) + " Y " +
                util::decimalText(f.at.y.toInchDecimals(4), 4) + " in (X " +
                util::decimalText(f.at.x.toMillimetreDecimals(3), 3) + " Y " +
                util::decimalText(f.at.y.toMillimetreDecimals(3), 3) + " mm)";
    if (f.measured)
        line += "\t" + milsAndMillimetres(*f.measured);
    if (f.limit)
        line += (f.measured ? ", limit " : "\tlimit ") + milsAndMillimetres(*f.limit);
    return line + "\t" + f.message;
}

std::string summaryLine(const std::vector<Finding>& findings) {
    std::array<long, kindCount> counts{};
    for (const auto& f : findings)
        ++counts[static_cast<size_t>(f.kind)];
    std::string line = "Findings: " + std::to_string(findings.size());
    for (size_t k = 0; k < counts.size(); ++k)
        if (counts[k] > 0)
            line += ", " + std::string(kindNames[k]) + " " + std::to_string(counts[k]);
    return line;
}

std::vector<Json> findingObjects(const std::vector<Finding>& findings) {
    std::vector<Json> items;
    for (const Finding& f : findings) {
        Json item{{"kind", kindName(f.kind)}, {"plot", f.plot}};
        if (f.kind != Kind::DrillReading) {
            item["x"] = inchNumber(f.at.x);
            item["y"] = inchNumber(f.at.y);
        }
        if (f.measured)
            item["measured"] = inchNumber(*f.measured);
        if (f.limit)
            item["limit"] = inchNumber(*f.limit);
        item["message"] = f.message;
        items.push_back(std::move(item));
    }
    return items;
}

std::string findingsJson(const std::vector<Finding>& findings) {
    return jsonLines("{\"findings\":[", findingObjects(findings), "]}\r\n");
}

std::string boardJson(const board::Fabrication& board, const std::vector<Finding>& findings) {
    std::vector<Json> files;
    for (const auto& f : board.files)
        files.push_back(Json{{"name", f.name}, {"role", f.role}, {"why", f.why}});
    const std::string head =
        "{\"board\":" + Json(board.path).dump(-1, ' ', false, Json::error_handler_t::replace) +
        ",\"files\":[";
    return jsonLines(head, files, "],\"findings\":[") + jsonLines("", findingObjects(findings), "]}\r\n");
}

} // namespace fk::boardcheck

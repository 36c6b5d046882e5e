// The default plane aperture tables beside the executable: written when missing, then loaded.
#include "aperture/model.hpp"

#include "platform/files.hpp"

#include <algorithm>

namespace fk::aperture {

namespace {

struct DefaultLine {
    const char* fields;
    const char* description;
};

constexpr DefaultLine donutDefaults[planeRowCount] = {
    {"GRB_AP2 01 0070 0070 050 FLASH ELLIPSE ", "DONUT PAD-OD0070 ID050"},
    {"GRB_AP2 02 0080 0080 060 FLASH ELLIPSE ", "DONUT PAD-OD0080 ID060"},
    {"GRB_AP2 03 0090 0090 070 FLASH ELLIPSE ", "DONUT PAD-OD0090 ID070"},
    {"GRB_AP2 04 0100 0100 080 FLASH ELLIPSE ", "DONUT PAD-OD0100 ID080"},
    {"GRB_AP2 05 0110 0110 090 FLASH ELLIPSE ", "DONUT PAD-OD0110 ID090"},
    {"GRB_AP2 06 0130 0130 110 FLASH ELLIPSE ", "DONUT PAD-OD0130 ID110"},
    {"GRB_AP2 07 0140 0140 120 FLASH ELLIPSE ", "DONUT PAD-OD0140 ID120"},
    {"GRB_AP2 08 0150 0150 130 FLASH ELLIPSE ", "DONUT PAD-OD0150 ID130"},
    {"GRB_AP2 09 0160 0160 140 FLASH ELLIPSE ", "DONUT PAD-OD0160 ID140"},
    {"GRB_AP2 10 0170 0170 150 FLASH ELLIPSE ", "DONUT PAD-OD0170 ID150"},
    {"GRB_AP2 11 0180 0180 160 FLASH ELLIPSE ", "DONUT PAD-OD0180 ID160"},
    {"GRB_AP2 12 0190 0190 170 FLASH ELLIPSE ", "DONUT PAD-OD0190 ID170"},
    {"GRB_AP2 13 0200 0200 180 FLASH ELLIPSE ", "DONUT PAD-OD0200 ID180"},
    {"GRB_AP2 14 0210 0210 190 FLASH ELLIPSE ", "DONUT PAD-OD0210 ID190"},
    {"GRB_AP2 15 0220 0220 200 FLASH ELLIPSE ", "DONUT PAD-OD0220 ID200"},
    {"GRB_AP2 16 0230 0230 210 FLASH ELLIPSE ", "DONUT PAD-OD0230 ID210"},
    {"GRB_AP2 17 0240 0240 220 FLASH ELLIPSE ", "DONUT PAD-OD0240 ID220"},
    {"GRB_AP2 18 0250 0250 230 FLASH ELLIPSE ", "DONUT PAD-OD0250 ID230"},
    {"GRB_AP2 19 0260 0260 240 FLASH ELLIPSE ", "DONUT PAD-OD0260 ID240"},
    {"GRB_AP2 20 0270 0270 250 FLASH ELLIPSE ", "DONUT PAD-OD0270 ID250"},
    {"GRB_AP2 21 0280 0280 260 FLASH ELLIPSE ", "DONUT PAD-OD0280 ID260"},
    {"GRB_AP2 22 0290 0290 270 FLASH ELLIPSE ", "DONUT PAD-OD0290 ID270"},
    {"GRB_AP2 23 0300 0300 280 FLASH ELLIPSE ", "DONUT PAD-OD0310 ID270"},
    {"GRB_AP2 24 0310 0310 290 FLASH ELLIPSE ", "DONUT PAD-OD0320 ID290"},
    {"GRB_AP2 25 0310 0310 290 FLASH ELLIPSE ", "DONUT PAD-OD0320 ID290"},
};

constexpr DefaultLine roundDefaults[planeRowCount] = {
    {"GRB_AP2 01 0040 0040 0 FLASH ELLIPSE ", "ROUND PAD-0040 MIL"},
    {"GRB_AP2 02 0050 0050 0 FLASH ELLIPSE ", "ROUND PAD-0050 MIL"},
    {"GRB_AP2 03 0060 0060 0 FLASH ELLIPSE ", "ROUND PAD-0060 MIL"},
    {"GRB_AP2 04 0080 0080 0 FLASH ELLIPSE ", "ROUND PAD-0080 MIL"},
    {"GRB_AP2 05 0090 0090 0 FLASH ELLIPSE ", "ROUND PAD-0090 MIL"},
    {"GRB_AP2 06 0100 0100 0 FLASH ELLIPSE ", "ROUND PAD-0100 MIL"},
    {"GRB_AP2 07 0110 0110 0 FLASH ELLIPSE ", "ROUND PAD-0110 MIL"},
    {"GRB_AP2 08 0120 0120 0 FLASH ELLIPSE ", "ROUND PAD-0120 MIL"},
    {"GRB_AP2 09 0130 0130 0 FLASH ELLIPSE ", "ROUND PAD-0130 MIL"},
    {"GRB_AP2 10 0140 0140 0 FLASH ELLIPSE ", "ROUND PAD-0140 MIL"},
    {"GRB_AP2 11 0160 0160 0 FLASH ELLIPSE ", "ROUND PAD-0160 MIL"},
    {"GRB_AP2 12 0170 0170 0 FLASH ELLIPSE ", "ROUND PAD-0170 MIL"},
    {"GRB_AP2 13 0180 0180 0 FLASH ELLIPSE ", "ROUND PAD-0180 MIL"},
    {"GRB_AP2 14 0190 0190 0 FLASH ELLIPSE ", "ROUND PAD-0190 MIL"},
    {"GRB_AP2 15 0210 0210 0 FLASH ELLIPSE ", "ROUND PAD-0210 MIL"},
    {"GRB_AP2 16 0220 0220 0 FLASH ELLIPSE ", "ROUND PAD-0220 MIL"},
    {"GRB_AP2 17 0230 0230 0 FLASH ELLIPSE ", "ROUND PAD-0230 MIL"},
    {"GRB_AP2 18 0240 0240 0 FLASH ELLIPSE ", "ROUND PAD-0240 MIL"},
    {"GRB_AP2 19 0250 0250 0 FLASH ELLIPSE ", "ROUND PAD-0250 MIL"},
    {"GRB_AP2 20 0260 0260 0 FLASH ELLIPSE ", "ROUND PAD-0260 MIL"},
    {"GRB_AP2 21 0270 0270 0 FLASH ELLIPSE ", "ROUND PAD-0270 MIL"},
    {"GRB_AP2 22 0280 0280 0 FLASH ELLIPSE ", "ROUND PAD-0280 MIL"},
    {"GRB_AP2 23 0290 0260 0 FLASH ELLIPSE ", "ROUND PAD-0290 MIL"},
    {"GRB_AP2 24 0300 0300 0 FLASH ELLIPSE ", "ROUND PAD-0300 MIL"},
    {"GRB_AP2 25 0310 0310 0 FLASH ELLIPSE ", "ROUND PAD-0310 MIL"},
};

std::string quoted(const std::string& fields, const std::string& description) {
    return fields + "\"" + description + "\"";
}

// A number in decimal, filled with zeros on the left to `width` digits.
std::string zeroFilled(int value, size_t width) {
    std::string digits = std::to_string(value);
    return std::string(digits.size() < width ? width - digits.size() : 0, '0') + digits;
}

std::string thermalDefault(int row) {
    const int outer = 50 + 10 * row;
    const int spoke = row <= 3 ? 15 : row <= 6 ? 20 : row <= 10 ? 40 : 50;
    const std::string size = zeroFilled(outer, 4);
    return quoted("GRB_AP2 " + zeroFilled(row, 2) + " " + size + " " + size + " 0 FLASH THERMAL ",
                  "THERMAL-OD" + zeroFilled(outer, 3) + " ID" + zeroFilled(30 + 10 * row, 3) + " SP" +
                      std::to_string(spoke) + " AN45");
}

std::vector<std::string> defaultLines(char which) {
    std::vector<std::string> lines;
    for (int r = 1; r <= planeRowCount; ++r) {
        if (which == 't')
            lines.push_back(thermalDefault(r));
        else {
            const DefaultLine& d = (which == 'a' ? donutDefaults : roundDefaults)[r - 1];
            lines.push_back(quoted(d.fields, d.description));
        }
    }
    return lines;
}

// A table from its file or, where there is none, from the defaults, which are then noted to be written.
void loadTable(const std::string& path, char which, std::array<std::string, planeRowCount + 1>& lines,
               std::vector<MissingPlaneTable>& missing) {
    if (!platform::fileexists(path)) {
        const auto defaults = defaultLines(which);
        std::copy(defaults.begin(), defaults.end(), lines.begin() + 1);
        missing.push_back({.path = path, .which = which});
        return;
    }
    platform::LineReader reader(path);
    std::string line;
    for (int r = 1; r <= planeRowCount && reader.next(line); ++r)
        lines[static_cast<size_t>(r)] = line;
}

} // namespace

PlaneTables loadplanetables(const std::string& programDir) {
    const std::string thermal = programDir + "\\flashkit.pt";
    const std::string donut = programDir + "\\flashkit.pa";
    const std::string round = programDir + "\\flashkit.pc";
    PlaneTables tables;
    loadTable(thermal, 't', tables.thermal, tables.missing);
    loadTable(donut, 'a', tables.donut, tables.missing);
    loadTable(round, 'c', tables.round, tables.missing);
    return tables;
}

std::vector<std::unique_ptr<platform::AtomicWriter>> writeMissingPlaneTables(const PlaneTables& tables) {
    std::vector<std::unique_ptr<platform::AtomicWriter>> outputs;
    for (const auto& table : tables.missing) {
        outputs.push_back(std::make_unique<platform::AtomicWriter>(table.path));
        for (const auto& line : defaultLines(table.which))
            outputs.back()->writeLine(line);
        outputs.back()->finish();
    }
    return outputs;
}

} // namespace fk::aperture

// Plane D-codes: a plane pad and a thermal for every class of hole sizes the design uses.
#include "aperture/model.hpp"

#include "util/text.hpp"

#include <cmath>

namespace fk::aperture {

namespace {

struct PlaneRow {
    std::string pad, thermal, tags;
};

int planeRowOf(int16_t hole) {
    int row = static_cast<int>(std::floor((hole + 9) / 10.0)) - 1;
    if (row < 1)
        return 1;
    return row > planeRowCount ? 0 : row;
}

// The D number written over columns 9 to 12 of a plane line, left-justified in four characters.
std::string numbered(const std::string& line, size_t dnumber, const char* table, int row) {
    if (line.size() < 12)
        stopRun("Line " + std::to_string(row) + " of the plane table " + table + " is missing or too short",
                "correct or delete that file and re-try.");
    std::string number = std::to_string(dnumber);
    number.resize(4, ' ');
    return line.substr(0, 8) + number + line.substr(12);
}

} // namespace

void assignPlaneCodes(Primitives& primitives, DcodeTable& table, const PlaneTables& planes, int planeType) {
    if (planeType == 0) {
        for (auto& row : primitives.rows)
            row.col(Column::PlanePad) = row.col(Column::Thermal) = "1";
        return;
    }
    if (planeType != 1 && planeType != 2)
        return;
    std::vector<PlaneRow> rows(planeRowCount + 1);
    for (int r = 1; r <= planeRowCount; ++r) {
        auto& row = rows[static_cast<size_t>(r)];
        row.pad =
            planeType == 1 ? planes.round[static_cast<size_t>(r)] : planes.donut[static_cast<size_t>(r)];
        row.thermal = planes.thermal[static_cast<size_t>(r)];
        row.tags.assign(1, 'H'); // a character: assigning the literal trips GCC 12's -Wrestrict at -O3
    }
    for (size_t k = 0; k < primitives.holes.size(); ++k)
        rows[static_cast<size_t>(planeRowOf(primitives.holes[k]))].tags += std::to_string(k + 1) + "H";

    std::vector<std::pair<int, PlaneRow>> kept; // table row number and its fields
    for (int r = 1; r <= planeRowCount; ++r) {
        if (rows[static_cast<size_t>(r)].tags != "H")
            kept.emplace_back(r, rows[static_cast<size_t>(r)]);
    }
    const size_t n = table.normalCount;
    const size_t u = kept.size();
    for (auto& row : primitives.rows) {
        const std::string tag = "H" + row.col(Column::Tool) + "H";
        for (size_t m = 1; m <= u; ++m) {
            if (kept[m - 1].second.tags.find(tag) != std::string::npos) {
                row.col(Column::PlanePad) = std::to_string(m + n + 9);
                row.col(Column::Thermal) = std::to_string(m + n + u + 9);
                break;
            }
        }
    }
    const char* padTable = planeType == 1 ? "flashkit.pc" : "flashkit.pa";
    std::vector<DcodeEntry> padEntries, thermalEntries;
    for (size_t m = 1; m <= u; ++m) {
        const auto& [r, row] = kept[m - 1];
        padEntries.push_back({numbered(row.pad, n + m + 9, padTable, r), {}, {}, {}, {}, {}});
        thermalEntries.push_back(
            {numbered(row.thermal, n + u + m + 9, "flashkit.pt", r), {}, {}, {}, {}, {}});
    }
    table.entries.insert(table.entries.end(), padEntries.begin(), padEntries.end());
    table.entries.insert(table.entries.end(), thermalEntries.begin(), thermalEntries.end());
}

} // namespace fk::aperture

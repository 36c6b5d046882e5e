// Second and third phases: the primitive table and hole sizes from the keys, then the tool numbers.
#include "aperture/model.hpp"

#include "util/text.hpp"

#include <algorithm>

namespace fk::aperture {

namespace {

using util::mid;

// Field after the blank at 1-based position `blank`; `blank` moves to the blank that ends it (0 at the end).
std::string nextField(const std::string& key, long& blank) {
    long end = util::instr(key, " ", blank + 1);
    std::string f = end > 0 ? mid(key, blank + 1, end - blank - 1) : mid(key, blank + 1);
    blank = end;
    return f;
}

size_t digitCount(const std::string& text) {
    return static_cast<size_t>(
        std::count_if(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }));
}

// A hole is read through the key's window of characters; a hole field of four or more digits does not fit
// the window, so such a hole is taken from its whole field.
int16_t holeSize(const std::string& key, long window, const std::string& holeField) {
    double value = digitCount(holeField) >= 4 ? util::valueOf(holeField) : tailValue(key, window);
    auto hole = util::toInt16(value);
    if (!hole)
        stopRun("The hole size " + holeField + " is too large for a drill tool",
                "correct the design file and re-try.");
    return *hole;
}

void addHole(std::vector<int16_t>& holes, int16_t hole) {
    if (hole == 0 || std::find(holes.begin(), holes.end(), hole) != holes.end())
        return;
    if (holes.size() >= holeCapacity)
        stopRun("The design has more than " + std::to_string(holeCapacity) + " distinct hole sizes",
                "reduce the hole sizes and re-try.");
    holes.push_back(hole);
}

PrimitiveRow padRow(const std::string& key) {
    PrimitiveRow row;
    row.col(Column::Kind) = util::left(key, 6);
    row.col(Column::Layer) = util::right(key, 2);
    long blank = 7;
    row.col(Column::XSize) = nextField(key, blank);
    row.col(Column::YSize) = nextField(key, blank);
    row.col(Column::Hole) = nextField(key, blank);
    return row;
}

PrimitiveRow viaRow(const std::string& key) {
    PrimitiveRow row;
    row.col(Column::Kind) = util::left(key, 6);
    long blank = 7;
    row.col(Column::XSize) = nextField(key, blank);
    row.col(Column::YSize) = row.col(Column::XSize);
    row.col(Column::Hole) = blank > 0 ? mid(key, blank + 1, 6) : std::string();
    return row;
}

PrimitiveRow trackRow(const std::string& key) {
    PrimitiveRow row;
    row.col(Column::Kind) = util::left(key, 2);
    row.col(Column::Width) = mid(key, 4, 6);
    return row;
}

PrimitiveRow textRow(const std::string& key) {
    PrimitiveRow row;
    row.col(Column::Kind) = util::left(key, 3);
    long blank = 4;
    row.col(Column::XSize) = nextField(key, blank);
    row.col(Column::YSize) = nextField(key, blank);
    row.col(Column::Width) = blank > 0 ? mid(key, blank + 1, 6) : std::string();
    return row;
}

} // namespace

Primitives extractPrimitives(const DesignKeys& keys) {
    size_t total = keys.pads.size() + keys.vias.size() + keys.tracks.size() + keys.texts.size();
    if (total > primitiveCapacity)
        stopRun("The design has " + std::to_string(total) + " primitive types, more than " +
                    std::to_string(primitiveCapacity),
                "reduce the primitives and re-try.");
    Primitives p;
    p.rows.reserve(total);
    for (const auto& key : keys.pads.keys()) {
        p.rows.push_back(padRow(key));
        addHole(p.holes, holeSize(key, 6, p.rows.back().col(Column::Hole)));
    }
    for (const auto& key : keys.vias.keys()) {
        p.rows.push_back(viaRow(key));
        // The hole is the key's last field; column 4 keeps only six characters of it.
        addHole(p.holes, holeSize(key, 3, key.substr(key.rfind(' ') + 1)));
    }
    for (const auto& key : keys.tracks.keys())
        p.rows.push_back(trackRow(key));
    for (const auto& key : keys.texts.keys())
        p.rows.push_back(textRow(key));
    return p;
}

void assignToolNumbers(Primitives& primitives) {
    std::sort(primitives.holes.begin(), primitives.holes.end());
    for (auto& row : primitives.rows) {
        const std::string type = row.type();
        if (type == "TR" || type == "STR")
            break;
        double hole = util::valueOf(row.col(Column::Hole));
        auto it = std::find(primitives.holes.begin(), primitives.holes.end(), hole);
        if (it != primitives.holes.end())
            row.col(Column::Tool) = std::to_string(it - primitives.holes.begin() + 1);
    }
}

} // namespace fk::aperture

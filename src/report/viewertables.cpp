#include "report/viewertables.hpp"

#include "util/text.hpp"

#include <array>
#include <vector>

namespace fk::report {

namespace {

// Slot n holds the keys of viewer shape code n; "UNUSED" marks the codes that no report shape takes.
const std::array<std::vector<std::string>, 14> shapeTable{{
    {"ELLIPSEDRAW", "SQUARE DRAW"},
    {"ELLIPSEFLAS", "MT HOLEFLAS"},
    {"UNUSED"},
    {"UNUSED"},
    {"SQ RECTFLAS"},
    {"OVAL   FLAS", "RD RECTFLAS"},
    {"UNUSED"},
    {"UNUSED"},
    {"TARGET FLAS"},
    {"UNUSED"},
    {"UNUSED"},
    {"UNUSED"},
    {"UNUSED"},
    {"UNUSED"},
}};

} // namespace

std::optional<int> shapecode(const std::string& key) {
    const std::string k = util::upper(key);
    for (size_t code = 0; code < shapeTable.size(); ++code) {
        for (const auto& candidate : shapeTable[code]) {
            if (candidate == k)
                return static_cast<int>(code);
        }
    }
    return std::nullopt;
}

int32_t hexvalue(const std::string& text) {
    const std::string word = util::field(util::upper(text), 1);
    uint32_t value = 0;
    for (char c : word) {
        int digit = (c >= '0' && c <= '9') ? c - '0' : (c >= 'A' && c <= 'F') ? c - 'A' + 10 : 0;
        value = value * 16 + static_cast<uint32_t>(digit);
    }
    return static_cast<int32_t>(value);
}

std::optional<int32_t> nmvalue(double inches) {
    return util::toInt32((inches / 0.00001) * 254);
}

std::string nmbytes(int32_t nanometres) {
    // Eight upper-case hexadecimal digits, read back pair by pair from the last: the little-endian bytes.
    static constexpr char digits[] = "0123456789ABCDEF";
    const auto value = static_cast<uint32_t>(nanometres);
    std::string hex(8, '0');
    for (int i = 0; i < 8; ++i)
        hex[static_cast<size_t>(7 - i)] = digits[(value >> (4 * i)) & 0xF];
    std::string bytes;
    for (int pair = 3; pair >= 0; --pair)
        bytes.push_back(static_cast<char>(hexvalue(hex.substr(static_cast<size_t>(2 * pair), 2))));
    return bytes;
}

std::string aprHeader(uint8_t apertureCount) {
    return std::string{'\xF7', '\0', static_cast<char>(apertureCount), '\0', '\0', '\x01'};
}

std::string rckHeader(uint8_t toolCount) {
    return std::string{'\x74', '\x02', static_cast<char>(toolCount), '\0', '\0', '\x01'};
}

std::string apertureRecord(uint8_t shape, uint8_t dcode, int32_t width, int32_t height) {
    std::string record(64, '\0');
    record[0] = static_cast<char>(shape);
    record[4] = static_cast<char>(dcode);
    record[6] = '\x0A';
    record.replace(10, 4, nmbytes(width));
    record.replace(14, 4, nmbytes(height));
    return record;
}

std::string toolRecord(int32_t size) {
    std::string record(22, '\0');
    record.replace(0, 4, nmbytes(size));
    record[5] = '\x0E';
    return record;
}

} // namespace fk::report

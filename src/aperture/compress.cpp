// Compression, sorting and numbering of the D-codes, then the final codes of the primitives.
// Board houses key these D-codes in by hand: the merge and order rules are pinned by test_aperture.cpp
// DcodesAreSortedByKindThenSize and MaskEntriesMergeThroughTheirLabels; a change here needs a test there.
#include "aperture/model.hpp"

#include "util/text.hpp"

#include <algorithm>
#include <unordered_map>

namespace fk::aperture {

void compressDcodes(DcodeTable& table) {
    // Equal descriptions are one aperture: the first entry takes over the labels of every later twin.
    std::unordered_map<std::string, size_t> firstWith;
    std::vector<DcodeEntry> kept;
    kept.reserve(table.entries.size());
    for (auto& entry : table.entries) {
        auto [it, isNew] = firstWith.emplace(entry.description, kept.size());
        if (isNew)
            kept.push_back(std::move(entry));
        else
            kept[it->second].labels += entry.labels;
    }
    for (auto& entry : kept)
        entry.labels += "D";
    table.entries = std::move(kept);
}

void sortDcodes(DcodeTable& table) {
    auto sizeKey = [](const DcodeEntry& e) {
        return util::valueOf(e.xsize) * 10000 + util::valueOf(e.ysize);
    };
    std::stable_sort(table.entries.begin(), table.entries.end(),
                     [&](const DcodeEntry& a, const DcodeEntry& b) {
                         if (a.kind != b.kind)
                             return a.kind < b.kind;
                         return sizeKey(a) < sizeKey(b);
                     });
    for (size_t j = 0; j < table.entries.size(); ++j)
        table.entries[j].dnumber = std::to_string(j + 10);
    table.normalCount = table.entries.size();
}

void assignNormalCodes(Primitives& primitives, const DcodeTable& table) {
    // Every provisional code stands in exactly one label list ("D3D7D12D" holds D3, D7 and D12).
    std::unordered_map<std::string, std::string> finalCode;
    for (const auto& entry : table.entries) {
        size_t start = 0;
        while (start + 1 < entry.labels.size()) {
            size_t next = entry.labels.find('D', start + 1);
            finalCode.emplace(entry.labels.substr(start, next - start), entry.dnumber);
            start = next;
        }
    }
    auto lookup = [&](const std::string& provisional) {
        auto it = finalCode.find(provisional);
        return it == finalCode.end() ? std::string("0") : it->second;
    };
    for (auto& row : primitives.rows) {
        const std::string type = row.type();
        if (type == "TR" || type == "STR") {
            row.col(Column::Draw) = lookup(row.col(Column::Draw));
        } else if (type == "PAD" || type == "VIA") {
            row.col(Column::Flash) = lookup(row.col(Column::Flash));
            const std::string& mask = row.col(Column::Mask);
            row.col(Column::Mask) = (mask == "0" || mask.empty()) ? "1" : lookup(mask);
        }
    }
}

} // namespace fk::aperture

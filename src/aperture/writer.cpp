// The last phase: the D-code limit, the backup, and both definition files.
#include "aperture/model.hpp"

#include "app/commit.hpp"
#include "platform/files.hpp"
#include "util/text.hpp"

namespace fk::aperture {

namespace {

std::string join(std::initializer_list<const std::string*> cells) {
    std::string line;
    for (const std::string* c : cells) {
        if (!line.empty())
            line += ' ';
        line += *c;
    }
    return line;
}

std::string primitiveLine(PrimitiveRow row) {
    for (int c : {8, 9, 10}) {
        if (row.col(c).empty())
            row.col(c) = "0";
    }
    static const std::string one = "1";
    switch (row.col(1).empty() ? '\0' : row.col(1)[0]) {
    case 'P':
        return join({&row.col(1), &row.col(2), &row.col(3), &row.col(4), &row.col(5), &row.col(6),
                     &row.col(7), &row.col(8), &row.col(9), &one, &row.col(10)});
    case 'V':
        return join({&row.col(1), &row.col(2), &row.col(4), &row.col(6), &row.col(7), &row.col(8),
                     &row.col(9), &one, &row.col(10)});
    case 'T':
        return join({&row.col(1), &row.col(4), &row.col(5)});
    case 'S':
        return join({&row.col(1), &row.col(2), &row.col(3), &row.col(4), &row.col(5)});
    default:
        return {};
    }
}

std::vector<std::string> definitionLines(const Primitives& primitives, const DcodeTable& table,
                                         const std::vector<std::string>& kept) {
    std::vector<std::string> lines;
    for (const auto& row : primitives.rows) {
        std::string line = primitiveLine(row);
        if (!line.empty())
            lines.push_back(std::move(line));
    }
    lines.insert(lines.end(), kept.begin(), kept.end());
    lines.push_back("GRB_DRAWCODE 10");
    for (size_t i = 0; i < table.entries.size(); ++i) {
        const auto& e = table.entries[i];
        if (i < table.normalCount)
            lines.push_back("GRB_AP2 " + e.dnumber + " " + e.xsize + " " + e.ysize + " 0 " + e.kind + " " +
                            e.description);
        else
            lines.push_back(e.dnumber);
    }
    for (size_t k = 0; k < primitives.holes.size(); ++k)
        lines.push_back("CAM_TOOL " + std::to_string(k + 1) + " " + std::to_string(primitives.holes[k]));
    lines.push_back("  ");
    return lines;
}

} // namespace

bool writeDefinitionFiles(const DefinitionPaths& paths, const Primitives& primitives, const DcodeTable& table,
                          app::MessageLog& log) {
    const size_t highest = table.entries.size() + 9;
    if (highest > highestDcode) {
        const std::string crlf(util::crlf);
        log.show("Your design exceeded the 250 dcode limit." + crlf + "Reduce the primitives and re-try." +
                 crlf + crlf + "[" + util::signedText(static_cast<long long>(highest)) + "]" + crlf);
        log.refresh();
        return false;
    }
    // Every file is complete in its temporary before the first one replaces its target.
    platform::AtomicWriter backup(paths.backup);
    std::vector<std::string> kept;
    {
        platform::LineReader old(paths.dfn);
        std::string line;
        while (old.next(line)) {
            backup.writeLine(line);
            if (line.compare(0, 6, "PALETD") == 0 || line.compare(0, 6, "CAM_FI") == 0)
                kept.push_back(line);
        }
    }
    platform::AtomicWriter dfn(paths.dfn);
    platform::AtomicWriter design(paths.design);
    for (const auto& line : definitionLines(primitives, table, kept)) {
        dfn.writeLine(line);
        design.writeLine(line);
    }
    app::commitOutputs({&backup, &dfn, &design});
    return true;
}

} // namespace fk::aperture

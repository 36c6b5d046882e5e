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
    for (Column c : {Column::PlanePad, Column::Thermal, Column::Tool}) {
        if (row.col(c).empty())
            row.col(c) = "0";
    }
    static const std::string one = "1";
    switch (row.col(Column::Kind).empty() ? '\0' : row.col(Column::Kind)[0]) {
    case 'P':
        return join({&row.col(Column::Kind), &row.col(Column::XSize), &row.col(Column::YSize),
                     &row.col(Column::Hole), &row.col(Column::Layer), &row.col(Column::Flash),
                     &row.col(Column::Mask), &row.col(Column::PlanePad), &row.col(Column::Thermal), &one,
                     &row.col(Column::Tool)});
    case 'V':
        return join({&row.col(Column::Kind), &row.col(Column::XSize), &row.col(Column::Hole),
                     &row.col(Column::Flash), &row.col(Column::Mask), &row.col(Column::PlanePad),
                     &row.col(Column::Thermal), &one, &row.col(Column::Tool)});
    case 'T':
        return join({&row.col(Column::Kind), &row.col(Column::Width), &row.col(Column::Draw)});
    case 'S':
        return join({&row.col(Column::Kind), &row.col(Column::XSize), &row.col(Column::YSize),
                     &row.col(Column::Width), &row.col(Column::Draw)});
    default:
        return {};
    }
}

bool isKept(const std::string& line) {
    return line.compare(0, 6, "PALETD") == 0 || line.compare(0, 6, "CAM_FI") == 0;
}

// Each definition line goes to PCB.DFN and to the design's own copy.
class DefinitionFiles {
  public:
    explicit DefinitionFiles(const DefinitionPaths& paths) : dfn_(paths.dfn), design_(paths.design) {}
    void line(const std::string& text) {
        dfn_.writeLine(text);
        design_.writeLine(text);
    }
    platform::AtomicWriter& dfn() { return dfn_; }
    platform::AtomicWriter& design() { return design_; }

  private:
    platform::AtomicWriter dfn_, design_;
};

void writePrimitives(DefinitionFiles& out, const Primitives& primitives) {
    for (const auto& row : primitives.rows) {
        std::string line = primitiveLine(row);
        if (!line.empty())
            out.line(line);
    }
}

// The kept lines are read again from the old file rather than held: it may have any number of them.
void copyKeptLines(DefinitionFiles& out, const std::string& oldDfn) {
    platform::LineReader old(oldDfn);
    std::string line;
    while (old.next(line)) {
        if (isKept(line))
            out.line(line);
    }
}

void writeApertures(DefinitionFiles& out, const DcodeTable& table) {
    out.line("GRB_DRAWCODE 10");
    for (size_t i = 0; i < table.entries.size(); ++i) {
        const auto& e = table.entries[i];
        if (i < table.normalCount)
            out.line("GRB_AP2 " + e.dnumber + " " + e.xsize + " " + e.ysize + " 0 " + e.kind + " " +
                     e.description);
        else
            out.line(e.dnumber); // a plane entry holds its whole line
    }
}

void writeTools(DefinitionFiles& out, const Primitives& primitives) {
    for (size_t k = 0; k < primitives.holes.size(); ++k)
        out.line("CAM_TOOL " + std::to_string(k + 1) + " " + std::to_string(primitives.holes[k]));
    out.line("  ");
}

void writeBackup(platform::AtomicWriter& backup, const std::string& oldDfn) {
    platform::LineReader old(oldDfn);
    std::string line;
    while (old.next(line))
        backup.writeLine(line);
}

} // namespace

bool writeDefinitionFiles(const DefinitionPaths& paths, const Primitives& primitives, const DcodeTable& table,
                          const PlaneTables& planes, app::MessageLog& log) {
    const size_t highest = table.entries.size() + 9;
    if (highest > highestDcode) {
        // The four lines end with a line break of their own.
        log.show(
            util::lines({"Your design exceeded the 250 dcode limit.", "Reduce the primitives and re-try.", "",
                         "[" + util::signedText(static_cast<long long>(highest)) + "]", ""}));
        log.refresh();
        return false;
    }
    platform::AtomicWriter backup(paths.backup);
    writeBackup(backup, paths.dfn);
    DefinitionFiles out(paths);
    writePrimitives(out, primitives);
    copyKeptLines(out, paths.dfn);
    writeApertures(out, table);
    writeTools(out, primitives);
    const auto tables = writeMissingPlaneTables(planes);
    std::vector<platform::AtomicWriter*> all{&backup, &out.dfn(), &out.design()};
    for (const auto& t : tables)
        all.push_back(t.get());
    app::commitOutputs(log, all);
    return true;
}

} // namespace fk::aperture

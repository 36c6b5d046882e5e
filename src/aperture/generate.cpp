// D-code generation: one aperture per primitive, and a mask aperture per pad or via when the mask is on.
#include "aperture/model.hpp"

#include "util/text.hpp"

namespace fk::aperture {

namespace {

struct Shape {
    std::string kind;
    std::string description; // without the surrounding quotes
};

std::string quote(const std::string& text) {
    return "\"" + text + "\"";
}

Shape flashShape(const std::string& code, bool round, const std::string& x, const std::string& y) {
    const std::string xy = "X" + x + " Y" + y;
    if (code == "EL" || code == "CR")
        return {"FLASH ELLIPSE", round ? "ROUND PAD- " + x + " MILS" : "ELLIPSE PAD- " + xy};
    if (code == "OV")
        return round ? Shape{"FLASH ELLIPSE", "ROUND PAD- " + x + " MILS"}
                     : Shape{"FLASH OVAL", "OVAL PAD- " + xy};
    if (code == "SQ")
        return {"FLASH SQRECT", round ? "SQUARE PAD- " + x + " MILS" : "RECTANGLE PAD- " + xy};
    if (code == "RR")
        return {"FLASH RDRECT", "ROUNDED RECT PAD- " + xy};
    if (code == "MH")
        return {"FLASH MTHOLE", "MOUNTING HOLE- " + x + " MILS"};
    return {"FLASH TARGET", "TARGET- " + x + " MILS"};
}

// "D" and the number. Appended, not inserted in front: GCC 12 at -O3 warns falsely (-Wrestrict) on a literal
// inserted into a string.
std::string dNumber(size_t n) {
    std::string label = "D";
    label += std::to_string(n);
    return label;
}

bool isFlashShape(const std::string& code) {
    return code == "EL" || code == "CR" || code == "OV" || code == "SQ" || code == "RR" || code == "MH" ||
           code == "TG";
}

std::string append(DcodeTable& table, std::string x, std::string y, const Shape& shape) {
    if (table.entries.size() >= dcodeCapacity)
        stopRun("The design needs more than " + std::to_string(dcodeCapacity) + " D-code entries",
                "reduce the primitives and re-try.");
    DcodeEntry entry;
    entry.xsize = std::move(x);
    entry.ysize = std::move(y);
    entry.kind = shape.kind;
    entry.description = quote(shape.description);
    table.entries.push_back(std::move(entry));
    return dNumber(table.entries.size());
}

void generateFlash(PrimitiveRow& row, DcodeTable& table, const Options& options) {
    const std::string code = util::right(row.col(Column::Kind), 2);
    if (!isFlashShape(code))
        return;
    const double x = util::valueOf(row.col(Column::XSize));
    const double y = util::valueOf(row.col(Column::YSize));
    const bool round = x == y;
    row.col(Column::Flash) = append(table, row.col(Column::XSize), row.col(Column::YSize),
                                    flashShape(code, round, row.col(Column::XSize), row.col(Column::YSize)));
    if (code == "MH" || code == "TG") {
        row.col(Column::Mask).assign(1, '0'); // see dNumber
        return;
    }
    if (options.maskOn) {
        std::string mx = util::numberText(x + options.maskSwell);
        std::string my = util::numberText(y + options.maskSwell);
        Shape mask = flashShape(code, round, mx, my);
        row.col(Column::Mask) = append(table, mx, my, mask);
    }
}

} // namespace

DcodeTable generateDcodes(Primitives& primitives, const Options& options) {
    DcodeTable table;
    for (auto& row : primitives.rows) {
        const std::string type = row.type();
        if (type == "TR" || type == "STR") {
            const std::string width = row.col(Column::Width);
            row.col(Column::Draw) =
                append(table, width, width, {"DRAW ELLIPSE", "ROUND DRAW- " + width + " MILS"});
        } else if (type == "PAD" || type == "VIA") {
            generateFlash(row, table, options);
        }
    }
    for (size_t i = 0; i < table.entries.size(); ++i)
        table.entries[i].labels = dNumber(i + 1);
    return table;
}

} // namespace fk::aperture

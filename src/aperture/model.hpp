// Working tables of one "PCB >> Aperture" run, shared by its phases and by nothing else.
#pragma once

#include "app/context.hpp"
#include "app/messagelog.hpp"
#include "platform/files.hpp"
#include "util/text.hpp"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace fk::aperture {

inline constexpr size_t keyListCapacity = 255;
inline constexpr size_t primitiveCapacity = 255;
inline constexpr size_t holeCapacity = 255;
inline constexpr size_t dcodeCapacity = 400;
inline constexpr int planeRowCount = 25;
inline constexpr int highestDcode = 250;

// An ordered list of distinct keys; membership by hashing, looked up by views of the design's lines.
class KeyList {
  public:
    // Appends the key unless present. Returns true when it was new.
    bool add(std::string_view key);
    bool contains(std::string_view key) const { return seen_.find(key) != seen_.end(); }
    const std::vector<std::string>& keys() const { return keys_; }
    size_t size() const { return keys_.size(); }

  private:
    std::vector<std::string> keys_;
    std::unordered_set<std::string, util::TextHash, std::equal_to<>> seen_;
};

struct DesignKeys {
    KeyList pads, vias, tracks, texts;
};

struct Options {
    int maskSwell = 0;
    bool maskOn = false;
    int planeType = 0;
};

// The columns of a primitive row, numbered as the definition file's layout counts them.
enum class Column {
    Kind = 1,  // "PAD EL", "VIA CR", "TR", "STR"
    XSize = 2, // a text's first style field
    YSize = 3, // a text's second style field
    Hole = 4,  // the hole of a pad or via
    Width = 4, // the line width of a track or text
    Layer = 5, // the layer code of a pad
    Draw = 5,  // the draw code of a track or text
    Flash = 6,
    Mask = 7,
    PlanePad = 8,
    Thermal = 9,
    Tool = 10,
};

// One primitive row, columns 1 to 10.
struct PrimitiveRow {
    std::array<std::string, 10> cells;
    std::string& col(Column c) { return cells[static_cast<size_t>(c) - 1]; }
    const std::string& col(Column c) const { return cells[static_cast<size_t>(c) - 1]; }
    // "PAD", "VIA", "TR" or "STR": the first three characters of the kind.
    std::string type() const { return col(Column::Kind).substr(0, 3); }
};

struct Primitives {
    std::vector<PrimitiveRow> rows;
    std::vector<int16_t> holes; // distinct hole sizes, ascending after sorting
};

struct DcodeEntry {
    std::string dnumber; // the D number, or for a plane entry its whole definition line
    std::string xsize, ysize, kind, description, labels;
};

struct DcodeTable {
    std::vector<DcodeEntry> entries;
    size_t normalCount = 0;
};

// A default plane table that is not in the program directory yet ('t' thermal, 'a' donut, 'c' round).
struct MissingPlaneTable {
    std::string path;
    char which;
};

struct PlaneTables {
    std::array<std::string, planeRowCount + 1> thermal, donut, round; // element 0 unused
    // Written with the definition files, so that a run that stops writes none of them.
    std::vector<MissingPlaneTable> missing;
};

// Phases, in the order the job runs them.
// The tables from the program directory; a missing one is taken from the defaults and noted as missing.
PlaneTables loadplanetables(const std::string& programDir);
// The keys of the design, or nullopt when its first line is not the ASCII header.
std::optional<DesignKeys> readDesign(const std::string& designPath);
Primitives extractPrimitives(const DesignKeys& keys);
void assignToolNumbers(Primitives& primitives);
DcodeTable generateDcodes(Primitives& primitives, const Options& options);
void compressDcodes(DcodeTable& table);
void sortDcodes(DcodeTable& table);
void assignNormalCodes(Primitives& primitives, const DcodeTable& table);
void assignPlaneCodes(Primitives& primitives, DcodeTable& table, const PlaneTables& planes, int planeType);

struct DefinitionPaths {
    std::string dfn, backup, design;
};
// The missing default plane tables, each finished in its temporary file.
std::vector<std::unique_ptr<platform::AtomicWriter>> writeMissingPlaneTables(const PlaneTables& tables);
// Writes the backup, both definition files and the missing plane tables; false (with the log replaced) when
// over the D-code limit.
bool writeDefinitionFiles(const DefinitionPaths& paths, const Primitives& primitives, const DcodeTable& table,
                          const PlaneTables& planes, app::MessageLog& log);

// Ends the run in order: the two indented lines of every message of this job (what is wrong, what to do),
// followed in the log by "[Aperture processing failed]".
[[noreturn]] inline void stopRun(const std::string& what, const std::string& advice) {
    throw app::JobStop{"     " + what + "," + std::string(util::crlf) + "     " + advice};
}

// The number at the end of a key, read through a window of its last n characters: when the first blank
// among them is their second character, only the last n - 2 characters count, else all n (blanks skipped).
double tailValue(const std::string& key, long n);

} // namespace fk::aperture

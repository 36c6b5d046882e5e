// One pass over an NC drill file: its preferred form and the four derived files, all as unfinished outputs.
#pragma once

#include "drill/excellon.hpp"
#include "platform/files.hpp"

#include <memory>
#include <optional>
#include <string>

namespace fk::drill {

struct Outputs {
    std::optional<platform::AtomicWriter> preferred;  // replaces the source when it was not preferred
    std::optional<platform::AtomicWriter> outputCopy; // the preferred form in the output path
    platform::AtomicWriter nc2, nc3, nc4, nc5;
    // Where the reading in one pass opens the two above once the file turns out not to be preferred; no copy
    // target where the output path is the input path.
    std::string preferredTarget, copyTarget;
};

struct Translation {
    DrillFormat format;
    bool unitsFound = false;
    bool alreadyPreferred = false;      // Tango's preferred form: the source stays as it is
    bool tangoDialect = false;          // M48 and a Tango units line on top, every coordinate signed
    bool rounded = false;               // an inch value finer than 0.0001 inch was rounded
    Zeros zerosShown = Zeros::Unstated; // what the numbers omit where the header names no zeros
    bool surveyNeeded = false;          // the reading ended where a number's zeros need a survey of the file
};

// The one reading of a file whose numbers need no survey: every output line, the preferred form's outputs
// opened once the file turns out not to be preferred. Ends with surveyNeeded where the zeros its numbers
// leave out need a survey of the whole file; throws ExcellonError for a line that cannot be translated
// exactly, FileError when a file fails.
Translation translateDrillFile(const std::string& source, Outputs& outputs);

// A first reading of the whole source that writes nothing: whether it is already preferred, and the zeros its
// numbers omit where the header names none. Throws ExcellonError for a line that cannot be translated
// exactly, FileError when the file fails.
Translation surveyDrillFile(const std::string& source);
// The second reading, by what the survey found: every output line.
Translation translateDrillFile(const std::string& source, const Translation& survey, Outputs& outputs);

} // namespace fk::drill

// The eight settings fields as every front end shows them: names, captions, list entries, what leaving a
// field does, which caption browses for what, and what a file dropped onto a field puts into it.
#pragma once

#include "app/settings.hpp"

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace fk::model {

// Each field by the index of its caption (Label1).
enum class Field { fnamebase, indatapath, dfnpath, gcpvpath, planes, smenable, smswell, outdatapath };

struct FieldSpec {
    Field field;
    const char* name;                     // control name, as the jobs and the settings file know it
    const char* caption;                  // shown beside the field
    char mnemonic;                        // the caption's Alt+letter
    std::span<const char* const> entries; // the list's entries; empty for a text field
    const char* meaning;                  // one line for the help
};

// The eight fields in caption order (Label1 index 0 to 7).
std::span<const FieldSpec> fieldSpecs();
const FieldSpec& specOf(Field field);
// The order in which the fields are laid out and tabbed through: the five texts, then the three lists.
std::span<const Field> layoutOrder();
inline bool isList(Field field) {
    return !specOf(field).entries.empty();
}
// The caption with the toolkits' mnemonic mark: "&" before its Alt+letter ("PCB.&DFN path").
std::string markedCaption(const FieldSpec& info);

// A field's value inside the job's field set: the text of a text field, the index of a list.
std::string& textOf(app::Fields& fields, Field field);
int& indexOf(app::Fields& fields, Field field);

// The text a field holds once the user leaves it: the base name alone for the file base name. A path field is
// tidied (util::cleanpath) only where the tidied text names the same folder as the typed one; otherwise it
// stays as typed, trimmed, and a job that cannot use it says so. On POSIX a text starting with "/" is first
// turned into its Z: form, in every text field.
std::string leaveField(Field field, std::string_view text);

// What a caption click browses for.
enum class Part { name, directory };
struct Browse {
    Field start;       // the field whose text is the start directory
    const char* mask;  // the file list's pattern
    const char* title; // the window's caption
    Part part;         // which part of the chosen path goes into the target
    Field target;
    // Where the chosen file's directory goes too (the base name's browse: the design is read from there).
    std::optional<Field> folder = std::nullopt;
};
// The browse of caption `index`; none for the list captions and any other index.
std::optional<Browse> browseFor(int index);
// Writes a choice of `browse` into the fields: the part into its target and the directory into its folder
// field, unless that field already names the same existing directory (a relative "." stays). A chosen folder
// ends in a backslash and is its own directory. False when nothing was chosen.
bool applyChoice(const Browse& browse, const std::string& chosen, app::Fields& fields);
// What a file or directory dropped onto a field does, as if chosen through the field's caption (a directory
// dropped onto a path field is taken itself). False when the field takes no path or a directory was dropped
// onto the file base name.
bool dropInto(Field field, const std::string& pathText, bool isDirectory, app::Fields& fields);

// True when leaving a path field may replace `typed` by `tidied`: both name one existing entry, or neither
// exists and `tidied` differs from `typed`, a path from a drive's root, only in ASCII case and in doubled
// or trailing backslashes.
bool namesSameFolder(const std::string& typed, const std::string& tidied);

// A host path typed or dropped as the host writes it ("/tmp/work") in its Z: form; any other text unchanged.
std::string hostToText(std::string_view text);

} // namespace fk::model

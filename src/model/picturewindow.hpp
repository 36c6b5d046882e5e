// What both board picture windows show around the picture: the findings list, filtered by kind, and the
// captions that hold the window's Alt letters.
#pragma once

#include "model/boardpicture.hpp"

#include <optional>
#include <string>
#include <vector>

namespace fk::model {

// The window's captions besides the limits row's fields (board::limitRows), '&' before each Alt letter.
inline constexpr const char* layersCaption = "&Layers";
inline constexpr const char* findingsCaption = "&Findings";
inline constexpr const char* kindCaption = "&Kind";
inline constexpr const char* profileCaption = "&Profile";
inline constexpr const char* checkAgainCaption = "Check &again";
// Every caption of the window with an Alt letter: the limits row's in its order, then the window's own.
std::vector<std::string> pictureCaptions();
// The Alt letters (lower case) that more than one of `captions` takes, in order; empty when each letter
// reaches one control.
std::string sharedAltLetters(const std::vector<std::string>& captions);

// One entry of the filter above the findings: no kind for "All kinds".
struct KindChoice {
    std::optional<boardcheck::Kind> kind;
    std::string text; // "All kinds", "spacing (12)"
};
// "All kinds", then each kind found with its count, in the order of the kinds (as the log's count line).
std::vector<KindChoice> kindChoices(const BoardPicture& picture);
// Which entry of kindChoices the picture lists now.
int kindChoiceOf(const BoardPicture& picture);
// The findings listed and marked under the picture's filter, by their index in picture.findings.
std::vector<size_t> shownFindings(const BoardPicture& picture);
bool isShown(const BoardPicture& picture, const PictureFinding& finding);
// The list's rows: why nothing is shown where the board could not be read, else the findings shown, in
// columns; row r is the finding shownFindings(picture)[r].
std::vector<std::string> findingRows(const BoardPicture& picture);

} // namespace fk::model

// The findings list filtered by kind, and the board picture window's Alt letters, for both windows.
#include "model/picturewindow.hpp"

#include "model/columns.hpp"

#include <array>
#include <cctype>

namespace fk::model {

std::vector<std::string> pictureCaptions() {
    std::vector<std::string> captions;
    for (const auto& row : board::limitRows)
        captions.emplace_back(row.caption);
    for (const char* own : {layersCaption, findingsCaption, kindCaption, profileCaption, checkAgainCaption})
        captions.emplace_back(own);
    return captions;
}

std::string sharedAltLetters(const std::vector<std::string>& captions) {
    std::array<int, 256> uses{};
    std::string shared;
    for (const auto& caption : captions) {
        const size_t amp = caption.find('&');
        if (amp == std::string::npos || amp + 1 >= caption.size())
            continue;
        const auto letter =
            static_cast<unsigned char>(std::tolower(static_cast<unsigned char>(caption[amp + 1])));
        if (++uses[letter] == 2)
            shared += static_cast<char>(letter);
    }
    return shared;
}

std::vector<KindChoice> kindChoices(const BoardPicture& picture) {
    std::array<size_t, boardcheck::kindCount> counts{};
    for (const auto& f : picture.findings)
        ++counts[static_cast<size_t>(f.kind)];
    std::vector<KindChoice> choices{{std::nullopt, "All kinds"}};
    for (size_t k = 0; k < counts.size(); ++k) {
        const auto kind = static_cast<boardcheck::Kind>(k);
        if (counts[k] > 0)
            choices.push_back(
                {kind, std::string(boardcheck::kindName(kind)) + " (" + std::to_string(counts[k]) + ")"});
    }
    return choices;
}

int kindChoiceOf(const BoardPicture& picture) {
    const auto choices = kindChoices(picture);
    for (size_t i = 0; i < choices.size(); ++i)
        if (choices[i].kind == picture.only)
            return static_cast<int>(i);
    return 0;
}

bool isShown(const BoardPicture& picture, const PictureFinding& finding) {
    return !picture.only || finding.kind == *picture.only;
}

std::vector<size_t> shownFindings(const BoardPicture& picture) {
    std::vector<size_t> shown;
    for (size_t i = 0; i < picture.findings.size(); ++i)
        if (isShown(picture, picture.findings[i]))
            shown.push_back(i);
    return shown;
}

std::vector<std::string> findingRows(const BoardPicture& picture) {
    if (!picture.problem.empty())
        return {picture.problem};
    std::vector<std::string> rows;
    for (const size_t i : shownFindings(picture))
        rows.push_back(picture.findings[i].text);
    return inColumns(rows);
}

} // namespace fk::model

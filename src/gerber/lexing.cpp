// What the rewritten Gerber file cannot hold, and the numbers of the parameters that must change nothing.
#include "gerber/lexing.hpp"

#include "util/fixed.hpp"
#include "util/length.hpp"

#include <optional>

namespace fk::gerber {

RefusalText refusalText(Refusal r) {
    switch (r) {
    case Refusal::Arc:
        return {"draws an arc (G02/G03, I/J)", "plot arcs as straight segments"};
    case Refusal::Region:
        return {"fills a region (G36/G37)", "plot without filled regions"};
    case Refusal::ClearPolarity:
        return {"switches to clear polarity (%LPC)", "plot without clear (negative) objects"};
    case Refusal::StepRepeat:
        return {"repeats the image (%SR)", "plot without step and repeat"};
    case Refusal::Transform:
        return {"offsets, scales, mirrors, rotates or inverts the image",
                "plot without image transformations"};
    case Refusal::Incremental:
        return {"states incremental coordinates", "plot with absolute coordinates"};
    case Refusal::Overflow:
        return {"holds a coordinate beyond 99999 mils", "plot nearer the origin"};
    case Refusal::BadCoordinate:
        return {"holds a coordinate that does not fit the file's format", "correct the file"};
    case Refusal::BadFormat:
        return {"states a coordinate format that cannot be read", "correct the file"};
    case Refusal::BadUnits:
        return {"states units that cannot be read", "correct the file"};
    case Refusal::LateFormat:
        return {"states the coordinate format after the first coordinates", "correct the file"};
    case Refusal::DrillFile:
        return {"starts a drill program (M48): the file is a drill file", "pick Gerber plots"};
    case Refusal::Unknown:
        break;
    }
    return {"holds a command that cannot be translated", "correct the file"};
}

namespace {

// Parameters state their numbers with up to six decimals in every file seen; twelve leave room to spare.
constexpr int parameterDecimals = 12;

// The number that starts the text (a sign, digits and points), read exactly; nothing when it is no number.
std::optional<std::int64_t> numberAt(std::string_view text, size_t& length) {
    length = (!text.empty() && (text[0] == '-' || text[0] == '+')) ? 1 : 0;
    while (length < text.size() && (isDigit(text[length]) || text[length] == '.'))
        ++length;
    const util::Fixed number = util::readFixed(text.substr(0, length), parameterDecimals);
    return number.ok() ? std::optional(number.value) : std::nullopt;
}

} // namespace

bool numbersAllEqual(std::string_view parameter, int value) {
    for (size_t i = 2; i < parameter.size(); ++i) {
        const char c = parameter[i];
        if (isDigit(c) || c == '-' || c == '+' || c == '.') {
            size_t length = 0;
            const auto number = numberAt(parameter.substr(i), length);
            if (number != value * util::powerOfTen(parameterDecimals))
                return false;
            i += length - 1;
        }
    }
    return true;
}

bool repeatsOnce(std::string_view parameter, char axis) {
    const size_t at = parameter.find(axis);
    if (at == std::string_view::npos)
        return true;
    size_t length = 0;
    return numberAt(parameter.substr(at + 1), length) == util::powerOfTen(parameterDecimals);
}

} // namespace fk::gerber

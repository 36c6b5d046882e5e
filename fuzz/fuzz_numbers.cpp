// The checked fixed-point reader on its own: whatever the text, it gives a value that reads back as the same
// number, or a reason; it never wraps, overflows or returns a value beside a fault.
#include "harness.hpp"
#include "util/fixed.hpp"

#include <string>

namespace {

// The text's digits without sign, point or leading zeros, the decimals padded to the scale.
std::string digitsAtScale(std::string_view text, int decimals) {
    if (!text.empty() && (text[0] == '+' || text[0] == '-'))
        text.remove_prefix(1);
    const size_t point = text.find('.');
    std::string whole(text.substr(0, point)), fraction;
    if (point != std::string_view::npos)
        fraction = std::string(text.substr(point + 1));
    fraction.resize(static_cast<size_t>(decimals), '0');
    std::string all = whole + fraction;
    all.erase(0, all.find_first_not_of('0'));
    return all.empty() ? "0" : all;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace fk;
    if (size == 0)
        return 0;
    const int decimals = data[0] % 19;
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
    const util::Fixed read = util::readFixed(text, decimals);
    if (!read.ok()) {
        fuzz::require(read.value == 0);
        return 0;
    }
    const bool negative = !text.empty() && text[0] == '-';
    std::string back = std::to_string(read.value < 0 ? -read.value : read.value);
    fuzz::require(back == digitsAtScale(text, decimals));
    fuzz::require(read.value == 0 || (read.value < 0) == negative);
    return 0;
}

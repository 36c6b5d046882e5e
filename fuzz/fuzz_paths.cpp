// The text and path utilities and the path mapping, fed arbitrary bytes.
#include "harness.hpp"
#include "util/text.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace fk;
    if (size == 0)
        return 0;
    const std::string input(reinterpret_cast<const char*>(data + 1), size - 1);
    const long n = static_cast<int8_t>(data[0]);
    std::string text = input;
    std::string delimiter = input.empty() ? std::string() : input.substr(0, 1);
    util::getfield(text, n, delimiter);
    const std::string clean = util::cleanpath(input);
    fuzz::require(util::cleanpath(clean) == clean);
    for (int mode = 0; mode <= 6; ++mode)
        util::splitname(std::string_view(input), mode);
    util::valueOf(input);
    platform::fileexists(input);
    platform::direxists(input);
    platform::resolveExisting(input);
    platform::wildcardMatch(input, input);
    return 0;
}

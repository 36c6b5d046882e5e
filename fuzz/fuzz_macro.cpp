// An aperture macro through the board model's Gerber reader: the input is a macro's body and, after a
// separator line, the parameters of the aperture that uses it. Whatever the bytes, an image or a refusal in
// words, never a crash, a hang or another exception; the deepest nesting is read without recursion.
#include "harness.hpp"

#include "app/context.hpp"
#include "board/image.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace fk::fuzz;
    const auto input = parts(data, size, 2);
    const std::string text = "%FSLAX46Y46*%\n%MOMM*%\n%AMFUZZ*\n" + input[0] + "*%\n%ADD10FUZZ," + input[1] +
                             "*%\nD10*\nX0Y0D03*\nX1000000Y0D03*\nM02*\n";
    try {
        const fk::board::Image image = fk::board::readGerber("Z:\\FUZZ.GBR", text);
        require(image.objects.size() <= 2);
    } catch (const fk::app::JobStop& stop) {
        require(!stop.message.empty());
    }
    return 0;
}

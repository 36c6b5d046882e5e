// The drill list, aperture table and two Gerber files through the "Gerber Converter".
#include "harness.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace fk::fuzz;
    clearWork();
    auto files = parts(data, size, 4);
    put("w/HOLES.TXT", files[0]);
    put("w/TABLE.TXT", files[1]);
    put("w/A.GBR", files[2]);
    put("w/B.GBR", files[3]);
    fk::app::Fields f;
    f.indatapath = text("w");
    const std::string dir = text("w");
    Run run = runJob(8, f, {dir + "\\HOLES.TXT", dir + "\\TABLE.TXT", dir + "\\A.GBR ,B.GBR"});
    require(get("w/HOLES.TXT") == files[0] && get("w/A.GBR") == files[2] && get("w/B.GBR") == files[3]);
    const bool written = fs::exists(scratch() / "w/Aperture.new");
    require(written == (run.result == fk::app::JobResult::Completed));
    require(written == fs::exists(scratch() / "w/xA.GBR"));
    return 0;
}

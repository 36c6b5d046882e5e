// A design file and a via plane list through "PCB Processor" and "Vias >> Plane".
#include "harness.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace fk::fuzz;
    clearWork();
    auto files = parts(data, size, 2);
    put("w/BOARD.PCB", files[0]);
    put("w/LIST.TXT", files[1]);
    fk::app::Fields f;
    f.fnamebase = "BOARD";
    f.indatapath = text("w");
    const std::string dir = text("w");
    Run via = runJob(9, f, {dir + "\\LIST.TXT"}, {size % 2 == 0, true});
    require(get("w/BOARD.PCB") == files[0]);
    require((via.result == fk::app::JobResult::Completed) == fs::exists(scratch() / "w/vBOARD.PCB"));
    Run polygons = runJob(4, f, {dir + "\\BOARD.PCB"});
    if (polygons.result != fk::app::JobResult::Completed)
        require(get("w/BOARD.PCB") == files[0]);
    return 0;
}

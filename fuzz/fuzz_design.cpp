// The design file through "PCB >> Aperture", with the options drawn from the input's first byte.
#include "harness.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace fk::fuzz;
    if (size == 0)
        return 0;
    clearWork();
    const uint8_t options = data[0];
    put("w/BOARD.PCB", std::string(reinterpret_cast<const char*>(data + 1), size - 1));
    const std::string old = "PALETD 1\r\nCAM_FILE x\r\n";
    put("w/PCB.DFN", old);
    fk::app::Fields f;
    f.fnamebase = "BOARD";
    f.indatapath = f.dfnpath = text("w");
    f.planes = options % 4 - 1;
    f.smenable = (options / 4) % 3 - 1;
    f.smswell = (options / 12) % 11;
    Run run = runJob(0, f);
    if (run.result == fk::app::JobResult::Completed) {
        require(get("w/PCB.DFN") == get("w/BOARD.DFN"));
        require(get("w/DFN.BAK") == old);
    } else {
        require(get("w/PCB.DFN") == old);
        require(!fs::exists(scratch() / "w/BOARD.DFN"));
    }
    return 0;
}

// The old definition file and an edited plane table, read by "PCB >> Aperture".
#include "harness.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace fk::fuzz;
    clearWork();
    auto files = parts(data, size, 2);
    put("w/BOARD.PCB", ";Tango-PCB PLUS V2.30 Series II\r\nPAD EL 60 60 28 AL\r\nVIA CR 50 35 GD\r\n"
                       "PAD SQ 90 90 125 AL\r\nLINE 10 0 0 1 1\r\n");
    put("w/PCB.DFN", files[0]);
    put("prog/flashkit.pa", files[1]);
    fk::app::Fields f;
    f.fnamebase = "BOARD";
    f.indatapath = f.dfnpath = text("w");
    f.planes = 2;
    Run run = runJob(0, f);
    if (run.result != fk::app::JobResult::Completed)
        require(get("w/PCB.DFN") == files[0]);
    std::error_code ec;
    fs::remove(scratch() / "prog/flashkit.pa", ec);
    return 0;
}

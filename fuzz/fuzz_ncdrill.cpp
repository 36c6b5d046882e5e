// The NC drill file through "NC1 >> 2,3,4".
#include "harness.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace fk::fuzz;
    clearWork();
    const std::string source(reinterpret_cast<const char*>(data), size);
    put("w/BOARD.NC1", source);
    fk::app::Fields f;
    f.fnamebase = "BOARD";
    f.indatapath = text("w");
    f.outdatapath = text("out");
    Run run = runJob(6, f);
    if (run.result == fk::app::JobResult::Completed) {
        for (int n = 1; n <= 5; ++n)
            require(fs::exists(scratch() / ("out/BOARD.NC" + std::to_string(n))));
        require(get("out/BOARD.NC1") == get("w/BOARD.NC1"));
        // The file as it came is never lost.
        require(get("w/BOARD.NC1") == source || get("w/BOARD.NC1.orig") == source);
    } else {
        require(get("w/BOARD.NC1") == source);
        require(!fs::exists(scratch() / "w/BOARD.NC1.orig"));
    }
    require(!fs::exists(scratch() / "w/BOARD.NC0"));
    return 0;
}

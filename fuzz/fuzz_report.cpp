// The aperture report through "REP >> GerbView".
#include "harness.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace fk::fuzz;
    clearWork();
    put("w/BOARD.REP", std::string(reinterpret_cast<const char*>(data), size));
    put("out/apr.apr", "old");
    put("out/rck.rck", "old");
    fk::app::Fields f;
    f.fnamebase = "BOARD";
    f.indatapath = text("w");
    f.gcpvpath = text("out");
    Run run = runJob(2, f);
    const std::string apr = get("out/apr.apr");
    const std::string rck = get("out/rck.rck");
    if (run.result == fk::app::JobResult::Completed) {
        require(apr.size() >= 6 && (apr.size() - 6) % 64 == 0 &&
                static_cast<uint8_t>(apr[2]) == (apr.size() - 6) / 64);
        require(rck.size() >= 6 && (rck.size() - 6) % 22 == 0 &&
                static_cast<uint8_t>(rck[2]) == (rck.size() - 6) / 22);
    } else {
        require(apr == "old" && rck == "old");
    }
    return 0;
}

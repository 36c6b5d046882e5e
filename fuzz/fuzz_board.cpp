// A board's copper layer and drill file through Board Check's readers and checks: whatever the bytes, a
// finding list or a refusal in words, never a crash, a hang or another exception.
#include "harness.hpp"

#include "app/context.hpp"
#include "board/fabrication.hpp"
#include "boardcheck/geometry.hpp"
#include "boardcheck/model.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace fk::fuzz;
    clearWork();
    auto files = parts(data, size, 2);
    put("w/board-F_Cu.gbr", files[0]);
    put("w/board.drl", files[1]);
    try {
        fk::board::Fabrication board = fk::board::readFabrication(text("w"), {});
        const fk::boardcheck::CopperPoints copper(board);
        auto findings = fk::boardcheck::settleDrillReadings(board, copper);
        const auto rest = fk::boardcheck::checkFabrication(board, copper, fk::boardcheck::Limits{});
        for (const auto& f : rest)
            require(!f.plot.empty() && !f.message.empty());
    } catch (const fk::app::JobStop& stop) {
        require(!stop.message.empty());
    }
    require(get("w/board-F_Cu.gbr") == files[0] && get("w/board.drl") == files[1]);
    return 0;
}

// What the rewritten Gerber file cannot hold, and the advice that goes with it.
#include "gerber/lexing.hpp"

namespace fk::gerber {

RefusalText refusalText(Refusal r) {
    switch (r) {
    case Refusal::Arc:
        return {"draws an arc (G02/G03, I/J)", "plot arcs as straight segments"};
    case Refusal::Region:
        return {"fills a region (G36/G37)", "plot without filled regions"};
    case Refusal::ClearPolarity:
        return {"switches to clear polarity (%LPC)", "plot without clear (negative) objects"};
    case Refusal::StepRepeat:
        return {"repeats the image (%SR)", "plot without step and repeat"};
    case Refusal::Transform:
        return {"offsets, scales, mirrors, rotates or inverts the image",
                "plot without image transformations"};
    case Refusal::Incremental:
        return {"states incremental coordinates", "plot with absolute coordinates"};
    case Refusal::Overflow:
        return {"holds a coordinate beyond 99999 mils", "plot nearer the origin"};
    case Refusal::BadCoordinate:
        return {"holds a coordinate that does not fit the file's format", "correct the file"};
    case Refusal::BadFormat:
        return {"states a coordinate format that cannot be read", "correct the file"};
    case Refusal::BadUnits:
        return {"states units that cannot be read", "correct the file"};
    case Refusal::LateFormat:
        return {"states the coordinate format after the first coordinates", "correct the file"};
    case Refusal::DrillFile:
        return {"starts a drill program (M48): the file is a drill file", "pick Gerber plots"};
    case Refusal::Unknown:
        break;
    }
    return {"holds a command that cannot be translated", "correct the file"};
}

} // namespace fk::gerber

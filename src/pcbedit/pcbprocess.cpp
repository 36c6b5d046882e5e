#include "pcbedit/pcbedit.hpp"
namespace fk::pcbedit {
app::JobResult pcbprocess(const app::JobContext&) {
    return app::JobResult::Stopped;
}
} // namespace fk::pcbedit

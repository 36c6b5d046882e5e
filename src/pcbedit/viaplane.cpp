#include "pcbedit/pcbedit.hpp"
namespace fk::pcbedit {
app::JobResult viaplane(const app::JobContext&) {
    return app::JobResult::Stopped;
}
} // namespace fk::pcbedit

#include "gerber/gerberconverter.hpp"
namespace fk::gerber {
app::JobResult gerberconverter(const app::JobContext&) {
    return app::JobResult::Stopped;
}
} // namespace fk::gerber

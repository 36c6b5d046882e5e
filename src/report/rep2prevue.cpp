#include "report/rep2prevue.hpp"
namespace fk::report {
app::JobResult rep2prevue(const app::JobContext&) {
    return app::JobResult::Stopped;
}
} // namespace fk::report

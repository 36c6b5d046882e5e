#include "drill/ncdrill.hpp"
namespace fk::drill {
app::JobResult ncdrill(const app::JobContext&) {
    return app::JobResult::Stopped;
}
} // namespace fk::drill

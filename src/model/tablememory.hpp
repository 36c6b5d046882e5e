// The answers of a job's table (Fab Export's plot roles), remembered per design in lines 81 to 100 of the
// settings file, the most recent first: "TABLE <key>|<name>=<choice>|...|<option 0 or 1>".
#pragma once

#include "app/context.hpp"
#include "app/settings.hpp"

namespace fk::model {

inline constexpr int firstTableLine = 81;

// The remembered answers for the request's key, for the rows it has; choices it does not offer are left out.
void recallTable(const app::SettingsTable& settings, app::TableRequest& request);
// Remembers the answers on line 81, moving older designs down (the 21st is forgotten).
void rememberTable(app::SettingsTable& settings, const app::TableRequest& request);

} // namespace fk::model

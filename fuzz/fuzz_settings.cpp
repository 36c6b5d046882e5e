// The settings file: load, fields, and save again.
#include "app/settings.hpp"
#include "harness.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace fk::fuzz;
    put("prog/flashkit.ini", std::string(reinterpret_cast<const char*>(data), size));
    fk::app::SettingsTable table(text("prog"));
    table.load();
    fk::app::Fields f = table.fields();
    require(f.planes >= 0 && f.planes < 3 && f.smenable >= 0 && f.smenable < 2 && f.smswell >= 0 &&
            f.smswell < 11);
    table.setFields(f);
    require(!table.save());
    fk::app::SettingsTable again(text("prog"));
    again.load();
    for (int n = 1; n <= 100; ++n)
        require(again.line(n) == table.line(n));
    return 0;
}

// The Gerber Converter run through the command line on a scratch folder holding an aperture table.
#pragma once

#include "support.hpp"

namespace fk::test {

class GerberTest : public Scratch {
  protected:
    void SetUp() override {
        Scratch::SetUp();
        fs::create_directories(path("w"));
        write("w/TABLE.TXT", crlfLines({"D-Code Width Height Shape", "10 5 5 ROUND", "11 10 10 ROUND",
                                        "15 60 60 SQUARE", "40 20 30 RECT", "15 62 62 SQUARE"}));
    }
    test::CliResult run(std::vector<std::string> picks) const {
        std::vector<std::string> args{"gerberconverter", "--input-path", text("w")};
        for (const auto& p : picks) {
            args.push_back("--pick");
            args.push_back(p);
        }
        return cli(args);
    }
    std::string w(const std::string& name) const { return text("w") + "\\" + name; }
    // The whole job with a drill list picked: its drawing is written with the job's other files.
    test::CliResult drill(const std::string& listPick) const {
        write("w/A.GBR", "D11*\r\nX1Y1D03*\r\n");
        return run({listPick, w("TABLE.TXT"), w("A.GBR")});
    }
    const std::string cancelled = "Gerber Converter was cancelled; nothing was written.";
    const std::string tableExpected =
        "Expected: lines of an aperture number above 10 (or D and the number), then its width and height as "
        "numbers and its shape (ROUND, SQUARE, RECT, OVAL, ...), as 11 60 60 ROUND. Nothing was written.";
};

} // namespace fk::test

// The example of examples/fab and a scratch set exported through the command line, and the attribute lines
// every exported file of BOARD starts with.
#pragma once

#include "support.hpp"

#include <map>

namespace fk::test {

// The example and a scratch set, exported through the command line.
class FabExport : public Scratch {
  protected:
    void SetUp() override {
        Scratch::SetUp();
        copyFilesOf(fs::path(FLASHKIT_EXAMPLES) / "fab", path("in"));
        fs::create_directories(path("out"));
    }
    CliResult run(const std::string& picks = "TOP.GBR ,PLANE.GBR ,OUTLINE.GBR",
                  const std::string& out = "out", const std::vector<std::string>& more = {}) const {
        std::vector<std::string> args{"fabexport",
                                      "--base",
                                      "BOARD",
                                      "--input-path",
                                      text("in"),
                                      "--dfn-path",
                                      text("in"),
                                      "--output-path",
                                      text(out),
                                      "--pick",
                                      text("in") + "\\" + picks};
        args.insert(args.end(), more.begin(), more.end());
        return cli(args);
    }
    std::map<std::string, std::string> files() const { return filesIn({"in", "out"}); }
    ScopedVariable epoch_{"SOURCE_DATE_EPOCH", "1700000000"}; // 2023-11-14T22:13:20+00:00
};

// The attribute lines every file of an export of BOARD made at SOURCE_DATE_EPOCH 1700000000 starts with.
inline const char* const madeBoard = "2023-11-14T22:13:20+00:00";
inline Lines plotHead(const std::string& function, const std::string& polarity) {
    return {"%TF.GenerationSoftware,Flashkit,Fab Export," FLASHKIT_VERSION "*%",
            std::string("%TF.CreationDate,") + madeBoard + "*%",
            "%TF.ProjectId,BOARD,7acf620d-ee84-87eb-9f98-4d1a2ed211ac,rev?*%",
            "%TF.SameCoordinates,Original*%",
            "%TF.Part,Single*%",
            "%TF.FileFunction," + function + "*%",
            "%TF.FilePolarity," + polarity + "*%"};
}
inline Lines drillHead(const std::string& function) {
    return {"M48",
            std::string("; #@! TF.CreationDate,") + madeBoard,
            "; #@! TF.GenerationSoftware,Flashkit,Fab Export," FLASHKIT_VERSION,
            "; #@! TF.FileFunction," + function,
            "FMAT,2",
            "INCH,TZ"};
}
inline Lines joined(Lines a, const Lines& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

} // namespace fk::test

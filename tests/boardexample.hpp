// The example of examples/fab in a scratch folder, which board check tests edit one fault at a time.
#pragma once

#include "boardcheck/boardcheck.hpp"
#include "support.hpp"

namespace fk::test {

// The example of examples/fab in a scratch folder, edited one fault at a time.
class BoardCheck : public Scratch {
  protected:
    void SetUp() override {
        Scratch::SetUp();
        copyFilesOf(fs::path(FLASHKIT_EXAMPLES) / "fab", path("in"));
    }
    // Replaces the one occurrence of `from` in a file of the example.
    void edit(const std::string& name, const std::string& from, const std::string& to) const {
        std::string bytes = read("in/" + name);
        const size_t at = bytes.find(from);
        ASSERT_NE(at, std::string::npos) << from;
        ASSERT_EQ(bytes.find(from, at + 1), std::string::npos) << from;
        write("in/" + name, bytes.replace(at, from.size(), to));
    }
    // Each finding as "kind plot x,y" in mils.
    Lines findings(const std::vector<std::string>& plots = {"TOP.GBR", "PLANE.GBR"}, std::string dir = {},
                   const boardcheck::Limits& limits = {}) const {
        dir = dir.empty() ? text("in") : dir;
        std::vector<std::string> paths;
        for (const auto& p : plots)
            paths.push_back(dir + "\\" + p);
        const boardcheck::Checked checked =
            boardcheck::checkFiles(text("in") + "\\PCB.DFN", paths, text("in") + "\\BOARD.NC1", limits);
        Lines out;
        for (const auto& f : checked.findings)
            out.push_back(std::string(boardcheck::kindName(f.kind)) + " " + f.plot + " " +
                          std::to_string(f.at.x.toMilDecimals(0)) + "," +
                          std::to_string(f.at.y.toMilDecimals(0)));
        return out;
    }
};

inline const char* const baseline = "plane-solid PLANE.GBR 1000,700";

} // namespace fk::test

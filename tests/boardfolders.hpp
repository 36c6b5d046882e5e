// A scratch folder holding copies of sample boards, and the log lines Board Check writes about them.
#pragma once

#include "files.hpp"
#include "support.hpp"

namespace fk::test {

inline const std::string sampleBoards = std::string(FLASHKIT_SAMPLES) + "/boards/";

class BoardFolders : public Scratch {
  protected:
    // A sample board copied into the scratch folder, one of its files changed.
    std::string board(const std::string& name, const std::string& file = "", const std::string& from = "",
                      const std::string& to = "") const {
        fs::create_directories(path(name));
        for (const auto& e : fs::directory_iterator(sampleBoards + name)) {
            const std::string n = e.path().filename().string();
            if (n == "SOURCE.md" || n == "expected.tsv" || n == "expected-dfm.tsv")
                continue;
            std::string bytes = readBytes(e.path());
            if (n == file) {
                const size_t at = bytes.find(from);
                EXPECT_NE(at, std::string::npos) << from;
                bytes.replace(at, from.size(), to);
            }
            write(name + "/" + n, bytes);
        }
        return text(name);
    }
    CliResult check(const std::string& board, std::vector<std::string> more = {}) const {
        std::vector<std::string> args{"boardcheck", "--board", board};
        args.insert(args.end(), more.begin(), more.end());
        return cli(args);
    }
};

// A log line that starts with the finding's kind, layer and place and ends with what it says.
inline bool logHas(const std::string& log, const std::string& start, const std::string& end) {
    for (size_t from = 0; (from = log.find("\r\n" + start, from)) != std::string::npos; ++from) {
        const size_t stop = std::min(log.find("\r\n", from + 2), log.size());
        if (log.substr(from, stop - from).ends_with(end))
            return true;
    }
    return false;
}

} // namespace fk::test

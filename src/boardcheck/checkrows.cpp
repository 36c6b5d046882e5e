// Runs the table's checks in order and says what they looked at, so that "clean" always says what it covers.
#include "boardcheck/checkrows.hpp"

namespace fk::boardcheck {

namespace {

struct Done {
    std::string title;
    int layers;
};

// "holes on 2 layers, spacing and width on 2, edge, mask web on 2": neighbours of one count named together.
std::string checkedLine(const std::vector<Done>& done) {
    std::string line;
    bool counted = false;
    for (size_t i = 0; i < done.size();) {
        size_t end = i + 1;
        while (i > 0 && done[i].layers > 0 && end < done.size() && done[end].layers == done[i].layers)
            ++end; // the holes stand alone: the other checks read on after them
        std::string titles;
        for (size_t k = i; k < end; ++k)
            titles += (k == i ? "" : " and ") + done[k].title;
        if (done[i].layers > 0) {
            titles += " on " + std::to_string(done[i].layers);
            if (!counted)
                titles += done[i].layers == 1 ? " layer" : " layers";
            counted = true;
        }
        line += (line.empty() ? "" : ", ") + titles;
        i = end;
    }
    return line;
}

} // namespace

CheckedBoard runChecks(const BoardContext& c, std::optional<int> designHoles) {
    CheckedBoard out;
    std::vector<Done> done;
    std::vector<std::string> notRun;
    for (const auto& row : checkRows) {
        if (designHoles && row.run == checkHoles) {
            done.push_back({row.title, *designHoles});
            continue;
        }
        const Coverage coverage = row.run(c, out.findings);
        if (coverage.ran)
            done.push_back({coverage.checked.empty() ? row.title : coverage.checked, coverage.layers});
        if (!coverage.notRun.empty())
            notRun.push_back(coverage.notRun);
    }
    out.lines.push_back("Checked: " + checkedLine(done));
    if (!notRun.empty()) {
        std::string line;
        for (const auto& n : notRun)
            line += (line.empty() ? "" : ", ") + n;
        out.lines.push_back("Not checked: " + line);
    }
    return out;
}

} // namespace fk::boardcheck

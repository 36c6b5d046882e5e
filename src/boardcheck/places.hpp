// Measures below a limit gathered into findings: one finding a kind, a key (a pair of nets, a pair of
// openings) and a place, however many pieces of copper make it; places more than 10 mil apart are separate.
#pragma once

#include "boardcheck/model.hpp"
#include "boardcheck/planar.hpp"

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace fk::boardcheck {

struct Candidate {
    double measured = 0;        // counts
    Vec place{};                // where the finding stands
    Vec from{}, to{};           // the two ends of the measure
    Seg stretch{};              // how far along the copper the measure holds: a run of it is one place
    std::uint32_t a = 0, b = 0; // what was measured (pieces), for the message
};

class Places {
  public:
    // Candidates with the same key may become one finding.
    void add(const std::string& key, const Candidate& candidate) { groups_[key].push_back(candidate); }
    bool empty() const { return groups_.empty(); }
    // One finding each group of candidates within 10 mil of each other: the least measure of it, its message
    // made by `message` from that candidate.
    // A kind without a limit (a short) states no measure either.
    void report(Kind kind, const std::string& plot, std::optional<Length> limit,
                const std::function<std::string(const Candidate&)>& message, std::vector<Finding>& out) const;

  private:
    std::map<std::string, std::vector<Candidate>> groups_;
};

Point pointOf(Vec v);
Vec vecOf(Point p);

} // namespace fk::boardcheck

// The board's copper as the board house etches it, built once for every check: each copper layer's pieces and
// areas, and the nets they make, joined through plated holes and slots and named by the files' X2 net names.
#pragma once

#include "board/fabrication.hpp"
#include "boardcheck/copperlayer.hpp"

#include <memory>
#include <set>
#include <string>
#include <vector>

namespace fk::boardcheck {

struct Finding;
using board::Point;

class BoardCopper {
  public:
    // Throws platform::Interrupted when a stop is asked for.
    explicit BoardCopper(const board::Fabrication& board);
    ~BoardCopper();
    BoardCopper(const BoardCopper&) = delete;
    BoardCopper& operator=(const BoardCopper&) = delete;

    // Whether a point lies on the copper of any copper layer that is no plane.
    bool holds(Point p) const;

    // Every copper layer and plane, in the order of the board's layers.
    const std::vector<std::unique_ptr<CopperLayer>>& layers() const { return layers_; }
    // Where a plane's copper ends: the board's extent.
    const board::Box& frame() const { return frame_; }

    // Joins the layers' areas into nets through the plated holes and slots (once the holes are settled).
    void joinNets(const std::vector<board::Hole>& holes) const;
    // The net of an area of a layer (an index into layers()), and whether two areas of one layer are of
    // different nets: not joined, and not named alike by X2.
    std::uint32_t netOf(size_t layer, std::uint32_t area) const { return nets_[offsets_[layer] + area]; }
    bool differentNets(size_t layer, std::uint32_t a, std::uint32_t b) const;
    // The X2 net names an area's pieces carry.
    const std::set<std::string>& namesOf(size_t layer, std::uint32_t area) const {
        return names_[offsets_[layer] + area];
    }
    // A net's name for a message: its X2 names, else the file line of its first piece.
    std::string describe(size_t layer, std::uint32_t area) const;
    // The areas of a layer within `within` of the probe (0: under it).
    std::vector<std::uint32_t> areasMeeting(size_t layer, const Probe& probe, double within) const;

    // A side of the board: its outer copper, the openings of its solder mask, its legend, and the copper the
    // mask leaves bare (none where a layer is missing).
    struct Side {
        const char* name; // "top", "bottom"
        const CopperLayer* copper = nullptr;
        const CopperLayer* openings = nullptr;
        const CopperLayer* legend = nullptr;
        const CopperLayer* bare = nullptr;
    };
    const std::vector<Side>& sides() const { return sides_; }

  private:
    void buildSides(const board::Fabrication& board);
    std::vector<std::unique_ptr<CopperLayer>> layers_;
    board::Box frame_ = board::Box::nothing();
    std::vector<size_t> offsets_;
    mutable std::vector<std::uint32_t> nets_; // derived from the holes, once they are settled
    std::vector<std::set<std::string>> names_;
    std::vector<std::unique_ptr<CopperLayer>> others_;           // masks, legends, bare copper
    std::vector<std::unique_ptr<board::BoardLayer>> bareLayers_; // the images of bare copper
    std::vector<Side> sides_;
};

// The name the readers of drill files know it by.
using CopperPoints = BoardCopper;

} // namespace fk::boardcheck

// The board picture behind "Board Check": what the check read and found as layers of simple shapes in board
// coordinates, and the view onto them (scale, pan, zoom, pointer, scale bar). Toolkit-free: a front end only
// paints the primitives where the view puts them and forwards wheel, drag and keys.
#pragma once

#include "app/settings.hpp"
#include "boardcheck/boardcheck.hpp"
#include "model/columns.hpp"
#include "model/drillpreview.hpp"
#include "util/length.hpp"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace fk::model {

inline constexpr int boardCheckButton = 12;

// What a primitive paints with: its layer's colour, or the colour of no copper (a plane's clearances, the
// openings of donuts and thermals).
enum class Ink { Copper, Cleared };

struct Primitive {
    enum class Kind {
        Disc,    // diameter `width` at x, y
        Ring,    // outer diameter `width`, inner `height`, at x, y
        Box,     // `width` by `height` at x, y, corners rounded by `corner`, turned by `degrees`
        Stroke,  // from x, y to x2, y2, `width` wide, round ends
        Outline, // the layer's `outlines[shape]` (outer outlines counter-clockwise, holes clockwise), in
                 // the box of `width` by `height` around x, y
    };
    Kind kind = Kind::Disc;
    Ink ink = Ink::Copper;
    util::Length x{}, y{}, x2{}, y2{}, width{}, height{}, corner{};
    int degrees = 0;
    std::uint32_t shape = 0;
};

struct PictureLayer {
    std::string name{}; // the plot's file name
    std::string role{}; // what the layer is ("top", "mask, top"), empty for a design's plots
    bool plane = false; // drawn as copper everywhere but its primitives
    bool visible = true;
    Rgb colour{};
    std::vector<Primitive> primitives{};
    std::vector<board::Polygons> outlines{};
};

struct PictureHole {
    util::Length x{}, y{}, diameter{};
    bool slot = false; // drilled on to x2, y2
    util::Length x2{}, y2{};
};

struct PictureFinding {
    std::string text{}; // the log's line
    boardcheck::Kind kind = boardcheck::Kind::NoPad;
    bool placed = true; // false for findings of the whole file (the drill reading)
    util::Length x{}, y{};
    util::Length diameter{}; // of the hole found there (0 for a pad without one): the mark rings it
    // A gap, a width, copper to an edge: drawn as the segment measured, from x1, y1 to x2, y2, with its label
    // beside it ("spacing 3.20 mil"), where a finding at a hole is ringed.
    bool segment = false;
    util::Length x1{}, y1{}, x2{}, y2{};
    std::string label{};
};

// The radius of a finding's mark in pixels: around the hole it is found at, however far out it is zoomed.
double markRadius(double holePixels);
// The pens of a finding's mark in pixels, the white halo under the red: bolder for the finding clicked.
struct MarkPens {
    int halo, red;
};
MarkPens markPens(bool selected);

struct PictureExtent {
    util::Length left{}, bottom{}, right{}, top{};
};

struct BoardPicture {
    std::string problem{}; // why there is nothing to show; empty when the board was read
    std::vector<PictureLayer> layers{};
    std::vector<PictureHole> holes{};
    std::vector<PictureFinding> findings{};
    std::vector<std::string> checked{}; // what the check looked at ("Checked: ..."), and what it could not
    std::optional<boardcheck::Kind> only{}; // the one kind listed and marked; every kind when empty
    PictureExtent extent{};
};

BoardPicture pictureOf(const boardcheck::Checked& checked);
// The layers switched on or off in `before` the same in `after` (the same board checked again), by name, and
// the kind it lists, where `after` still finds that kind.
void keepChoices(const BoardPicture& before, BoardPicture& after);
// A layer's line in the window's list of layers: its file name, and its role or that it is a plane.
std::string layerLabel(const PictureLayer& layer);
// What the check found, for the picture and the head of its list: "Clean: 3 layers, 109 holes checked",
// "12 findings", "1 finding"; why nothing is shown where the board could not be read.
std::string verdictOf(const BoardPicture& picture);
struct ScaleBar {
    double pixels = 0;
    std::string text{}; // "100 mil (2.54 mm)"
};

// Where the picture lands in a drawing of width x height pixels, Y up.
class PictureView {
  public:
    void resize(int width, int height);
    // The whole extent in the drawing, with a margin.
    void fit(const PictureExtent& extent);
    // Zooms by `factor` keeping the board point under the pixel where it is (the wheel).
    void zoomAt(double px, double py, double factor);
    // Moves the picture with the pointer (a drag), or by an eighth of the drawing per arrow key.
    void panBy(double dx, double dy);
    void panStep(int right, int up);
    // The point in the middle, `span` across the smaller side of the drawing (a finding clicked).
    void centreOn(util::Length x, util::Length y, util::Length span);
    // A finding clicked in the list: its place in the middle, a quarter inch across; a segment's middle, four
    // times its length across, 50 mil at least, so that it shows whole with the copper on either side; a
    // finding of the whole file (not placed) leaves the view as it is. False when it did.
    bool showFinding(const PictureFinding& finding);
    // The top left corner of a segment's label `width` x `height` pixels: right of the segment, level with
    // its middle, or left of it where it would run off the drawing's right edge.
    Pixel labelCorner(const PictureFinding& finding, double width, double height) const;

    Pixel pixelOf(util::Length x, util::Length y) const;
    // Whether any of the primitive (or of a disc of this diameter) lands in the drawing: what does not is not
    // painted, so that a board of a million flashes pans and zooms as fast as its visible part allows.
    bool shows(const Primitive& primitive) const;
    bool shows(util::Length x, util::Length y, util::Length diameter) const;
    // Whether the primitive spans less than two pixels either way: a front end sets the pixel at its middle
    // rather than drawing a shape, so that a whole board of a million flashes paints at once.
    bool tiny(const Primitive& primitive) const;
    Pixel middleOf(const Primitive& primitive) const;
    double pixels(util::Length length) const;
    util::Length boardX(double px) const;
    util::Length boardY(double py) const;
    // "X 1.0000 in Y 0.7000 in (25.400 mm, 17.780 mm)" for the point under a pixel.
    std::string pointerText(double px, double py) const;
    // A bar of a round length (1, 2 or 5 times a power of ten mils) of about a fifth of the drawing's width.
    ScaleBar scaleBar() const;
    double pixelsPerMil() const { return perMil_; }

  private:
    int width_ = 1, height_ = 1;
    double perMil_ = 1, centreX_ = 0, centreY_ = 0; // centre in mils
};

} // namespace fk::model

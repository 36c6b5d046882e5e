// A Gerber file as the image it puts on a layer: its objects in file order, each dark or clear, in exact
// lengths; circles and round draws kept as such, every other shape as polygons with a stated chord error.
#pragma once

#include "board/plot.hpp"

#include <polyclipping/clipper.hpp>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace fk::board {

// Polygons in Length counts: outer outlines counter-clockwise, holes clockwise (Clipper's orientation).
using Polygons = ClipperLib::Paths;

// The largest distance between an arc and the chords that stand for it: 0.005 mil.
inline constexpr Length chordError = Length::fromCount(Length::perMil / 200);

struct Box {
    Length left{}, bottom{}, right{}, top{};
    bool empty() const { return right < left || top < bottom; }
    bool meets(const Box& other) const {
        return !(other.left > right || other.right < left || other.bottom > top || other.top < bottom);
    }
    Box grown(Length by) const { return {left - by, bottom - by, right + by, top + by}; }
    void include(const Box& other);
    static Box around(Point p, Length radius) {
        return {p.x - radius, p.y - radius, p.x + radius, p.y + radius};
    }
    static Box nothing() {
        const Length most = Length::fromCount(INT64_MAX / 4); // ("far" is a macro of windows.h)
        return {most, most, -most, -most};
    }
};

// What an aperture is for, from the X2 attribute that preceded its definition.
enum class PadFunction : std::uint8_t { None, ComponentPad, ViaPad, SmdPad, Other };

enum class ObjectKind : std::uint8_t {
    Circle,   // a round flash: centre `from`, `radius`
    Stroke,   // a round draw: a circle of `radius` dragged from `from` to `to`
    Outlines, // polygons (image's `outlines[shape]`), already at their place
};

struct Object {
    ObjectKind kind = ObjectKind::Circle;
    bool clear = false; // clear polarity: removes what lies below
    bool flash = false; // a flashed pad (its centre is `from`)
    PadFunction function = PadFunction::None;
    int dcode = 0;         // the aperture (0 for a region)
    std::uint32_t net = 0; // its X2 net (%TO.N) in the image's nets, counted from 1; 0 for none
    long line = 0;         // where the command stands in the file
    Point from{}, to{};
    Length radius{};
    std::uint32_t shape = 0;
    Box box{};
};

struct Image {
    std::string name;      // the file's name as shown (BusPirate-v3.6a-SSOP.cmp)
    std::string function;  // its X2 file function, "" when it states none
    bool negative = false; // %IP NEG or a FilePolarity of Negative: copper everywhere but where it draws
    std::vector<Object> objects;
    std::vector<Polygons> outlines;
    std::vector<std::string> nets; // X2 net names, in the order first met
    Box extent = Box::nothing();
    bool stated = false; // a format statement was read: an RS-274-X file
};

// Polygons for round shapes, each point on the true outline and no chord farther than chordError from it.
Polygons circlePolygon(Point centre, Length radius);
Polygons strokePolygon(Point from, Point to, Length radius);
// Points along an arc from `from` to `to` about `centre`, the end included, the start not.
std::vector<Point> arcPoints(Point from, Point to, Point centre, bool counterClockwise);
// Two sets of polygons united, cut one by the other or intersected, each filled by the nonzero rule.
Polygons combined(const Polygons& subject, const Polygons& clip, ClipperLib::ClipType type);
// Polygons cut to a box: what lies beyond it cannot matter to what is done inside it.
Polygons boxClipped(const Polygons& polygons, const Box& box);
// The polygons of an object at its place.
Polygons polygonsOf(const Image& image, const Object& object);

// A Tango-PCB plot (its flashes, then its draws) as the image it puts on its layer: negative for a plane.
Image imageOf(const Plot& plot);

// The Gerber file's text, lines ending at LF only (CR LF and CR turned to LF, a Ctrl-Z ending the text).
std::string normalisedText(std::string_view bytes);
// The same in place, without a copy of a file that is already so.
void normalise(std::string& text);

// The most one Gerber file may make, each far beyond any real board (docs/limits.md, with the largest boards
// measured), checked before the memory is spent: a hostile file is refused, not read until memory runs out.
struct GerberBudgets {
    std::size_t objects = 4'000'000;        // objects of the file, copies included
    std::size_t repeatObjects = 1'000'000;  // objects one step and repeat, or one flash of a block, makes
    std::size_t macroPrimitives = 100'000;  // primitives of one aperture macro
    std::size_t regionVertices = 4'000'000; // vertices of one region, its arcs' chords included
    std::size_t points = 20'000'000;        // points of every polygon of the file
};
inline constexpr GerberBudgets gerberBudgets{};

// Reads a Gerber file (RS-274-X, with or without X2 attributes; the deprecated forms real files hold) into
// its image. Throws app::JobStop naming the file, the line and what was found where it meets anything it
// cannot read exactly, or a budget it would exceed.
Image readGerber(const std::string& name, std::string_view text);
Image readGerber(const std::string& name, std::string_view text, const GerberBudgets& budgets);

} // namespace fk::board

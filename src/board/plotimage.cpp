// A Tango-PCB plot as the image it puts on its layer, so that both pictures draw a design's plots as they
// draw any CAD tool's files: round flashes and draws kept round, every other aperture as its outline.
#include "board/gerberreader.hpp"
#include "board/image.hpp"

#include <cmath>
#include <map>
#include <numbers>

namespace fk::board {

namespace {

ClipperLib::IntPoint turned(double x, double y, Point about, int degrees) {
    const double a = degrees * std::numbers::pi / 180, c = std::cos(a), s = std::sin(a);
    return {about.x.count() + std::llround(x * c - y * s), about.y.count() + std::llround(x * s + y * c)};
}

// A w by h box about `at`, turned counter-clockwise by `degrees`.
Polygons boxPolygon(Point at, Length w, Length h, int degrees = 0) {
    const double x = double(w.count()) / 2, y = double(h.count()) / 2;
    return {{turned(-x, -y, at, degrees), turned(x, -y, at, degrees), turned(x, y, at, degrees),
             turned(-x, y, at, degrees)}};
}

Polygons ringPolygon(Point at, Length outer, Length inner) {
    return combined(circlePolygon(at, outer / 2), circlePolygon(at, inner / 2), ClipperLib::ctDifference);
}

Polygons shapePolygons(const Shape& s, Point at) {
    switch (s.kind) {
    case ShapeKind::Rectangle:
        return boxPolygon(at, s.width, s.height);
    case ShapeKind::Obround: {
        const Length r = std::min(s.width, s.height) / 2;
        const Length dx = s.width / 2 - r, dy = s.height / 2 - r;
        return strokePolygon({at.x - dx, at.y - dy}, {at.x + dx, at.y + dy}, r);
    }
    case ShapeKind::RoundedRectangle: {
        const Length r = s.corner, dx = s.width / 2 - r, dy = s.height / 2 - r;
        Polygons parts = boxPolygon(at, s.width, s.height - 2 * r);
        const Polygons tall = boxPolygon(at, s.width - 2 * r, s.height);
        parts.insert(parts.end(), tall.begin(), tall.end());
        for (const Point corner : {Point{at.x - dx, at.y - dy}, Point{at.x + dx, at.y - dy},
                                   Point{at.x + dx, at.y + dy}, Point{at.x - dx, at.y + dy}}) {
            const Polygons round = circlePolygon(corner, r);
            parts.insert(parts.end(), round.begin(), round.end());
        }
        return combined(parts, {}, ClipperLib::ctUnion);
    }
    case ShapeKind::Target: {
        const Length bar = targetBarOf(s.width);
        Polygons bars = boxPolygon(at, s.width, bar);
        const Polygons upright = boxPolygon(at, bar, s.width);
        bars.insert(bars.end(), upright.begin(), upright.end());
        return combined(ringPolygon(at, s.width, s.width - 2 * bar), bars, ClipperLib::ctUnion);
    }
    case ShapeKind::Donut:
        return ringPolygon(at, s.width, s.inner);
    case ShapeKind::Thermal: {
        Polygons gaps = boxPolygon(at, s.width * 2, s.gap, s.degrees);
        const Polygons across = boxPolygon(at, s.gap, s.width * 2, s.degrees);
        gaps.insert(gaps.end(), across.begin(), across.end());
        return combined(ringPolygon(at, s.width, s.inner), gaps, ClipperLib::ctDifference);
    }
    default:
        return circlePolygon(at, s.width / 2);
    }
}

} // namespace

Image imageOf(const Plot& plot) {
    Image image;
    image.name = plot.path.substr(plot.path.find_last_of('\\') + 1);
    image.negative = plot.plane;
    auto add = [&image](Object o) {
        image.extent.include(o.box);
        image.objects.push_back(o);
    };
    // Each aperture's outline made once about the origin and moved to every flash: a design flashes one
    // thermal at ten thousand holes.
    std::map<int, Polygons> outlines;
    for (const auto& f : plot.flashes) {
        const Shape& s = plot.shape(f.dcode);
        Object o{.flash = true, .dcode = f.dcode, .line = f.line, .from = f.at, .to = f.at};
        if (s.kind == ShapeKind::Circle) {
            o.kind = ObjectKind::Circle, o.radius = s.width / 2;
            o.box = Box::around(f.at, o.radius);
        } else {
            o.kind = ObjectKind::Outlines, o.shape = std::uint32_t(image.outlines.size());
            auto [known, added] = outlines.try_emplace(f.dcode);
            if (added)
                known->second = shapePolygons(s, Point{});
            image.outlines.push_back(translated(known->second, f.at));
            // The aperture's true extent, not its chords': the picture's frame is the board's.
            const bool boxed = s.kind == ShapeKind::Rectangle || s.kind == ShapeKind::RoundedRectangle ||
                               s.kind == ShapeKind::Obround;
            const Length dx = s.width / 2, dy = (boxed ? s.height : s.width) / 2;
            o.box = {f.at.x - dx, f.at.y - dy, f.at.x + dx, f.at.y + dy};
        }
        add(o);
    }
    for (const auto& d : plot.draws) {
        const Length radius = plot.shape(d.dcode).width / 2;
        Box box = Box::around(d.from, radius);
        box.include(Box::around(d.to, radius));
        add({.kind = ObjectKind::Stroke,
             .dcode = d.dcode,
             .line = d.line,
             .from = d.from,
             .to = d.to,
             .radius = radius,
             .box = box});
    }
    return image;
}

} // namespace fk::board

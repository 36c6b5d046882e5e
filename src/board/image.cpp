// Round shapes as polygons within the chord error, and an image's objects as polygons.
#include "board/image.hpp"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace fk::board {

namespace {

using ClipperLib::IntPoint;

// Steps around a full turn so that no chord of a circle of `radius` lies farther than chordError from it.
int stepsAround(double radius) {
    const double error = double(chordError.count());
    if (radius <= error)
        return 8;
    const double step = 2 * std::acos(1 - error / radius);
    return std::max(8, int(std::ceil(2 * std::numbers::pi / step)));
}

IntPoint at(double x, double y) {
    return {ClipperLib::cInt(std::llround(x)), ClipperLib::cInt(std::llround(y))};
}

} // namespace

void Box::include(const Box& other) {
    left = std::min(left, other.left);
    bottom = std::min(bottom, other.bottom);
    right = std::max(right, other.right);
    top = std::max(top, other.top);
}

Polygons circlePolygon(Point centre, Length radius) {
    const double r = double(radius.count());
    const int n = stepsAround(r);
    ClipperLib::Path path;
    path.reserve(size_t(n));
    for (int i = 0; i < n; ++i) {
        const double a = 2 * std::numbers::pi * i / n;
        path.push_back(
            at(double(centre.x.count()) + r * std::cos(a), double(centre.y.count()) + r * std::sin(a)));
    }
    return {path};
}

Polygons strokePolygon(Point from, Point to, Length radius) {
    if (from == to)
        return circlePolygon(from, radius);
    const double r = double(radius.count());
    const double dx = double((to.x - from.x).count()), dy = double((to.y - from.y).count());
    const double heading = std::atan2(dy, dx);
    const int n = stepsAround(r);
    // Half a turn's points, both ends included: at least half the steps of the whole turn, rounded up, so
    // that no chord of an end is longer than the circle's.
    const int half = (n + 1) / 2 + 1;
    ClipperLib::Path path;
    path.reserve(size_t(2 * half));
    for (const auto& [end, start] :
         {std::pair{to, heading - std::numbers::pi / 2}, std::pair{from, heading + std::numbers::pi / 2}}) {
        for (int i = 0; i < half; ++i) {
            const double a = start + std::numbers::pi * i / (half - 1);
            path.push_back(
                at(double(end.x.count()) + r * std::cos(a), double(end.y.count()) + r * std::sin(a)));
        }
    }
    return {path};
}

std::vector<Point> arcPoints(Point from, Point to, Point centre, bool counterClockwise) {
    const double cx = double(centre.x.count()), cy = double(centre.y.count());
    const double fx = double(from.x.count()) - cx, fy = double(from.y.count()) - cy;
    const double tx = double(to.x.count()) - cx, ty = double(to.y.count()) - cy;
    const double r = std::hypot(fx, fy);
    const double a0 = std::atan2(fy, fx);
    double sweep = std::atan2(ty, tx) - a0;
    if (counterClockwise && sweep <= 0)
        sweep += 2 * std::numbers::pi;
    if (!counterClockwise && sweep >= 0)
        sweep -= 2 * std::numbers::pi;
    const int n = std::max(1, int(std::ceil(std::abs(sweep) / (2 * std::numbers::pi) * stepsAround(r))));
    std::vector<Point> points;
    points.reserve(size_t(n));
    for (int i = 1; i < n; ++i) {
        const double a = a0 + sweep * i / n;
        points.push_back({Length::fromCount(std::llround(cx + r * std::cos(a))),
                          Length::fromCount(std::llround(cy + r * std::sin(a)))});
    }
    points.push_back(to);
    return points;
}

Polygons combined(const Polygons& subject, const Polygons& clip, ClipperLib::ClipType type) {
    ClipperLib::Clipper clipper;
    clipper.AddPaths(subject, ClipperLib::ptSubject, true);
    clipper.AddPaths(clip, ClipperLib::ptClip, true);
    Polygons out;
    clipper.Execute(type, out, ClipperLib::pftNonZero, ClipperLib::pftNonZero);
    return out;
}

// Edge by edge of the box (Sutherland-Hodgman); a concave path may keep slivers of no area along the box.
Polygons boxClipped(const Polygons& polygons, const Box& box) {
    using ClipperLib::IntPoint;
    const std::int64_t left = box.left.count(), right = box.right.count();
    const std::int64_t bottom = box.bottom.count(), top = box.top.count();
    Polygons out;
    for (ClipperLib::Path path : polygons) {
        for (int side = 0; side < 4 && !path.empty(); ++side) {
            const auto in = [&](const IntPoint& p) {
                return side == 0   ? p.X >= left
                       : side == 1 ? p.X <= right
                       : side == 2 ? p.Y >= bottom
                                   : p.Y <= top;
            };
            const auto cross = [&](const IntPoint& a, const IntPoint& b) {
                const double edge =
                    side < 2 ? double(side == 0 ? left : right) : double(side == 2 ? bottom : top);
                const double t = side < 2 ? (edge - double(a.X)) / double(b.X - a.X)
                                          : (edge - double(a.Y)) / double(b.Y - a.Y);
                return IntPoint{std::llround(double(a.X) + t * double(b.X - a.X)),
                                std::llround(double(a.Y) + t * double(b.Y - a.Y))};
            };
            ClipperLib::Path kept;
            for (size_t i = 0; i < path.size(); ++i) {
                const IntPoint& a = path[i];
                const IntPoint& b = path[(i + 1) % path.size()];
                if (in(a))
                    kept.push_back(a);
                if (in(a) != in(b))
                    kept.push_back(cross(a, b));
            }
            path = std::move(kept);
        }
        if (path.size() >= 3)
            out.push_back(std::move(path));
    }
    return out;
}

Polygons polygonsOf(const Image& image, const Object& object) {
    switch (object.kind) {
    case ObjectKind::Circle:
        return circlePolygon(object.from, object.radius);
    case ObjectKind::Stroke:
        return strokePolygon(object.from, object.to, object.radius);
    case ObjectKind::Outlines:
        break;
    }
    return image.outlines[object.shape];
}

void normalise(std::string& text) {
    text.resize(std::min(text.find('\x1a'), text.size()));
    size_t cr = text.find('\r');
    if (cr == std::string::npos)
        return; // most files end their lines with LF alone
    // Compacted in place: the text only shrinks.
    size_t out = cr;
    for (size_t at = cr; at < text.size();) {
        if (text[at] == '\r') {
            text[out++] = '\n';
            at += at + 1 < text.size() && text[at + 1] == '\n' ? 2 : 1;
            continue;
        }
        const size_t next = std::min(text.find('\r', at), text.size());
        std::copy(text.begin() + std::ptrdiff_t(at), text.begin() + std::ptrdiff_t(next),
                  text.begin() + std::ptrdiff_t(out)); // forward: `out` stays behind `at`
        out += next - at;
        at = next;
    }
    text.resize(out);
}

std::string normalisedText(std::string_view bytes) {
    std::string text(bytes);
    normalise(text);
    return text;
}

} // namespace fk::board

// Points, segments and arcs in the plane, in doubles of Length counts, and the distances between them that
// every copper measure reduces to.
#pragma once

#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

namespace fk::boardcheck {

struct Vec {
    double x = 0, y = 0;
    friend Vec operator+(Vec a, Vec b) { return {a.x + b.x, a.y + b.y}; }
    friend Vec operator-(Vec a, Vec b) { return {a.x - b.x, a.y - b.y}; }
    friend Vec operator*(Vec a, double k) { return {a.x * k, a.y * k}; }
    friend bool operator==(Vec a, Vec b) { return a.x == b.x && a.y == b.y; }
};

inline double dot(Vec a, Vec b) {
    return a.x * b.x + a.y * b.y;
}
inline double cross(Vec a, Vec b) {
    return a.x * b.y - a.y * b.x;
}
inline double norm(Vec a) {
    return std::sqrt(a.x * a.x + a.y * a.y);
}
inline Vec midpoint(Vec a, Vec b) {
    return {(a.x + b.x) / 2, (a.y + b.y) / 2};
}

// A segment; a point when both ends are one.
struct Seg {
    Vec a, b;
    Vec at(double t) const { return a + (b - a) * t; }
    double length() const { return norm(b - a); }
};

// An upright rectangle, to tell cheaply that two shapes lie farther apart than some distance.
struct Bounds {
    double left = 0, bottom = 0, right = 0, top = 0;
    static Bounds of(const Seg& s) {
        return {std::min(s.a.x, s.b.x), std::min(s.a.y, s.b.y), std::max(s.a.x, s.b.x),
                std::max(s.a.y, s.b.y)};
    }
    Bounds grown(double by) const { return {left - by, bottom - by, right + by, top + by}; }
    bool meets(const Bounds& o) const {
        return left <= o.right && o.left <= right && bottom <= o.top && o.bottom <= top;
    }
};

// The nearest pair of points of two sets and their distance.
struct Closest {
    double distance = INFINITY;
    Vec on, other; // on the first set, on the second
};

// The parameter of the point of the segment nearest p.
double nearestParameter(const Seg& s, Vec p);
Closest pointSegment(Vec p, const Seg& s);
Closest segmentSegment(const Seg& a, const Seg& b);
// Whether two segments cross or touch.
bool segmentsMeet(const Seg& a, const Seg& b);

// An arc of a circle, from angle `from` turning counter-clockwise by `sweep` (radians, 0 < sweep <= 2 pi).
struct Arc {
    Vec centre;
    double radius = 0, from = 0, sweep = 0;
    Vec at(double angle) const {
        return {centre.x + radius * std::cos(angle), centre.y + radius * std::sin(angle)};
    }
    // Whether the angle lies within the arc.
    bool spans(double angle) const;
};
Closest pointArc(Vec p, const Arc& arc);
Closest segmentArc(const Seg& s, const Arc& arc);

// The parameters (0 to 1) where a segment crosses a circle, and the angles where an arc's circle crosses a
// circle or a segment: where one shape's edge enters or leaves another.
void segmentCircleCrossings(const Seg& s, Vec centre, double radius, std::vector<double>& out);
void segmentSegmentCrossing(const Seg& s, const Seg& edge, std::vector<double>& out);
void circleCircleAngles(const Arc& arc, Vec centre, double radius, std::vector<double>& out);
void circleSegmentAngles(const Arc& arc, const Seg& s, std::vector<double>& out);

// An angle brought into [from, from + 2 pi).
double angleFrom(double from, double angle);

} // namespace fk::boardcheck

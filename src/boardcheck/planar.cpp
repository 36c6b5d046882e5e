// Distances and crossings of points, segments, arcs and circles.
#include "boardcheck/planar.hpp"

#include <numbers>

namespace fk::boardcheck {

namespace {

constexpr double turn = 2 * std::numbers::pi;

double side(Vec a, Vec b, Vec p) {
    return cross(b - a, p - a);
}

} // namespace

double nearestParameter(const Seg& s, Vec p) {
    const Vec d = s.b - s.a;
    const double length2 = dot(d, d);
    return length2 > 0 ? std::clamp(dot(p - s.a, d) / length2, 0.0, 1.0) : 0.0;
}

Closest pointSegment(Vec p, const Seg& s) {
    const Vec q = s.at(nearestParameter(s, p));
    return {norm(p - q), p, q};
}

bool segmentsMeet(const Seg& a, const Seg& b) {
    const double d1 = side(a.a, a.b, b.a), d2 = side(a.a, a.b, b.b);
    const double d3 = side(b.a, b.b, a.a), d4 = side(b.a, b.b, a.b);
    if (((d1 > 0 && d2 < 0) || (d1 < 0 && d2 > 0)) && ((d3 > 0 && d4 < 0) || (d3 < 0 && d4 > 0)))
        return true;
    // Touching or collinear: a nearest distance of nothing decides.
    return false;
}

Closest segmentSegment(const Seg& a, const Seg& b) {
    if (segmentsMeet(a, b)) {
        const Vec r = a.b - a.a, s = b.b - b.a;
        const double t = cross(b.a - a.a, s) / cross(r, s);
        const Vec p = a.at(std::clamp(t, 0.0, 1.0));
        return {0, p, p};
    }
    const auto swapped = [](const Closest& c) { return Closest{c.distance, c.other, c.on}; };
    Closest best = pointSegment(a.a, b);
    for (const Closest& c :
         {pointSegment(a.b, b), swapped(pointSegment(b.a, a)), swapped(pointSegment(b.b, a))}) {
        if (c.distance < best.distance)
            best = c;
    }
    return best;
}

double angleFrom(double from, double angle) {
    double a = std::fmod(angle - from, turn);
    if (a < 0)
        a += turn;
    return from + a;
}

bool Arc::spans(double angle) const {
    return angleFrom(from, angle) - from <= sweep;
}

Closest pointArc(Vec p, const Arc& arc) {
    const Vec d = p - arc.centre;
    const double angle = std::atan2(d.y, d.x);
    if ((d.x != 0 || d.y != 0) && arc.spans(angle)) {
        const Vec q = arc.at(angle);
        return {norm(p - q), p, q};
    }
    const Vec first = arc.at(arc.from), last = arc.at(arc.from + arc.sweep);
    const double a = norm(p - first), b = norm(p - last);
    return a <= b ? Closest{a, p, first} : Closest{b, p, last};
}

Closest segmentArc(const Seg& s, const Arc& arc) {
    Closest best = pointArc(s.a, arc);
    const auto consider = [&](const Closest& c) {
        if (c.distance < best.distance)
            best = c;
    };
    consider(pointArc(s.b, arc));
    for (const double angle : {arc.from, arc.from + arc.sweep}) {
        const Closest c = pointSegment(arc.at(angle), s);
        consider({c.distance, c.other, c.on});
    }
    // Where the segment crosses the arc, and the point of the arc that faces the segment's line.
    std::vector<double> crossings;
    segmentCircleCrossings(s, arc.centre, arc.radius, crossings);
    for (const double t : crossings) {
        const Vec p = s.at(t);
        if (arc.spans(std::atan2(p.y - arc.centre.y, p.x - arc.centre.x)))
            consider({0, p, p});
    }
    const Vec foot = s.at(nearestParameter(s, arc.centre));
    const Vec toward = foot - arc.centre;
    if (toward.x != 0 || toward.y != 0) {
        const double angle = std::atan2(toward.y, toward.x);
        if (arc.spans(angle)) {
            const Vec q = arc.at(angle);
            const Closest c = pointSegment(q, s);
            consider({c.distance, c.other, c.on});
        }
    }
    return best;
}

// Where an edge touches another is where coverage may change: touching points and ends count.
void segmentCircleCrossings(const Seg& s, Vec centre, double radius, std::vector<double>& out) {
    const Vec d = s.b - s.a, f = s.a - centre;
    const double a = dot(d, d), b = 2 * dot(f, d), c = dot(f, f) - radius * radius;
    if (a == 0)
        return;
    double discriminant = b * b - 4 * a * c;
    if (discriminant < 0 && discriminant > -1e-12 * b * b)
        discriminant = 0; // touching, within what the arithmetic leaves
    if (discriminant < 0)
        return;
    const double root = std::sqrt(discriminant);
    for (const double t : {(-b - root) / (2 * a), (-b + root) / (2 * a)}) {
        if (t >= -1e-12 && t <= 1 + 1e-12)
            out.push_back(std::clamp(t, 0.0, 1.0));
    }
}

void segmentSegmentCrossing(const Seg& s, const Seg& edge, std::vector<double>& out) {
    const Vec r = s.b - s.a, q = edge.b - edge.a;
    const double denominator = cross(r, q);
    const double length2 = dot(r, r);
    if (length2 == 0)
        return;
    if (std::abs(denominator) <= 1e-12 * std::sqrt(length2 * dot(q, q))) {
        // Parallel: where a collinear edge begins and ends along the segment.
        if (std::abs(cross(r, edge.a - s.a)) > 1e-9 * length2)
            return;
        for (const Vec v : {edge.a, edge.b}) {
            const double t = dot(v - s.a, r) / length2;
            if (t >= 0 && t <= 1)
                out.push_back(t);
        }
        return;
    }
    const double t = cross(edge.a - s.a, q) / denominator, u = cross(edge.a - s.a, r) / denominator;
    const double slack = 1e-9;
    if (t >= -slack && t <= 1 + slack && u >= -slack && u <= 1 + slack)
        out.push_back(std::clamp(t, 0.0, 1.0));
}

void circleCircleAngles(const Arc& arc, Vec centre, double radius, std::vector<double>& out) {
    const Vec d = centre - arc.centre;
    const double distance = norm(d);
    const double slack = 1e-9 * (arc.radius + radius);
    if (distance == 0 || distance > arc.radius + radius + slack ||
        distance < std::abs(arc.radius - radius) - slack)
        return;
    const double along = (distance * distance + arc.radius * arc.radius - radius * radius) / (2 * distance);
    const double spread = std::acos(std::clamp(along / arc.radius, -1.0, 1.0));
    const double towards = std::atan2(d.y, d.x);
    for (const double angle : {towards - spread, towards + spread}) {
        if (arc.spans(angle))
            out.push_back(angleFrom(arc.from, angle));
    }
}

void circleSegmentAngles(const Arc& arc, const Seg& s, std::vector<double>& out) {
    std::vector<double> at;
    segmentCircleCrossings(s, arc.centre, arc.radius, at);
    for (const double t : at) {
        const Vec p = s.at(t) - arc.centre;
        const double angle = std::atan2(p.y, p.x);
        if (arc.spans(angle))
            out.push_back(angleFrom(arc.from, angle));
    }
}

} // namespace fk::boardcheck

// The graphics state of a Gerber file and its operations: G, D and M codes, coordinates, and the flashes,
// draws and arcs they make.
#include "board/gerberreader.hpp"
#include "util/text.hpp"

#include <algorithm>
#include <cmath>

namespace fk::board {

void GerberReader::command(std::string_view word) {
    if (rs274x::isComment(word))
        return;
    std::optional<Length> x, y, i, j;
    std::optional<int> d;
    std::size_t k = 0;
    while (k < word.size()) {
        const char letter = util::upperChar(word[k]);
        const std::size_t start = ++k;
        if (letter == 'X' || letter == 'Y' || letter == 'I' || letter == 'J') {
            // A coordinate's digits are read in the pass that finds them: most of a file is coordinates.
            const Length at = coordinateAt(word, k, letter == 'X' || letter == 'I' ? format_.x : format_.y);
            (letter == 'X' ? x : letter == 'Y' ? y : letter == 'I' ? i : j) = at;
            continue;
        }
        while (k < word.size() && !util::isLetter(word[k]))
            ++k;
        const std::string_view number = word.substr(start, k - start);
        switch (letter) {
        case 'G':
            gCode(word, code(word, number));
            break;
        case 'D':
            d = code(word, number);
            break;
        case 'M': {
            const int m = code(word, number);
            if (m > 2)
                fail(word, "M02 at the end");
            if (m != 1) // M01 is an optional stop: nothing
                end(word);
            break;
        }
        case 'N':
            break; // a sequence number
        default:
            fail(word, "a G, D or M code, or X, Y, I, J coordinates");
        }
    }
    if (d && *d >= 10)
        return select(word, *d, x || y || i || j);
    if (d && (*d < 1 || *d > 3))
        fail(word, "D01, D02, D03 or an aperture number of 10 or more");
    if (!d && !x && !y && !i && !j)
        return; // only modal codes
    if (!d) {
        if (!lastOperation_)
            fail(word, "an operation code (D01, D02 or D03) after the coordinates");
        d = lastOperation_;
    }
    lastOperation_ = *d;
    operation(word, *d, x, y, i, j);
}

void GerberReader::select(std::string_view word, int d, bool coordinates) {
    if (coordinates)
        fail(word, "an aperture selection alone");
    if (regionOpen_)
        fail(word, "no aperture selection inside a region (G36 to G37)");
    if (!apertures_.contains(d))
        fail(word, "an aperture defined by %ADD" + std::to_string(d) + "...% before it is selected");
    aperture_ = d;
}

void GerberReader::end(std::string_view word) {
    if (regionOpen_)
        fail(word, "G37 closing the region before the end");
    if (!blocks_.empty())
        fail(word, "%AB% closing the block aperture before the end");
    closeRepeat();
    ended_ = true;
    image_.negative = image_.negative || filePolarityNegative_;
}

int GerberReader::code(std::string_view word, std::string_view number) const {
    if (number.empty() || number.size() > 9 || !util::allDigits(number))
        fail(word, "a code number");
    int n = 0;
    for (char c : number)
        n = n * 10 + (c - '0');
    return n;
}

void GerberReader::gCode(std::string_view word, int g) {
    switch (g) {
    case 1:
        interpolation_ = Interpolation::Linear;
        return;
    case 2:
        interpolation_ = Interpolation::Clockwise;
        return;
    case 3:
        interpolation_ = Interpolation::CounterClockwise;
        return;
    case 36:
        return openRegion(word);
    case 37:
        return closeRegion(word);
    case 74:
        multiQuadrant_ = false;
        return;
    case 75:
        multiQuadrant_ = true;
        return;
    case 70:
    case 71:
        units_ = *rs274x::unitsOfCode(g) == rs274x::Units::Inch ? Length::perInch : Length::perMillimetre;
        return;
    case 90:
    case 54:
    case 55:
        return; // absolute coordinates; aperture selection and flash preparation, both implied
    case 91:
        fail(word, "absolute coordinates (G90): incremental ones (G91) are not read");
    default:
        fail(word, "a G code of the format (G01, G02, G03, G36, G37, G74, G75, G04)");
    }
}

void GerberReader::operation(std::string_view word, int d, std::optional<Length> x, std::optional<Length> y,
                             std::optional<Length> i, std::optional<Length> j) {
    const Point to{x ? *x + offset_.x : current_.x, y ? *y + offset_.y : current_.y};
    const Point from = current_;
    current_ = to;
    if (regionOpen_)
        return regionOperation(word, d, from, to, i.value_or(Length()), j.value_or(Length()));
    if (d == 2)
        return;
    if (!aperture_)
        fail(word, "an aperture selected before the first flash or draw");
    const Aperture& a = apertures_.at(*aperture_);
    if (d == 3)
        return a.block ? flashBlock(a, to) : flash(a, to);
    if (a.block)
        fail(word, "a draw with an aperture that is no block aperture");
    if (interpolation_ == Interpolation::Linear)
        return draw(word, a, from, to);
    if (!a.round)
        fail(word, "an arc drawn with a round aperture");
    const auto points = arc(word, from, to, i.value_or(Length()), j.value_or(Length()));
    Point previous = from;
    for (const Point& p : points) {
        addStroke(a, previous, p);
        previous = p;
    }
}

void GerberReader::flash(const Aperture& a, Point at) {
    Object o{.clear = clear_,
             .flash = true,
             .function = a.function,
             .dcode = *aperture_,
             .line = wordLine_,
             .from = at,
             .to = at};
    if (a.round) {
        if (a.radius <= Length())
            return; // a flash of nothing
        o.kind = ObjectKind::Circle;
        o.radius = a.radius;
        o.box = Box::around(at, a.radius);
    } else {
        o.kind = ObjectKind::Outlines;
        o.shape = addOutlines(translated(a.shape, at));
        o.box = boxOf(image_.outlines.back());
    }
    add(o);
}

void GerberReader::draw(std::string_view word, const Aperture& a, Point from, Point to) {
    if (a.round)
        return addStroke(a, from, to);
    if (!a.convex)
        fail(word, "a draw with a round, rectangular, obround or polygon aperture without hole");
    ClipperLib::Path path{{from.x.count(), from.y.count()}, {to.x.count(), to.y.count()}};
    Polygons swept;
    ClipperLib::MinkowskiSum(a.shape[0], path, swept, false);
    Polygons shape;
    ClipperLib::Clipper clipper;
    clipper.AddPaths(swept, ClipperLib::ptSubject, true);
    clipper.AddPaths(translated(a.shape, from), ClipperLib::ptSubject, true);
    clipper.AddPaths(translated(a.shape, to), ClipperLib::ptSubject, true);
    clipper.Execute(ClipperLib::ctUnion, shape, ClipperLib::pftNonZero, ClipperLib::pftNonZero);
    Object o{.kind = ObjectKind::Outlines,
             .clear = clear_,
             .function = a.function,
             .dcode = *aperture_,
             .line = wordLine_,
             .from = from,
             .to = to};
    o.shape = addOutlines(std::move(shape));
    o.box = boxOf(image_.outlines.back());
    add(o);
}

void GerberReader::addStroke(const Aperture& a, Point from, Point to) {
    if (a.radius <= Length())
        return; // a line of no width draws nothing
    Object o{.kind = ObjectKind::Stroke,
             .clear = clear_,
             .function = a.function,
             .dcode = *aperture_,
             .line = wordLine_,
             .from = from,
             .to = to,
             .radius = a.radius};
    o.box =
        Box{std::min(from.x, to.x), std::min(from.y, to.y), std::max(from.x, to.x), std::max(from.y, to.y)}
            .grown(a.radius);
    add(o);
}

// The points of an arc from `from` to `to`, its centre given by the offsets.
std::vector<Point> GerberReader::arc(std::string_view word, Point from, Point to, Length i, Length j) const {
    const bool ccw = interpolation_ == Interpolation::CounterClockwise;
    if (multiQuadrant_) {
        const Point centre{from.x + i, from.y + j};
        if (from == to) { // a full circle: two half turns
            const Point opposite{centre.x * 2 - from.x, centre.y * 2 - from.y};
            auto points = arcPoints(from, opposite, centre, ccw);
            const auto back = arcPoints(opposite, to, centre, ccw);
            points.insert(points.end(), back.begin(), back.end());
            return points;
        }
        return arcPoints(from, to, centre, ccw);
    }
    if (from == to)
        return {};
    // Single quadrant: the offsets are unsigned; the centre is the one of the four that makes an arc of at
    // most 90 degrees with equal radii at both ends.
    std::optional<Point> best;
    double bestMiss = 0;
    for (int sx : {1, -1}) {
        for (int sy : {1, -1}) {
            const Point c{from.x + abs(i) * sx, from.y + abs(j) * sy};
            const double fx = double((from.x - c.x).count()), fy = double((from.y - c.y).count());
            const double tx = double((to.x - c.x).count()), ty = double((to.y - c.y).count());
            const double cross = fx * ty - fy * tx, dot = fx * tx + fy * ty;
            if ((ccw ? cross : -cross) < 0 || dot < -1e-9 * (fx * fx + fy * fy))
                continue; // more than a quarter turn, or the wrong way round
            const double miss = std::abs(std::hypot(fx, fy) - std::hypot(tx, ty));
            if (!best || miss < bestMiss)
                best = c, bestMiss = miss;
        }
    }
    if (!best)
        fail(word, "a single-quadrant arc (G74) of at most 90 degrees");
    return arcPoints(from, to, *best, ccw);
}

} // namespace fk::board

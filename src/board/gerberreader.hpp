// The board model's Gerber reader, shared by its phases: the driver and statement table (gerber.cpp), format
// and numbers (gerberformat.cpp), apertures and macros (gerberapertures.cpp), the graphics state and its
// operations (gerberoperations.cpp), regions (gerberregions.cpp), step and repeat and block apertures
// (gerberrepeat.cpp), X2 attributes and image parameters (gerberimage.cpp). Included by those alone.
#pragma once

#include "board/image.hpp"
#include "board/macro.hpp"
#include "rs274x/format.hpp"
#include "rs274x/statements.hpp"

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace fk::board {

// What the reader meets that it cannot read exactly: the line, what stands there and what was expected.
struct GerberError {
    long line;
    std::string found, expected;
};

struct Aperture {
    bool round = false; // a circle without hole: drawn and flashed as a circle
    Length radius{};
    Polygons shape;         // every aperture's outline about its origin
    std::size_t points = 0; // the points of `shape`, or of every object of a block
    bool convex = false;    // a plain rectangle, obround or polygon: it can be dragged along a line
    PadFunction function = PadFunction::None;
    std::optional<std::vector<Object>> block; // a block aperture's objects about its origin
    long line = 0;
};

enum class Interpolation { Linear, Clockwise, CounterClockwise };

// Far beyond any board, and what keeps every sum and product of coordinates in range.
inline const Length largestSize = Length::fromMillimetreDecimals(1000, 0);
inline const Length farthest = Length::fromMillimetreDecimals(10000, 0);

Box boxOf(const Polygons& polygons);
Polygons translated(Polygons polygons, Point by);
std::size_t pointsOf(const Polygons& polygons);
// A region's contour split at every point it passes twice into the loops it is made of.
Polygons loopsOf(const ClipperLib::Path& contour);

class GerberReader {
  public:
    GerberReader(const std::string& path, std::string_view text, const GerberBudgets& budgets);
    Image run();

  private:
    // ---- the driver: lines into statements, each to its phase (gerber.cpp)
    void readAll();
    void statement(const rs274x::Statement& s);
    void parameter(std::string_view p);
    [[noreturn]] void refuse(const GerberError& e) const;
    [[noreturn]] void fail(std::string_view found, std::string expected) const;

    // ---- format, units and the numbers they give (gerberformat.cpp)
    void format(std::string_view p);
    void units(std::string_view p);
    Length unitLength(std::string_view text, std::string_view what) const;
    std::int64_t scaled(std::int64_t value, int decimals) const;
    double unitValue(std::string_view text, std::string_view what) const;
    Length coordinateAt(std::string_view word, std::size_t& k, rs274x::Digits digits) const;

    // ---- apertures and macros (gerberapertures.cpp)
    void apertureDefinition(std::string_view p);
    Aperture standardAperture(std::string_view p, const rs274x::ApertureDefinition& d);
    void macroDefinition(std::string_view p);
    void macroPrimitive(const rs274x::Statement& s);

    // ---- the graphics state and its operations (gerberoperations.cpp)
    void command(std::string_view word);
    void select(std::string_view word, int d, bool coordinates);
    void gCode(std::string_view word, int g);
    int code(std::string_view word, std::string_view number) const;
    void end(std::string_view word);
    void operation(std::string_view word, int d, std::optional<Length> x, std::optional<Length> y,
                   std::optional<Length> i, std::optional<Length> j);
    void flash(const Aperture& a, Point at);
    void draw(std::string_view word, const Aperture& a, Point from, Point to);
    void addStroke(const Aperture& a, Point from, Point to);
    std::vector<Point> arc(std::string_view word, Point from, Point to, Length i, Length j) const;

    // ---- regions (gerberregions.cpp)
    void openRegion(std::string_view word);
    void regionOperation(std::string_view word, int d, Point from, Point to, Length i, Length j);
    void closeRegion(std::string_view word);

    // ---- step and repeat, block apertures, and the objects' budgets (gerberrepeat.cpp)
    void stepAndRepeat(std::string_view p);
    void closeRepeat();
    void blockAperture(std::string_view p);
    void flashBlock(const Aperture& a, Point at);
    Object moved(const Object& o, Point by, bool invert);
    std::vector<Object>& objects() { return blocks_.empty() ? image_.objects : blocks_.back().second; }
    std::size_t objectCount() const;
    void add(Object o);
    std::uint32_t addOutlines(Polygons polygons);
    void requireRoom(std::size_t objects, std::size_t points);

    // ---- X2 attributes and the image parameters (gerberimage.cpp)
    void attribute(rs274x::Parameter kind, std::string_view rest);
    std::uint32_t netOf(std::string_view name);
    void imageParameter(rs274x::Parameter kind, std::string_view p);
    void offset(std::string_view p);
    void turnImage(std::string_view p, bool mirrorA, bool mirrorB, int quarterTurns);
    void transformImage();

    struct Repeat {
        std::int64_t x = 1, y = 1;
        Length i{}, j{};
        std::size_t first = 0;
        long line = 0;
        std::string text;
    };

    std::string path_;
    std::string_view text_;
    GerberBudgets budgets_;
    Image image_;
    long wordLine_ = 1, lastLine_ = 1;
    std::string_view word_; // the statement being read, as budget refusals name it
    bool ended_ = false;
    std::optional<Length::Count> units_;
    bool stated_ = false;
    rs274x::Format format_;
    std::map<std::string, Macro, std::less<>> macros_;
    Macro* macro_ = nullptr; // the macro whose primitives are being read
    // Each macro's shape for each set of parameters, made once: a file defines many apertures alike.
    std::map<std::pair<std::string, std::vector<double>>, Polygons> macroShapes_;
    std::map<int, Aperture> apertures_;
    PadFunction function_ = PadFunction::None;
    std::uint32_t net_ = 0;
    std::optional<int> aperture_;
    std::optional<int> lastOperation_;
    Interpolation interpolation_ = Interpolation::Linear;
    bool multiQuadrant_ = false;
    bool clear_ = false;
    bool regionOpen_ = false;
    long regionLine_ = 0; // where the region opened (G36): a region is named by it
    std::size_t regionVertices_ = 0;
    bool filePolarityNegative_ = false;
    std::vector<std::vector<Point>> contours_;
    std::vector<std::pair<int, std::vector<Object>>> blocks_;
    std::optional<Repeat> repeat_;
    std::size_t points_ = 0; // the points of every outline of the image
    Point current_{}, offset_{};
    // The image mirrored (%MI: A along X, B along Y), then turned counter-clockwise (%IR), as gerbv reads
    // them.
    bool mirrorA_ = false, mirrorB_ = false;
    int quarterTurns_ = 0;
};

} // namespace fk::board

// Reads a Gerber file as the current format defines it, and the deprecated forms CAD tools still write, into
// the image it puts on its layer. Each aperture dictionary is the file's own.
#include "app/context.hpp"
#include "board/image.hpp"
#include "board/macro.hpp"
#include "util/fixed.hpp"
#include "util/text.hpp"

#include <algorithm>
#include <cmath>
#include <map>
#include <optional>
#include <unordered_map>

namespace fk::board {

namespace {

// What the reader meets that it cannot read exactly: the line, what stands there and what was expected.
struct GerberError {
    long line;
    std::string found, expected;
};

struct Aperture {
    bool round = false; // a circle without hole: drawn and flashed as a circle
    Length radius{};
    Polygons shape;      // every aperture's outline about its origin
    bool convex = false; // a plain rectangle, obround or polygon: it can be dragged along a line
    PadFunction function = PadFunction::None;
    std::optional<std::vector<Object>> block; // a block aperture's objects about its origin
    long line = 0;
};

enum class Interpolation { Linear, Clockwise, CounterClockwise };

// Far beyond any board, and what keeps every sum and product of coordinates in range.
const Length largestSize = Length::fromMillimetreDecimals(1000, 0);
const Length farthest = Length::fromMillimetreDecimals(10000, 0);

std::string_view blanksTrimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

bool isLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
bool allDigits(std::string_view text) {
    for (char c : text) {
        if (!isDigit(c))
            return false;
    }
    return true;
}
char upperChar(char c) {
    return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c;
}

Box boxOf(const Polygons& polygons) {
    Box box = Box::nothing();
    for (const auto& path : polygons) {
        for (const auto& p : path)
            box.include({Length::fromCount(p.X), Length::fromCount(p.Y), Length::fromCount(p.X),
                         Length::fromCount(p.Y)});
    }
    return box;
}

// A contour split at every point it passes twice into the loops it is made of. A CAD tool draws a pour's
// holes into its one contour by cut lines, out along an edge and back along the same edge: split there, the
// cut line falls away and each hole is a loop of its own, turning the other way. Every point keeps its
// winding (the windings of the loops add up to the contour's), so the fill is the same; Clipper would get
// there too, but in time that grows with the square of the holes.
Polygons loopsOf(const ClipperLib::Path& contour) {
    if (contour.empty())
        return {};
    // Where each point stands on the walk, in an open-addressed table: a pour's contour has a point for
    // every clearance it cuts to, millions on a large board. An entry whose place the walk has since left
    // (or now holds another point) is stale and taken as absent, so closing a loop erases nothing.
    size_t capacity = 16;
    while (capacity < 2 * contour.size() + 2)
        capacity *= 2;
    struct Entry {
        ClipperLib::IntPoint point;
        size_t at = SIZE_MAX;
    };
    std::vector<Entry> table(capacity);
    ClipperLib::Path walk;
    walk.reserve(contour.size());
    const auto slotOf = [&](const ClipperLib::IntPoint& p) -> Entry& {
        std::uint64_t h =
            std::uint64_t(p.X) * 0x9E3779B97F4A7C15ULL ^ std::uint64_t(p.Y) * 0xC2B2AE3D27D4EB4FULL;
        for (size_t i = size_t(h ^ (h >> 29)) & (capacity - 1);; i = (i + 1) & (capacity - 1)) {
            Entry& e = table[i];
            if (e.at == SIZE_MAX || e.point == p)
                return e;
        }
    };
    Polygons loops;
    for (size_t i = 0; i <= contour.size(); ++i) {
        const auto& p = contour[i % contour.size()];
        Entry& e = slotOf(p);
        if (e.at < walk.size() && walk[e.at] == p) { // back at a point of the walk: a loop closes
            ClipperLib::Path loop(walk.begin() + std::ptrdiff_t(e.at), walk.end());
            walk.resize(e.at + 1);
            if (loop.size() >= 3 && ClipperLib::Area(loop) != 0)
                loops.push_back(std::move(loop));
            continue;
        }
        e.point = p;
        e.at = walk.size();
        walk.push_back(p);
    }
    if (walk.size() >= 3 && ClipperLib::Area(walk) != 0)
        loops.push_back(walk);
    return loops;
}

Polygons translated(Polygons polygons, Point by) {
    for (auto& path : polygons) {
        for (auto& p : path) {
            p.X += by.x.count();
            p.Y += by.y.count();
        }
    }
    return polygons;
}

class Reader {
  public:
    Reader(const std::string& path, std::string_view text) : path_(path), text_(text) {
        image_.name = path.substr(path.find_last_of('\\') + 1); // the whole name, every dot of it
    }

    Image run() {
        try {
            readAll();
        } catch (const GerberError& e) {
            refuse(e);
        } catch (const MacroError& e) {
            refuse({e.line, "an aperture macro", e.what()});
        } catch (
            const std::exception& e) { // a value beyond what the reader holds, as a refusal, never a crash
            refuse({wordLine_, "a value the check cannot hold", "numbers within range"});
        }
        if (!ended_) // a file cut short: the end stands after its last line
            refuse({line_ - (text_.ends_with('\n') ? 1 : 0), "the end of the file",
                    "M02* at the end of the file"});
        return std::move(image_);
    }

  private:
    [[noreturn]] void refuse(const GerberError& e) const {
        throw app::JobStop{util::lines(
            {"Line " + std::to_string(e.line) + " of a Gerber file holds what the check cannot read:",
             util::angled(path_), "found " + e.found + ", expected " + e.expected, "Nothing was checked."})};
    }
    [[noreturn]] void fail(std::string_view found, std::string expected) const {
        throw GerberError{wordLine_, std::string(found), std::move(expected)};
    }

    // ---- words: '*'-ended commands, extended ones between '%'

    void readAll() {
        size_t at = 0;
        while (at < text_.size() && !ended_) {
            const char c = text_[at];
            if (c == '\n') {
                ++line_;
                ++at;
            } else if (c == ' ' || c == '\t') {
                ++at;
            } else if (c == '%') {
                at = readExtended(at + 1);
            } else {
                wordLine_ = line_;
                const std::string_view word = nextWord(at);
                if (!word.empty())
                    dataWord(word);
            }
        }
    }

    // The text up to the next '*' (which it consumes), blanks at its ends and line ends inside it dropped. A
    // view into the text where the command stands on one line, as nearly every one does.
    std::string_view nextWord(size_t& at) {
        const size_t star = text_.find('*', at);
        if (star != std::string_view::npos) {
            const std::string_view word = text_.substr(at, star - at);
            if (std::none_of(word.begin(), word.end(),
                             [](char c) { return c == '\n' || c == '\r' || c == '%'; })) {
                at = star + 1;
                return blanksTrimmed(word);
            }
        }
        word_.clear();
        std::string& word = word_;
        while (at < text_.size() && text_[at] != '*') {
            if (text_[at] == '%')
                fail("'%' inside the command " + word, "'*' at the end of the command");
            if (text_[at] == '\n')
                ++line_;
            else if (text_[at] != '\r')
                word.push_back(text_[at]);
            ++at;
        }
        if (at >= text_.size())
            fail("the end of the file inside the command " + word, "'*' at the end of the command");
        ++at;
        return blanksTrimmed(word);
    }

    size_t readExtended(size_t at) {
        wordLine_ = line_;
        std::vector<std::pair<long, std::string>> words;
        while (true) {
            while (at < text_.size() && (text_[at] == '\n' || text_[at] == ' ' || text_[at] == '\t')) {
                if (text_[at] == '\n')
                    ++line_;
                ++at;
            }
            if (at >= text_.size())
                fail("the end of the file inside a '%' block", "'%' closing it");
            if (text_[at] == '%')
                break;
            const long line = line_;
            std::string word = nextWordInBlock(at);
            words.emplace_back(line, std::move(word));
        }
        if (!words.empty())
            extended(words);
        return at + 1;
    }

    std::string nextWordInBlock(size_t& at) {
        std::string word;
        while (at < text_.size() && text_[at] != '*' && text_[at] != '%') {
            if (text_[at] == '\n')
                ++line_;
            else if (text_[at] != '\r')
                word.push_back(text_[at]);
            ++at;
        }
        if (at >= text_.size() || text_[at] == '%')
            fail("'" + word + "' without its '*'", "'*' at the end of the command");
        ++at;
        return word;
    }

    // ---- extended commands

    void extended(const std::vector<std::pair<long, std::string>>& words) {
        const std::string head = std::string(util::trim(words[0].second));
        wordLine_ = words[0].first;
        if (head.starts_with("AM")) {
            Macro macro{head.substr(2), {}};
            for (size_t i = 1; i < words.size(); ++i)
                macro.statements.push_back(words[i]);
            macros_[macro.name] = std::move(macro);
            return;
        }
        for (const auto& [line, text] : words) {
            wordLine_ = line;
            const std::string word = std::string(util::trim(text));
            if (!word.empty())
                parameter(word);
        }
    }

    void parameter(const std::string& word) {
        if (word.size() < 2)
            fail("%" + word + "%", "a parameter of two letters and its values");
        const std::string code = word.substr(0, 2);
        const std::string rest = word.substr(2);
        if (code == "FS")
            return formatStatement(rest);
        if (code == "MO") {
            if (rest == "IN")
                units_ = Length::perInch;
            else if (rest == "MM")
                units_ = Length::perMillimetre;
            else
                fail("%" + word + "%", "%MOIN% or %MOMM%");
            return;
        }
        if (code == "AD")
            return apertureDefinition(word);
        if (code == "AB")
            return blockAperture(rest);
        if (code == "LP") {
            if (rest != "D" && rest != "C")
                fail("%" + word + "%", "%LPD% or %LPC%");
            clear_ = rest == "C";
            return;
        }
        if (code == "SR")
            return stepAndRepeat(rest);
        if (code == "TF" || code == "TA" || code == "TO" || code == "TD")
            return attribute(code, rest);
        if (code == "IP") {
            if (rest != "POS" && rest != "NEG")
                fail("%" + word + "%", "%IPPOS% or %IPNEG%");
            image_.negative = rest == "NEG";
            return;
        }
        if (code == "IN" || code == "LN" || code == "IF")
            return; // a name, nothing of the image
        if (code == "OF")
            return offset(word);
        if (code == "LM" && rest == "N")
            return;
        if ((code == "LR" || code == "IR") && unchanged(rest, 0))
            return;
        if ((code == "LS" && unchanged(rest, 1)) || (code == "SF" && unchanged(rest, 1)))
            return;
        if (code == "MI" && unchanged(rest, 0))
            return;
        if ((code == "AS" && rest == "AXBY") || (code == "IO" && unchanged(rest, 0)))
            return;
        fail("%" + word + "%", "a parameter that the check reads (mirroring, scaling, rotating or swapping "
                               "the image is not read)");
    }

    // True when every number in the parameter ("A0B0", "1.0", "A1.0B1.0") is `value`.
    static bool unchanged(const std::string& rest, double value) {
        std::string number;
        bool any = false;
        for (size_t i = 0; i <= rest.size(); ++i) {
            if (i < rest.size() && (isDigit(rest[i]) || rest[i] == '.' || rest[i] == '-' || rest[i] == '+')) {
                number.push_back(rest[i]);
                continue;
            }
            if (!number.empty()) {
                const util::Fixed f = util::readFixed(number, 9);
                if (!f.ok() || f.value != std::int64_t(value * 1e9))
                    return false;
                any = true;
                number.clear();
            }
            if (i < rest.size() && rest[i] != 'A' && rest[i] != 'B')
                return false;
        }
        return any;
    }

    void formatStatement(const std::string& rest) {
        // %FSLAX24Y24%: zeros (L leading omitted, T trailing omitted), A absolute, digits of X and Y.
        size_t i = 0;
        // L: leading zeros omitted, T: trailing zeros omitted, D (an old form): none omitted, read as L reads
        // a number of all its digits.
        if (i < rest.size() && (rest[i] == 'L' || rest[i] == 'T' || rest[i] == 'D'))
            trailingOmitted_ = rest[i++] == 'T';
        if (i >= rest.size() || (rest[i] != 'A' && rest[i] != 'I'))
            fail("%FS" + rest + "%", "a format such as %FSLAX26Y26%");
        if (rest[i++] == 'I')
            fail("%FS" + rest + "%", "absolute coordinates (A): incremental ones (I) are not read");
        while (i < rest.size()) {
            const char letter = rest[i++];
            std::string digits;
            while (i < rest.size() && isDigit(rest[i]))
                digits.push_back(rest[i++]);
            if (letter == 'X' || letter == 'Y') {
                if (digits.size() != 2 || digits[0] > '7' || digits[1] > '7' || digits[1] == '0')
                    fail("%FS" + rest + "%", "two digits for " + std::string(1, letter) +
                                                 " (integer and decimal digits, each at most 7)");
                (letter == 'X' ? xDigits_ : yDigits_) = {digits[0] - '0', digits[1] - '0'};
            } else if (letter != 'N' && letter != 'G' && letter != 'D' && letter != 'M') {
                fail("%FS" + rest + "%", "a format such as %FSLAX26Y26%");
            }
        }
        if (xDigits_.second == 0 || yDigits_.second == 0)
            fail("%FS" + rest + "%", "the digits of both X and Y");
        image_.stated = true;
    }

    // ---- numbers of parameters

    // A decimal in the file's unit as a Length, exact to 0.01 nm.
    Length unitLength(std::string_view text, const std::string& what) const {
        const util::Fixed f = util::readFixed(text, 9, 1'000'000'000'000'000);
        if (!f.ok())
            fail("'" + std::string(text) + "' in " + what, "a decimal number");
        const Length length = Length::fromCount(scaled(f.value, 9));
        if (abs(length) > largestSize)
            fail("'" + std::string(text) + "' in " + what, "a size of at most 1 m");
        return length;
    }
    // value * 10^-decimals of the file's unit, in counts, rounded to the nearest count.
    std::int64_t scaled(std::int64_t value, int decimals) const {
        if (!units_)
            fail("a size before the unit", "%MOIN% or %MOMM% (or G70/G71) before the first size");
        const __int128 numerator = __int128(value) * *units_;
        __int128 denominator = 1;
        for (int i = 0; i < decimals; ++i)
            denominator *= 10;
        __int128 q = numerator / denominator, r = numerator % denominator;
        if (2 * (r < 0 ? -r : r) >= denominator)
            q += numerator < 0 ? -1 : 1;
        return std::int64_t(q);
    }
    double unitValue(std::string_view text, const std::string& what) const {
        const util::Fixed f = util::readFixed(text, 9, 1'000'000'000'000'000);
        if (!f.ok())
            fail("'" + std::string(text) + "' in " + what, "a decimal number");
        return double(f.value) / 1e9;
    }

    // ---- apertures

    void apertureDefinition(const std::string& word) {
        // ADD10C,0.5X0.2 / ADD11RECT1,... / ADD12MACRO
        size_t i = 2;
        if (i >= word.size() || word[i] != 'D')
            fail("%" + word + "%", "%ADD<code><template>...%");
        ++i;
        int code = 0;
        const size_t start = i;
        while (i < word.size() && isDigit(word[i]) && i - start < 9)
            code = code * 10 + (word[i++] - '0');
        if (i == start || code < 10)
            fail("%" + word + "%", "an aperture number of 10 or more");
        const size_t comma = word.find(',', i);
        const std::string name = word.substr(i, comma == std::string::npos ? std::string::npos : comma - i);
        std::vector<std::string> params;
        if (comma != std::string::npos) {
            std::string rest = word.substr(comma + 1);
            size_t from = 0;
            for (size_t k = 0; k <= rest.size(); ++k) {
                if (k == rest.size() || rest[k] == 'X' || rest[k] == 'x') {
                    params.push_back(rest.substr(from, k - from));
                    from = k + 1;
                }
            }
        }
        Aperture a = standardAperture(word, name, params);
        a.function = function_;
        a.line = wordLine_;
        apertures_[code] = std::move(a);
    }

    Aperture standardAperture(const std::string& word, const std::string& name,
                              const std::vector<std::string>& params) {
        const auto length = [&](size_t k) { return unitLength(params[k], "%" + word + "%"); };
        const auto count = [&](size_t low, size_t high) {
            if (params.size() < low || params.size() > high)
                fail("%" + word + "%",
                     "an aperture of " + std::to_string(low) + " to " + std::to_string(high) + " sizes");
        };
        Aperture a;
        std::optional<Length> hole;
        if (name == "C") {
            count(1, 2);
            a.radius = length(0) / 2;
            if (a.radius < Length())
                fail("%" + word + "%", "a diameter of 0 or more");
            a.shape = circlePolygon({}, a.radius);
            if (params.size() > 1)
                hole = length(1);
            a.round = !hole;
        } else if (name == "R" || name == "O") {
            count(2, 3);
            const Length w = length(0), h = length(1);
            if (w <= Length() || h <= Length())
                fail("%" + word + "%", "a width and a height above 0");
            if (params.size() > 2)
                hole = length(2);
            a.shape = name == "R" ? rectanglePolygon(w, h) : obroundPolygon(w, h);
            a.convex = true;
        } else if (name == "P") {
            count(2, 4);
            const Length d = length(0);
            const double vertices = unitValue(params[1], "%" + word + "%");
            if (d <= Length() || vertices < 3 || vertices > 12 || vertices != std::floor(vertices))
                fail("%" + word + "%", "a diameter above 0 and 3 to 12 vertices");
            const double degrees = params.size() > 2 ? unitValue(params[2], "%" + word + "%") : 0;
            if (params.size() > 3)
                hole = length(3);
            a.shape = regularPolygon(0, 0, double(d.count()), int(vertices), degrees);
            a.convex = true;
        } else {
            const auto macro = macros_.find(name);
            if (macro == macros_.end())
                fail("%" + word + "%", "a standard aperture (C, R, O, P) or a macro defined before it");
            std::vector<double> values;
            for (const auto& p : params)
                values.push_back(unitValue(p, "%" + word + "%"));
            if (!units_)
                fail("a macro aperture before the unit", "%MOIN% or %MOMM% before the first aperture");
            a.shape = macroPolygons(macro->second, values, double(*units_));
        }
        if (hole) {
            if (*hole <= Length())
                fail("%" + word + "%", "a hole above 0");
            ClipperLib::Clipper clipper;
            clipper.AddPaths(a.shape, ClipperLib::ptSubject, true);
            clipper.AddPaths(circlePolygon({}, *hole / 2), ClipperLib::ptClip, true);
            a.shape.clear();
            clipper.Execute(ClipperLib::ctDifference, a.shape, ClipperLib::pftNonZero,
                            ClipperLib::pftNonZero);
            a.convex = false;
        }
        return a;
    }

    static Polygons rectanglePolygon(Length w, Length h) {
        const auto x = (w / 2).count(), y = (h / 2).count();
        return {{{-x, -y}, {x, -y}, {x, y}, {-x, y}}};
    }
    static Polygons obroundPolygon(Length w, Length h) {
        if (w == h)
            return circlePolygon({}, w / 2);
        const bool wide = w > h;
        const Length r = (wide ? h : w) / 2, reach = (wide ? w : h) / 2 - r;
        const Point a = wide ? Point{-reach, {}} : Point{{}, -reach};
        const Point b = wide ? Point{reach, {}} : Point{{}, reach};
        return strokePolygon(a, b, r);
    }

    void blockAperture(const std::string& rest) {
        if (rest.empty()) {
            if (blocks_.empty())
                fail("%AB%", "an open block aperture to close");
            auto [code, objects] = std::move(blocks_.back());
            blocks_.pop_back();
            Aperture a;
            a.block = std::move(objects);
            a.line = wordLine_;
            apertures_[code] = std::move(a);
            return;
        }
        if (rest[0] != 'D' || rest.size() < 3 || !allDigits(rest.substr(1)))
            fail("%AB" + rest + "%", "%ABD<code>% opening a block aperture");
        if (rest.size() > 10)
            fail("%AB" + rest + "%", "an aperture number of at most nine digits");
        blocks_.emplace_back(std::stoi(rest.substr(1)), std::vector<Object>{});
    }

    void stepAndRepeat(const std::string& rest) {
        closeRepeat();
        if (rest.empty())
            return;
        int x = 1, y = 1;
        Length i{}, j{};
        size_t k = 0;
        while (k < rest.size()) {
            const char letter = rest[k++];
            std::string number;
            while (k < rest.size() && !isLetter(rest[k]))
                number.push_back(rest[k++]);
            if (letter == 'X' || letter == 'Y') {
                const util::Fixed f = util::readFixed(number, 0, 100000);
                if (!f.ok() || f.value < 1)
                    fail("%SR" + rest + "%", "a repeat count of 1 or more");
                (letter == 'X' ? x : y) = int(f.value);
            } else if (letter == 'I' || letter == 'J') {
                (letter == 'I' ? i : j) = unitLength(number, "%SR" + rest + "%");
            } else {
                fail("%SR" + rest + "%", "%SRX<n>Y<n>I<step>J<step>%");
            }
        }
        if (x * std::int64_t(y) > 1)
            repeat_ = Repeat{x, y, i, j, objects().size()};
    }

    void closeRepeat() {
        if (!repeat_)
            return;
        const Repeat r = *repeat_;
        repeat_.reset();
        auto& list = objects();
        const size_t end = list.size();
        for (int a = 0; a < r.x; ++a) {
            for (int b = 0; b < r.y; ++b) {
                if (a == 0 && b == 0)
                    continue;
                const Point by{r.i * a, r.j * b};
                for (size_t k = r.first; k < end; ++k)
                    list.push_back(moved(list[k], by, false));
            }
        }
    }

    Object moved(const Object& o, Point by, bool invert) {
        Object m = o;
        m.from = {o.from.x + by.x, o.from.y + by.y};
        m.to = {o.to.x + by.x, o.to.y + by.y};
        m.box = {o.box.left + by.x, o.box.bottom + by.y, o.box.right + by.x, o.box.top + by.y};
        m.clear = o.clear != invert;
        if (o.kind == ObjectKind::Outlines) {
            m.shape = std::uint32_t(image_.outlines.size());
            image_.outlines.push_back(translated(image_.outlines[o.shape], by));
        }
        return m;
    }

    void attribute(const std::string& code, const std::string& rest) {
        if (code == "TF") {
            if (rest.starts_with(".FileFunction,"))
                image_.function = rest.substr(14);
            if (rest == ".FilePolarity,Negative")
                filePolarityNegative_ = true;
        } else if (code == "TA" && rest.starts_with(".AperFunction,")) {
            const std::string f = rest.substr(14);
            function_ = f.starts_with("ComponentPad") ? PadFunction::ComponentPad
                        : f.starts_with("ViaPad")     ? PadFunction::ViaPad
                        : f.starts_with("SMDPad")     ? PadFunction::SmdPad
                                                      : PadFunction::Other;
        } else if (code == "TO" && rest.starts_with(".N,")) {
            net_ = netOf(rest.substr(3));
        } else if (code == "TD") {
            if (rest.empty() || rest == ".AperFunction")
                function_ = PadFunction::None;
            if (rest.empty() || rest == ".N")
                net_ = 0;
        }
    }

    // A net's number, its name kept once. KiCad names unconnected copper "N/C" or "": no net.
    std::uint32_t netOf(const std::string& name) {
        if (name.empty() || name == "N/C")
            return 0;
        const auto found = std::find(image_.nets.begin(), image_.nets.end(), name);
        if (found != image_.nets.end())
            return std::uint32_t(found - image_.nets.begin()) + 1;
        image_.nets.push_back(name);
        return std::uint32_t(image_.nets.size());
    }

    void offset(const std::string& word) {
        Length a{}, b{};
        std::string rest = word.substr(2);
        size_t k = 0;
        while (k < rest.size()) {
            const char letter = rest[k++];
            std::string number;
            while (k < rest.size() && !isLetter(rest[k]))
                number.push_back(rest[k++]);
            if (letter != 'A' && letter != 'B')
                fail("%" + word + "%", "%OFA<offset>B<offset>%");
            (letter == 'A' ? a : b) = unitLength(number, "%" + word + "%");
        }
        offset_ = {a, b};
    }

    // ---- data words

    void dataWord(std::string_view view) {
        const std::string_view word = view;
        if (word.starts_with("G04") || word.starts_with("G4 ") || word == "G4")
            return; // a comment
        std::optional<Length> x, y, i, j;
        std::optional<int> d;
        size_t k = 0;
        while (k < word.size()) {
            const char letter = upperChar(word[k]);
            const size_t start = ++k;
            if (letter == 'X' || letter == 'Y' || letter == 'I' || letter == 'J') {
                // A coordinate's digits are read in the pass that finds them: most of a file is coordinates.
                const Length at = coordinateAt(word, k, letter == 'X' || letter == 'I' ? xDigits_ : yDigits_);
                (letter == 'X' ? x : letter == 'Y' ? y : letter == 'I' ? i : j) = at;
                continue;
            }
            while (k < word.size() && !isLetter(word[k]))
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
                if (m == 2 || m == 0 || m == 1) {
                    if (m == 2 || m == 0)
                        end(word);
                } else {
                    fail(word, "M02 at the end");
                }
                break;
            }
            case 'N':
                break; // a sequence number
            default:
                fail(word, "a G, D or M code, or X, Y, I, J coordinates");
            }
        }
        if (d && *d >= 10) {
            if (x || y || i || j)
                fail(word, "an aperture selection alone");
            if (regionOpen_)
                fail(word, "no aperture selection inside a region (G36 to G37)");
            if (!apertures_.contains(*d))
                fail(word, "an aperture defined by %ADD" + std::to_string(*d) + "...% before it is selected");
            aperture_ = *d;
            return;
        }
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

    void end(std::string_view word) {
        if (regionOpen_)
            fail(word, "G37 closing the region before the end");
        if (!blocks_.empty())
            fail(word, "%AB% closing the block aperture before the end");
        closeRepeat();
        ended_ = true;
        image_.negative = image_.negative || filePolarityNegative_;
    }

    int code(std::string_view word, std::string_view number) const {
        if (number.empty() || number.size() > 9 || !allDigits(number))
            fail(word, "a code number");
        int n = 0;
        for (char c : number)
            n = n * 10 + (c - '0');
        return n;
    }

    void gCode(std::string_view word, int g) {
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
            if (regionOpen_)
                fail(word, "G37 closing the region before another G36");
            regionOpen_ = true;
            regionLine_ = wordLine_;
            contours_.clear();
            return;
        case 37:
            if (!regionOpen_)
                fail(word, "G36 opening a region before G37");
            closeRegion();
            regionOpen_ = false;
            return;
        case 74:
            multiQuadrant_ = false;
            return;
        case 75:
            multiQuadrant_ = true;
            return;
        case 70:
            units_ = Length::perInch;
            return;
        case 71:
            units_ = Length::perMillimetre;
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

    // The coordinate whose digits start at `k` (after its letter), `k` left at the next letter.
    Length coordinateAt(std::string_view word, size_t& k, std::pair<int, int> digits) const {
        if (!image_.stated)
            fail(word, "the coordinate format (%FS...%) before the first coordinate");
        bool negative = false;
        if (k < word.size() && (word[k] == '+' || word[k] == '-'))
            negative = word[k++] == '-';
        const size_t first = k;
        std::int64_t value = 0;
        for (; k < word.size() && isDigit(word[k]) && k - first < 18; ++k)
            value = value * 10 + (word[k] - '0');
        const size_t count = k - first, most = size_t(digits.first + digits.second);
        if (count == 0 || count > most || (k < word.size() && !isLetter(word[k])))
            fail(word, "coordinates of at most " + std::to_string(most) + " digits (format " +
                           std::to_string(digits.first) + "." + std::to_string(digits.second) + ")");
        if (trailingOmitted_) // the digits stand from the left: the omitted ones are trailing zeros
            for (size_t n = count; n < most; ++n)
                value *= 10;
        value = negative ? -value : value;
        // Up to 7 inch or 8 millimetre decimals a step is a whole count: one multiplication.
        const Length at = units_ == Length::perInch && digits.second <= Length::maxInchDecimals
                              ? Length::fromInchDecimals(value, digits.second)
                          : units_ == Length::perMillimetre && digits.second <= Length::maxMillimetreDecimals
                              ? Length::fromMillimetreDecimals(value, digits.second)
                              : Length::fromCount(scaled(value, digits.second));
        if (abs(at) > farthest)
            fail(word, "coordinates within 10 m of the origin");
        return at;
    }

    // ---- operations

    void operation(std::string_view word, int d, std::optional<Length> x, std::optional<Length> y,
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
            return flash(a, to);
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

    void flash(const Aperture& a, Point at) {
        if (a.block) {
            for (const Object& o : *a.block)
                add(moved(o, at, clear_));
            return;
        }
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
            o.shape = std::uint32_t(image_.outlines.size());
            image_.outlines.push_back(translated(a.shape, at));
            o.box = boxOf(image_.outlines.back());
        }
        add(o);
    }

    void draw(std::string_view word, const Aperture& a, Point from, Point to) {
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
        o.shape = std::uint32_t(image_.outlines.size());
        image_.outlines.push_back(std::move(shape));
        o.box = boxOf(image_.outlines.back());
        add(o);
    }

    void addStroke(const Aperture& a, Point from, Point to) {
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
        o.box = Box{std::min(from.x, to.x), std::min(from.y, to.y), std::max(from.x, to.x),
                    std::max(from.y, to.y)}
                    .grown(a.radius);
        add(o);
    }

    // The points of an arc from `from` to `to`, its centre given by the offsets.
    std::vector<Point> arc(std::string_view word, Point from, Point to, Length i, Length j) const {
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
        // Single quadrant: the offsets are unsigned; the centre is the one of the four that makes an arc of
        // at most 90 degrees with equal radii at both ends.
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

    void regionOperation(std::string_view word, int d, Point from, Point to, Length i, Length j) {
        if (d == 3)
            fail(word, "no flash inside a region (G36 to G37)");
        if (d == 2) {
            contours_.push_back({to});
            return;
        }
        if (contours_.empty())
            contours_.push_back({from});
        auto& contour = contours_.back();
        if (interpolation_ == Interpolation::Linear) {
            contour.push_back(to);
        } else {
            const auto points = arc(word, from, to, i, j);
            contour.insert(contour.end(), points.begin(), points.end());
        }
    }

    void closeRegion() {
        Polygons paths;
        for (const auto& contour : contours_) {
            if (contour.size() < 3)
                continue;
            ClipperLib::Path path;
            path.reserve(contour.size());
            for (const Point& p : contour)
                path.push_back({p.x.count(), p.y.count()});
            if (!ClipperLib::Orientation(path))
                ClipperLib::ReversePath(path);
            paths.push_back(std::move(path));
        }
        contours_.clear();
        Polygons shape;
        if (paths.size() == 1) {
            shape = loopsOf(paths[0]);
        } else {
            ClipperLib::Clipper clipper; // overlapping contours become one outline
            clipper.AddPaths(paths, ClipperLib::ptSubject, true);
            clipper.Execute(ClipperLib::ctUnion, shape, ClipperLib::pftNonZero, ClipperLib::pftNonZero);
        }
        if (shape.empty())
            return;
        Object o{.kind = ObjectKind::Outlines, .clear = clear_, .line = regionLine_};
        o.shape = std::uint32_t(image_.outlines.size());
        image_.outlines.push_back(std::move(shape));
        o.box = boxOf(image_.outlines.back());
        add(o);
    }

    std::vector<Object>& objects() { return blocks_.empty() ? image_.objects : blocks_.back().second; }

    void add(Object o) {
        o.net = o.net ? o.net : net_;
        objects().push_back(o);
        if (blocks_.empty())
            image_.extent.include(o.box);
    }

    struct Repeat {
        int x = 1, y = 1;
        Length i{}, j{};
        size_t first = 0;
    };

    std::string path_;
    std::string_view text_;
    std::string word_; // a command spread over lines, joined
    Image image_;
    long line_ = 1, wordLine_ = 1;
    bool ended_ = false;
    std::optional<Length::Count> units_;
    bool trailingOmitted_ = false;
    std::pair<int, int> xDigits_{0, 0}, yDigits_{0, 0};
    std::map<std::string, Macro> macros_;
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
    bool filePolarityNegative_ = false;
    std::vector<std::vector<Point>> contours_;
    std::vector<std::pair<int, std::vector<Object>>> blocks_;
    std::optional<Repeat> repeat_;
    Point current_{}, offset_{};
};

} // namespace

Image readGerber(const std::string& path, std::string_view text) {
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3); // a UTF-8 mark some tools put first
    Reader reader(path, text);
    Image image = reader.run();
    return image;
}

} // namespace fk::board

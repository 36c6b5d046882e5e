// The X2 attributes of a Gerber file and its image parameters: those that change nothing read as such, an
// offset, a mirrored or turned image read exactly, and the rest refused naming the parameter.
#include "board/gerberreader.hpp"

#include <algorithm>
#include <tuple>

namespace fk::board {

void GerberReader::attribute(rs274x::Parameter kind, std::string_view rest) {
    using rs274x::Parameter;
    if (kind == Parameter::FileAttribute) {
        if (rest.starts_with(".FileFunction,"))
            image_.function = rest.substr(14);
        if (rest == ".FilePolarity,Negative")
            filePolarityNegative_ = true;
    } else if (kind == Parameter::ApertureAttribute && rest.starts_with(".AperFunction,")) {
        const std::string_view f = rest.substr(14);
        function_ = f.starts_with("ComponentPad") ? PadFunction::ComponentPad
                    : f.starts_with("ViaPad")     ? PadFunction::ViaPad
                    : f.starts_with("SMDPad")     ? PadFunction::SmdPad
                                                  : PadFunction::Other;
    } else if (kind == Parameter::ObjectAttribute && rest.starts_with(".N,")) {
        net_ = netOf(rest.substr(3));
    } else if (kind == Parameter::DeleteAttribute) {
        if (rest.empty() || rest == ".AperFunction")
            function_ = PadFunction::None;
        if (rest.empty() || rest == ".N")
            net_ = 0;
    }
}

// A net's number, its name kept once. KiCad names unconnected copper "N/C" or "": no net.
std::uint32_t GerberReader::netOf(std::string_view name) {
    if (name.empty() || name == "N/C")
        return 0;
    const auto found = std::find(image_.nets.begin(), image_.nets.end(), name);
    if (found != image_.nets.end())
        return std::uint32_t(found - image_.nets.begin()) + 1;
    image_.nets.emplace_back(name);
    return std::uint32_t(image_.nets.size());
}

void GerberReader::imageParameter(rs274x::Parameter kind, std::string_view p) {
    using rs274x::Parameter;
    const std::string found = "%" + std::string(p) + "%";
    const auto refuse = [&](std::string_view expected) { fail(found, std::string(expected)); };
    switch (kind) {
    case Parameter::ImagePolarity:
        if (p != "IPPOS" && p != "IPNEG")
            refuse("%IPPOS% or %IPNEG%");
        image_.negative = p == "IPNEG";
        return;
    case Parameter::ImageName:
    case Parameter::LayerName:
        return; // a name, nothing of the image
    case Parameter::InputCode:
        if (p != "ICAS")
            refuse("%ICAS% (ASCII): another input code is not read");
        return;
    case Parameter::AxisSelect:
        if (p != "ASAXBY")
            refuse("%ASAXBY%: an image with its axes swapped is not read");
        return;
    case Parameter::Mirror: {
        const auto modifiers = rs274x::modifiersOf(p);
        bool mirror[2] = {false, false};
        for (const auto& m : modifiers.value_or(std::vector<rs274x::Modifier>{{'?', ""}})) {
            const auto n = rs274x::exactNumber(m.number);
            const std::int64_t one = rs274x::exactNumber("1").value();
            if ((m.letter != 'A' && m.letter != 'B') || (n != 0 && n != one))
                refuse("%MIA<0 or 1>B<0 or 1>%");
            mirror[m.letter == 'B'] = n == one;
        }
        return turnImage(found, mirror[0], mirror[1], quarterTurns_);
    }
    case Parameter::ImageRotation:
        for (int turns = 0; turns < 4; ++turns) {
            const auto degrees =
                p.size() == 2 ? std::optional<std::int64_t>(0) : rs274x::exactNumber(p.substr(2));
            if (degrees == rs274x::exactNumber(std::to_string(90 * turns)))
                return turnImage(found, mirrorA_, mirrorB_, turns);
        }
        return refuse("%IR0%, %IR90%, %IR180% or %IR270%");
    case Parameter::ScaleFactor:
        if (!rs274x::numbersAre(p, 1))
            refuse("%SFA1B1%: a scaled image is not read");
        return;
    case Parameter::Offset:
        return offset(p);
    case Parameter::ImageOffset:
        if (!rs274x::numbersAre(p, 0))
            refuse("%IOA0B0%: an image offset is not read");
        return;
    case Parameter::IncludeFile:
        return refuse("no included file: its content is not read");
    case Parameter::LoadMirror:
        if (p != "LMN")
            refuse("%LMN%: mirrored objects are not read");
        return;
    case Parameter::LoadRotation:
        if (!rs274x::numbersAre(p, 0))
            refuse("%LR0%: turned objects are not read");
        return;
    case Parameter::LoadScale:
        if (!rs274x::numbersAre(p, 1))
            refuse("%LS1%: scaled objects are not read");
        return;
    default:
        return;
    }
}

void GerberReader::offset(std::string_view p) {
    const std::string found = "%" + std::string(p) + "%";
    Point by{};
    for (const auto& m : rs274x::modifiersOf(p).value_or(std::vector<rs274x::Modifier>{{'?', ""}})) {
        if (m.letter != 'A' && m.letter != 'B')
            fail(found, "%OFA<offset>B<offset>%");
        (m.letter == 'A' ? by.x : by.y) = unitLength(m.number, found);
    }
    if (by != Point{} && (mirrorA_ || mirrorB_ || quarterTurns_ != 0))
        fail(found, "no offset of an image that is mirrored or turned");
    offset_ = by;
}

// A mirrored or turned image, read before its first object as the format has it stated at the start.
void GerberReader::turnImage(std::string_view p, bool mirrorA, bool mirrorB, int quarterTurns) {
    const bool changes = mirrorA || mirrorB || quarterTurns != 0;
    if (changes && objectCount() > 0)
        fail(p, "the image mirrored or turned before its first object");
    if (changes && offset_ != Point{})
        fail(p, "no offset of an image that is mirrored or turned");
    mirrorA_ = mirrorA, mirrorB_ = mirrorB, quarterTurns_ = quarterTurns;
}

// At the end: every point mirrored, then turned about the origin. Exact: each is a sign or a swap.
void GerberReader::transformImage() {
    if (!mirrorA_ && !mirrorB_ && quarterTurns_ == 0)
        return;
    const auto turned = [&](Length x, Length y) {
        x = mirrorA_ ? -x : x, y = mirrorB_ ? -y : y;
        for (int k = 0; k < quarterTurns_; ++k)
            std::tie(x, y) = std::pair{-y, x};
        return Point{x, y};
    };
    for (auto& polygons : image_.outlines) {
        for (auto& path : polygons) {
            for (auto& q : path) {
                const Point t = turned(Length::fromCount(q.X), Length::fromCount(q.Y));
                q = {t.x.count(), t.y.count()};
            }
            if (mirrorA_ != mirrorB_) // a mirror turns every outline the other way round
                ClipperLib::ReversePath(path);
        }
    }
    image_.extent = Box::nothing();
    for (auto& o : image_.objects) {
        o.from = turned(o.from.x, o.from.y);
        o.to = turned(o.to.x, o.to.y);
        const Point a = turned(o.box.left, o.box.bottom), b = turned(o.box.right, o.box.top);
        o.box = {std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
        image_.extent.include(o.box);
    }
}

} // namespace fk::board

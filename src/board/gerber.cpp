// Reads a Gerber file as the current format defines it, and the deprecated forms CAD tools still write, into
// the image it puts on its layer: its lines cut into statements by the format's one splitter, each statement
// handed to its phase by the table below. Each aperture dictionary is the file's own.
#include "app/context.hpp"
#include "board/gerberreader.hpp"
#include "platform/files.hpp"
#include "platform/interrupt.hpp"
#include "util/text.hpp"

#include <new>

namespace fk::board {

Box boxOf(const Polygons& polygons) {
    Box box = Box::nothing();
    for (const auto& path : polygons) {
        for (const auto& p : path)
            box.include({Length::fromCount(p.X), Length::fromCount(p.Y), Length::fromCount(p.X),
                         Length::fromCount(p.Y)});
    }
    return box;
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

std::size_t pointsOf(const Polygons& polygons) {
    std::size_t n = 0;
    for (const auto& path : polygons)
        n += path.size();
    return n;
}

GerberReader::GerberReader(const std::string& path, std::string_view text, const GerberBudgets& budgets)
    : path_(path), text_(text), budgets_(budgets) {
    image_.name = path.substr(path.find_last_of('\\') + 1); // the whole name, every dot of it
}

Image GerberReader::run() {
    try {
        readAll();
        if (!ended_) // a file cut short: the end stands after its last line
            throw GerberError{lastLine_, "the end of the file", "M02* at the end of the file"};
        transformImage();
    } catch (const GerberError& e) {
        refuse(e);
    } catch (const MacroError& e) {
        refuse({e.line, "an aperture macro", e.what()});
    } catch (const std::bad_alloc&) {
        throw app::JobStop{util::lines({"There is not enough memory to read the Gerber file:",
                                        util::angled(path_), "Nothing was checked."})};
    } catch (const platform::Interrupted&) {
        throw;                        // the user's stop, not the file's fault
    } catch (const std::exception&) { // a value beyond what the reader holds, as a refusal, never a crash
        refuse({wordLine_, "a value the check cannot hold", "numbers within range"});
    }
    return std::move(image_);
}

void GerberReader::refuse(const GerberError& e) const {
    throw app::JobStop{util::lines(
        {"Line " + std::to_string(e.line) + " of a Gerber file holds what the check cannot read:",
         util::angled(path_), "found " + e.found + ", expected " + e.expected, "Nothing was checked."})};
}

void GerberReader::fail(std::string_view found, std::string expected) const {
    throw GerberError{wordLine_, std::string(found), std::move(expected)};
}

void GerberReader::readAll() {
    rs274x::Splitter splitter;
    rs274x::Statement s;
    long number = 0;
    std::uint64_t statements = 0;
    for (std::size_t at = 0; at < text_.size();) {
        std::size_t end = text_.find('\n', at);
        if (end == std::string_view::npos)
            end = text_.size();
        std::string_view line = text_.substr(at, end - at);
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        splitter.feed(line, ++number);
        lastLine_ = number;
        at = end + 1;
        while (splitter.next(s)) {
            if ((++statements & 4095) == 0)
                platform::checkInterrupted(); // a large file takes seconds to read
            statement(s);
            if (ended_)
                return; // what follows the end is no part of the image
        }
    }
    if (splitter.finish(s)) // a statement the end cut off before its '*', read as it stands
        statement(s);
}

void GerberReader::statement(const rs274x::Statement& s) {
    wordLine_ = s.line;
    word_ = s.text;
    switch (s.kind) {
    case rs274x::StatementKind::Command:
        return command(s.text);
    case rs274x::StatementKind::Parameter:
        return parameter(s.text);
    case rs274x::StatementKind::Primitive:
        return macroPrimitive(s);
    case rs274x::StatementKind::Overlong:
        break;
    }
    fail("a statement longer than " + std::to_string(rs274x::maxStatementBytes >> 20) + " MB starting " +
             std::string(s.text),
         "statements of at most " + std::to_string(rs274x::maxStatementBytes >> 20) + " MB");
}

// The table of parameters: each to the phase that reads it.
void GerberReader::parameter(std::string_view p) {
    using rs274x::Parameter;
    const Parameter kind = rs274x::parameterOf(p);
    switch (kind) {
    case Parameter::Format:
        return format(p);
    case Parameter::Units:
        return units(p);
    case Parameter::ApertureDefine:
        return apertureDefinition(p);
    case Parameter::ApertureMacro:
        return macroDefinition(p);
    case Parameter::ApertureBlock:
        return blockAperture(p);
    case Parameter::StepRepeat:
        return stepAndRepeat(p);
    case Parameter::Polarity:
        if (p != "LPD" && p != "LPC")
            fail("%" + std::string(p) + "%", "%LPD% or %LPC%");
        clear_ = p == "LPC";
        return;
    case Parameter::FileAttribute:
    case Parameter::ApertureAttribute:
    case Parameter::ObjectAttribute:
    case Parameter::DeleteAttribute:
        return attribute(kind, p.substr(2));
    case Parameter::ImagePolarity:
    case Parameter::ImageName:
    case Parameter::LayerName:
    case Parameter::InputCode:
    case Parameter::AxisSelect:
    case Parameter::Mirror:
    case Parameter::ScaleFactor:
    case Parameter::Offset:
    case Parameter::ImageRotation:
    case Parameter::ImageOffset:
    case Parameter::IncludeFile:
    case Parameter::LoadMirror:
    case Parameter::LoadRotation:
    case Parameter::LoadScale:
        return imageParameter(kind, p);
    case Parameter::Unknown:
        break;
    }
    fail("%" + std::string(p) + "%", "a parameter of the format (FS, MO, AD, AM, LP, SR, TF, ...)");
}

Image readGerber(const std::string& path, std::string_view text, const GerberBudgets& budgets) {
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3); // a UTF-8 mark some tools put first
    GerberReader reader(path, text, budgets);
    return reader.run();
}

Image readGerber(const std::string& path, std::string_view text) {
    return readGerber(path, text, gerberBudgets);
}

} // namespace fk::board

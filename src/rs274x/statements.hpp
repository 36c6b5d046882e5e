// The statements of a Gerber file, cut from its lines by one rule for every reader of the format (the board
// model's and the Gerber Converter's), and the table of the parameters they name.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace fk::rs274x {

// ---- The table of statements.
//
// Commands (outside '%'), each ended by '*':
//   G04 ...         a comment, to its '*' whatever it holds ('%' too, as Eagle writes "G04 50% done*")
//   G01 G02 G03     linear, clockwise and counter-clockwise interpolation
//   G74 G75         single- and multi-quadrant arcs
//   G36 G37         a region opens and closes
//   G54 G55         deprecated prefixes of a selection and a flash: they change nothing
//   G70 G71         deprecated units: inch and millimetre, as %MOIN% and %MOMM%
//   G90 G91         deprecated notation: absolute and incremental
//   Dnn (10 and up) selects an aperture
//   X Y I J D01 D02 D03   an operation: draw (or arc), move, flash; the operation code stays in force
//   M00 M01 M02     end of the file, an optional stop that changes nothing, end of the file
//   *               an empty command (a bare '*' line, "**"): nothing
// Parameters: one or more statements between '%' and '%', each ended by '*' (or by the closing '%'); the
// first names the block. An aperture macro's block (%AM) holds its primitives after its name.
enum class Parameter : std::uint8_t {
    Format,
    Units,
    ApertureDefine,
    ApertureMacro,
    ApertureBlock,
    Polarity,
    StepRepeat,
    FileAttribute,
    ApertureAttribute,
    ObjectAttribute,
    DeleteAttribute,
    ImagePolarity,
    ImageName,
    LayerName,
    InputCode,
    AxisSelect,
    Mirror,
    ScaleFactor,
    Offset,
    ImageRotation,
    ImageOffset,
    IncludeFile,
    LoadMirror,
    LoadRotation,
    LoadScale,
    Unknown,
};

struct ParameterEntry {
    std::string_view code;
    Parameter parameter;
    std::string_view what;
};

inline constexpr ParameterEntry parameterTable[] = {
    {"FS", Parameter::Format, "coordinate format: zeros, notation, digits"},
    {"MO", Parameter::Units, "MOIN or MOMM"},
    {"AD", Parameter::ApertureDefine, "an aperture: its number, its template and the template's parameters"},
    {"AM", Parameter::ApertureMacro, "an aperture macro: its name, then its primitives"},
    {"AB", Parameter::ApertureBlock, "a block aperture opens (ABD10) and closes (AB)"},
    {"LP", Parameter::Polarity, "dark (D) or clear (C) objects from here on"},
    {"SR", Parameter::StepRepeat, "the objects up to the next SR repeated on a grid"},
    {"TF", Parameter::FileAttribute, "X2: the file's function, polarity, ..."},
    {"TA", Parameter::ApertureAttribute, "X2: what the apertures defined next are for"},
    {"TO", Parameter::ObjectAttribute, "X2: the net, component or pin of the objects next"},
    {"TD", Parameter::DeleteAttribute, "X2: attributes dropped"},
    {"IP", Parameter::ImagePolarity, "deprecated: POS or NEG"},
    {"IN", Parameter::ImageName, "deprecated: a name"},
    {"LN", Parameter::LayerName, "deprecated: a name"},
    {"IC", Parameter::InputCode, "deprecated: ASCII (AS) or other codes"},
    {"AS", Parameter::AxisSelect, "deprecated: AXBY or AYBX (X and Y swapped)"},
    {"MI", Parameter::Mirror, "deprecated: mirror along A, B"},
    {"SF", Parameter::ScaleFactor, "deprecated: scale along A, B"},
    {"OF", Parameter::Offset, "deprecated: offset along A, B"},
    {"IR", Parameter::ImageRotation, "deprecated: 0, 90, 180 or 270 degrees"},
    {"IO", Parameter::ImageOffset, "deprecated: an offset"},
    {"IF", Parameter::IncludeFile, "deprecated: another file's content here"},
    {"LM", Parameter::LoadMirror, "mirroring of the objects next: N, X, Y, XY"},
    {"LR", Parameter::LoadRotation, "rotation of the objects next, in degrees"},
    {"LS", Parameter::LoadScale, "scale of the objects next"},
};

// The parameter a statement names by its first two letters.
Parameter parameterOf(std::string_view statement);

// ---- The splitter.

// The longest statement read: far beyond any real one (an outline primitive of 100 000 points takes some
// 3 MB), and what bounds the memory a statement spread over lines can take.
inline constexpr std::size_t maxStatementBytes = 16u << 20;

enum class StatementKind : std::uint8_t {
    Command,   // outside '%'
    Parameter, // inside '%'
    Primitive, // inside an aperture macro's block, after its name
    Overlong,  // longer than maxStatementBytes: its first bytes, never read
};

struct Statement {
    StatementKind kind = StatementKind::Command;
    bool opensBlock = false; // the first statement of its '%' block
    std::string_view text;   // without its '*', the blanks and tabs at its ends and line ends inside it
    long line = 0;           // where its first byte that is no blank stands
};

// True when a command is a comment: G04 (or G4) and whatever follows.
bool isComment(std::string_view command);

// Cuts the lines of a file into statements: a statement ends at '*' (or a parameter at the '%' that closes
// its block) and may run across line ends. The text of a statement stays valid until the next call.
class Splitter {
  public:
    // Hands over the next line of the file, without its line end; `number` counts from 1.
    void feed(std::string_view line, long number) {
        line_ = line;
        at_ = 0;
        number_ = number;
    }
    // The next statement ended in the lines fed so far; false when the line is used up.
    bool next(Statement& statement);
    // At the end of the file: the statement it cut off before its '*', if any.
    bool finish(Statement& statement);
    // Forgets a block and a statement begun: a parameter line of an old plot is read on its own.
    void reset();

  private:
    void add(std::string_view piece);
    bool take(std::string_view text, long line, Statement& statement);

    std::string_view line_;
    std::size_t at_ = 0;
    long number_ = 0;
    std::string word_;  // a statement begun on an earlier line, or a comment that holds '%'
    long wordLine_ = 0; // where word_'s first byte that is no blank stands; 0 while it holds none
    std::string taken_; // the last statement handed out of word_
    bool inBlock_ = false, first_ = true, macro_ = false, overlong_ = false;
};

} // namespace fk::rs274x

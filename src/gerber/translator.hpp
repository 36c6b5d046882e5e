// The reader of one Gerber file, shared by its phases: the driver (gerber/translate.cpp), Tango-PCB's own
// lines (tango.cpp) and the RS-274-X statements (rs274x.cpp). Included by nothing outside gerber/.
#pragma once

#include "app/context.hpp"
#include "gerber/lexing.hpp"
#include "gerber/translate.hpp"
#include "rs274x/format.hpp"
#include "rs274x/statements.hpp"
#include "util/text.hpp"

#include <string>
#include <string_view>

namespace fk::gerber {

// The coordinate format of one axis: digits before and after the decimal point.
struct AxisFormat {
    int integer = 2;
    int decimal = 3;
};

struct Format {
    AxisFormat x, y;
    bool trailingOmitted = false;
    bool metric = false;
};

class FileTranslator {
  public:
    FileTranslator(const std::string& path, Coordinates& at, Rounding& rounding, Sink& sink,
                   const RefusalWording& wording)
        : path_(path), at_(at), rounding_(rounding), sink_(sink), wording_(wording) {}

    // Reads the file line by line, each by the rules in force: Tango-PCB's until a format statement.
    void run();
    bool stated() const { return stated_; }

  private:
    [[noreturn]] void refuse(Refusal r, std::string_view text) const;

    int apertureNumber(std::string_view digits) const {
        auto n = util::int16Of(digits);
        if (!n)
            throw app::JobStop{util::lines(
                {"Line " + std::to_string(commandLine_) + " selects an aperture number out of range:",
                 util::angled(path_), "Correct the file and re-try."})};
        return *n;
    }

    // Each phase is entered from the other files by the functions first in its list. The rest are declared
    // inline and defined in their phase's source, the only one that calls them, so that the compiler folds
    // them into their callers per line and per command as it would in one file.

    // ---- Tango-PCB's own files: one command per line, five-character coordinates in mils (tango.cpp).
    void readTangoLine(std::string_view line);
    inline void checkTangoLine(std::string_view line, const Letters& letters);
    inline void readTangoCoordinates(std::string_view line, const Letters& letters);

    // ---- RS-274-X: the statements the format's splitter cuts from the lines (rs274x.cpp).
    void readStatements(std::string_view line);
    void resetStatements();
    void finishStatements();
    inline void startStatements(std::string_view statement);
    inline void readStatement(const rs274x::Statement& s);
    inline void readParameter(std::string_view p);
    inline void readFormat(std::string_view p);
    inline void readUnits(std::string_view p);
    inline void readCommand(std::string_view command);
    inline void readGCode(long g, std::string_view command);
    inline void readMCode(std::string_view rest, std::string_view command);
    inline void readDCode(std::string_view digits, std::string_view command);
    inline void writeOriginMove();
    static std::string_view operationText(long d) {
        static constexpr std::string_view texts[] = {"D01*", "D02*", "D03*"};
        return texts[d - 1];
    }
    inline void readOperation(std::string_view rest, std::string_view command);
    inline int toMils(std::string_view text, const AxisFormat& axis, std::string_view command);

    const std::string& path_;
    Coordinates& at_;
    Rounding& rounding_;
    Sink& sink_;
    const RefusalWording& wording_;
    long lineNumber_ = 0;
    long commandLine_ = 0; // the line on which the command being read starts
    bool stated_ = false;  // a format statement has been read: RS-274-X from here on
    bool sawData_ = false; // a selection or coordinate came before any format statement
    Format format_;
    bool circular_ = false;
    int selected_ = -1;       // the aperture in use, from the format statement on
    bool originMove_ = false; // a move to the origin not yet written
    rs274x::Splitter splitter_;
    std::string heldSelection_; // a G54Dnn line of a file without format statement, not yet needed
    enum class Quoting { Line, Command, Parameter } quoting_ = Quoting::Line;
};

} // namespace fk::gerber

// Reading a Gerber file for its rewritten copy: what each line or command asks the copy to hold.
#pragma once

#include <string>
#include <string_view>

namespace fk::gerber {

// The current point of the rewritten file in mils and its operation text (such as "D01*", empty before the
// first one).
struct Coordinates {
    int x = 0, y = 0;
    std::string dtext;
};

// What the rewritten copy of a Gerber file holds, in the order of the file.
class Sink {
  public:
    virtual ~Sink() = default;
    // An aperture selection; `text` is the line or command that made it, `line` where that starts.
    virtual void select(int number, std::string_view text, long line) = 0;
    // An operation at the current point just read, from the command that starts on `line`.
    virtual void operation(const Coordinates& at, long line) = 0;
    // A line written as it stands ("D02M02*", "D01*"), from the command that starts on `line`.
    virtual void line(std::string_view text, long line) = 0;
};

// Whether coordinates were rounded to whole mils, and the largest shift that caused.
struct Rounding {
    bool happened = false;
    double largestMils = 0;
};

// How a refusal reads: what the command is beyond, and what the run leaves undone. The rewriting jobs
// keep the defaults; a job that only reads says so.
struct RefusalWording {
    std::string_view limit = "the rewritten file cannot hold";
    std::string_view outcome = "No file was written";
};

// Reads one Gerber file and tells the sink what its rewritten copy holds. From a format statement (%FS) on,
// coordinates are read by the format and units the file states and converted exactly into whole mils;
// without one, by the rules of Tango-PCB's own files. `at` carries the current point from file to file.
// Anything the rewritten file cannot hold stops the run with an app::JobStop naming file, line and command.
// True when the file stated its format: an RS-274-X file, which may hold nothing and still be a plot.
bool translateFile(const std::string& path, Coordinates& at, Rounding& rounding, Sink& sink,
                   const RefusalWording& wording = {});

} // namespace fk::gerber

// A draft of a rewritten Gerber file: written while the files are read, before the new aperture codes are
// known, and filled in once they are.
#pragma once

#include "platform/files.hpp"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace fk::gerber {

// The line that stands for every aperture number, by the number's 16-bit slot (nullptr for numbers unused).
using CodeLines = std::vector<const std::string*>;
inline std::size_t slotOf(int number) {
    return static_cast<std::uint16_t>(number);
}

// The rewritten file with each aperture line left open. Every byte written is a byte of the rewritten file,
// except the open lines. Writes throw FileError as the file's own writer does.
class Draft {
  public:
    explicit Draft(const std::string& outputPathText) : file_(outputPathText) {}
    // A line that the aperture `number`'s code line fills in.
    void apertureLine(int number);
    // A line as it stands.
    void line(std::string_view text);
    // A line of at most maxBytes built in place by fill(char*), which returns its length. The line holds no
    // NUL byte; one that may goes through line().
    template <typename Fill> void lineWith(std::size_t maxBytes, Fill fill) {
        file_.writeLineWith(maxBytes, fill);
    }
    void finish() { file_.finish(); }
    // The finished draft into `out`, every open line filled in; the draft is read in pieces of up to
    // `pieceBytes`. Throws FileError.
    void fillInto(platform::AtomicWriter& out, const CodeLines& codeLines,
                  size_t pieceBytes = size_t{1} << 18) const;

  private:
    platform::AtomicWriter file_;
};

} // namespace fk::gerber

// Drafts of rewritten Gerber files. An open aperture line stands as a mark of four bytes: NUL, 'A' and the
// aperture number in two bytes; a NUL byte of the file itself stands as NUL, 'Z', NUL, NUL.
#include "gerber/draft.hpp"

#include "util/text.hpp"

#include <algorithm>

namespace fk::gerber {

namespace {

constexpr std::size_t markLength = 4;

// Copies a draft into its rewritten file with every open line filled in; a mark may be split between two
// pieces of the draft.
class Filler {
  public:
    Filler(platform::AtomicWriter& out, const CodeLines& codeLines) : out_(out), codeLines_(codeLines) {}
    void take(std::string_view piece) {
        while (!piece.empty()) {
            if (held_ == 0) {
                const std::size_t plain = std::min(piece.find('\0'), piece.size());
                out_.write(piece.substr(0, plain));
                piece.remove_prefix(plain);
                if (piece.empty())
                    return;
            }
            const std::size_t n = std::min(markLength - held_, piece.size());
            std::memcpy(mark_ + held_, piece.data(), n);
            held_ += n;
            piece.remove_prefix(n);
            if (held_ == markLength) {
                writeMark();
                held_ = 0;
            }
        }
    }

  private:
    void writeMark() {
        if (mark_[1] == 'Z') {
            out_.write(std::string_view("\0", 1));
            return;
        }
        const auto slot = static_cast<std::size_t>(static_cast<unsigned char>(mark_[2]) << 8 |
                                                   static_cast<unsigned char>(mark_[3]));
        out_.writeLine(*codeLines_[slot]); // every number of a draft has its line
    }

    platform::AtomicWriter& out_;
    const CodeLines& codeLines_;
    char mark_[markLength] = {};
    std::size_t held_ = 0;
};

} // namespace

void Draft::apertureLine(int number) {
    const auto slot = slotOf(number);
    const char mark[markLength] = {'\0', 'A', static_cast<char>(slot >> 8), static_cast<char>(slot & 0xff)};
    file_.write(std::string_view(mark, markLength));
}

void Draft::line(std::string_view text) {
    for (std::size_t nul = text.find('\0'); nul != std::string_view::npos; nul = text.find('\0')) {
        file_.write(text.substr(0, nul));
        file_.write(std::string_view("\0Z\0\0", markLength));
        text.remove_prefix(nul + 1);
    }
    file_.write(text);
    file_.write(util::crlf);
}

void Draft::fillInto(platform::AtomicWriter& out, const CodeLines& codeLines, size_t pieceBytes) const {
    Filler filler(out, codeLines);
    file_.readBack([&](std::string_view piece) { filler.take(piece); }, pieceBytes);
}

} // namespace fk::gerber

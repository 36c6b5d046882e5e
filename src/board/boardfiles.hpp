// The files of a board as they are found: a folder's (three levels deep), a zip's members or files picked one
// by one. Every entry is looked at before anything is read: what cannot be read stops the check, and the
// budgets are checked against the sizes stated, before memory is spent.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace fk::board {

// Far above any board's Gerber or drill file, and any board's files together (docs/limits.md).
inline constexpr std::uint64_t largestBoardFile = std::uint64_t{1} << 30;  // 1 GB
inline constexpr std::uint64_t largestBoardFiles = std::uint64_t{2} << 30; // 2 GB
inline constexpr std::size_t mostBoardEntries = 10'000;
// Folders below the board's own that are read: "a\b\c\file" is, "a\b\c\d\file" is not.
inline constexpr int deepestBoardFolder = 3;

// An entry of the board: a file to read, or one listed with why it is not read.
struct BoardEntry {
    std::string name;   // the file's own name (a zip member's without its folders)
    std::string shown;  // the path a message names: in a folder, or the zip's path and the member's name
    std::string unread; // why it is listed and not read; empty for a file to read
    long index = -1;    // a zip member's index
};

class BoardSources {
  public:
    // A folder or a zip. Throws app::JobStop naming what cannot be read, or the budget it exceeds.
    static BoardSources ofPath(const std::string& pathText);
    // Files picked one by one.
    static BoardSources ofFiles(const std::vector<std::string>& paths);
    BoardSources(BoardSources&&) noexcept;
    ~BoardSources();

    // Every entry in name order (ASCII case-insensitive).
    const std::vector<BoardEntry>& entries() const { return entries_; }
    // The whole file. Throws app::JobStop naming it when it cannot be read or memory runs out.
    std::string bytes(const BoardEntry& entry) const;

  private:
    struct Zip;
    BoardSources();
    void sort();
    std::vector<BoardEntry> entries_;
    std::unique_ptr<Zip> zip_;
};

// Whether bytes open as a zip.
bool isZip(std::string_view bytes);

} // namespace fk::board

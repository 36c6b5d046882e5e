// The file selection window without its widgets: where it is, what it lists, what is highlighted and typed,
// and what OK and Enter do with that. The Qt and the Win32 window draw it and pass their events in.
#pragma once

#include "app/context.hpp"
#include "model/session.hpp"

#include <optional>
#include <string>
#include <vector>

namespace fk::model {

// A row of the folder list: the chain from the root down to the current folder, then its subfolders.
struct FolderRow {
    std::string label; // the folder's own name; the root's whole text ("Z:\")
    std::string path;  // full path text
    int depth = 0;     // indentation steps
    bool onChain = false;
};

class FileWindow {
  public:
    // Opens in the request's start directory with its mask ("*.*" when empty).
    explicit FileWindow(const app::PickRequest& request);

    const std::vector<std::string>& drives() const { return drives_; }
    // The drive of the current folder ("Z:"); empty for a network folder.
    std::string drive() const;
    const std::string& directory() const { return directory_; }
    const std::string& pattern() const { return pattern_; }
    const std::vector<FolderRow>& folders() const { return folders_; }
    size_t currentFolderRow() const { return currentRow_; }
    std::optional<size_t> highlightedFolder() const { return highlightedFolder_; }
    const std::vector<std::string>& files() const { return files_; }
    const std::vector<size_t>& highlightedFiles() const { return highlightedFiles_; }
    // "File name": one name per line, "\n" between lines.
    const std::string& names() const { return names_; }
    // How many names the last highlighting put into "File name".
    const std::string& count() const { return count_; }
    // What the last OK did instead of closing, or why it could not close.
    const std::string& status() const { return status_; }
    // Changes whenever folders() or files() change, so that a front end refills its lists only then.
    unsigned listing() const { return listing_; }

    // The pattern box's text: one or more patterns, ";" between them. A typed name stays.
    void choosePattern(const std::string& text);
    // The drive's folder where the process is on that drive, else its root.
    void chooseDrive(const std::string& drive);
    // One click on a row of the folder list: OK then acts on that folder.
    void highlightFolder(size_t row);
    // A double click on a row of the folder list, or Enter there: the window goes to that folder.
    void openFolder(size_t row);
    // The rows highlighted in the file list; their names go into "File name".
    void highlightFiles(std::vector<size_t> rows);
    // Text typed into "File name" (CR LF or LF between lines).
    void typeNames(const std::string& text);
    // OK, or Enter in the file list or "File name": the choice in pickfile's form when the window closes
    // with it; otherwise nothing, and the window has gone where the text said or status() says why not.
    // Where a folder or a board is asked for, a folder highlighted is the choice.
    std::optional<std::string> confirm();
    // Whether the request asks for a board's files, which the window may also answer with the board's folder.
    bool offersBoardFolder() const { return boardWanted_; }
    // "Board folder": the folder highlighted, else the one shown, as the choice (a folder's form: its path
    // and a trailing backslash). Nothing where no board is asked for.
    std::optional<std::string> chooseBoardFolder();

  private:
    void go(const std::string& path);
    void list();
    std::optional<std::string> confirmWithoutNames();
    std::optional<std::string> confirmSeveral(const std::vector<std::string>& names);
    std::optional<std::string> confirmOne(const std::string& typed);
    void applyTypedPattern(const std::string& typed);

    bool folderWanted_;
    bool boardWanted_;
    std::vector<std::string> drives_;
    std::string directory_;
    std::string pattern_;
    std::vector<FolderRow> folders_;
    size_t currentRow_ = 0;
    std::optional<size_t> highlightedFolder_;
    std::vector<std::string> files_;
    std::vector<size_t> highlightedFiles_;
    std::string names_;
    std::string count_;
    std::string status_;
    unsigned listing_ = 0;
};

} // namespace fk::model

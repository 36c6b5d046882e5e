// One run of the desktop program without its widgets: the settings loaded at start and saved at close, the
// message log, the job services and the file picker's memory. A front end supplies the windows.
#pragma once

#include "app/context.hpp"
#include "app/messagelog.hpp"
#include "app/settings.hpp"
#include "model/boardpicture.hpp"
#include "model/checklimits.hpp"

#include <any>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace fk::model {

// What a file selection window reports when it closes.
struct PickOutcome {
    std::string chosen;           // pickfile's result form, empty when nothing was chosen
    std::string browsedDirectory; // where the user was when the window closed
};

class Session {
  public:
    explicit Session(std::string programDir);

    const std::string& programDir() const { return programDir_; }
    app::MessageLog& log() { return log_; }
    const app::MessageLog& log() const { return log_; }

    // Start-up: loads the settings file and returns the fields it holds; a load problem goes into the log.
    app::Fields start();
    // Close: the fields go into lines 1 to 8 and the file is saved. The message when that failed, for a
    // message box (the log is closing with the window); closing goes on either way.
    std::optional<std::string> close(const app::Fields& fields);

    // The front end's windows. fileWindow gets the request with its start directory and mask settled.
    std::function<PickOutcome(const app::PickRequest&)> fileWindow;
    std::function<bool(const std::string& message, const std::string& caption)> confirm;
    std::function<void()> beep;
    // The table window: the user's changes to the request, false on cancel. Without one the table is taken as
    // the settings remember it.
    std::function<bool(app::TableRequest&)> tableWindow;

    // pickfile as the jobs and the captions use it: it never changes the process's current directory, so
    // relative paths in the fields keep their meaning; it remembers where the user browsed instead.
    std::string pickfile(const app::PickRequest& request);
    // A button press: the job of the button with these field values.
    std::optional<app::JobResult> press(int index, const app::Fields& fields);
    // The board check again with the files picked last time and the limits as they are now (the picture's
    // "Check again"); its log goes into the message log as a press's does.
    std::optional<app::JobResult> checkAgain(const app::Fields& fields);
    // What the last board check handed over, drawn; its problem says why when it checked nothing.
    BoardPicture boardPicture() const;
    // A caption click: browses and writes the chosen part into the caption's field. True when it did.
    bool browse(int caption, app::Fields& fields);
    // editTable as the jobs use it: the answers this design had last time, the window, then remembered for
    // the next time (saved with the settings at close).
    bool editTable(app::TableRequest& request);

    // The board check's limits row: the limits the settings hold, and the user's changes to them.
    std::vector<LimitText> checkLimits() const { return limitTexts(settings_); }
    std::optional<std::string> setCheckLimits(const std::vector<LimitText>& limits) {
        return storeLimits(settings_, limits);
    }
    std::map<std::string, std::string> checkOptions() const { return limitOptions(settings_); }
    // The profiles the limits row's "Profile" list offers, and the row's texts with one chosen.
    std::vector<std::string> checkProfiles() const { return limitProfiles(settings_); }
    std::optional<std::string> applyCheckProfile(std::string_view name, std::vector<LimitText>& texts) const {
        return applyProfile(settings_, name, texts);
    }

  private:
    std::string programDir_;
    std::string lastBrowsed_;
    std::string lastChoice_;
    std::string checkChoice_;           // what the last board check was given
    std::any made_;                     // what the last job handed over
    std::optional<std::string> replay_; // the answer of every file window while the check runs again
    app::SettingsTable settings_;
    app::MessageLog log_;
};

// The directory a file window opens in: the request's start directory, else where the user last browsed,
// else the current directory; one that does not exist gives the program directory.
std::string startDirectory(const app::PickRequest& request, const std::string& lastBrowsed,
                           const std::string& programDir);
// pickfile's result form: directory, "\", the first name, then " ," and each further name; a single name
// that is a full path alone.
std::string joinChoice(const std::string& directory, const std::vector<std::string>& names);

} // namespace fk::model

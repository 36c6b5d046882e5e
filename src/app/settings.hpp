// The settings table (100 lines) and its file flashkit.ini in the program directory.
#pragma once

#include <array>
#include <optional>
#include <string>

namespace fk::app {

inline constexpr int settingsLineCount = 100;

// The eight settings fields as the jobs read them. List fields hold the list index (-1: nothing selected).
struct Fields {
    int planes = 0;
    int smenable = 0;
    int smswell = 0;
    std::string fnamebase;
    std::string indatapath;
    std::string dfnpath;
    std::string gcpvpath;
    std::string outdatapath;
};

inline constexpr int planesCount = 3;
inline constexpr int smenableCount = 2;
inline constexpr int smswellCount = 11;

class SettingsTable {
  public:
    explicit SettingsTable(std::string programDir) : programDir_(std::move(programDir)) {}

    std::string filePath() const;
    // Loads the file, creating it with two empty lines when it is missing or empty. Returns a message for
    // the log when the file could not be created or read (the table then stays as it was).
    std::optional<std::string> load();
    // Loads the file as load() does, but never creates or changes it: a missing or empty file gives empty
    // lines, as the file load() creates would. For the command line, which leaves the settings alone.
    std::optional<std::string> loadWithoutCreating();
    // Saves all 100 lines. Returns a message for the log when the file could not be written.
    std::optional<std::string> save();
    // The settings file command: "load" or "save" in any letter case; anything else does nothing.
    std::optional<std::string> settingsfile(const std::string& command);

    const std::string& line(int n) const { return lines_.at(static_cast<size_t>(n - 1)); }
    void setLine(int n, std::string text) { lines_.at(static_cast<size_t>(n - 1)) = std::move(text); }

    // Fields from lines 1 to 8 (list indexes outside a list's range fall back to 0), and back.
    Fields fields() const;
    void setFields(const Fields& fields);

  private:
    std::string programDir_;
    std::array<std::string, settingsLineCount> lines_{};
};

// The list index a settings line holds: its leading number rounded half to even; 0 when out of range.
int listIndexFromLine(const std::string& line, int listSize);

} // namespace fk::app

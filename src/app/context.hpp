// What a job gets: the field values, the program directory and its services. Jobs never touch a widget.
#pragma once

#include "app/messagelog.hpp"
#include "app/settings.hpp"

#include <any>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace fk::app {

struct PickRequest {
    std::string mask{};
    std::string startDirectory{};
    std::string title{};
    // A folder is asked for: the window may return one (its path and a trailing backslash).
    bool folder = false;
    // A board's files are asked for: the window may also return the board's folder, as a folder is returned.
    bool board = false;
};

// A small table the user may change before a job goes on: each row a name and one of the choices, and one
// yes/no option below it. The answers are remembered under `key` (a design's base name) from run to run.
struct TableRow {
    std::string name, choice;
};
struct TableRequest {
    std::string title{}, key{};
    std::vector<std::string> choices{};
    std::vector<TableRow> rows{};
    std::string optionText{};
    bool option = false;
    // A choice that, made in any row, makes the option moot (the outline drawn when a plot is the outline):
    // the window then clears the option and greys it. Empty when no choice does.
    std::string optionMootBy{};
};

struct Services {
    MessageLog* log = nullptr;
    // The file selection: the chosen path or paths ("Z:\W\A.GBR ,B.GBR"), empty on cancel.
    std::function<std::string(const PickRequest&)> pickfile;
    // OK/Cancel prompt: true for OK.
    std::function<bool(const std::string& message, const std::string& caption)> confirm;
    std::function<void()> beep;
    // The table, changed as the user (or the command line's options) answered; false on cancel.
    std::function<bool(TableRequest&)> editTable;
    // What a job made, for a window to draw as it is (the board check's board and findings); unset where
    // nothing draws it.
    std::function<void(std::any)> handOver;
};

struct JobContext {
    Fields fields;
    std::string programDir;
    Services services;
    // Settings a job takes besides the fields, by name: the command line's board check limits and the files
    // it writes ("ring", "json"). Empty from the windows.
    std::map<std::string, std::string> options{};

    MessageLog& log() const { return *services.log; }
    void beep() const {
        if (services.beep)
            services.beep();
    }
    std::string pickfile(const PickRequest& request) const {
        return services.pickfile ? services.pickfile(request) : std::string();
    }
    bool confirm(const std::string& message, const std::string& caption) const {
        return services.confirm ? services.confirm(message, caption) : false;
    }
    void handOver(std::any made) const {
        if (services.handOver)
            services.handOver(std::move(made));
    }
    // Without a table service the table is taken as it is.
    bool editTable(TableRequest& request) const {
        return services.editTable ? services.editTable(request) : true;
    }
};

// How a job ended: Completed when it did its work to the end, Stopped when it stopped early, Findings when a
// checking job did its work and found faults.
enum class JobResult { Completed, Stopped, Findings };

// A job stops in order with this message (a format or limit problem). The job's boundary puts it into the
// log in the job's own manner.
struct JobStop {
    std::string message;
};

} // namespace fk::app

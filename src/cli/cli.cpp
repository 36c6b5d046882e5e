#include "cli/cli.hpp"

#include "boardcheck/boardcheck.hpp"
#include "model/buttons.hpp"
#include "model/tablememory.hpp"
#include "platform/files.hpp"
#include "util/text.hpp"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <deque>
#include <map>
#include <optional>
#include <ostream>

namespace fk::cli {

namespace {

const char* const usageText =
    "usage: flashkit-cli JOB [options]\n"
    "       flashkit-cli --help | --version\n"
    "jobs: pcb2aperture (0), rep2prevue (2), fabexport (3), pcbprocess (4), ncdrill (6),\n"
    "      gerberconverter (8), viaplane (9), dfn2file (10), file2dfn (11), boardcheck (12)\n"
    "options: --program-dir DIR  --base TEXT  --input-path TEXT  --dfn-path TEXT\n"
    "         --prevue-path TEXT  --output-path TEXT  --planes N  --mask N  --swell N\n"
    "         --pick TEXT (repeatable)  --confirm ok|cancel (repeatable)  --log FILE\n"
    "         --role NAME=ROLE (repeatable)  --outline extent  --thickness MM (fabexport)\n"
    "         --registration L  --ring L  --web L  --clearance L  --spacing L  --width L\n"
    "         --edge L  --mask-web L  --silk L  --profile NAME  --json FILE  --picture FILE.svg\n"
    "         --board FOLDER|ZIP (boardcheck; L in mils, or with mm; the limits also for\n"
    "         fabexport's design rules)\n";

struct UsageError {
    std::string message;
};

struct Options {
    std::optional<std::string> programDir, base, inputPath, dfnPath, prevuePath, outputPath, logFile;
    std::optional<int> planes, mask, swell;
    std::deque<std::string> picks;
    std::deque<bool> confirms;
    std::vector<app::TableRow> roles; // name and choice of a table row, as --role gives them
    bool outlineExtent = false;
    std::map<std::string, std::string> jobOptions; // the board check's limits and files, by name
};

int parseIndex(const std::string& option, const std::string& value) {
    long n = 0;
    const char* last = value.data() + value.size();
    auto [end, error] = std::from_chars(value.data(), last, n);
    if (value.empty() || error != std::errc() || end != last || n < -32768 || n > 32767)
        throw UsageError{option + " takes a whole number, not \"" + value + "\""};
    return static_cast<int>(n);
}

// The options that set a text (a field, a folder or a file), and those that set a list index.
struct TextOption {
    const char* name;
    std::optional<std::string> Options::*member;
};
constexpr TextOption textOptions[] = {
    {"--program-dir", &Options::programDir},
    {"--base", &Options::base},
    {"--input-path", &Options::inputPath},
    {"--dfn-path", &Options::dfnPath},
    {"--prevue-path", &Options::prevuePath},
    {"--output-path", &Options::outputPath},
    {"--log", &Options::logFile},
};
struct IndexOption {
    const char* name;
    std::optional<int> Options::*member;
};
constexpr IndexOption indexOptions[] = {
    {"--planes", &Options::planes}, {"--mask", &Options::mask}, {"--swell", &Options::swell}};

// The board check's own options: its limits and the files it writes.
bool setCheckOption(Options& o, const std::string& option, const std::string& value) {
    const std::string name = option.substr(2);
    if (name == "json" || name == "picture" || name == "board") {
        o.jobOptions[name] = platform::pathTextOfArgument(value);
        return true;
    }
    // Checked by the job, which names the option when it refuses it.
    if (name == "thickness" || name == "profile") {
        o.jobOptions[name] = value;
        return true;
    }
    for (const char* limit : boardcheck::limitOptions) {
        if (name == limit) {
            if (!boardcheck::limitValue(value))
                throw UsageError{option + " takes a length in mils (5) or millimetres (0.127mm), not \"" +
                                 value + "\""};
            o.jobOptions[name] = value;
            return true;
        }
    }
    return false;
}

// The limits are Board Check's and the rules Fab Export's job file states; the files written and the board
// read are Board Check's, the thickness Fab Export's.
void refuseOptionsOfOtherJobs(const Options& o, const std::string& job) {
    for (const auto& [name, value] : o.jobOptions) {
        const bool limit = name == "profile" ||
                           std::find(std::begin(board::limitOptions), std::end(board::limitOptions), name) !=
                               std::end(board::limitOptions);
        if (limit && (job == "boardcheck" || job == "fabexport"))
            continue;
        if (name == "thickness" && job != "fabexport")
            throw UsageError{"--thickness is an option of fabexport only"};
        if (name != "thickness" && job != "boardcheck")
            throw UsageError{"--" + name + " is an option of boardcheck" + (limit ? " and fabexport" : "") +
                             " only"};
    }
}

// The files a run writes besides the job's own (--log, --json, --picture) are three files: one named twice
// would hold only what was written last.
void refuseOneFileTwice(const Options& o) {
    std::vector<std::pair<std::string, std::string>> outputs;
    if (o.logFile)
        outputs.emplace_back("--log", *o.logFile);
    for (const char* name : {"json", "picture"})
        if (const auto it = o.jobOptions.find(name); it != o.jobOptions.end())
            outputs.emplace_back("--" + std::string(name), it->second);
    for (size_t i = 0; i < outputs.size(); ++i)
        for (size_t j = i + 1; j < outputs.size(); ++j)
            if (platform::sameFile(platform::fullPathText(outputs[i].second),
                                   platform::fullPathText(outputs[j].second)))
                throw UsageError{outputs[i].first + " and " + outputs[j].first + " name one file, " +
                                 outputs[j].second + ": give each its own"};
}

void setOption(Options& o, const std::string& option, const std::string& value) {
    for (const auto& t : textOptions) {
        if (option == t.name) {
            o.*t.member = platform::pathTextOfArgument(value);
            return;
        }
    }
    for (const auto& i : indexOptions) {
        if (option == i.name) {
            o.*i.member = parseIndex(option, value);
            return;
        }
    }
    if (option == "--pick") {
        o.picks.push_back(platform::pathTextOfArgument(value));
    } else if (option == "--confirm") {
        std::string answer = util::lower(value);
        if (answer != "ok" && answer != "cancel")
            throw UsageError{"--confirm takes ok or cancel, not \"" + value + "\""};
        o.confirms.push_back(answer == "ok");
    } else if (option == "--role") {
        const size_t eq = value.find('=');
        if (eq == 0 || eq == std::string::npos || eq + 1 == value.size())
            throw UsageError{"--role takes NAME=ROLE, not \"" + value + "\""};
        o.roles.push_back({.name = value.substr(0, eq), .choice = util::lower(value.substr(eq + 1))});
    } else if (option == "--outline") {
        if (util::lower(value) != "extent")
            throw UsageError{"--outline takes extent, not \"" + value + "\""};
        o.outlineExtent = true;
    } else if (!setCheckOption(o, option, value)) {
        throw UsageError{"unknown option " + option};
    }
}

Options parseOptions(const std::vector<std::string>& args) {
    Options o;
    for (size_t i = 1; i < args.size(); ++i) {
        std::string option = args[i];
        std::string value;
        auto eq = option.find('=');
        if (option.rfind("--", 0) == 0 && eq != std::string::npos) {
            value = option.substr(eq + 1);
            option = option.substr(0, eq);
        } else {
            if (option.rfind("--", 0) != 0)
                throw UsageError{"unexpected argument \"" + option + "\""};
            if (i + 1 >= args.size())
                throw UsageError{option + " needs a value"};
            value = args[++i];
        }
        setOption(o, option, value);
    }
    return o;
}

void applyOptions(const Options& o, app::Fields& f) {
    const std::pair<const std::optional<std::string>*, std::string*> texts[] = {
        {&o.base, &f.fnamebase},
        {&o.inputPath, &f.indatapath},
        {&o.dfnPath, &f.dfnpath},
        {&o.prevuePath, &f.gcpvpath},
        {&o.outputPath, &f.outdatapath}};
    for (const auto& [option, field] : texts) {
        if (*option)
            *field = **option;
    }
    const std::pair<const std::optional<int>*, int*> indexes[] = {
        {&o.planes, &f.planes}, {&o.mask, &f.smenable}, {&o.swell, &f.smswell}};
    for (const auto& [option, field] : indexes) {
        if (*option)
            *field = **option;
    }
}

// Line breaks of the log (CR LF) as the host's line breaks.
std::string forTerminal(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            out.push_back('\n');
            ++i;
        } else {
            out.push_back(text[i]);
        }
    }
    return out;
}

// Which files the job wrote, one line each on standard error, where they leave the log's bytes alone. A log
// that ends without a line break leaves a terminal's cursor on its last line: the report then starts on a
// line of its own.
void reportWritten(const std::string& log, const std::vector<std::string>& written, std::ostream& err) {
    if (!log.empty() && log.back() != '\n')
        err << "\n";
    if (written.empty())
        err << "No file was written.\n";
    for (const auto& path : written)
        err << "Written: " << path << "\n";
    err.flush();
}

// A plot named by --role: its whole name, or its name without its last extension (TOP.v2 for TOP.v2.GBR), in
// any letter case.
bool namesRow(const std::string& given, const std::string& rowName) {
    const std::string row = util::lower(rowName), name = util::lower(given);
    const size_t dot = row.rfind('.');
    return row == name || (dot != std::string::npos && row.substr(0, dot) == name);
}

// A table as the settings file remembers it for the design, then as --role and --outline answer it. A --role
// naming no row is an answer to nothing: the table is cancelled, with a word why.
bool answerTable(const Options& o, const app::SettingsTable& settings, app::TableRequest& request,
                 std::ostream& err) {
    model::recallTable(settings, request);
    for (const auto& answer : o.roles) {
        bool found = false;
        for (auto& row : request.rows) {
            if (namesRow(answer.name, row.name)) {
                row.choice = answer.choice;
                found = true;
            }
        }
        if (!found) {
            err << "flashkit-cli: --role names " << answer.name << ", which no row of \"" << request.title
                << "\" is\n";
            return false;
        }
    }
    request.option = request.option || o.outlineExtent;
    return true;
}

const model::Command& findJob(const std::vector<std::string>& args) {
    if (args.empty())
        throw UsageError{"no job named"};
    const model::Command* command = model::commandByName(args[0]);
    if (!command)
        throw UsageError{"unknown job \"" + args[0] + "\""};
    return *command;
}

} // namespace

int run(const std::vector<std::string>& args, const std::string& defaultProgramDir, std::ostream& out,
        std::ostream& err, bool terminal) {
    // Asked for on their own, help and version go to standard output as answers, not as errors.
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
        out << usageText;
        return 0;
    }
    if (args.size() == 1 && args[0] == "--version") {
        out << "flashkit-cli " << FLASHKIT_VERSION << "\n";
        return 0;
    }
    Options options;
    const model::Command* command = nullptr;
    try {
        command = &findJob(args);
        options = parseOptions(args);
        refuseOptionsOfOtherJobs(options, command->name);
        refuseOneFileTwice(options);
        // A board's files take their roles by name, with no table to answer.
        if (options.jobOptions.contains("board")) {
            for (const auto& role : options.roles)
                options.jobOptions["role:" + role.name] = role.choice;
        }
    } catch (const UsageError& e) {
        err << "flashkit-cli: " << e.message << "\n" << usageText;
        return 2;
    }

    std::string programDir = options.programDir.value_or(defaultProgramDir);
    if (!platform::direxists(programDir)) {
        err << "flashkit-cli: the program directory does not exist: " << programDir << "\n";
        return 2;
    }
    app::SettingsTable settings(programDir);
    // The command line reads the settings as the window does, and never creates or changes them.
    if (auto problem = settings.loadWithoutCreating())
        err << forTerminal(*problem) << "\n";

    app::MessageLog log;
    log.onMessage = [&err, terminal](std::string_view message) {
        // A message added with its own line end ends its line there: a terminal shows no empty line after it.
        if (terminal && message.ends_with(util::crlf))
            message.remove_suffix(util::crlf.size());
        err << forTerminal(message) << "\n" << std::flush;
    };
    app::JobContext context;
    context.fields = settings.fields();
    applyOptions(options, context.fields);
    context.options = options.jobOptions;
    context.programDir = programDir;
    context.services.log = &log;
    context.services.pickfile = [&options](const app::PickRequest&) {
        if (options.picks.empty())
            return std::string();
        std::string answer = options.picks.front();
        options.picks.pop_front();
        return answer;
    };
    context.services.confirm = [&options](const std::string&, const std::string&) {
        if (options.confirms.empty())
            return false;
        bool answer = options.confirms.front();
        options.confirms.pop_front();
        return answer;
    };

    context.services.editTable = [&](app::TableRequest& request) {
        return answerTable(options, settings, request, err);
    };

    auto result = model::dispatch(command->index, context);
    // Exactly the log, its CR LF pairs as line breaks: nothing is added, so scripts can compare it. On a
    // terminal each line has shown as it came, once: the final log (newest on top for some jobs, or only its
    // last message) would show lines again, in another order.
    const std::string& text = log.text();
    if (!terminal) {
        out << forTerminal(text);
        out.flush();
    }
    reportWritten(text, log.written(), err);

    int status = result == app::JobResult::Completed  ? 0
                 : result == app::JobResult::Findings ? 1
                                                      : command->stoppedStatus;
    if (options.logFile) {
        try {
            platform::AtomicWriter writer(*options.logFile);
            writer.write(text);
            writer.commit();
        } catch (const platform::FileError& e) {
            err << forTerminal(e.logMessage()) << "\n";
            status = status == 0 ? 1 : status;
        }
    }
    return status;
}

} // namespace fk::cli

// A board's fabrication files from a folder, a zip or a pick: which file is what (--role, a drill file by its
// content, a Gerber file by what it says of itself and its name), then each read into the board in turn.
#include "board/fabrication.hpp"

#include "app/context.hpp"
#include "board/boardfiles.hpp"
#include "board/naming.hpp"
#include "platform/files.hpp"
#include "util/text.hpp"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <new>

namespace fk::board {

namespace {

// The text between a name's last dot and its end, in upper case ("GTL"); "" without one.
std::string endingOf(std::string_view name) {
    const size_t dot = name.rfind('.');
    return dot == std::string_view::npos ? "" : util::upper(name.substr(dot + 1));
}

std::string withoutEnding(const std::string& name) {
    return name.substr(0, std::min(name.size(), name.rfind('.')));
}

// The job file's (.gbrjob) file function of each file, by its lower-case name.
std::map<std::string, std::string> jobFunctions(const std::string& bytes, const std::string& shown) {
    const auto json = nlohmann::json::parse(bytes, nullptr, false);
    if (json.is_discarded() || !json.is_object())
        throw app::JobStop{
            util::lines({"The job file is no JSON:", util::angled(shown), "Nothing was checked."})};
    std::map<std::string, std::string> functions;
    if (const auto files = json.find("FilesAttributes"); files != json.end() && files->is_array()) {
        for (const auto& f : *files) {
            if (f.is_object() && f.contains("Path") && f["Path"].is_string() && f.contains("FileFunction") &&
                f["FileFunction"].is_string()) {
                // The name whole, every dot of it, after any folder the job file puts it in.
                const std::string path = f["Path"].get<std::string>();
                functions[util::lower(path.substr(path.find_last_of("/\\") + 1))] =
                    f["FileFunction"].get<std::string>();
            }
        }
    }
    return functions;
}

std::string listOf(const std::vector<BoardFile>& files) {
    std::string list;
    for (const auto& f : files)
        list += std::string(list.empty() ? "" : "\r\n") + "  " + f.name + ": " + f.role + " (" + f.why + ")";
    return list.empty() ? "  (no file)" : list;
}

[[noreturn]] void
refuseList(const std::string& head, const std::string& pathText, const std::vector<BoardFile>& files,
           const std::string& advice = "give each file its role with --role NAME=ROLE (NAME as "
                                       "listed, with or without its last ending).") {
    throw app::JobStop{
        util::lines({head, util::angled(pathText), listOf(files), "Nothing was checked; " + advice})};
}

bool isRoleText(const std::string& role) {
    return role == "none" || role == "drill" || role == "npth" || roleOfText(role);
}

// The role --role gives each entry to read (by its index): a name names the file of that whole name, else
// the files of that name without their last ending, in any case. One that names no file, or two, or no
// role, is refused: a role meant for a file and given to none would leave it as guessed.
std::map<size_t, std::string> chosenRoles(const std::vector<BoardEntry>& entries,
                                          const std::map<std::string, std::string>& roles,
                                          const std::string& pathText) {
    std::map<size_t, std::string> chosen;
    for (const auto& [key, role] : roles) {
        const std::string option = "--role " + key + "=" + role;
        if (!isRoleText(role))
            throw app::JobStop{
                util::lines({option + " names no role.",
                             "Expected: none, a role of Fab Export's table (top, bottom, inner2, "
                             "plane2, outline, ...), drill or npth. Nothing was checked."})};
        std::vector<size_t> named;
        for (bool whole : {true, false}) {
            if (!whole && !named.empty())
                break;
            for (size_t i = 0; i < entries.size(); ++i) {
                const std::string& name = entries[i].name;
                if (entries[i].unread.empty() && util::equalsNoCase(key, whole ? name : withoutEnding(name)))
                    named.push_back(i);
            }
        }
        std::string names;
        for (size_t i : named)
            names += (names.empty() ? "" : ", ") + entries[i].name;
        if (named.size() != 1)
            throw app::JobStop{util::lines(
                {option +
                     (named.empty() ? " names no file of the board:" : " names more than one file: " + names),
                 util::angled(pathText),
                 named.empty()
                     ? "Nothing was checked; name a file the board's list shows, with or without its "
                       "last ending."
                     : "Nothing was checked; name one of them by its whole name."})};
        if (const auto [at, fresh] = chosen.emplace(named.front(), role); !fresh && at->second != role)
            throw app::JobStop{
                util::lines({"--role gives " + names + " two roles, " + at->second + " and " + role + ":",
                             util::angled(pathText), "Nothing was checked."})};
    }
    return chosen;
}

// Plated or not: the file's X2 comment, the job file, its name; --role over all.
std::pair<bool, std::string> platingOf(const std::string& name, const std::string& head,
                                       const NamingContext& naming, const std::string* chosen) {
    if (chosen)
        return {*chosen != "npth", "--role " + *chosen};
    if (const size_t at = head.find("TF.FileFunction,"); at != std::string::npos) {
        const bool plated = !std::string_view(head).substr(at + 16).starts_with("NonPlated");
        return {plated, std::string("Excellon content, its X2 comment ") + (plated ? "Plated" : "NonPlated")};
    }
    if (const auto job = naming.jobFunctions.find(util::lower(name)); job != naming.jobFunctions.end())
        return {!job->second.starts_with("NonPlated"), "Excellon content, the job file's " + job->second};
    const std::string lower = util::lower(name);
    for (const char* word : {"npth", "nonplated", "non_plated", "non-plated", "unplated"})
        if (lower.find(word) != std::string::npos)
            return {false, "Excellon content, its name says unplated"};
    return {true, "Excellon content"};
}

void readDrill(Fabrication& board, const BoardEntry& entry, std::string text, bool plated) {
    normalise(text);
    try {
        const DrillText read = readDrillText(text);
        const int index = int(board.drills.size());
        if (long(board.holes.size() + read.file.holes.size()) > mostBoardHoles)
            throw app::JobStop{util::lines(
                {"Line " + std::to_string(read.file.holes[size_t(mostBoardHoles) - board.holes.size()].line) +
                     " of a drill file drills the board's hole " + std::to_string(mostBoardHoles + 1) + ":",
                 util::angled(entry.shown),
                 "Expected: at most " + std::to_string(mostBoardHoles) +
                     " holes in all of a board's drill files, far above any board's.",
                 "Nothing was checked."})};
        auto holes = holesOfText(read, entry.shown, plated, index);
        board.holes.insert(board.holes.end(), holes.begin(), holes.end());
        board.drills.push_back(
            {entry.name, std::move(text), plated, read.file.format, read.taken, read.assumed});
    } catch (const drill::ExcellonError& e) {
        throw app::JobStop{util::lines(
            {"Line " + std::to_string(e.line) + " of a drill file cannot be read: [" + e.text + "]",
             util::angled(entry.shown), "Expected: " + e.expected + ".", "Nothing was checked."})};
    }
}

void readLayer(Fabrication& board, const BoardEntry& entry, std::string text, const Named& named) {
    board.files.push_back({entry.name, textOf(named.role), named.why});
    normalise(text);
    BoardLayer layer{.role = named.role, .image = readGerber(entry.shown, text)};
    layer.image.name = entry.name; // a zip member by its name, as the file list shows it
    layer.plane = isCopper(named.role) &&
                  (layer.image.negative || (named.role.layer == Layer::Plane && !named.byFunction));
    board.layers.push_back(std::move(layer));
}

// One file of the board: a drill file by its content or --role, a Gerber file by what tells its role.
void readEntry(Fabrication& board, const BoardSources& sources, const BoardEntry& entry,
               const std::string* chosen, const NamingContext& naming) {
    std::string bytes = sources.bytes(entry);
    const std::string head = normalisedText(std::string_view(bytes).substr(0, 65536));
    const bool drillChosen = chosen && (*chosen == "drill" || *chosen == "npth");
    if (chosen && *chosen == "none")
        return board.files.push_back({entry.name, "ignored", "--role none"});
    if (drillChosen || (!chosen && looksLikeDrill(head))) {
        const auto [plated, why] = platingOf(entry.name, head, naming, chosen);
        board.files.push_back({entry.name, plated ? "drill, plated" : "drill, unplated", why});
        return readDrill(board, entry, std::move(bytes), plated);
    }
    if (chosen)
        return readLayer(board, entry, std::move(bytes), {*roleOfText(*chosen), "--role " + *chosen});
    if (!looksLikeGerber(head))
        return board.files.push_back({entry.name, "ignored", "neither a Gerber nor a drill file"});
    const auto named = namedRole(entry.name, head, naming);
    if (!named)
        return board.files.push_back({entry.name, "ignored", "a Gerber file whose role nothing tells"});
    if (named->role.layer == Layer::None)
        return board.files.push_back({entry.name, "ignored", named->why});
    readLayer(board, entry, std::move(bytes), *named);
}

Fabrication fabricationOf(const std::string& pathText, const BoardSources& sources,
                          const std::map<std::string, std::string>& roles) {
    Fabrication board{.path = pathText};
    const auto& entries = sources.entries();
    const auto chosen = chosenRoles(entries, roles, pathText);
    NamingContext naming;
    std::vector<std::string> names;
    for (const auto& entry : entries) {
        names.push_back(entry.name);
        if (entry.unread.empty() && endingOf(entry.name) == "GBRJOB")
            naming.jobFunctions = jobFunctions(sources.bytes(entry), entry.shown);
    }
    naming.padsBottom = padsBottomOf(names);
    for (size_t i = 0; i < entries.size(); ++i) {
        const BoardEntry& entry = entries[i];
        const auto choice = chosen.find(i);
        if (!entry.unread.empty())
            board.files.push_back({entry.name, "ignored", entry.unread});
        else if (endingOf(entry.name) == "GBRJOB" && choice == chosen.end())
            board.files.push_back({entry.name, "ignored", "the job file: it names the others' roles"});
        else {
            try {
                readEntry(board, sources, entry, choice == chosen.end() ? nullptr : &choice->second, naming);
            } catch (const std::bad_alloc&) {
                throw app::JobStop{util::lines({"Not enough memory to read the board's file:",
                                                util::angled(entry.shown), "Nothing was checked."})};
            }
        }
    }
    const bool copper = std::any_of(board.layers.begin(), board.layers.end(),
                                    [](const BoardLayer& l) { return isCopper(l.role); });
    if (!copper)
        refuseList("The board has no copper layer:", pathText, board.files);
    if (board.drills.empty())
        refuseList(
            "The board has no drill file:", pathText, board.files,
            "the board's Excellon drill file is needed (one whose content is not recognised takes the role "
            "drill with --role NAME=drill).");
    if (board.holes.empty()) // a check of no hole would say "clean" over nothing
        refuseList("The board's drill files hold no hole:", pathText, board.files,
                   "the board's drill file with its holes is needed.");
    return board;
}

} // namespace

Fabrication readFabrication(const std::string& pathText, const std::map<std::string, std::string>& roles) {
    return fabricationOf(pathText, BoardSources::ofPath(pathText), roles);
}

Fabrication readFabricationFiles(const std::string& folder, const std::vector<std::string>& paths,
                                 const std::map<std::string, std::string>& roles) {
    return fabricationOf(folder, BoardSources::ofFiles(paths), roles);
}

bool isBoardChoice(const std::vector<std::string>& paths) {
    for (const auto& path : paths) {
        if (util::upper(path).ends_with(".ZIP") || util::upper(path).ends_with(".GBRJOB"))
            return true;
        const auto size = platform::filelength(path);
        if (!size || *size > largestBoardFile)
            continue;
        try {
            const std::string bytes = platform::readBytes(path);
            if (isZip(bytes) || looksLikeDrill(normalisedText(std::string_view(bytes).substr(0, 65536))))
                return true;
        } catch (const platform::FileError&) {
        }
    }
    return false;
}

} // namespace fk::board

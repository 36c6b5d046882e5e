// A board's fabrication files from a folder or a zip: which file is what (X2 file function, job file, the
// naming of KiCad, Protel/Altium and Eagle, a drill file by its content), then each read into the board.
#include "board/fabrication.hpp"

#include "app/context.hpp"
#include "platform/files.hpp"
#include "util/text.hpp"

#include <nlohmann/json.hpp>
#include <zip.h>

#include <algorithm>
#include <memory>

namespace fk::board {

namespace {

// Larger than any board's Gerber or drill file.
constexpr std::uint64_t largestFile = std::uint64_t{1} << 30;

struct Source {
    std::string name, bytes;
    std::string shown; // the path a message names: in a folder, or the zip's path and the member's name
};

bool isZip(std::string_view bytes) {
    return bytes.starts_with(std::string_view("PK\x03\x04", 4)) ||
           bytes.starts_with(std::string_view("PK\x05\x06", 4));
}

std::vector<Source> zipMembers(const std::string& pathText, const std::string& bytes) {
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &error);
    zip_t* archive = source ? zip_open_from_source(source, ZIP_RDONLY, &error) : nullptr;
    if (!archive) {
        if (source)
            zip_source_free(source);
        const std::string why = zip_error_strerror(&error);
        zip_error_fini(&error);
        throw app::JobStop{util::lines(
            {"The zip cannot be read (" + why + "):", util::angled(pathText), "Nothing was checked."})};
    }
    std::unique_ptr<zip_t, int (*)(zip_t*)> guard(archive, zip_close);
    std::vector<Source> members;
    const zip_int64_t count = zip_get_num_entries(archive, 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t stat;
        if (zip_stat_index(archive, zip_uint64_t(i), 0, &stat) != 0 || !(stat.valid & ZIP_STAT_NAME))
            continue;
        const std::string name = stat.name;
        if (name.empty() || name.back() == '/')
            continue; // a folder
        // A member's stated size is what its bytes take unpacked: no board file comes near it.
        if ((stat.valid & ZIP_STAT_SIZE) && stat.size > largestFile)
            throw app::JobStop{util::lines({"The zip's member " + name + " is larger than 1 GB:",
                                            util::angled(pathText), "Nothing was checked."})};
        zip_file_t* file = zip_fopen_index(archive, zip_uint64_t(i), 0);
        std::string data(stat.valid & ZIP_STAT_SIZE ? stat.size : 0, '\0');
        const zip_int64_t read = file ? zip_fread(file, data.data(), data.size()) : -1;
        if (file)
            zip_fclose(file);
        if (read < 0 || zip_uint64_t(read) != data.size())
            throw app::JobStop{util::lines({"The zip's member " + name + " cannot be read:",
                                            util::angled(pathText), "Nothing was checked."})};
        const size_t slash = name.find_last_of('/');
        members.push_back({slash == std::string::npos ? name : name.substr(slash + 1), std::move(data),
                           pathText + "\\" + name});
    }
    return members;
}

// A folder's files and its subfolders' (as CAD tools write Gerber and drill files into folders of their own),
// three levels deep. A file larger than any board's is passed over unread, its name kept to be listed.
void filesIn(const std::string& pathText, int depth, std::vector<Source>& files) {
    const std::string folder = pathText.ends_with("\\") ? pathText : pathText + "\\";
    for (const auto& entry : platform::listDirectory(pathText)) {
        const auto size = entry.directory ? std::nullopt : platform::filelength(folder + entry.name);
        if (size && *size > largestFile)
            files.push_back({entry.name, "", folder + entry.name});
        else if (!entry.directory)
            files.push_back({entry.name, platform::readBytes(folder + entry.name), folder + entry.name});
        else if (depth < 3)
            filesIn(folder + entry.name, depth + 1, files);
    }
}

std::vector<Source> sourcesOf(const std::string& pathText) {
    if (!platform::isDirectoryText(pathText)) {
        const std::string bytes = platform::readBytes(pathText);
        if (!isZip(bytes))
            throw app::JobStop{util::lines(
                {"The board is neither a folder nor a zip:", util::angled(pathText),
                 "Nothing was checked; name the folder or zip of the board's Gerber and drill files."})};
        return zipMembers(pathText, bytes);
    }
    std::vector<Source> files;
    filesIn(pathText, 0, files);
    return files;
}

std::string lowerName(std::string_view name) {
    return util::lower(name);
}

// The text between a name's last dot and its end, in upper case ("GTL"); "" without one.
std::string endingOf(std::string_view name) {
    const size_t dot = name.rfind('.');
    return dot == std::string_view::npos ? "" : util::upper(name.substr(dot + 1));
}

std::optional<int> digitsAfter(std::string_view text, std::string_view head) {
    if (!text.starts_with(head) || text.size() == head.size() || text.size() > head.size() + 2)
        return std::nullopt;
    int n = 0;
    for (char c : text.substr(head.size())) {
        if (c < '0' || c > '9')
            return std::nullopt;
        n = n * 10 + (c - '0');
    }
    return n;
}

struct Named {
    Role role;
    std::string why;
};

// KiCad's layer names at the end of the file's base name ("board-F_Cu.gbr", "board-In1_Cu.g2").
std::optional<Named> kicadRole(std::string_view name) {
    std::string base = util::lower(name.substr(0, std::min(name.size(), name.rfind('.'))));
    struct Suffix {
        const char* text;
        Layer layer;
    };
    static constexpr Suffix suffixes[] = {
        {"-f_cu", Layer::TopCopper},          {"-b_cu", Layer::BottomCopper},
        {"-edge_cuts", Layer::Outline},       {"-f_mask", Layer::TopMask},
        {"-b_mask", Layer::BottomMask},       {"-f_silks", Layer::TopSilk},
        {"-b_silks", Layer::BottomSilk},      {"-f_silkscreen", Layer::TopSilk},
        {"-b_silkscreen", Layer::BottomSilk}, {"-f_paste", Layer::TopPaste},
        {"-b_paste", Layer::BottomPaste},
    };
    std::replace(base.begin(), base.end(), '.', '_');
    for (const auto& s : suffixes) {
        if (base.ends_with(s.text))
            return Named{{.layer = s.layer}, std::string("KiCad's layer name ") + (s.text + 1)};
    }
    const size_t in = base.rfind("-in");
    if (in != std::string::npos && base.ends_with("_cu")) {
        if (auto n = digitsAfter(base.substr(in + 3, base.size() - in - 6), ""))
            return Named{{.layer = Layer::InnerCopper, .number = *n + 1},
                         "KiCad's layer name In" + std::to_string(*n) + "_Cu"};
    }
    return std::nullopt;
}

// Protel/Altium and Eagle endings.
std::optional<Named> endingRole(std::string_view name) {
    const std::string ending = endingOf(name);
    struct Ending {
        const char* text;
        Layer layer;
        const char* tool;
    };
    static constexpr Ending endings[] = {
        {"GTL", Layer::TopCopper, "Protel"},   {"GBL", Layer::BottomCopper, "Protel"},
        {"GTS", Layer::TopMask, "Protel"},     {"GBS", Layer::BottomMask, "Protel"},
        {"GTO", Layer::TopSilk, "Protel"},     {"GBO", Layer::BottomSilk, "Protel"},
        {"GTP", Layer::TopPaste, "Protel"},    {"GBP", Layer::BottomPaste, "Protel"},
        {"GKO", Layer::Outline, "Protel"},     {"GML", Layer::Outline, "Protel"},
        {"GM", Layer::Outline, "Altium"},      {"CMP", Layer::TopCopper, "Eagle"},
        {"SOL", Layer::BottomCopper, "Eagle"}, {"STC", Layer::TopMask, "Eagle"},
        {"STS", Layer::BottomMask, "Eagle"},   {"PLC", Layer::TopSilk, "Eagle"},
        {"PLS", Layer::BottomSilk, "Eagle"},   {"CRC", Layer::TopPaste, "Eagle"},
        {"CRS", Layer::BottomPaste, "Eagle"},  {"DIM", Layer::Outline, "Eagle"},
    };
    for (const auto& e : endings) {
        if (ending == e.text)
            return Named{{.layer = e.layer}, std::string(e.tool) + " ending ." + e.text};
    }
    // Eagle 9's CAM job names its files by layer.
    struct Eagle {
        const char* base;
        Layer layer;
    };
    static constexpr Eagle eagleNames[] = {
        {"copper_top", Layer::TopCopper},     {"copper_bottom", Layer::BottomCopper},
        {"soldermask_top", Layer::TopMask},   {"soldermask_bottom", Layer::BottomMask},
        {"silkscreen_top", Layer::TopSilk},   {"silkscreen_bottom", Layer::BottomSilk},
        {"solderpaste_top", Layer::TopPaste}, {"solderpaste_bottom", Layer::BottomPaste},
        {"profile", Layer::Outline},
    };
    const std::string base = util::lower(name.substr(0, std::min(name.size(), name.rfind('.'))));
    for (const auto& e : eagleNames) {
        if (base == e.base)
            return Named{{.layer = e.layer}, std::string("Eagle's name ") + e.base};
    }
    if (auto n = digitsAfter(base, "copper_l"))
        return Named{{.layer = Layer::InnerCopper, .number = *n}, "Eagle's name " + base};
    if (auto n = digitsAfter(ending, "GM"))
        return Named{{.layer = Layer::Outline}, "Protel ending ." + ending};
    if (auto n = digitsAfter(ending, "GP"))
        return Named{{.layer = Layer::Plane, .number = *n + 1}, "Protel ending ." + ending};
    if (auto n = digitsAfter(ending, "G"))
        return Named{{.layer = Layer::InnerCopper, .number = *n + 1}, "Protel ending ." + ending};
    if (ending.size() > 2 && ending.front() == 'G' && ending.back() == 'L') {
        if (auto n = digitsAfter(ending.substr(0, ending.size() - 1), "G"))
            return Named{{.layer = Layer::InnerCopper, .number = *n}, "ending ." + ending};
    }
    if (auto n = digitsAfter(ending, "LY"))
        return Named{{.layer = Layer::InnerCopper, .number = *n}, "Eagle ending ." + ending};
    return std::nullopt;
}

// The X2 file function a Gerber file states in its attributes, "" when none.
std::string statedFunction(std::string_view text) {
    const size_t at = text.find("%TF.FileFunction,");
    if (at == std::string_view::npos)
        return "";
    const size_t end = text.find('*', at);
    return end == std::string_view::npos ? "" : std::string(text.substr(at + 17, end - at - 17));
}

// A Gerber file opens with a comment (G04) or a parameter (%), and states its format.
bool looksLikeGerber(std::string_view text) {
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3); // a UTF-8 mark some tools put first
    const size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos)
        return false;
    // A parameter block, or a G, D or M code: the commands a Gerber file may open with.
    const char c = text[first];
    const bool code = (c == 'G' || c == 'D' || c == 'M') && first + 1 < text.size() &&
                      text[first + 1] >= '0' && text[first + 1] <= '9';
    return (c == '%' || code) && text.find("%FS") != std::string_view::npos;
}

struct JobFile {
    std::map<std::string, std::string> functions; // lower-case file name: file function
};

std::optional<JobFile> jobFileOf(const Source& s) {
    if (endingOf(s.name) != "GBRJOB")
        return std::nullopt;
    const auto json = nlohmann::json::parse(s.bytes, nullptr, false);
    if (json.is_discarded() || !json.is_object())
        throw app::JobStop{
            util::lines({"The job file is no JSON:", util::angled(s.shown), "Nothing was checked."})};
    JobFile job;
    if (const auto files = json.find("FilesAttributes"); files != json.end() && files->is_array()) {
        for (const auto& f : *files) {
            if (f.is_object() && f.contains("Path") && f["Path"].is_string() && f.contains("FileFunction") &&
                f["FileFunction"].is_string()) {
                // The name whole, every dot of it, after any folder the job file puts it in.
                const std::string path = f["Path"].get<std::string>();
                job.functions[lowerName(path.substr(path.find_last_of("/\\") + 1))] =
                    f["FileFunction"].get<std::string>();
            }
        }
    }
    return job;
}

std::optional<std::string> overrideOf(const std::map<std::string, std::string>& roles,
                                      const std::string& name) {
    const std::string base = name.substr(0, std::min(name.size(), name.rfind('.'))); // the last ending only
    for (const auto& [key, role] : roles) {
        if (util::equalsNoCase(key, name) || util::equalsNoCase(key, base))
            return role;
    }
    return std::nullopt;
}

[[noreturn]] void refuseList(const std::string& head, const std::string& pathText,
                             const std::vector<BoardFile>& files,
                             const std::string& advice = "give each file its role with --role NAME=ROLE.") {
    std::string list;
    for (const auto& f : files)
        list += std::string(list.empty() ? "" : "\r\n") + "  " + f.name + ": " + f.role + " (" + f.why + ")";
    throw app::JobStop{util::lines({head, util::angled(pathText), list.empty() ? "  (no file)" : list,
                                    "Nothing was checked; " + advice})};
}

void readDrill(Fabrication& board, Source& s, bool plated) {
    std::string text = std::move(s.bytes);
    normalise(text);
    try {
        DrillText read = readDrillText(text);
        const int index = int(board.drills.size());
        auto holes = holesOfText(read, s.shown, plated, index);
        board.holes.insert(board.holes.end(), holes.begin(), holes.end());
        board.drills.push_back({s.name, std::move(text), plated, read.file.format});
    } catch (const drill::ExcellonError& e) {
        throw app::JobStop{util::lines(
            {"Line " + std::to_string(e.line) + " of a drill file cannot be read: [" + e.text + "]",
             util::angled(s.shown), "Expected: " + e.expected + ".", "Nothing was checked."})};
    }
}

} // namespace

std::vector<Hole> holesOfText(const DrillText& text, const std::string& name, bool plated, int file) {
    std::map<int, Length> sizes;
    for (const auto& t : text.file.tools)
        sizes[t.number] = t.diameter;
    std::vector<Hole> holes;
    holes.reserve(text.file.holes.size());
    for (size_t i = 0; i < text.file.holes.size(); ++i) {
        const auto& h = text.file.holes[i];
        const auto size = sizes.find(h.tool);
        if (h.tool == 0 || size == sizes.end() || size->second <= Length())
            throw app::JobStop{util::lines({"Line " + std::to_string(h.line) + " drills " +
                                                (h.tool == 0 ? std::string("before any tool is selected")
                                                             : "with T" + std::to_string(h.tool) +
                                                                   ", whose size the file does not give") +
                                                ":",
                                            "<" + name + ">", "Nothing was checked."})};
        const Point at{h.x, h.y}, end = text.ends[i];
        const auto unplated = text.unplated.find(h.tool);
        holes.push_back({.at = at,
                         .diameter = size->second,
                         .tool = h.tool,
                         .line = h.line,
                         .end = end,
                         .slot = end != at,
                         .plated = plated && (unplated == text.unplated.end() || !unplated->second),
                         .file = file});
    }
    return holes;
}

namespace {

// A file picked by name, passed over unread (its name kept to be listed) when larger than any board's.
Source pickedFile(const std::string& pathText) {
    const std::string name = pathText.substr(pathText.find_last_of('\\') + 1);
    const auto size = platform::filelength(pathText);
    if (size && *size > largestFile)
        return {name, "", pathText};
    return {name, platform::readBytes(pathText), pathText};
}

Fabrication fabricationOf(const std::string& pathText, std::vector<Source> sources,
                          const std::map<std::string, std::string>& roles);

} // namespace

Fabrication readFabrication(const std::string& pathText, const std::map<std::string, std::string>& roles) {
    return fabricationOf(pathText, sourcesOf(pathText), roles);
}

Fabrication readFabricationFiles(const std::string& folder, const std::vector<std::string>& paths,
                                 const std::map<std::string, std::string>& roles) {
    std::vector<Source> sources;
    for (const auto& path : paths)
        sources.push_back(pickedFile(path));
    return fabricationOf(folder, std::move(sources), roles);
}

bool isBoardChoice(const std::vector<std::string>& paths) {
    for (const auto& path : paths) {
        if (util::upper(path).ends_with(".ZIP") || util::upper(path).ends_with(".GBRJOB"))
            return true;
        const auto size = platform::filelength(path);
        if (!size || *size > largestFile)
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

namespace {

Fabrication fabricationOf(const std::string& pathText, std::vector<Source> sources,
                          const std::map<std::string, std::string>& roles) {
    Fabrication board{.path = pathText};
    std::sort(sources.begin(), sources.end(),
              [](const Source& a, const Source& b) { return lowerName(a.name) < lowerName(b.name); });
    std::optional<JobFile> job;
    for (const auto& s : sources) {
        if (auto j = jobFileOf(s))
            job = std::move(j);
    }
    for (auto& s : sources) {
        const std::string head = normalisedText(std::string_view(s.bytes).substr(0, 65536));
        const auto chosen = overrideOf(roles, s.name);
        const auto jobFunction =
            job ? job->functions.find(lowerName(s.name)) : decltype(job->functions.end()){};
        const bool inJob = job && jobFunction != job->functions.end();
        if (endingOf(s.name) == "GBRJOB") {
            board.files.push_back({s.name, "ignored", "the job file: it names the others' roles"});
            continue;
        }
        if (looksLikeDrill(head) || (chosen && (*chosen == "drill" || *chosen == "npth"))) {
            const std::string lower = lowerName(s.name);
            bool plated = true;
            for (const char* word : {"npth", "nonplated", "non_plated", "non-plated", "unplated"})
                plated = plated && lower.find(word) == std::string::npos;
            std::string why = plated ? "Excellon content" : "Excellon content, its name says unplated";
            if (const size_t at = head.find("TF.FileFunction,"); at != std::string::npos) {
                plated = !std::string_view(head).substr(at + 16).starts_with("NonPlated");
                why = std::string("Excellon content, its X2 comment ") + (plated ? "Plated" : "NonPlated");
            } else if (inJob) {
                plated = !jobFunction->second.starts_with("NonPlated");
                why = "Excellon content, the job file's " + jobFunction->second;
            }
            if (chosen)
                plated = *chosen != "npth", why = "--role " + *chosen;
            board.files.push_back({s.name, plated ? "drill, plated" : "drill, unplated", why});
            readDrill(board, s, plated);
            continue;
        }
        if (!looksLikeGerber(head)) {
            board.files.push_back({s.name, "ignored", "neither a Gerber nor a drill file"});
            continue;
        }
        Named named;
        const std::string function = statedFunction(head);
        if (chosen) {
            const auto role = roleOfText(*chosen);
            if (!role && *chosen != "none")
                throw app::JobStop{
                    util::lines({"--role " + s.name + "=" + *chosen + " names no role.",
                                 "Expected: none, a role of Fab Export's table (top, bottom, "
                                 "inner2, plane2, outline, ...), drill or npth. Nothing was checked."})};
            named = {role.value_or(Role{}), "--role " + *chosen};
        } else if (!function.empty() && roleOfFunction(function).layer != Layer::None) {
            named = {roleOfFunction(function), "X2 file function " + function};
        } else if (inJob && roleOfFunction(jobFunction->second).layer != Layer::None) {
            named = {roleOfFunction(jobFunction->second), "the job file's " + jobFunction->second};
        } else if (auto k = kicadRole(s.name)) {
            named = *k;
        } else if (auto e = endingRole(s.name)) {
            named = *e;
        } else {
            board.files.push_back({s.name, "ignored", "a Gerber file whose role nothing tells"});
            continue;
        }
        if (named.role.layer == Layer::None) {
            board.files.push_back({s.name, "ignored", named.why});
            continue;
        }
        board.files.push_back({s.name, textOf(named.role), named.why});
        normalise(s.bytes);
        BoardLayer layer{.role = named.role, .image = readGerber(s.shown, s.bytes)};
        layer.image.name = s.name;   // a zip member by its name, as the file list shows it
        std::string().swap(s.bytes); // read: its text is no longer needed
        layer.plane = named.role.layer == Layer::Plane || (isCopper(named.role) && layer.image.negative);
        board.layers.push_back(std::move(layer));
    }
    const bool copper = std::any_of(board.layers.begin(), board.layers.end(),
                                    [](const BoardLayer& l) { return isCopper(l.role); });
    if (!copper)
        refuseList("The board has no copper layer:", pathText, board.files);
    if (board.drills.empty())
        refuseList("The board has no drill file:", pathText, board.files,
                   "the board's drill file is needed (a file whose content is no drill file takes the "
                   "role drill with --role NAME=drill).");
    if (board.holes.empty()) // a check of no hole would say "clean" over nothing
        refuseList("The board's drill files hold no hole:", pathText, board.files,
                   "the board's drill file with its holes is needed.");
    return board;
}

} // namespace

} // namespace fk::board

// File bytes for every test program, Qt Test's as well as GoogleTest's: read, written, and all below a
// folder.
#pragma once

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace fk::test {

namespace fs = std::filesystem;

inline std::string readBytes(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

inline void writeBytes(const fs::path& p, const std::string& bytes) {
    fs::create_directories(p.parent_path());
    std::ofstream out(p, std::ios::binary);
    out << bytes;
}

// Every file below a folder, by its path from there, with its bytes.
inline std::map<std::string, std::string> filesBelow(const fs::path& root) {
    std::map<std::string, std::string> files;
    for (const auto& e : fs::recursive_directory_iterator(root)) {
        if (e.is_regular_file())
            files[fs::relative(e.path(), root).string()] = readBytes(e.path());
    }
    return files;
}

// The files of a folder (not its subfolders) copied into another, made where missing: a scratch copy of
// a bundled example.
// A folder's files, those whose name holds one of `leaveOut` left out.
inline void copyFilesOf(const fs::path& from, const fs::path& to,
                        std::initializer_list<const char*> leaveOut = {}) {
    fs::create_directories(to);
    for (const auto& e : fs::directory_iterator(from)) {
        const std::string name = e.path().filename().string();
        const bool left = std::any_of(leaveOut.begin(), leaveOut.end(),
                                      [&](const char* part) { return name.find(part) != std::string::npos; });
        if (e.is_regular_file() && !left)
            fs::copy_file(e.path(), to / e.path().filename());
    }
}

// What of a Markdown page a rendering of it lost, section by section: each heading (its text without marks)
// must stand in the rendering after the one before, and each `code` span of a section between its heading
// and the next. Empty when the rendering holds it all.
inline std::vector<std::string> lostFromPage(const std::string& markdown, const std::string& rendered) {
    std::vector<std::string> lost;
    std::vector<std::pair<std::string, std::vector<std::string>>> sections{{"", {}}};
    std::istringstream lines(markdown);
    bool fenced = false;
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("```", 0) == 0)
            fenced = !fenced;
        if (fenced)
            continue;
        if (line.rfind("#", 0) == 0) {
            std::string title;
            for (char c : line.substr(line.find_first_not_of('#')))
                if (c != '`')
                    title += c;
            sections.push_back({title.substr(title.find_first_not_of(' ')), {}});
            continue;
        }
        for (size_t open = line.find('`'); open != std::string::npos; open = line.find('`', open)) {
            const size_t close = line.find('`', open + 1);
            if (close == std::string::npos)
                break;
            sections.back().second.push_back(line.substr(open + 1, close - open - 1));
            open = close + 1;
        }
    }
    // A heading is a line of its own: the same words inside a paragraph do not end the section before it.
    const auto headingAt = [&rendered](const std::string& title, size_t from) {
        for (size_t found = rendered.find(title, from); found != std::string::npos;
             found = rendered.find(title, found + 1)) {
            const size_t after = found + title.size();
            if ((found == 0 || rendered[found - 1] == '\n') &&
                (after == rendered.size() || rendered[after] == '\n' || rendered[after] == '\r'))
                return found;
        }
        return std::string::npos;
    };
    size_t at = 0;
    for (size_t i = 0; i < sections.size(); ++i) {
        const size_t start = sections[i].first.empty() ? at : headingAt(sections[i].first, at);
        if (start == std::string::npos) {
            lost.push_back("heading " + sections[i].first);
            continue;
        }
        size_t end = rendered.size();
        for (size_t k = i + 1; k < sections.size() && end == rendered.size(); ++k)
            end = std::min(end, headingAt(sections[k].first, start + sections[i].first.size()));
        const std::string body = rendered.substr(start, end - start);
        for (const auto& span : sections[i].second)
            if (body.find(span) == std::string::npos)
                lost.push_back(sections[i].first + ": `" + span + "`");
        at = start + sections[i].first.size();
    }
    return lost;
}

} // namespace fk::test

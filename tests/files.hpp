// File bytes for every test program, Qt Test's as well as GoogleTest's: read, written, and all below a
// folder.
#pragma once

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

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
inline void copyFilesOf(const fs::path& from, const fs::path& to) {
    fs::create_directories(to);
    for (const auto& e : fs::directory_iterator(from))
        if (e.is_regular_file())
            fs::copy_file(e.path(), to / e.path().filename());
}

} // namespace fk::test

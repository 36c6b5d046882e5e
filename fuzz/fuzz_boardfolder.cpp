// A whole board's folder, and the same files as a zip, through Board Check's reading of a board: names of any
// CAD tool, subfolders, links in and out of the folder, --role. Whatever the bytes: a finding list or a
// refusal in words, never a crash, a hang or another exception, and every file left as it was.
#include "harness.hpp"

#include "app/context.hpp"
#include "board/fabrication.hpp"
#include "boardcheck/geometry.hpp"
#include "boardcheck/model.hpp"
#include "fab/model.hpp"

#include <cctype>

namespace {

using namespace fk::fuzz;

// A part's first line is its entry: "name" (with up to three folders, "a/b/name"), "link:name:target" or
// "role:NAME=ROLE"; the rest of the part is the file's bytes.
struct Entry {
    std::string kind, name, target, bytes;
};

std::string safeName(const std::string& text) {
    std::string out;
    int folders = 0;
    for (char c : text.substr(0, 40)) {
        const bool plain = std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '_' || c == '-';
        if (c == '/' && folders < 3 && !out.empty() && out.back() != '/')
            out += c, ++folders;
        else if (plain)
            out += c;
    }
    while (!out.empty() && out.back() == '/')
        out.pop_back();
    return out == "." || out == ".." || out.empty() ? "f" : out;
}

Entry entryOf(const std::string& part) {
    const size_t end = part.find('\n');
    const std::string head = part.substr(0, end),
                      bytes = end == std::string::npos ? "" : part.substr(end + 1);
    if (head.starts_with("link:")) {
        const size_t colon = head.find(':', 5);
        return {"link", safeName(head.substr(5, colon - 5)),
                colon == std::string::npos ? ".." : head.substr(colon + 1, 40), ""};
    }
    if (head.starts_with("role:"))
        return {"role", head.substr(5, 40), "", ""};
    return {"file", safeName(head), "", bytes};
}

void check(const std::string& where, const std::map<std::string, std::string>& roles) {
    try {
        fk::board::Fabrication board = fk::board::readFabrication(where, roles);
        const fk::boardcheck::CopperPoints copper(board);
        auto findings = fk::boardcheck::settleDrillReadings(board, copper);
        const auto rest = fk::boardcheck::checkFabrication(board, copper, fk::boardcheck::Limits{});
        for (const auto& f : rest)
            require(!f.plot.empty() && !f.message.empty());
        for (const auto& h : board.holes)
            require(h.path.empty() || (h.path.front() == h.at && h.path.back() == h.end && h.slot));
    } catch (const fk::app::JobStop& stop) {
        require(!stop.message.empty());
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    clearWork();
    std::vector<std::pair<std::string, std::string>> files;
    std::map<std::string, std::string> roles;
    for (const std::string& part : parts(data, size, 8)) {
        const Entry e = entryOf(part);
        std::error_code ec;
        if (e.kind == "role" && e.name.find('=') != std::string::npos)
            roles[e.name.substr(0, e.name.find('='))] = e.name.substr(e.name.find('=') + 1);
        if (e.kind == "link") {
            fs::create_directories((scratch() / "w" / e.name).parent_path(), ec);
            fs::create_symlink(e.target, scratch() / "w" / e.name, ec);
        }
        if (e.kind == "file" && !fs::exists(scratch() / "w" / e.name, ec)) {
            fs::create_directories((scratch() / "w" / e.name).parent_path(), ec);
            put("w/" + e.name, e.bytes);
            if (get("w/" + e.name) == e.bytes) // a name below a file's ("a" then "a/b.drl") cannot be made
                files.push_back({e.name, e.bytes});
        }
    }
    put("out/board.zip", fk::fab::zipOf(files, 0));
    check(text("w"), roles);
    check(text("out/board.zip"), roles);
    for (const auto& [name, bytes] : files)
        require(get("w/" + name) == bytes);
    return 0;
}

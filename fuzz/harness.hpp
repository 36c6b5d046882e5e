// Shared set-up of the fuzz targets: a scratch folder per process, input bytes split into files, and a job
// run in-process with scripted answers. Every target checks the promises that hold whatever the input.
#pragma once

#include "model/buttons.hpp"
#include "platform/files.hpp"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace fk::fuzz {

namespace fs = std::filesystem;

inline const fs::path& scratch() {
    static const fs::path dir = [] {
        std::string pattern = (fs::temp_directory_path() / "flashkit-fuzz-XXXXXX").string();
        fs::path made = ::mkdtemp(pattern.data());
        fs::create_directories(made / "prog");
        fs::create_directories(made / "w");
        fs::create_directories(made / "out");
        return made;
    }();
    return dir;
}

inline std::string text(const std::string& rel) {
    return platform::toPathText(scratch() / rel);
}

inline void put(const std::string& rel, const std::string& bytes) {
    std::ofstream(scratch() / rel, std::ios::binary) << bytes;
}

inline std::string get(const std::string& rel) {
    std::ifstream in(scratch() / rel, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

inline void clearWork() {
    for (const char* dir : {"w", "out"}) {
        std::error_code ec;
        fs::remove_all(scratch() / dir, ec);
        fs::create_directories(scratch() / dir);
    }
}

// The input cut into parts at a separator line, so one input can hold several files.
inline std::vector<std::string> parts(const uint8_t* data, size_t size, size_t count) {
    std::string all(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> out;
    const std::string separator = "\n=====\n";
    size_t start = 0;
    while (out.size() + 1 < count) {
        size_t at = all.find(separator, start);
        if (at == std::string::npos)
            break;
        out.push_back(all.substr(start, at - start));
        start = at + separator.size();
    }
    out.push_back(all.substr(start));
    out.resize(count);
    return out;
}

struct Run {
    app::JobResult result;
    std::string log;
};

inline Run runJob(int index, app::Fields fields, std::vector<std::string> picks = {},
                  std::vector<bool> confirms = {}) {
    app::MessageLog log;
    app::JobContext context;
    context.fields = std::move(fields);
    context.programDir = text("prog");
    context.services.log = &log;
    size_t nextPick = 0, nextConfirm = 0;
    context.services.pickfile = [&](const app::PickRequest&) {
        return nextPick < picks.size() ? picks[nextPick++] : std::string();
    };
    context.services.confirm = [&](const std::string&, const std::string&) {
        return nextConfirm < confirms.size() && confirms[nextConfirm++];
    };
    auto result = model::dispatch(index, context);
    return {result.value_or(app::JobResult::Stopped), log.text()};
}

// A broken promise: abort so that the fuzzer records the input.
inline void require(bool holds) {
    if (!holds)
        std::abort();
}

} // namespace fk::fuzz

// Line access shared by the design file editors.
#pragma once

#include "platform/files.hpp"

#include <string>
#include <string_view>

namespace fk::pcbedit {

// The first line of a text file (empty when it has none).
inline std::string firstLine(const std::string& path) {
    platform::LineReader reader(path);
    std::string line;
    reader.next(line);
    return line;
}

// Calls the handler with a view of each line, valid during the call.
template <typename Handler> void forEachLine(const std::string& path, Handler handler) {
    platform::LineReader reader(path);
    std::string_view line;
    while (reader.next(line))
        handler(line);
}

} // namespace fk::pcbedit

#include "model/windowplace.hpp"

#include "platform/files.hpp"
#include "util/text.hpp"

#include <charconv>

namespace fk::model {

namespace {

std::string pathOf(const std::string& programDir) {
    return programDir + "\\" + windowPlaceFile;
}

std::optional<int> numberOf(std::string_view text) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

bool makesWindow(int from, int to) {
    return to - from >= 100 && to - from <= 100'000;
}

} // namespace

std::optional<WindowPlace> loadWindowPlace(const std::string& programDir) {
    std::string line;
    try {
        platform::LineReader reader(pathOf(programDir));
        if (!reader.next(line))
            return std::nullopt;
    } catch (const platform::FileError&) {
        return std::nullopt;
    }
    int numbers[5];
    for (long i = 0; i < 5; ++i) {
        const auto n = numberOf(util::fieldOf(line, i + 1));
        if (!n)
            return std::nullopt;
        numbers[i] = *n;
    }
    if (!util::fieldOf(line, 6).empty() || !makesWindow(numbers[0], numbers[2]) ||
        !makesWindow(numbers[1], numbers[3]) || (numbers[4] != 0 && numbers[4] != 1))
        return std::nullopt;
    return WindowPlace{.left = numbers[0],
                       .top = numbers[1],
                       .right = numbers[2],
                       .bottom = numbers[3],
                       .maximized = numbers[4] == 1};
}

bool saveWindowPlace(const std::string& programDir, const WindowPlace& place) {
    try {
        platform::AtomicWriter out(pathOf(programDir));
        out.writeLine(std::to_string(place.left) + " " + std::to_string(place.top) + " " +
                      std::to_string(place.right) + " " + std::to_string(place.bottom) + " " +
                      (place.maximized ? "1" : "0"));
        out.commit();
        return true;
    } catch (const platform::FileError&) {
        return false;
    }
}

} // namespace fk::model

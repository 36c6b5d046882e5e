#include "model/windowplace.hpp"

#include "platform/files.hpp"
#include "util/text.hpp"

#include <algorithm>
#include <charconv>

namespace fk::model {

namespace {

std::string pathOf(const std::string& programDir, const char* file) {
    return programDir + "\\" + file;
}

// One side's span [from, to) pulled into [low, high): no longer than the area, then moved in.
void fitSpan(int& from, int& to, int low, int high) {
    const int size = std::min(to - from, high - low);
    from = std::clamp(from, low, high - size);
    to = from + size;
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

std::optional<WindowPlace> loadWindowPlace(const std::string& programDir, const char* file) {
    std::string line;
    try {
        platform::LineReader reader(pathOf(programDir, file));
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

bool saveWindowPlace(const std::string& programDir, const char* file, const WindowPlace& place) {
    try {
        platform::AtomicWriter out(pathOf(programDir, file));
        out.writeLine(std::to_string(place.left) + " " + std::to_string(place.top) + " " +
                      std::to_string(place.right) + " " + std::to_string(place.bottom) + " " +
                      (place.maximized ? "1" : "0"));
        out.commit();
        return true;
    } catch (const platform::FileError&) {
        return false;
    }
}

WindowPlace fitOnto(const WindowPlace& place, const ScreenArea& area, const FrameMargins& frame) {
    WindowPlace fitted = place;
    if (area.right <= area.left || area.bottom <= area.top)
        return fitted; // no screen to fit: the system places the window
    // The inside fitted into the area less the frame: the whole window then lies on the screen.
    fitSpan(fitted.left, fitted.right, area.left + frame.left, area.right - frame.right);
    fitSpan(fitted.top, fitted.bottom, area.top + frame.top, area.bottom - frame.bottom);
    return fitted;
}

} // namespace fk::model

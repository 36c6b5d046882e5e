#include "app/settings.hpp"

#include "platform/files.hpp"
#include "util/text.hpp"

namespace fk::app {

std::string SettingsTable::filePath() const {
    return programDir_ + "\\flashkit.ini";
}

std::optional<std::string> SettingsTable::load() {
    const std::string path = filePath();
    try {
        auto length = platform::filelength(path);
        if (!platform::fileexists(path) || (length && *length == 0)) {
            platform::AtomicWriter writer(path);
            writer.write("\r\n\r\n");
            writer.commit();
        }
    } catch (const platform::FileError&) {
        return util::lines({"The settings file could not be loaded, defaults are used:", util::angled(path)});
    }
    return loadWithoutCreating();
}

std::optional<std::string> SettingsTable::loadWithoutCreating() {
    const std::string path = filePath();
    if (!platform::fileexists(path)) {
        lines_ = {};
        return std::nullopt;
    }
    try {
        platform::LineReader reader(path);
        std::array<std::string, settingsLineCount> loaded{};
        std::string text;
        for (size_t n = 0; n < loaded.size() && reader.next(text); ++n)
            loaded[n] = text;
        lines_ = loaded;
    } catch (const platform::FileError&) {
        return util::lines({"The settings file could not be loaded, defaults are used:", util::angled(path)});
    }
    return std::nullopt;
}

std::optional<std::string> SettingsTable::save() {
    const std::string path = filePath();
    try {
        platform::resetAttributes(path);
        platform::AtomicWriter writer(path);
        for (const auto& text : lines_)
            writer.writeLine(text);
        writer.commit();
    } catch (const platform::FileError&) {
        return util::lines({"The settings could not be saved to:", util::angled(path)});
    }
    return std::nullopt;
}

std::optional<std::string> SettingsTable::settingsfile(const std::string& command) {
    std::string c = util::lower(command);
    if (c == "load")
        return load();
    if (c == "save")
        return save();
    return std::nullopt;
}

int listIndexFromLine(const std::string& line, int listSize) {
    auto index = util::toInt16(util::valueOf(line));
    if (!index || *index < 0 || *index >= listSize)
        return 0;
    return *index;
}

Fields SettingsTable::fields() const {
    Fields f;
    f.planes = listIndexFromLine(line(1), planesCount);
    f.smenable = listIndexFromLine(line(2), smenableCount);
    f.smswell = listIndexFromLine(line(3), smswellCount);
    f.fnamebase = line(4);
    f.indatapath = line(5);
    f.dfnpath = line(6);
    f.gcpvpath = line(7);
    f.outdatapath = line(8);
    return f;
}

void SettingsTable::setFields(const Fields& f) {
    setLine(1, util::signedText(f.planes));
    setLine(2, util::signedText(f.smenable));
    setLine(3, util::signedText(f.smswell));
    setLine(4, f.fnamebase);
    setLine(5, f.indatapath);
    setLine(6, f.dfnpath);
    setLine(7, f.gcpvpath);
    setLine(8, f.outdatapath);
}

} // namespace fk::app

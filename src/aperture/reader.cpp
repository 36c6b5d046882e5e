// First phase: read the design file once and collect the distinct pad, via, track width and text style keys.
// Keys are views of the line, looked up without building a string; only a new key is stored.
#include "aperture/model.hpp"

#include "platform/files.hpp"
#include "util/text.hpp"

namespace fk::aperture {

namespace {

constexpr std::string_view header = ";Tango-PCB PLUS V2.";
constexpr size_t none = std::string_view::npos;

[[noreturn]] void malformed(long lineNumber, const std::string& what) {
    throw app::JobStop{
        util::lines({"     Line " + std::to_string(lineNumber) + " of the design file is " + what + ",",
                     "     correct the design file and re-try."})};
}

void addKey(KeyList& list, std::string_view key, const char* listName) {
    if (list.contains(key))
        return;
    if (list.size() >= keyListCapacity)
        throw app::JobStop{util::lines({"     The design has more than " + std::to_string(keyListCapacity) +
                                            " distinct " + listName + ",",
                                        "     reduce the primitives and re-try."})};
    list.add(key);
}

// The position of the first of the two-letter codes in the line (none when no code occurs). Where several
// occur, the first one is the record's code: a later one can only stand in a further field.
size_t firstCode(std::string_view line, std::initializer_list<std::string_view> codes) {
    for (size_t i = 0; i + 1 < line.size(); ++i) {
        if (line[i] < 'A') // blanks and digits, most of a record, start no code
            continue;
        for (std::string_view code : codes) {
            if (line[i] == code[0] && line[i + 1] == code[1])
                return i;
        }
    }
    return none;
}

// True when the key consists of exactly `count` single-blank-separated non-empty fields.
bool hasFields(std::string_view key, size_t count) {
    size_t fields = 1;
    if (key.empty() || key.front() == ' ' || key.back() == ' ')
        return false;
    for (size_t i = 0; i < key.size(); ++i) {
        if (key[i] == ' ') {
            if (key[i + 1] == ' ')
                return false;
            ++fields;
        }
    }
    return fields == count;
}

// The next blank at or after `from` (none when there is none or `from` is none).
size_t blankFrom(std::string_view line, size_t from) {
    return from == none ? none : line.find(' ', from);
}

void readPad(std::string_view line, long n, KeyList& pads) {
    if (line.starts_with("PAD SQ 0 0 0") || line.starts_with("PAD EL 0 0 0"))
        return;
    const size_t code = firstCode(line, {"BL", "TL", "AL"});
    const std::string_view key = line.substr(0, code == none ? 1 : code + 2); // through the layer code
    if (code == none || !hasFields(key, 6) || key[3] != ' ' || key[6] != ' ')
        malformed(n, "a pad record without size, hole and layer fields");
    addKey(pads, key, "pad types");
}

void readVia(std::string_view line, long n, KeyList& vias) {
    const size_t code = firstCode(line, {"GD", "GT", "PD", "PT", "NP"});
    if (code == none || code < 2 || line[code - 1] != ' ')
        malformed(n, "a via record without size, hole and plane fields");
    const std::string_view key = line.substr(0, code - 1); // up to the blank before the plane code
    if (!hasFields(key, 4) || key[3] != ' ' || key[6] != ' ')
        malformed(n, "a via record without size, hole and plane fields");
    addKey(vias, key, "via types");
}

// Track width keys with the set of their widths, so that a text's stroke width is found without a scan.
struct Tracks {
    KeyList& keys;
    std::unordered_set<double> widths;
    std::string key; // the key being built, kept to save an allocation per record
};

double widthOfKey(const std::string& key) {
    auto w = util::toInt16(tailValue(key, 3));
    return w ? *w : 0;
}

// A track key is "TR" and a width taken from the line.
void addTrack(Tracks& tracks, std::string_view width) {
    tracks.key.assign("TR");
    tracks.key.append(width);
    if (tracks.keys.contains(tracks.key))
        return;
    addKey(tracks.keys, tracks.key, "track widths");
    tracks.widths.insert(widthOfKey(tracks.key));
}

void readLine(std::string_view line, long n, Tracks& tracks) {
    const size_t blank = line.find(' ', 5);
    if (blank == none || blank == 5 || line.size() < 5 || line[4] != ' ')
        malformed(n, "a line record without a width field");
    const std::string_view width = line.substr(4, std::min<size_t>(6, blank - 4)); // with its blank
    if (width != " 0")
        addTrack(tracks, width);
}

void readArc(std::string_view line, long n, Tracks& tracks) {
    size_t b = line.find(' ', 3);
    for (int i = 0; i < 3; ++i)
        b = blankFrom(line, b == none ? none : b + 1);
    const size_t end = blankFrom(line, b == none ? none : b + 1);
    if (end == none || end == b + 1)
        malformed(n, "an arc record with fewer than five fields");
    addTrack(tracks, line.substr(b, end - b)); // the width with the blank before it
}

void readText(std::string_view line, long n, KeyList& texts, Tracks& tracks) {
    const size_t quote = line.find('"', 6);
    size_t third = none;
    if (quote != none && quote + 1 < line.size() && line[quote + 1] == ' ') {
        third = quote + 1;
        for (int i = 0; i < 3; ++i)
            third = blankFrom(line, third == none ? none : third + 1);
    }
    const std::string_view fields =
        third != none ? line.substr(quote + 2, third - quote - 2) : std::string_view();
    if (third == none || !hasFields(fields, 3))
        malformed(n, "a text record without three style fields after its text");
    // A known style has its stroke width among the tracks already.
    std::string key = "STR ";
    key.append(fields);
    if (texts.contains(key))
        return;
    addKey(texts, key, "text styles");
    const double stroke = widthOfKey(key);
    if (tracks.widths.count(stroke) == 0)
        addTrack(tracks, util::signedText(static_cast<long long>(stroke)));
}

enum class Record { Other, Pad, Via, Line, Arc, Text };

// The record a line holds, by its first two letters in either case.
Record recordOf(std::string_view line) {
    const auto upper = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; };
    switch ((upper(line[0]) << 8) | upper(line[1])) {
    case ('P' << 8) | 'A':
        return Record::Pad;
    case ('V' << 8) | 'I':
        return Record::Via;
    case ('L' << 8) | 'I':
        return Record::Line;
    case ('A' << 8) | 'R':
        return Record::Arc;
    case ('T' << 8) | 'E':
        return Record::Text;
    default:
        return Record::Other;
    }
}

} // namespace

bool KeyList::add(std::string_view key) {
    if (!seen_.emplace(key).second)
        return false;
    keys_.emplace_back(key);
    return true;
}

double tailValue(const std::string& key, long n) {
    std::string tail = util::right(key, n);
    if (tail.size() >= 2 && tail.find(' ') == 1)
        return util::valueOf(util::right(tail, n - 2));
    return util::valueOf(tail);
}

std::optional<DesignKeys> readDesign(const std::string& designPath) {
    platform::LineReader reader(designPath);
    std::string_view line;
    if (!reader.next(line) || !line.starts_with(header))
        return std::nullopt;
    DesignKeys keys;
    Tracks tracks{keys.tracks, {}, {}};
    std::string upper;
    while (reader.next(line)) {
        if (line.size() < 2)
            continue;
        const Record record = recordOf(line);
        if (record == Record::Other)
            continue;
        const std::string_view text = util::upperView(line, upper); // keys are compared in upper case
        const long n = reader.lineNumber();
        switch (record) {
        case Record::Pad:
            readPad(text, n, keys.pads);
            break;
        case Record::Via:
            readVia(text, n, keys.vias);
            break;
        case Record::Line:
            readLine(text, n, tracks);
            break;
        case Record::Arc:
            readArc(text, n, tracks);
            break;
        case Record::Text:
            readText(text, n, keys.texts, tracks);
            break;
        case Record::Other:
            break;
        }
    }
    return keys;
}

} // namespace fk::aperture

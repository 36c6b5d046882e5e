// First phase: read the design file once and collect the distinct pad, via, track width and text style keys.
#include "aperture/model.hpp"

#include "platform/files.hpp"
#include "util/text.hpp"

namespace fk::aperture {

namespace {

using util::instr;
using util::mid;

const std::string header = ";Tango-PCB PLUS V2.";

[[noreturn]] void malformed(long lineNumber, const std::string& what) {
    throw app::JobStop{"     Line " + std::to_string(lineNumber) + " of the design file is " + what + "," +
                       std::string(util::crlf) + "     correct the design file and re-try."};
}

void addKey(KeyList& list, const std::string& key, const char* listName) {
    if (list.contains(key))
        return;
    if (list.size() >= keyListCapacity)
        throw app::JobStop{"     The design has more than " + std::to_string(keyListCapacity) + " distinct " +
                           listName + "," + std::string(util::crlf) +
                           "     reduce the primitives and re-try."};
    list.add(key);
}

// The first position of any of the codes (0 when none occurs). Where several occur, the first one is the
// record's code: a later one can only stand in a further field.
long firstCode(const std::string& line, std::initializer_list<const char*> codes) {
    long best = 0;
    for (const char* code : codes) {
        long p = instr(line, code);
        if (p > 0 && (best == 0 || p < best))
            best = p;
    }
    return best;
}

// True when the key consists of exactly `count` single-blank-separated non-empty fields.
bool hasFields(const std::string& key, size_t count) {
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

void readPad(const std::string& line, long n, KeyList& pads) {
    if (line.rfind("PAD SQ 0 0 0", 0) == 0 || line.rfind("PAD EL 0 0 0", 0) == 0)
        return;
    long p = firstCode(line, {"BL", "TL", "AL"});
    std::string key = util::left(line, p + 1);
    if (p == 0 || !hasFields(key, 6) || key[3] != ' ' || key[6] != ' ')
        malformed(n, "a pad record without size, hole and layer fields");
    addKey(pads, key, "pad types");
}

void readVia(const std::string& line, long n, KeyList& vias) {
    long p = firstCode(line, {"GD", "GT", "PD", "PT", "NP"});
    std::string key = util::left(line, p - 2);
    if (p < 3 || line[static_cast<size_t>(p - 2)] != ' ' || !hasFields(key, 4) || key[3] != ' ' ||
        key[6] != ' ')
        malformed(n, "a via record without size, hole and plane fields");
    addKey(vias, key, "via types");
}

// Track width keys with the set of their widths, so that a text's stroke width is found without a scan.
struct Tracks {
    KeyList& keys;
    std::unordered_set<double> widths;
};

double widthOfKey(const std::string& key) {
    auto w = util::toInt16(tailValue(key, 3));
    return w ? *w : 0;
}

void addTrack(Tracks& tracks, const std::string& key) {
    if (tracks.keys.contains(key))
        return;
    addKey(tracks.keys, key, "track widths");
    tracks.widths.insert(widthOfKey(key));
}

void readLine(const std::string& line, long n, Tracks& tracks) {
    long p = instr(line, " ", 6);
    if (p == 0 || p == 6 || line.size() < 5 || line[4] != ' ')
        malformed(n, "a line record without a width field");
    std::string key = "TR" + mid(line, 5, std::min(6L, p - 5));
    if (key != "TR 0")
        addTrack(tracks, key);
}

void readArc(const std::string& line, long n, Tracks& tracks) {
    long b = instr(line, " ", 4);
    for (int i = 0; i < 3 && b > 0; ++i)
        b = instr(line, " ", b + 1);
    long end = b > 0 ? instr(line, " ", b + 1) : 0;
    if (end == 0 || end == b + 1)
        malformed(n, "an arc record with fewer than five fields");
    addTrack(tracks, "TR " + mid(line, b + 1, end - b - 1));
}

void readText(const std::string& line, long n, KeyList& texts, Tracks& tracks) {
    long q = instr(line, "\"", 7);
    long third = 0;
    if (q > 0 && mid(line, q + 1, 1) == " ") {
        third = q + 1;
        for (int i = 0; i < 3 && third > 0; ++i)
            third = instr(line, " ", third + 1);
    }
    std::string fields = third > 0 ? mid(line, q + 2, third - q - 2) : std::string();
    if (third == 0 || !hasFields(fields, 3))
        malformed(n, "a text record without three style fields after its text");
    std::string key = "STR " + fields;
    addKey(texts, key, "text styles");
    double stroke = widthOfKey(key);
    if (tracks.widths.count(stroke) == 0)
        addTrack(tracks, "TR" + util::signedText(static_cast<long long>(stroke)));
}

} // namespace

bool KeyList::add(const std::string& key) {
    if (!seen_.insert(key).second)
        return false;
    keys_.push_back(key);
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
    std::string line;
    if (!reader.next(line) || line.compare(0, header.size(), header) != 0)
        return std::nullopt;
    DesignKeys keys;
    Tracks tracks{keys.tracks, {}};
    long lineNumber = 1;
    while (reader.next(line)) {
        ++lineNumber;
        if (line.size() < 2)
            continue;
        for (char& c : line) {
            if (c >= 'a' && c <= 'z')
                c = static_cast<char>(c - 'a' + 'A');
        }
        switch ((line[0] << 8) | line[1]) {
        case ('P' << 8) | 'A':
            readPad(line, lineNumber, keys.pads);
            break;
        case ('V' << 8) | 'I':
            readVia(line, lineNumber, keys.vias);
            break;
        case ('L' << 8) | 'I':
            readLine(line, lineNumber, tracks);
            break;
        case ('A' << 8) | 'R':
            readArc(line, lineNumber, tracks);
            break;
        case ('T' << 8) | 'E':
            readText(line, lineNumber, keys.texts, tracks);
            break;
        default:
            break;
        }
    }
    return keys;
}

} // namespace fk::aperture

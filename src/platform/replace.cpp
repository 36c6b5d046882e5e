// The all-or-nothing commit of a job's outputs and the recovery of an interrupted one. Every transient file
// carries its run (process id and start time) in its name (host.hpp), so a later run knows which ones belong
// to ended runs.
#include "platform/replace.hpp"

#include "platform/host.hpp"
#include "platform/interrupt.hpp"
#include "util/text.hpp"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <limits>
#include <set>
#include <utility>

namespace fk::platform {

namespace fs = std::filesystem;

namespace {

thread_local std::optional<int> replaceFailure;
thread_local bool hardLinkFailure = false;
thread_local std::optional<int> commitKill;
thread_local std::optional<int> journalFailure;

// Version 2 ends with an end mark, so that a journal cut off while it was written is never read as a
// shorter one; version 1, of earlier builds, is read as it was written.
constexpr std::string_view journalMagic = "flashkit-journal 2", journalMagicWithoutEnd = "flashkit-journal 1",
                           journalEnd = "end";

struct Entry {
    fs::path temp, target, backup; // backup empty: the target did not exist before
};

struct Journal {
    fs::path main; // the journal whose entries count; the others only point at it
    std::vector<Entry> entries;
};

bool existsNoFollow(const fs::path& p) {
    std::error_code ec;
    return fs::symlink_status(p, ec).type() != fs::file_type::not_found && !ec;
}

// Fields separated by NUL bytes, which no path holds; paths in UTF-8 on every host.
std::string encode(const Journal& journal) {
    std::string out(journalMagic);
    out += '\0';
    out += utf8OfHostPath(journal.main) + '\0';
    for (const auto& e : journal.entries) {
        out += utf8OfHostPath(e.temp) + '\0';
        out += utf8OfHostPath(e.target) + '\0';
        out += utf8OfHostPath(e.backup) + '\0';
    }
    out += journalEnd;
    out += '\0';
    return out;
}

std::optional<Journal> decode(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<std::string> fields;
    for (size_t start = 0, end; (end = bytes.find('\0', start)) != std::string::npos; start = end + 1)
        fields.push_back(bytes.substr(start, end - start));
    if (!fields.empty() && fields[0] == journalMagic) {
        if (fields.back() != journalEnd)
            return std::nullopt;
        fields.pop_back();
    } else if (fields.empty() || fields[0] != journalMagicWithoutEnd) {
        return std::nullopt;
    }
    // The main journal's name and at least one whole entry.
    if (fields.size() < 5 || (fields.size() - 2) % 3 != 0)
        return std::nullopt;
    Journal journal{hostPathOfUtf8(fields[1]), {}};
    for (size_t i = 2; i < fields.size(); i += 3)
        journal.entries.push_back(
            {hostPathOfUtf8(fields[i]), hostPathOfUtf8(fields[i + 1]), hostPathOfUtf8(fields[i + 2])});
    return journal;
}

host::Temp openJournal(const fs::path& directory, const std::string& shownTarget) {
    auto made = host::createTempBeside(directory / "flashkit-journal", 'j');
    if (!made.temp)
        throw FileError(FileError::Kind::Write, shownTarget, made.reason);
    return *made.temp;
}

void fillJournal(const host::Temp& journal, const std::string& bytes, const std::string& shownTarget,
                 bool cutOff) {
    const size_t size = cutOff ? bytes.size() / 2 : bytes.size();
    bool ok = std::fwrite(bytes.data(), 1, size, journal.file) == size && !cutOff;
    ok = std::fflush(journal.file) == 0 && ok;
    if (cutOff)
        host::failAsDiskFull();
    const std::string reason = ok ? std::string() : host::lastErrorReason();
    ok = std::fclose(journal.file) == 0 && ok;
    if (!ok)
        throw FileError(FileError::Kind::Write, shownTarget,
                        reason.empty() ? host::lastErrorReason() : reason);
    host::syncFile(journal.path);
    host::syncDirectory(journal.path.parent_path());
}

// Puts an entry back as it was before the commit touched it.
void undo(const Entry& e) {
    const bool renamed = !existsNoFollow(e.temp);
    host::removeQuietly(e.temp);
    if (e.backup.empty()) {
        if (renamed)
            host::removeQuietly(e.target);
        return;
    }
    if (!existsNoFollow(e.backup))
        return;
    if (renamed || !existsNoFollow(e.target))
        host::replace(e.backup, e.target); // the old content takes its place again
    else
        host::removeQuietly(e.backup); // a second name of the untouched target
}

void removeJournals(const std::vector<fs::path>& journals) {
    for (const auto& j : journals)
        host::removeQuietly(j);
}

std::set<fs::path> directoriesOf(const std::vector<Entry>& entries) {
    std::set<fs::path> dirs;
    for (const auto& e : entries)
        dirs.insert(e.target.parent_path());
    return dirs;
}

// The journal goes into every directory that holds a target, so that a later run in any of them finds it;
// the first one is the main journal, which the others name.
std::vector<fs::path> writeJournals(Journal& journal, const std::string& shownTarget) {
    std::vector<host::Temp> opened;
    std::vector<fs::path> written;
    try {
        for (const auto& dir : directoriesOf(journal.entries)) {
            opened.push_back(openJournal(dir, shownTarget));
            written.push_back(opened.back().path);
        }
        journal.main = written.front();
        const std::string bytes = encode(journal);
        for (size_t i = 0; i < opened.size(); ++i) {
            std::FILE* file = std::exchange(opened[i].file, nullptr);
            fillJournal({file, opened[i].path}, bytes, shownTarget,
                        journalFailure && static_cast<size_t>(*journalFailure) == i);
        }
    } catch (...) {
        for (auto& j : opened) {
            if (j.file)
                std::fclose(j.file);
        }
        removeJournals(written);
        throw;
    }
    return written;
}

// The old target keeps a second name until the commit is through: a link where the file system has them,
// else the old file itself moves aside (there is then a moment without the target, which a later run
// repairs from the journal).
bool keepOld(const Entry& e) {
    if (e.backup.empty())
        return true;
    return (!hardLinkFailure && host::hardLink(e.target, e.backup)) || host::replace(e.target, e.backup);
}

bool putInPlace(const Entry& e, int index) {
    if (replaceFailure && *replaceFailure == index) {
        host::failAsInUse();
        return false;
    }
    host::showFile(e.temp);
    return host::replace(e.temp, e.target);
}

// The kill seam: the process ends at once, as a kill would, when the commit has come this far.
void killIfReached(size_t step) {
    if (commitKill && static_cast<size_t>(*commitKill) == step)
        std::_Exit(137);
}

Entry entryOf(const AtomicWriter& w) {
    const fs::path& target = w.targetPath();
    return {w.tempPath(), target, existsNoFollow(target) ? host::transientName(target, 'b') : fs::path()};
}

} // namespace

void replaceTogether(std::span<AtomicWriter* const> outputs) {
    if (outputs.empty())
        return;
    for (auto* w : outputs)
        w->finish();
    checkInterrupted();
    // A stop asked for from here on waits until every target is old or every target is new.
    HoldInterrupts hold;
    if (outputs.size() == 1 && !replaceFailure && !commitKill) {
        // One target needs no journal: the rename alone leaves it old or new.
        host::showFile(outputs[0]->tempPath());
        if (!host::replace(outputs[0]->tempPath(), outputs[0]->targetPath()))
            throw FileError(FileError::Kind::Write, outputs[0]->pathText(), host::lastErrorReason());
        outputs[0]->markCommitted();
        return;
    }
    Journal journal;
    for (auto* w : outputs)
        journal.entries.push_back(entryOf(*w));
    const auto journals = writeJournals(journal, outputs[0]->pathText());
    for (size_t i = 0; i < journal.entries.size(); ++i) {
        killIfReached(i);
        const Entry& e = journal.entries[i];
        if (!keepOld(e) || !putInPlace(e, static_cast<int>(i))) {
            const std::string reason = host::lastErrorReason();
            for (size_t k = i + 1; k-- > 0;)
                undo(journal.entries[k]);
            removeJournals(journals);
            throw FileError(FileError::Kind::Write, outputs[i]->pathText(), reason);
        }
    }
    killIfReached(journal.entries.size());
    for (auto* w : outputs)
        w->markCommitted();
    // Without the main journal the commit counts as done; the old contents are then only leftovers.
    host::removeQuietly(journals.front());
    killIfReached(journal.entries.size() + 1);
    for (const auto& e : journal.entries) {
        if (!e.backup.empty())
            host::removeQuietly(e.backup);
    }
    removeJournals({journals.begin() + 1, journals.end()});
}

namespace {

struct TransientName {
    host::Run run;
    char kind;
};

// The digits at `i` (at most 19), which moves past them.
unsigned long long numberAt(const std::string& name, size_t& i) {
    unsigned long long value = 0;
    for (size_t digits = 0; i < name.size() && name[i] >= '0' && name[i] <= '9' && digits < 19; ++i, ++digits)
        value = value * 10 + static_cast<unsigned long long>(name[i] - '0');
    return value;
}

// `.<name>.fk-<pid>-<start time>-<boot>-<kind><six characters>`; earlier builds wrote only the process id.
std::optional<TransientName> parseTransient(const std::string& name) {
    if (name.empty() || name[0] != '.')
        return std::nullopt;
    const auto at = name.rfind(".fk-");
    if (at == std::string::npos || at == 0)
        return std::nullopt;
    size_t i = at + 4;
    std::vector<unsigned long long> numbers; // pid, start time, boot
    while (numbers.size() < 3 && i < name.size() && name[i] >= '0' && name[i] <= '9') {
        numbers.push_back(numberAt(name, i));
        if (i >= name.size() || name[i++] != '-')
            return std::nullopt;
    }
    if ((numbers.size() != 1 && numbers.size() != 3) || i + 7 != name.size())
        return std::nullopt;
    numbers.resize(3);
    constexpr unsigned long long most = std::numeric_limits<unsigned long>::max();
    const char kind = name[i];
    if ((kind != 't' && kind != 'b' && kind != 'j') || numbers[0] > most || numbers[2] > most)
        return std::nullopt;
    return TransientName{
        {static_cast<unsigned long>(numbers[0]), numbers[1], static_cast<unsigned long>(numbers[2])}, kind};
}

std::string restoredMessage(const Journal& journal) {
    std::string message = "A run that was stopped while it replaced its files has been undone; these files "
                          "have their old content again:";
    for (const auto& e : journal.entries)
        message = util::lines({message, util::angled(toPathText(e.target))});
    return message;
}

} // namespace

std::vector<std::string> tidyDirectory(std::string_view directoryText) {
    std::vector<std::string> messages;
    auto dir = resolveExisting(directoryText);
    std::error_code ec;
    if (!dir || !fs::is_directory(*dir, ec))
        return messages;
    std::vector<fs::directory_entry> leftovers;
    for (fs::directory_iterator it(*dir, ec), end; !ec && it != end; it.increment(ec)) {
        auto parsed = parseTransient(utf8OfHostPath(it->path().filename()));
        if (!parsed || host::runIsLive(parsed->run))
            continue;
        if (parsed->kind != 'j') {
            leftovers.push_back(*it);
            continue;
        }
        auto journal = decode(it->path());
        if (journal && existsNoFollow(journal->main)) {
            for (auto e = journal->entries.rbegin(); e != journal->entries.rend(); ++e)
                undo(*e);
            host::removeQuietly(journal->main);
            messages.push_back(restoredMessage(*journal));
        }
        host::removeQuietly(it->path());
    }
    for (const auto& entry : leftovers)
        host::removeQuietly(entry.path());
    return messages;
}

void setReplaceFailureForTesting(std::optional<int> failingReplacement) {
    replaceFailure = failingReplacement;
}

void setHardLinkFailureForTesting(bool fail) {
    hardLinkFailure = fail;
}

void setJournalFailureForTesting(std::optional<int> failingJournal) {
    journalFailure = failingJournal;
}

void setCommitKillForTesting(std::optional<int> afterReplacements) {
    commitKill = afterReplacements;
}

} // namespace fk::platform

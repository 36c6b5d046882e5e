#include "platform/host.hpp"
#include "platform/programdir.hpp"
#include "platform/replace.hpp"
#include "support.hpp"

#include <numeric>

#ifdef _WIN32
#include <windows.h>
#endif

using namespace fk;
using namespace fk::test;

namespace {

class PlatformTest : public Scratch {
  protected:
    void SetUp() override {
        Scratch::SetUp();
        write("Work/Board.PCB", "x");
        write("Work/.hidden", "x");
        write("Work/Sub/Deep.txt", "x");
        fs::create_directories(path("Work/.git"));
    }
};

// Catches: folders, hidden names or wildcards counted as ordinary files, or a query error answered true.
TEST_F(PlatformTest, ExistenceTests) {
    FK_POSIX_ONLY();
    struct Case {
        bool file, dir;
        const char* rel;
    } cases[] = {{true, true, "Work\\Board.PCB"},   {true, true, "WORK\\BOARD.PCB"},
                 {true, true, "work\\board.pcb"},   {false, true, "Work"},
                 {false, true, "WORK\\"},           {false, false, "Work\\.hidden"},
                 {false, false, "Work\\.git"},      {true, true, "Work\\*.pcb"},
                 {true, true, "Work\\B?ard.*"},     {false, false, "Work\\*.txt"},
                 {false, true, "Work\\S*"},         {false, false, "Work\\Nope.PCB"},
                 {true, true, "Work\\Board.PCB. "}, {false, false, "W*\\Board.PCB"}};
    for (const auto& c : cases) {
        std::string t = text("") + "\\" + c.rel;
        EXPECT_EQ(platform::fileexists(t), c.file) << t;
        EXPECT_EQ(platform::direxists(t), c.dir) << t;
    }
    EXPECT_FALSE(platform::fileexists("") || platform::direxists("") || platform::direxists("C:\\"));
    for (const char* root : {"Z:\\", "z:\\", "\\"})
        EXPECT_TRUE(platform::direxists(root)) << root;
    EXPECT_TRUE(platform::fileexists("z" + text("Work").substr(1) + "\\Board.PCB"));
    EXPECT_TRUE(platform::fileexists(text("Work") + "\\Sub\\..\\Board.PCB"));
}

// Catches: a relative path text resolved against anything but the current directory.
TEST_F(PlatformTest, RelativeTextsFollowTheCurrentDirectory) {
    FK_POSIX_ONLY();
    auto old = fs::current_path();
    fs::current_path(path("Work"));
    EXPECT_TRUE(platform::fileexists("board.pcb"));
    EXPECT_TRUE(platform::fileexists("Z:board.pcb"));
    EXPECT_TRUE(platform::fileexists("Sub\\Deep.txt"));
    EXPECT_TRUE(platform::fileexists("..\\Work\\Board.PCB"));
    EXPECT_TRUE(platform::direxists("."));
    EXPECT_EQ(platform::currentDirectory(), text("Work"));
    fs::current_path(old);
}

// Catches: a host path shown with slashes, a trailing backslash or without its Z: drive.
TEST_F(PlatformTest, PathTextsOfHostPaths) {
    FK_POSIX_ONLY();
    EXPECT_EQ(platform::toPathText("/tmp/work"), "Z:\\tmp\\work");
    EXPECT_EQ(platform::toPathText("/"), "Z:\\");
    EXPECT_EQ(platform::toPathText("/a/b/"), "Z:\\a\\b");
}

// Catches: a second file made beside one in another letter case, or a new file in the wrong case.
TEST_F(PlatformTest, NewFileTakesWrittenCaseUnlessAnotherCaseExists) {
    FK_POSIX_ONLY();
    EXPECT_EQ(platform::resolveForWrite(text("Work") + "\\NEW.TXT"), path("Work/NEW.TXT"));
    write("Work/board.pcb", "x"); // of two names in other cases, the first in name order
    EXPECT_EQ(platform::resolveForWrite(text("") + "\\WORK\\BOARD.pcb"), path("Work/Board.PCB"));
    EXPECT_THROW(platform::resolveForWrite(text("") + "\\Missing\\X.TXT"), platform::FileError);
    EXPECT_THROW(platform::resolveForWrite("C:\\X.TXT"), platform::FileError);
}

// Catches a line end, CR LF pair or Ctrl-Z missed where a read ends or a line runs on over several reads.
TEST_F(PlatformTest, LineEndsAtReadAndWordBoundaries) {
    struct Case {
        const char* name;
        std::string bytes;
        std::vector<std::string> lines;
    } cases[] = {
        {"Empty", "", {}},
        {"LastLineWithoutEnd", "A\r\nB", {"A", "B"}},
        {"EveryKindOfEnd", "A\nB\rC\r\n\r\nD", {"A", "B", "C", "", "D"}},
        {"CrCrIsTwoEnds", "A\r\rB", {"A", "", "B"}},
        {"CtrlZAlone", "\x1a", {}},
        {"CtrlZAfterEnd", "A\r\n\x1a", {"A"}},
        {"LineLongerThanTheBuffer", std::string(300000, 'x') + "\r\ny", {std::string(300000, 'x'), "y"}},
        {"CrLastByteOfFile", "1234567\r", {"1234567"}},
        {"CtrlZMidBuffer",
         "AB\x1a"
         "CD\r\n",
         {"AB"}},
        {"ControlBytesAndTabsStayInLine",
         "A\tB\x01"
         "C\x19\x1b\r\n",
         {"A\tB\x01"
          "C\x19\x1b"}},
        {"HighBytesStayInLine",
         "\xe4\xf6\x80\x8a\x8d\x9a\xff\xfe\x8a\n\xff",
         {"\xe4\xf6\x80\x8a\x8d\x9a\xff\xfe\x8a", "\xff"}},
    };
    // Every read size up to 13 puts each line end on a read's last byte somewhere; a short line in front puts
    // the boundary inside a line that starts mid-buffer as well as at its start.
    std::vector<size_t> readSizes(13);
    std::iota(readSizes.begin(), readSizes.end(), 1);
    readSizes.push_back(size_t{1} << 20);
    for (const auto& c : cases) {
        for (std::string first : {"", "A\n", "AB\r\n"}) {
            write("in.txt", first + c.bytes);
            std::vector<std::string> expected = c.lines;
            if (!first.empty())
                expected.insert(expected.begin(), first.substr(0, first.find_first_of("\r\n")));
            for (size_t readSize : readSizes) {
                SCOPED_TRACE(std::string(c.name) + " after [" + first + "], reads of " +
                             std::to_string(readSize));
                platform::LineReader reader(text("in.txt"));
                reader.setReadSizeForTesting(readSize);
                std::vector<std::string> got;
                std::string_view line;
                while (reader.next(line))
                    got.emplace_back(line);
                EXPECT_EQ(got, expected);
                EXPECT_EQ(reader.lineNumber(), static_cast<long>(expected.size()));
            }
        }
    }
}

// Catches the word-at-a-time scan stopping at a byte that ends no line, or passing one that does. Control
// bytes in front restart the scan, so it ends on the 8-byte path; without them, the end stands at each place
// of a full 16-byte block.
TEST(LineEnds, FoundAtEveryOffsetOfAWord) {
    for (auto [filler, tail] : {std::pair{"\x1b\t\xff\x80 a\x0b\x9a", 2}, {"\x1b\xff\x80 a~\x9a!", 16}}) {
        for (char end : {'\n', '\r', '\x1a'}) {
            for (size_t at = 0; at < 20; ++at) {
                std::string text;
                for (size_t i = 0; i < at; ++i)
                    text += filler[i % 8];
                text += end;
                text += std::string(tail, '\n');
                EXPECT_EQ(platform::findLineEnd(text.data(), text.data() + text.size()) - text.data(),
                          static_cast<long>(at))
                    << "end " << int(end) << " at " << at;
            }
        }
    }
}

// Catches a file without write bits replaced, or one with only a group or others write bit refused.
TEST_F(PlatformTest, ReadOnlyMeansNoWriteBitAtAll) {
    using enum fs::perms;
    for (auto [perms, readOnly] : {std::pair{owner_read | group_read, true},
                                   {owner_read | group_write, false},
                                   {owner_read | others_write, false}}) {
#ifdef _WIN32
        if (!readOnly)
            continue; // Windows keeps one read-only attribute, set from the owner's write bit alone
#endif
        write("Work/f.txt", "keep");
        fs::permissions(path("Work/f.txt"), perms);
        EXPECT_EQ(platform::isReadOnly(text("Work") + "\\f.txt"), readOnly);
        if (readOnly) {
            EXPECT_THROW(platform::AtomicWriter(text("Work") + "\\f.txt"), platform::FileError);
            platform::resetAttributes(text("Work") + "\\f.txt");
            EXPECT_FALSE(platform::isReadOnly(text("Work") + "\\f.txt"));
        } else {
            platform::AtomicWriter(text("Work") + "\\f.txt").commit();
            EXPECT_EQ(read("Work/f.txt"), "");
        }
    }
}

// Catches settings kept beside an executable they may not be, or an empty or relative XDG_CONFIG_HOME used.
TEST(ProgramDirectory, BesideTheExecutableElseTheUsersConfiguration) {
    FK_POSIX_ONLY();
    struct Case {
        bool beside;
        const char *xdg, *home, *expected;
    };
    for (const Case& c :
         {Case{true, "/xdg", "/home/me", "Z:\\opt\\fk"}, Case{false, "/xdg", "/home/me", "Z:\\xdg\\flashkit"},
          Case{false, "", "/home/me", "Z:\\home\\me\\.config\\flashkit"},
          Case{false, "xdg", "/home/me", "Z:\\home\\me\\.config\\flashkit"},
          Case{false, nullptr, "/home/me", "Z:\\home\\me\\.config\\flashkit"}}) {
        platform::ProgramDirFacts facts{.executableDir = "Z:\\opt\\fk",
                                        .besideExecutable = c.beside,
                                        .xdgConfigHome = c.xdg,
                                        .home = c.home};
        EXPECT_EQ(platform::programDirectoryFor(facts), c.expected) << (c.xdg ? c.xdg : "(unset)");
    }
}

// Catches: a line that never ends taking all memory; the limit being off by one.
TEST_F(PlatformTest, LineLongerThanTheLimitStopsTheReaderNamingTheLine) {
    write("long.txt", "short\n" + std::string(platform::maxLineLength, 'a') + "\n" +
                          std::string(platform::maxLineLength + 1, 'b'));
    platform::LineReader reader(text("long.txt"));
    std::string line;
    ASSERT_TRUE(reader.next(line));
    ASSERT_TRUE(reader.next(line));
    EXPECT_EQ(line.size(), platform::maxLineLength);
    try {
        reader.next(line);
        ADD_FAILURE() << "no error";
    } catch (const platform::FileError& e) {
        EXPECT_EQ(e.logMessage(), "Could not read the file:\r\n<" + text("long.txt") +
                                      ">\r\nLine 3 is longer than 4 MB; no job reads lines that long.");
    }
}

// Catches: temporary names longer than the file system allows; links replaced by plain files; modes lost.
TEST_F(PlatformTest, ReplacedTargetsKeepLinksModesAndLongNames) {
    FK_POSIX_ONLY();
    const std::string longName = std::string(250, 'L') + ".TXT";
    write("real/data.txt", "old");
    fs::permissions(path("real/data.txt"),
                    fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    fs::create_directories(path("Work"));
    fs::create_symlink(path("real/data.txt"), path("Work/link.txt"));
    {
        platform::AtomicWriter viaLink(text("Work") + "\\link.txt");
        platform::AtomicWriter named(text("Work") + "\\" + longName);
        viaLink.write("new");
        named.write("long");
        platform::replaceTogether(std::vector<platform::AtomicWriter*>{&viaLink, &named});
    }
    EXPECT_TRUE(fs::is_symlink(path("Work/link.txt")));
    EXPECT_EQ(read("real/data.txt"), "new");
    EXPECT_EQ(fs::status(path("real/data.txt")).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(read("Work/" + longName), "long");
    for (const char* dir : {"Work", "real"}) {
        for (const auto& e : fs::directory_iterator(path(dir)))
            EXPECT_EQ(e.path().filename().string().find(".fk-"), std::string::npos) << e.path();
    }
}

// Catches: names converted through the ANSI code page, or a host path made from a plain narrow text: in a
// folder named in Greek, Cyrillic and Chinese letters files are made, listed, read, replaced and removed.
TEST_F(PlatformTest, NamesInAnyScript) {
    const std::string folderName = "Ωμέγα-Кириллица-漢字", fileName = "Δата-字.txt";
    const fs::path hostFolder = root_ / platform::hostPathOfUtf8(folderName);
    fs::create_directories(hostFolder);
    const std::string folder = platform::toPathText(hostFolder);
    ASSERT_EQ(folder, text("") + "\\" + folderName);
    const std::string file = folder + "\\" + fileName, copy = folder + "\\copy-" + fileName;
    for (const char* content : {"first", "second"}) { // made, then replaced
        platform::AtomicWriter out(file);
        out.writeLine(content);
        out.commit();
    }
    platform::copyFile(file, copy);
    EXPECT_TRUE(platform::isDirectoryText(folder));
    EXPECT_TRUE(platform::fileexists(folder + "\\*-字.txt"));
    EXPECT_EQ(platform::filelength(file), 8u);
    std::string line;
    EXPECT_TRUE(platform::LineReader(copy).next(line)); // closed again, or Windows keeps the file
    EXPECT_EQ(line, "second");
    const auto named = [](const std::vector<platform::DirEntry>& entries) {
        std::vector<std::string> names;
        for (const auto& e : entries)
            names.push_back(e.name + (e.directory ? "\\" : ""));
        return names;
    };
    EXPECT_EQ(named(platform::listDirectory(text(""))), (Lines{"prog\\", "Work\\", folderName + "\\"}));
    EXPECT_EQ(named(platform::listDirectory(folder)), (Lines{"copy-" + fileName, fileName}));
    platform::host::removeQuietly(*platform::resolveExisting(copy));
    EXPECT_FALSE(platform::fileexists(copy));
    EXPECT_EQ(readBytes(hostFolder / platform::hostPathOfUtf8(fileName)), "second\r\n");
    std::vector<std::string> onDisk; // no temporary file left, hidden or not
    for (const auto& e : fs::directory_iterator(hostFolder))
        onDisk.push_back(platform::utf8OfHostPath(e.path().filename()));
    EXPECT_EQ(onDisk, Lines{fileName});
}

#ifdef _WIN32
// Catches: hidden or system files counted as ordinary on Windows.
TEST_F(PlatformTest, HiddenAndSystemAttributesAreNotOrdinary) {
    const std::string board = text("Work") + "\\Board.PCB";
    EXPECT_TRUE(platform::fileexists(board));
    EXPECT_TRUE(platform::fileexists(text("Work") + "\\BOARD.pcb"));
    SetFileAttributesA(board.c_str(), FILE_ATTRIBUTE_HIDDEN);
    EXPECT_FALSE(platform::fileexists(board));
    EXPECT_FALSE(platform::direxists(board));
    EXPECT_FALSE(platform::fileexists(text("Work") + "\\B*.PCB"));
    SetFileAttributesA(board.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_TRUE(platform::direxists(text("Work") + "\\"));
    EXPECT_TRUE(platform::direxists(text("Work").substr(0, 3)));
    EXPECT_FALSE(platform::fileexists(text("Work")));
    EXPECT_TRUE(platform::direxists(text("Work")));
}
#endif

// Catches: * and ? matched otherwise than Windows does, "*.*" and trailing dots included.
TEST(Wildcards, MatchAsOnWindows) {
    struct Case {
        const char *pattern, *name;
        bool match;
    } cases[] = {{"*.*", "README", true},    {"*.pcb", "BOARD.PCB", true}, {"*.pcb", "BOARD.PCBX", false},
                 {"B?ARD.*", "BOARD", true}, {"*.", "BOARD", true},        {"*.", "BOARD.PCB", false},
                 {"a*b*c", "aXXbYYc", true}, {"a*b*c", "aXXbYY", false},   {"*", ".x", true}};
    for (const auto& c : cases)
        EXPECT_EQ(platform::wildcardMatch(c.pattern, c.name), c.match) << c.pattern << " " << c.name;
}

} // namespace

// The file window both desktop programs draw: what typed texts, folder clicks, OK and Enter and patterns do.
#include "model/fields.hpp"
#include "model/filewindow.hpp"
#include "support.hpp"
#include "util/text.hpp"

namespace fk::test {

class FileWindowTest : public Scratch {
  protected:
    void SetUp() override {
        Scratch::SetUp();
        fs::create_directories(path("w/Sub"));
        fs::create_directories(path("w/Empty"));
        for (const char* name : {"w/A.GBR", "w/B.GBR", "w/C.TXT", "w/Sub/X.GBR"})
            write(name, "x");
    }
    // In a case's texts "@" is the folder w, "^" the folder above it, "~" w without its drive, "!" w's drive
    // alone, "&" that drive in the other case and "%" w as the host writes it.
    std::string placed(std::string text) const {
        const std::string w = Scratch::text("w");
        const std::string letter = w.substr(0, 1);
        const std::string otherCase =
            letter == util::upper(letter) ? util::lower(letter) : util::upper(letter);
        const std::vector<std::pair<char, std::string>> marks{{'@', w},
                                                              {'^', Scratch::text("")},
                                                              {'~', w.substr(2)},
                                                              {'!', w.substr(0, 2)},
                                                              {'&', otherCase + w.substr(1, 1)},
                                                              {'%', path("w").string()}};
        for (const auto& [mark, value] : marks)
            for (size_t at; (at = text.find(mark)) != std::string::npos;)
                text.replace(at, 1, value);
        return text;
    }
    // The choice when the window closes, else where it is, its pattern, its files and its status line.
    static std::string observed(const model::FileWindow& w, const std::optional<std::string>& chosen) {
        if (chosen)
            return *chosen;
        std::string files;
        for (const auto& name : w.files())
            files += (files.empty() ? "" : ",") + name;
        return "open " + w.directory() + " " + w.pattern() + " [" + files + "] " + w.status();
    }
};

// OK and Enter in "File name" or the file list both confirm; a typed text does what it does in the file
// windows users know, and the window never closes without a choice or a word why not.
TEST_F(FileWindowTest, WhatConfirmingDoes) {
    struct Case {
        bool folder;       // a folder is asked for (a path caption's browse)
        const char* click; // the folder row clicked once before, by its label; "" for none
        const char* typed; // "File name"
        std::string after; // observed()
        const char* start = "w";
    };
    const std::string all = " *.* [A.GBR,B.GBR,C.TXT] ";
    const std::vector<Case> cases{
        {false, "", "A.GBR", "@\\A.GBR"},
        {false, "", " A.GBR ,B.GBR", "@\\A.GBR ,B.GBR"},
        {false, "", "A.GBR\r\nB.GBR\r\n", "@\\A.GBR ,B.GBR"},
        {false, "", "\"A.GBR\" ,\"NEW.GBR\"", "@\\A.GBR ,NEW.GBR"},
        {false, "", "\"\" ,A.GBR", "@\\A.GBR"},
        {false, "", "NEW.GBR", "@\\NEW.GBR"},
        {false, "", "@\\Sub\\X.GBR", "@\\Sub\\X.GBR"},
        {false, "", "%/Sub/X.GBR", "@\\Sub\\X.GBR"},
        {false, "", "~\\Sub\\X.GBR", "@\\Sub\\X.GBR"},
        {false, "", "!C.TXT", "@\\C.TXT"},
        {false, "", "Sub\\..\\C.TXT", "@\\C.TXT"},
        {false, "", "@\\Sub", "open @\\Sub *.* [X.GBR] "},
        {false, "", "Empty", "open @\\Empty *.* [] "},
        {false, "", "..", "open ^ *.* [] "},
        {false, "", "*.TXT", "open @ *.TXT [C.TXT] "},
        {false, "", "Sub\\*.G?R", "open @\\Sub *.G?R [X.GBR] "},
        {false, "", "", "open @" + all + "No file chosen: highlight one or type its name."},
        {false, "", "Nope\\X.GBR", "open @" + all + "The folder @\\Nope does not exist."},
        {false, "", "A.GBR ,Sub\\X.GBR",
         "open @" + all + "Several names are taken from this folder only: Sub\\X.GBR"},
        {false, "", "A.GBR ,Sub/X.GBR",
         "open @" + all + "Several names are taken from this folder only: Sub/X.GBR"},
        {false, "", "A.GBR ,!C.TXT",
         "open @" + all + "Several names are taken from this folder only: !C.TXT"},
        {false, "", "*.TXT ,A.GBR", "open @" + all + "Several names are taken from this folder only: *.TXT"},
        {false, "", "&~\\A.GBR", "@\\A.GBR"},
        {false, "", "&C.TXT", "@\\C.TXT"},
        {false, "", "*.GBR; *.TXT", "open @ *.GBR; *.TXT [A.GBR,B.GBR,C.TXT] "},
        {false, "", "!*.TXT", "open @ *.TXT [C.TXT] "},
        {false, "", "&*.TXT", "open @ *.TXT [C.TXT] "},
        {false, "", "Nope\\*.GBR", "open @" + all + "The folder @\\Nope does not exist."},
        {false, "", "..\\..", "open ^ *.* [] ", "w/Sub"},
        {false, "", "Sub\\..\\..", "open ^ *.* [] "},
        {true, "", "..\\..", "open ^ *.* [] ", "w/Sub"},
        {true, "", "!\\", "!\\"},
        {true, "!\\", "", "!\\"},
        {false, "Sub", "", "open @\\Sub *.* [X.GBR] "},
        {true, "", "", "@\\"},
        {true, "Empty", "", "@\\Empty\\"},
        {true, "Sub", "", "@\\Sub\\"},
        {true, "", "@\\Empty", "@\\Empty\\"},
        {true, "", "Sub", "@\\Sub\\"},
        {true, "", "..", "open ^ *.* [] "},
        {true, "", "A.GBR", "@\\A.GBR"},
    };
    for (const auto& c : cases) {
        model::FileWindow w({.mask = "", .startDirectory = text(c.start), .title = "", .folder = c.folder});
        for (size_t row = 0; row < w.folders().size(); ++row)
            if (w.folders()[row].label == placed(c.click))
                w.highlightFolder(row);
        w.typeNames(placed(c.typed));
        EXPECT_EQ(observed(w, w.confirm()), placed(c.after)) << c.typed << " " << c.click;
    }
}

// Highlighted files are what OK returns, in list order, each once; a new pattern keeps the names, another
// folder empties them; the folder list is the chain from the root, then the subfolders one step further in.
TEST_F(FileWindowTest, HighlightingAndTheFolderList) {
    model::FileWindow w({.mask = "*.GBR;*.TXT", .startDirectory = text("w/Sub/.."), .title = ""});
    ASSERT_EQ(w.directory(), text("w"));
    const size_t here = w.currentFolderRow();
    EXPECT_EQ(w.folders()[here].depth, static_cast<int>(here));
    EXPECT_EQ(w.folders().front().label, w.directory().substr(0, 3));
    EXPECT_EQ(w.folders()[here + 2].label + " " + std::to_string(w.folders()[here + 2].depth),
              "Sub " + std::to_string(here + 1));
    w.highlightFiles({2, 0, 7, 0});
    EXPECT_EQ(w.names() + " " + w.count(), "A.GBR\nC.TXT 2");
    w.choosePattern("*.GBR");
    EXPECT_EQ(w.confirm(), text("w") + "\\A.GBR ,C.TXT");
    // The latest click counts: a folder clicked after a file is what OK opens, and a file after a folder.
    w.highlightFiles({0});
    w.highlightFolder(here + 2);
    EXPECT_EQ(observed(w, w.confirm()), "open " + text("w/Sub") + " *.GBR [X.GBR] ");
    w.openFolder(here);
    w.highlightFolder(here + 2);
    w.highlightFiles({1});
    EXPECT_EQ(w.confirm(), text("w") + "\\B.GBR");
    w.highlightFolder(here + 2);
    w.highlightFiles({});
    EXPECT_EQ(observed(w, w.confirm()),
              "open " + text("w") + " *.GBR [A.GBR,B.GBR] No file chosen: highlight one or type its name.");
    w.openFolder(here + 2);
    EXPECT_EQ(w.directory() + "|" + w.names(), text("w/Sub") + "|");
    // A drive that cannot be read says so and leaves the window where it was; the current folder's drive,
    // in either case, goes to the current folder.
    w.chooseDrive("Q:");
    EXPECT_EQ(w.directory() + "|" + w.status(), text("w/Sub") + "|Drive Q: cannot be read.");
    const std::string current = platform::currentDirectory();
    w.chooseDrive(util::lower(current.substr(0, 2)));
    EXPECT_EQ(w.directory() + "|" + w.status(), platform::realCase(current) + "|");
    EXPECT_EQ(model::joinChoice("C:\\", {"A.GBR", "B.GBR"}), "C:\\A.GBR ,B.GBR");
    EXPECT_EQ(model::joinChoice("C:\\WORK", {"Z:\\HOME\\A.GBR"}), "Z:\\HOME\\A.GBR");
    EXPECT_EQ(model::joinChoice("C:\\WORK", {"\\HOME\\A.GBR"}), "\\HOME\\A.GBR");
}

// Catches a board's folder that cannot be chosen where a board's files are asked for (Board Check): OK on a
// folder highlighted, or "Board folder" on the one highlighted or else the one shown; a typed folder is still
// gone to, files are still files, and nothing of it where no board is asked for.
TEST_F(FileWindowTest, ABoardsFolderIsAChoice) {
    struct Case {
        bool board;        // a board's files are asked for
        const char* click; // the folder row clicked once before, by its label; "" for none
        const char* typed; // "File name"
        bool boardFolder;  // "Board folder" pressed, else OK
        std::string after; // observed()
    };
    const std::string all = " *.* [A.GBR,B.GBR,C.TXT] ";
    const Case cases[] = {
        {true, "Sub", "", false, "@\\Sub\\"},
        {true, "", "", true, "@\\"},
        {true, "Sub", "", true, "@\\Sub\\"},
        {true, "", "Sub", false, "open @\\Sub *.* [X.GBR] "},
        {true, "", "A.GBR ,B.GBR", false, "@\\A.GBR ,B.GBR"},
        {true, "", "", false, "open @" + all + "No file chosen: highlight one or type its name."},
        {false, "Sub", "", false, "open @\\Sub *.* [X.GBR] "},
        {false, "", "", true, "open @" + all},
    };
    for (const auto& c : cases) {
        model::FileWindow w({.mask = "", .startDirectory = text("w"), .title = "", .board = c.board});
        EXPECT_EQ(w.offersBoardFolder(), c.board);
        for (size_t row = 0; row < w.folders().size(); ++row)
            if (w.folders()[row].label == c.click)
                w.highlightFolder(row);
        w.typeNames(c.typed);
        EXPECT_EQ(observed(w, c.boardFolder ? w.chooseBoardFolder() : w.confirm()), placed(c.after))
            << c.click << " " << c.typed << " " << c.boardFolder;
    }
}

// A path caption's browse takes a folder chosen by one click, an empty one too.
TEST_F(FileWindowTest, CaptionBrowseTakesAClickedFolder) {
    model::Session session(text("prog"));
    session.fileWindow = [](const app::PickRequest& request) {
        model::FileWindow w(request);
        for (size_t row = 0; row < w.folders().size(); ++row)
            if (w.folders()[row].label == "Empty")
                w.highlightFolder(row);
        return model::PickOutcome{.chosen = w.confirm().value_or(""), .browsedDirectory = w.directory()};
    };
    app::Fields fields;
    fields.indatapath = text("w");
    ASSERT_TRUE(session.browse(1, fields));
    EXPECT_EQ(fields.indatapath, util::upper(text("w/Empty")));
}

} // namespace fk::test

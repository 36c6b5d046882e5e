// Real boards of ten CAD tools (KiCad, Eagle, Altium, EasyEDA, gEDA, LibrePCB, DipTrace, Proteus, Fritzing,
// OrCAD), checked as their CAD tools wrote them against rings and gaps measured on gerbv's renderings
// (tests/samples/boards/*/expected.tsv), and with faults planted in them.
#include "app/context.hpp"
#include "board/fabrication.hpp"
#include "boardcheck/geometry.hpp"
#include "boardcheck/model.hpp"
#include "boardfolders.hpp"
#include "fab/model.hpp"
#include "model/session.hpp"
#include "support.hpp"

#include <fstream>
#include <map>
#include <sstream>

namespace fk::test {
namespace {

using boardcheck::Finding;
using boardcheck::Kind;
using util::Length;

const std::string boards = std::string(FLASHKIT_SAMPLES) + "/boards/";

std::vector<std::string> split(const std::string& line, char separator) {
    std::vector<std::string> fields;
    std::stringstream in(line);
    for (std::string field; std::getline(in, field, separator);)
        fields.push_back(field);
    return fields;
}

// One hole of expected.tsv and, per layer column name, what gerbv's rendering shows around it.
struct Measured {
    bool copper = false;
    std::optional<double> ring, other; // mils; none where NA or beyond the search
};
struct ExpectedHole {
    std::string drill;
    long line = 0;
    bool plated = true;
    std::map<std::string, Measured> layers;
};

std::vector<ExpectedHole> expectedOf(const std::string& board) {
    std::ifstream in(boards + board + "/expected.tsv");
    std::vector<std::string> columns;
    std::vector<ExpectedHole> holes;
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#')
            continue;
        const auto fields = split(line, '\t');
        if (columns.empty()) {
            columns = fields;
            continue;
        }
        ExpectedHole h{fields[0], std::stol(fields[1]), fields[9] != "no", {}};
        for (size_t i = 10; i + 2 < fields.size(); i += 3) {
            const std::string layer = columns[i].substr(0, columns[i].size() - 7); // "<layer>_copper"
            const auto number = [](const std::string& f) -> std::optional<double> {
                if (f == "NA" || f.starts_with(">"))
                    return std::nullopt;
                return std::stod(f);
            };
            h.layers[layer] = {fields[i] == "yes", number(fields[i + 1]), number(fields[i + 2])};
        }
        holes.push_back(h);
    }
    return holes;
}

// The layer file a column names ("F.Cu" names usb_breakout-F.Cu.gbr and RVPC_Rev_B-F_Cu.gbr).
std::string layerFile(const board::Fabrication& board, std::string column) {
    for (const auto& l : board.layers) {
        std::string name = l.image.name, underscored = column;
        std::replace(underscored.begin(), underscored.end(), '.', '_');
        if (name.find(column) != std::string::npos || name.find(underscored) != std::string::npos)
            return name;
    }
    return "";
}

struct Checked {
    board::Fabrication board;
    std::vector<Finding> findings;
};

Checked check(const std::string& folder, const boardcheck::Limits& limits,
              const std::map<std::string, std::string>& roles = {}) {
    Checked c{board::readFabrication(platform::toPathText(folder), roles), {}};
    const boardcheck::CopperPoints copper(c.board);
    c.findings = boardcheck::settleDrillReadings(c.board, copper);
    const auto rest = boardcheck::checkFabrication(c.board, copper, limits);
    c.findings.insert(c.findings.end(), rest.begin(), rest.end());
    return c;
}

std::vector<const Finding*> findingsOf(const Checked& c, const std::string& layer, const ExpectedHole& h) {
    std::vector<const Finding*> found;
    const std::string of = "of line " + std::to_string(h.line) + " (";
    for (const auto& f : c.findings) {
        if (f.plot == layer && f.message.find(of) != std::string::npos &&
            f.message.find(" of " + h.drill) != std::string::npos)
            found.push_back(&f);
    }
    return found;
}

double inMils(Length l) {
    return double(l.count()) / double(Length::perMil);
}

// With ring and clearance limits of 60 mil every ring and gap below it is reported with its measure.
TEST(RealBoards, RingsAndGapsAgreeWithGerbvRenderings) {
    const double limit = 60, tolerance = 0.6; // two pixels of the rendering and its arcs' chords
    boardcheck::Limits limits;
    limits.registration = boardcheck::mils(1000), limits.ring = boardcheck::mils(60), limits.web = Length();
    limits.clearance = boardcheck::mils(60), limits.edge = boardcheck::mils(60);
    // Every board's files take their roles from their names, contents and attributes alone.
    for (const std::string name :
         {"kicad4-usb-breakout", "kicad7-rvpc", "eagle-simon85", "eagle9-snappergps-accel",
          "altium-wulpus-adapter", "altium23-wulpus-msp430-programmer", "altium23-wulpus-hv-4layer",
          "easyeda-onebyone-7seg", "geda-pcb-numpres", "geda-pcb2009-arduino-shield", "librepcb0.1-can2usb",
          "diptrace4-pinephone-max30102", "proteus8-yawdamper", "fritzing1.0-nano-esp32-small",
          "orcad-layout-rs232cm"}) {
        SCOPED_TRACE(name);
        const Checked c = check(boards + name, limits);
        int compared = 0;
        for (const auto& h : expectedOf(name)) {
            for (const auto& [column, m] : h.layers) {
                const std::string layer = layerFile(c.board, column);
                SCOPED_TRACE(h.drill + " line " + std::to_string(h.line) + " on " + layer);
                ASSERT_FALSE(layer.empty()) << column;
                const auto found = findingsOf(c, layer, h);
                // The least measure of the kinds: each piece of copper near a hole is a finding of its own.
                const auto of = [&](std::initializer_list<Kind> kinds) -> const Finding* {
                    const Finding* least = nullptr;
                    for (const Finding* f : found)
                        if (std::find(kinds.begin(), kinds.end(), f->kind) != kinds.end() &&
                            (!least || (f->measured && least->measured && *f->measured < *least->measured)))
                            least = f;
                    return least;
                };
                if (!m.copper && h.plated) {
                    EXPECT_TRUE(of({Kind::NoPad, Kind::Breakout}));
                    continue;
                }
                if (m.copper && h.plated && m.ring) {
                    const Finding* ring = of({Kind::Ring, Kind::Breakout});
                    if (*m.ring < limit - tolerance) {
                        ASSERT_TRUE(ring) << "ring " << *m.ring;
                        EXPECT_NEAR(inMils(*ring->measured), std::max(*m.ring, 0.0), tolerance);
                        ++compared;
                    } else if (*m.ring > limit + tolerance) {
                        EXPECT_FALSE(ring) << "ring " << *m.ring;
                    }
                }
                if (!h.plated && m.copper) {
                    // Copper an unplated hole cuts, unless it is a flash of the hole's own size (Altium's
                    // way).
                    const Finding* cut = of({Kind::UnplatedCopper});
                    if (m.ring && std::abs(*m.ring) > tolerance) {
                        ASSERT_TRUE(cut) << "copper in an unplated hole, ring " << *m.ring;
                        EXPECT_NEAR(inMils(*cut->measured), *m.ring, tolerance);
                    }
                    continue;
                }
                // Copper near an unplated hole is the edge check's; near a plated one the clearance check's.
                const Finding* gap = of({h.plated ? Kind::Clearance : Kind::Edge});
                if (m.other && *m.other < limit - tolerance) {
                    ASSERT_TRUE(gap) << "gap " << *m.other;
                    EXPECT_NEAR(inMils(*gap->measured), *m.other, tolerance);
                    ++compared;
                } else if (!m.other || *m.other > limit + tolerance) {
                    EXPECT_FALSE(gap) << "gap " << (gap ? inMils(*gap->measured) : 0);
                }
            }
        }
        EXPECT_GE(compared, 16); // the smallest board has 5 holes on two layers
    }
}

} // namespace
} // namespace fk::test

namespace fk::test {
namespace {

// Each fault planted in a real board shows as the finding a board house would care about.
TEST_F(BoardFolders, PlantedFaultsAreFound) {
    struct Expected {
        std::string start, end;
    };
    struct Case {
        const char* fault;
        const char *board, *file, *from, *to;
        std::vector<Expected> findings;
    };
    const std::string place = "\tX 0.5796 Y 1.0800 in (X 14.723 Y 27.431 mm)\t";
    const Case cases[] = {
        {"a via moved 0.1 mm (3.94 mil) off its pad and its 7.8 mil ring",
         "kicad7-rvpc",
         "RVPC_Rev_B-PTH.drl",
         "X14.623Y27.431",
         "X14.723Y27.431",
         {{"registration\tRVPC_Rev_B-F_Cu.gbr" + place + "3.9",
           "hole of line 45 (T1) of RVPC_Rev_B-PTH.drl off the centre of its pad D28 (line 255)"},
          {"ring\tRVPC_Rev_B-B_Cu.gbr" + place + "3.9",
           "mil (0.127 mm)\thole of line 45 (T1) of RVPC_Rev_B-PTH.drl: annular ring below the minimum"}}},
        {"a component hole removed",
         "kicad7-rvpc",
         "RVPC_Rev_B-PTH.drl",
         "T2\nX8.2Y34.55\n",
         "T2\n",
         {{"pad-without-hole\tRVPC_Rev_B-F_Cu.gbr\tX 0.3228 Y 1.3602 in (X 8.200 Y 34.550 mm)\t",
           "needs a hole by its X2 function and none is drilled"},
          {"pad-without-hole\tRVPC_Rev_B-B_Cu.gbr\tX 0.3228 Y 1.3602 in (X 8.200 Y 34.550 mm)\t",
           "needs a hole by its X2 function and none is drilled"}}},
        {"the header's zeros misstated",
         "altium-wulpus-adapter",
         "PCB1.TXT",
         "METRIC,LZ",
         "METRIC,TZ",
         {{"drill-reading\tPCB1.TXT\tall 99 holes land on copper when PCB1.TXT is read as "
           "METRIC,LZ,0000.0000 "
           "(trailing zeros omitted, 4.4 digits, millimetres): its header reads as METRIC,TZ,0000.0000, "
           "where 66 of 99 do",
           ""}}},
        {"a drill file that states no format, read as the copper shows",
         "eagle-simon85",
         "",
         "",
         "",
         {{"drill-reading\tSimon-85_Rev_B.drd\t113 of 114 holes land on copper when Simon-85_Rev_B.drd is "
           "read as "
           "INCH,TZ,00.00000 (leading zeros omitted, 2.5 digits, inches): its header reads as INCH,00.0000, "
           "where 0 "
           "of 114 do; its header states no format, so it was checked as so read",
           ""},
          {"no-pad\tSimon-85_Rev_B.cmp\tX 1.2657 Y 2.5489 in (X 32.149 Y 64.742 mm)\t",
           "hole of line 138 (T10) of Simon-85_Rev_B.drd lies on no copper"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fault);
        const auto r = check(board(c.board, c.file, c.from, c.to));
        EXPECT_EQ(r.status, 1);
        for (const auto& f : c.findings)
            EXPECT_TRUE(logHas(r.log, f.start, f.end)) << f.start << " ... " << f.end << "\n" << r.log;
    }
}

// A pour drawn over a pad of another net joins them on the board: where the files name nets, that is found.
TEST_F(BoardFolders, PourOverAPadOfAnotherNet) {
    fs::create_directories(path("b"));
    const std::string head = "%TF.FileFunction,Copper,L1,Top*%\n%FSLAX46Y46*%\n%MOMM*%\n%ADD10C,1.5*%\n";
    const std::string pad = "%TO.N,VCC*%\nD10*\nX5000000Y5000000D03*\n%TD*%\n";
    const std::string pour = "%TO.N,GND*%\nG36*\nX0Y0D02*\nG01*\nX10000000Y0D01*\nX10000000Y10000000D01*\n"
                             "X0Y10000000D01*\nX0Y0D01*\nG37*\n%TD*%\n";
    write("b/board-F_Cu.gbr", head + pad + pour + "M02*\n");
    write("b/board.drl", "M48\nMETRIC\nT1C0.8\n%\nT1\nX5.0Y5.0\nM30\n");
    const auto r = check(text("b"), {"--picture", text("b.svg")});
    EXPECT_EQ(r.status, 1);
    // The picture: the pad and the pour in file order, the hole over them, the finding ringed.
    const std::string svg = read("b.svg");
    for (const std::string element :
         {"<circle cx=\"196.85\" cy=\"196.85\" r=\"29.53\" fill=\"#b87333\"/>\r\n<path d=\"M0 0 L393.7 0 "
          "L393.7 "
          "393.7 L0 393.7 Z \" fill=\"#b87333\" fill-rule=\"nonzero\"/>",
          "<g id=\"holes\">\r\n<circle cx=\"196.85\" cy=\"196.85\" r=\"15.75\" fill=\"#000000\"/>",
          // Ringed a hundredth of the board's 493.7 mils beyond the hole's 15.75, and named.
          "<circle cx=\"196.85\" cy=\"-196.85\" r=\"20.69\" fill=\"none\" stroke=\"#e00000\" "
          "stroke-width=\"1.97\"><title>net-short board-F_Cu.gbr</title></circle>",
          ">net-short</text>"})
        EXPECT_NE(svg.find(element), std::string::npos) << element << "\n" << svg;
    EXPECT_NE(
        r.log.find("net-short\tboard-F_Cu.gbr\tX 0.1969 Y 0.1969 in (X 5.000 Y 5.000 mm)\tcopper of nets VCC "
                   "and GND touches: line 7 (D10) and region of line 10"),
        std::string::npos)
        << r.log;
    // Without the pour the pad is clean, and the same board as a zip reads the same.
    write("b/board-F_Cu.gbr", head + pad + "M02*\n");
    write("b.zip",
          fab::zipOf(
              {{"gerbers/board-F_Cu.gbr", read("b/board-F_Cu.gbr")}, {"board.drl", read("b/board.drl")}}, 0));
    for (const std::string& where : {text("b"), text("b.zip")}) {
        const auto clean = check(where);
        EXPECT_EQ(clean.status, 0) << clean.log;
        EXPECT_EQ(clean.log + "\r\n",
                  crlfLines({"[Reading the board <" + where + ">]",
                             "board-F_Cu.gbr\ttop\tX2 file function Copper,L1,Top",
                             "board.drl\tdrill, plated\tExcellon content", "[1 layers, 1 holes]",
                             "Checked: holes on 1 layer, spacing and width on 1",
                             "Not checked: the board's edge (no outline), mask web (no solder mask layer), "
                             "legend (no legend layer)",
                             "Findings: 0", "[Board Check completed: the board is clean]"}));
    }
}

// In the desktop programs Board Check takes a board's zip, or any of its files picked together, and the
// picture draws what the check read: every layer (copper and outline shown, the others switched off), its
// regions as outlines, slots as slots.
TEST_F(BoardFolders, TheWindowsTakeABoardsFilesOrZip) {
    fs::create_directories(path("b"));
    write("b/board-F_Cu.v2.gbr",
          "%TF.FileFunction,Copper,L1,Top*%\n%FSLAX46Y46*%\n%MOMM*%\n%ADD10C,1.5*%\nD10*\n"
          "X5000000Y5000000D03*\nG36*\nX10000000Y0D02*\nG01*\nX12000000Y0D01*\n"
          "X12000000Y2000000D01*\nX10000000Y0D01*\nG37*\nM02*\n");
    write("b/board-F_Mask.gbr", "%FSLAX46Y46*%\n%MOMM*%\n%ADD10C,1.6*%\nD10*\nX5000000Y5000000D03*\nM02*\n");
    write("b/board.drl", "M48\nMETRIC\nT1C0.8\nT2C0.5\n%\nT1\nX5.0Y5.0\nT2\nX11.0Y0.2G85X11.5Y0.2\nM30\n");
    write("b/notes.txt", "not a board file\n");
    write("b.zip", fab::zipOf({{"gerbers/board-F_Cu.v2.gbr", read("b/board-F_Cu.v2.gbr")},
                               {"board.drl", read("b/board.drl")}},
                              0));
    struct Case {
        std::string choice, reading;
        size_t layers;
    };
    const Case cases[] = {
        {text("b") + "\\board-F_Cu.v2.gbr ,board-F_Mask.gbr ,board.drl ,notes.txt",
         "[Reading the board's files in <" + text("b") + ">]", 2},
        {text("b.zip"), "[Reading the board <" + text("b.zip") + ">]", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.choice);
        model::Session session(text("prog"));
        session.fileWindow = [&c](const app::PickRequest&) { return model::PickOutcome{c.choice, {}}; };
        // No PCB.DFN and no base name: a board's own files need neither.
        EXPECT_EQ(session.press(model::boardCheckButton, app::Fields{}), app::JobResult::Findings);
        EXPECT_TRUE(session.log().text().starts_with(c.reading + "\r\n")) << session.log().text();
        EXPECT_NE(session.log().text().find("board.drl\tdrill, plated\tExcellon content"), std::string::npos);
        const model::BoardPicture picture = session.boardPicture();
        ASSERT_EQ(picture.layers.size(), c.layers);
        EXPECT_EQ(model::layerLabel(picture.layers[0]), "board-F_Cu.v2.gbr (top)"); // every dot of its name
        EXPECT_TRUE(picture.layers[0].visible);
        using Shape = model::Primitive::Kind;
        ASSERT_EQ(picture.layers[0].primitives.size(), 2u);
        EXPECT_EQ(picture.layers[0].primitives[0].kind, Shape::Disc);
        EXPECT_EQ(picture.layers[0].primitives[0].width, util::Length::fromMillimetreDecimals(15, 1));
        const model::Primitive& region = picture.layers[0].primitives[1];
        EXPECT_EQ(region.kind, Shape::Outline);
        EXPECT_EQ(region.x, util::Length::fromMillimetreDecimals(11, 0));
        EXPECT_EQ(region.width, util::Length::fromMillimetreDecimals(2, 0));
        EXPECT_EQ(picture.layers[0].outlines.at(region.shape).front().size(), 3u);
        if (c.layers == 2) {
            EXPECT_EQ(model::layerLabel(picture.layers[1]), "board-F_Mask.gbr (topmask)");
            EXPECT_FALSE(picture.layers[1].visible);
            // Checked again, the layers stay switched as the user left them.
            model::BoardPicture before = picture;
            before.layers[0].visible = false, before.layers[1].visible = true;
            EXPECT_EQ(session.checkAgain(app::Fields{}), app::JobResult::Findings);
            model::BoardPicture again = session.boardPicture();
            model::keepChoices(before, again);
            EXPECT_FALSE(again.layers[0].visible);
            EXPECT_TRUE(again.layers[1].visible);
        }
        ASSERT_EQ(picture.holes.size(), 2u);
        EXPECT_FALSE(picture.holes[0].slot);
        EXPECT_TRUE(picture.holes[1].slot);
        EXPECT_EQ(picture.holes[1].x2, util::Length::fromMillimetreDecimals(115, 1));
        EXPECT_EQ(picture.extent.right, util::Length::fromMillimetreDecimals(12, 0));
        ASSERT_FALSE(picture.findings.empty());
    }
}

// Which file is what: the file list in the log, --role over the name, and a board the check cannot take.
TEST_F(BoardFolders, FileRolesAndRefusals) {
    const std::string kicad = board("kicad4-usb-breakout");
    // The USB plug's fingers run to the board's edge: an edge limit of 0 lets them be.
    const auto r =
        check(kicad, {"--role", "usb_breakout-B.Cu=none", "--json", text("c.json"), "--edge", "0"});
    EXPECT_EQ(r.status, 0) << r.log;
    EXPECT_EQ(r.log + "\r\n",
              crlfLines({"[Reading the board <" + kicad + ">]", "usb_breakout-B.Cu.gbr\tignored\t--role none",
                         "usb_breakout-Edge.Cuts.gbr\toutline\tX2 file function Profile,NP, in a comment",
                         "usb_breakout-F.Cu.gbr\ttop\tX2 file function Copper,L1,Top,Signal, in a comment",
                         "usb_breakout.drl\tdrill, plated\tExcellon content", "[2 layers, 22 holes]",
                         "Checked: holes on 1 layer, spacing and width on 1, edge",
                         "Not checked: mask web (no solder mask layer), legend (no legend layer)",
                         "Findings: 0", "[Board Check completed: the board is clean]"}));
    EXPECT_NE(r.err.find("Written: " + text("c.json") + "\n"), std::string::npos) << r.err;
    const std::string json = read("c.json");
    std::string escaped; // the path with its backslashes escaped
    for (char c : kicad)
        escaped += c == '\\' ? std::string("\\\\") : std::string(1, c);
    EXPECT_TRUE(json.starts_with("{\"board\":\"" + escaped + "\",\"files\":[\r\n")) << json;
    EXPECT_NE(
        json.find("\r\n{\"name\":\"usb_breakout-B.Cu.gbr\",\"role\":\"ignored\",\"why\":\"--role none\"}"),
        std::string::npos);
    EXPECT_TRUE(json.ends_with("],\"findings\":[\r\n]}\r\n")) << json;

    // Altium's merged mechanical layers (.GM) hold the board's outline.
    const auto altium = check(board("altium-wulpus-adapter"));
    EXPECT_NE(altium.log.find("\r\nPCB1.GM\toutline\tending .GM (Altium)\r\n"), std::string::npos)
        << altium.log;

    fs::remove(path("kicad4-usb-breakout/usb_breakout.drl"));
    const auto noDrill = check(kicad);
    EXPECT_EQ(noDrill.status, 2);
    EXPECT_NE(noDrill.log.find("The board has no drill file:\r\n<" + kicad +
                               ">\r\n"
                               "  usb_breakout-B.Cu.gbr: bottom (X2 file function Copper,L2,Bot,Signal, in a "
                               "comment)\r\n"),
              std::string::npos)
        << noDrill.log;
    const auto noCopper =
        check(kicad, {"--role", "usb_breakout-B.Cu=none", "--role", "usb_breakout-F.Cu=topsilk"});
    EXPECT_EQ(noCopper.status, 2);
    EXPECT_NE(noCopper.log.find("The board has no copper layer:"), std::string::npos) << noCopper.log;
    write("kicad4-usb-breakout/usb_breakout.drl", "M48\nMETRIC\nT1C0.8\n%\nM30\n");
    const auto noHole = check(kicad);
    EXPECT_EQ(noHole.status, 2);
    EXPECT_TRUE(noHole.log.ends_with(
        "  usb_breakout.drl: drill, plated (Excellon content)\r\nNothing was checked; the "
        "board's drill file with its holes is needed."))
        << noHole.log;
    // The job file names roles by path; a name keeps every dot of it.
    fs::create_directories(path("j/gerbers"));
    write("j/gerbers/top.v2.art", "%FSLAX46Y46*%\n%MOMM*%\n%ADD10C,1.5*%\nD10*\nX0Y0D03*\nM02*\n");
    write("j/holes.v2.drl", "M48\nMETRIC\nT1C0.8\n%\nT1\nX0.0Y0.0\nM30\n");
    write("j/board.gbrjob",
          R"({"FilesAttributes":[{"Path":"gerbers/top.v2.art","FileFunction":"Copper,L1,Top"},
                                {"Path":"holes.v2.drl","FileFunction":"NonPlated,1,2,NPTH"}]})");
    const auto job = check(text("j"));
    EXPECT_NE(
        job.log.find("\r\nholes.v2.drl\tdrill, unplated\tExcellon content, the job file's NonPlated,1,2,NPTH"
                     "\r\ntop.v2.art\ttop\tthe job file's Copper,L1,Top\r\n"),
        std::string::npos)
        << job.log;

    write("x.zip", "PK\x03\x04 not a zip at all");
    const auto broken = check(text("x.zip"));
    EXPECT_EQ(broken.status, 2);
    EXPECT_NE(broken.log.find("The zip cannot be read ("), std::string::npos) << broken.log;
}

} // namespace
} // namespace fk::test

namespace fk::test {
namespace {} // namespace
} // namespace fk::test

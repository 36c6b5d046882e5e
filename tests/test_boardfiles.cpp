// A board's files: each CAD tool's names and the hints in a file's head as one table of roles and whys, every
// sample board's file list, drill files as the tools write them, and folders and zips that cannot be read.
#include "board/fabrication.hpp"
#include "board/naming.hpp"
#include "boardcheck/boardcheck.hpp"
#include "model/boardpicture.hpp"
#include "support.hpp"
#include "util/text.hpp"

#include <cmath>

namespace fk::test {
namespace {

const std::string boards = std::string(FLASHKIT_SAMPLES) + "/boards/";

// Each convention with the role and the why it must give, the name read as written, in capitals and in
// small letters. A role "" is no role at all; "ignored" a drawing the check does not read.
TEST(BoardNaming, EveryConventionGivesItsRoleAndWhy) {
    struct Case {
        const char *name, *head, *role, *why;
    };
    const Case cases[] = {
        {"b-F_Cu.gbr", "", "top", "name F_Cu (KiCad)"},
        {"b-B.Cu.gbr", "", "bottom", "name B.Cu (KiCad)"},
        {"b-In1_Cu.gbr", "", "inner2", "name In1_Cu (KiCad)"},
        {"b-In30.Cu.gbr", "", "inner31", "name In30.Cu (KiCad)"},
        {"b-Edge_Cuts.gbr", "", "outline", "name Edge_Cuts (KiCad)"},
        {"b-F_Mask.gbr", "", "topmask", "name F_Mask (KiCad)"},
        {"b-B_SilkS.gbr", "", "bottomsilk", "name B_SilkS (KiCad)"},
        {"b-F_Silkscreen.gbr", "", "topsilk", "name F_Silkscreen (KiCad)"},
        {"b-B_Paste.gbr", "", "bottompaste", "name B_Paste (KiCad)"},
        {"b-F_Fab.gbr", "", "ignored", "name F_Fab (KiCad): a fabrication drawing"},
        {"b-User_1.gbr", "", "ignored", "name User_1 (KiCad): a user drawing"},
        {"b.GTL", "", "top", "ending .GTL (Protel)"},
        {"b.GBL", "", "bottom", "ending .GBL (Protel)"},
        {"b.G1", "", "inner2", "ending .G1 (Protel)"},
        {"b.G31", "", "inner32", "ending .G31 (Protel)"},
        {"b.G32", "", "", ""}, // copper layer 33 is beyond any board's
        {"b.GP1", "", "plane2", "ending .GP1 (Protel)"},
        {"b.GTS", "", "topmask", "ending .GTS (Protel)"},
        {"b.GBO", "", "bottomsilk", "ending .GBO (Protel)"},
        {"b.GTP", "", "toppaste", "ending .GTP (Protel)"},
        {"b.GKO", "", "outline", "ending .GKO (Protel)"},
        {"b.GM", "", "outline", "ending .GM (Altium)"},
        {"b.GM15", "", "outline", "ending .GM15 (Protel)"},
        {"b.GDD", "", "ignored", "ending .GDD (Protel): a drill drawing"},
        {"b.GPB", "", "ignored", "ending .GPB (Protel): a pad master"},
        {"b.G2L", "", "inner2", "ending .G2L (board houses)"},
        {"b.CMP", "", "top", "ending .CMP (Eagle)"},
        {"b.SOL", "", "bottom", "ending .SOL (Eagle)"},
        {"b.LY3", "", "inner3", "ending .LY3 (Eagle)"},
        {"b.STC", "", "topmask", "ending .STC (Eagle)"},
        {"b.PLS", "", "bottomsilk", "ending .PLS (Eagle)"},
        {"b.CRC", "", "toppaste", "ending .CRC (Eagle)"},
        {"b.DIM", "", "outline", "ending .DIM (Eagle)"},
        {"b.DCC", "", "ignored", "ending .DCC (Eagle): a documentation print"},
        {"copper_l2.gbr", "", "inner2", "name copper_l2 (Eagle 9)"},
        {"soldermask_bottom.gbr", "", "bottommask", "name soldermask_bottom (Eagle 9, LibrePCB, Allegro)"},
        {"profile.gbr", "", "outline", "name profile (Eagle 9)"},
        {"B.TOP", "", "top", "ending .TOP (OrCAD Layout)"},
        {"B.BOT", "", "bottom", "ending .BOT (OrCAD Layout)"},
        {"B.GND", "", "inner2", "ending .GND (OrCAD Layout)"},
        {"B.PWR", "", "inner3", "ending .PWR (OrCAD Layout)"},
        {"B.IN1", "", "inner4", "ending .IN1 (OrCAD Layout)"},
        {"B.SMB", "", "bottommask", "ending .SMB (OrCAD Layout)"},
        {"B.SST", "", "topsilk", "ending .SST (OrCAD Layout)"},
        {"B.SPT", "", "toppaste", "ending .SPT (OrCAD Layout)"},
        {"B.AST", "", "ignored", "ending .AST (OrCAD Layout): an assembly drawing"},
        {"B.DRD", "", "ignored", "ending .DRD (OrCAD Layout): a drill drawing"},
        {"b.front.gbr", "", "top", "name front (gEDA pcb)"},
        {"b.back.gbr", "", "bottom", "name back (gEDA pcb)"},
        {"b.bottom.gbr", "", "bottom", "name bottom (gEDA pcb, DipTrace, Allegro)"},
        {"b.group3.gbr", "", "inner3", "name group3 (gEDA pcb)"},
        {"b.frontmask.gbr", "", "topmask", "name frontmask (gEDA pcb)"},
        {"b.backsilk.gbr", "", "bottomsilk", "name backsilk (gEDA pcb)"},
        {"b.toppaste.gbr", "", "toppaste", "name toppaste (gEDA pcb, DipTrace)"},
        {"b.outline.gbr", "", "outline", "name outline (gEDA pcb, Allegro)"},
        {"b.fab.gbr", "", "ignored", "name fab (gEDA pcb, Allegro): a fabrication drawing"},
        {"b.pcb.output_soldermask.grb", "", "bottommask", "name output_soldermask (gEDA pcb 1)"},
        {"BoardOutline.gbr", "", "outline", "name BoardOutline (DipTrace, EasyEDA)"},
        {"TopAssy.gbr", "", "ignored", "name TopAssy (DipTrace): an assembly drawing"},
        {"Gerber_InnerLayer1.G1", "", "inner2", "name InnerLayer1 (EasyEDA)"},
        {"Gerber_TopSolderMaskLayer.GTS", "", "topmask", "name TopSolderMaskLayer (EasyEDA)"},
        {"Gerber_DrillDrawingLayer.GDD", "", "ignored", "name DrillDrawingLayer (EasyEDA): a drill drawing"},
        {"B - CADCAM Top Copper.GBR", "", "top", "name Top Copper (Proteus, Eagle 9)"},
        {"B - CADCAM Inner 1.GBR", "", "inner2", "name Inner 1 (Proteus)"},
        {"B - CADCAM Bottom Solder Resist.GBR", "", "bottommask", "name Bottom Solder Resist (Proteus)"},
        {"B - CADCAM Top SMT Paste.GBR", "", "toppaste", "name Top SMT Paste (Proteus)"},
        {"B - CADCAM Mechanical 1.GBR", "", "outline", "name CADCAM Mechanical 1 (Proteus)"},
        {"b_copperTop.gtl", "", "top", "name copperTop (Fritzing)"},
        {"copper_top.gbr", "", "top", "name copper_top (Eagle 9, LibrePCB)"},
        {"b_maskBottom.gbs", "", "bottommask", "name maskBottom (Fritzing)"},
        {"b_contour.gm1", "", "outline", "name contour (Fritzing)"},
        {"b_COPPER-IN2.gbr", "", "inner3", "name COPPER-IN2 (LibrePCB)"},
        {"b_OUTLINES.gbr", "", "outline", "name OUTLINES (LibrePCB)"},
        {"SILKSCREEN_TOP.art", "", "topsilk", "name SILKSCREEN_TOP (Eagle 9, LibrePCB, Allegro)"},
        {"SMT.art", "", "topmask", "name SMT (Allegro, Tango-PCB)"},
        {"DRILL.art", "", "ignored", "name DRILL (Allegro): a drill drawing"},
        {"art001.pho", "", "top", "name art001 (PADS)"},
        {"art002.pho", "", "inner2", "name art002 (PADS)"},
        {"art004.pho", "", "bottom", "name art004 (PADS)"},
        {"sm004028.pho", "", "bottommask", "name sm004028 (PADS)"},
        {"smd001023.pho", "", "toppaste", "name smd001023 (PADS)"},
        {"sst001026.pho", "", "topsilk", "name sst001026 (PADS)"},
        {"dd001024.pho", "", "ignored", "name dd001024 (PADS): a drill drawing"},
        {"laptop.gbr", "", "", ""}, // a layer's name only after a separator
        // What a head says is stronger than the name: X2, then comments, %LN and %IN.
        {"b.GBL", "%TF.FileFunction,Copper,L1,Top*%", "top", "X2 file function Copper,L1,Top"},
        {"b.gbr", "%TF.FileFunction,Copper,L2,Inr*%", "inner2", "X2 file function Copper,L2,Inr"},
        {"b.gbr", "%TF.FileFunction,Copper,L3,Inr,Plane*%", "plane3", "X2 file function Copper,L3,Inr,Plane"},
        {"b.gbr", "%TF.FileFunction,Copper,L4,Bot*%", "bottom", "X2 file function Copper,L4,Bot"},
        {"b.gbr", "%TF.FileFunction,Soldermask,Bot*%", "bottommask", "X2 file function Soldermask,Bot"},
        {"b.gbr", "%TF.FileFunction,Legend,Top*%", "topsilk", "X2 file function Legend,Top"},
        {"b.gbr", "%TF.FileFunction,Paste,Bot*%", "bottompaste", "X2 file function Paste,Bot"},
        {"b.gbr", "%TF.FileFunction,Profile,NP*%", "outline", "X2 file function Profile,NP"},
        {"b-F_Fab.gbr", "%TF.FileFunction,AssemblyDrawing,Top*%", "ignored",
         "X2 file function AssemblyDrawing,Top: no layer the check reads"},
        {"b.gbr", "G04 #@! TF.FileFunction,Copper,L1,Top,Signal*", "top",
         "X2 file function Copper,L1,Top,Signal, in a comment"},
        {"b.GTL", "%LNBACK*%", "bottom", "%LN BACK (gEDA pcb)"},
        {"b.gbr", "%LNGROUP_0*%\nG04 contains layers solder (0) GND-sldr (1) *", "bottom",
         "comment contains layers solder (0) GND-sldr (1) (gEDA pcb)"},
        {"b.gbr", "G04 Title: board, component *", "top", "comment Title: board, component (gEDA pcb)"},
        {"b.gbr", "%LNCOPPER0*%", "bottom", "%LN COPPER0 (Fritzing)"},
        {"b.gbr", "%LNBoardOutline*%", "outline", "%LN BoardOutline (DipTrace, EasyEDA)"},
        {"b.gbr", "%INTop Copper*%", "top", "%IN Top Copper (Proteus, Eagle 9)"},
        {"b.GTL", "G04 Layer: BottomLayer*", "bottom", "comment Layer: BottomLayer (EasyEDA)"},
        {"b.gbr", "G04 TopMask*\n%LPD*%", "topmask", "comment TopMask (gEDA pcb, DipTrace)"},
        {"b.gbr", "D10*\nG04 TopMask*", "", ""}, // a comment after the drawing began names no layer
    };
    board::NamingContext context{.padsBottom = 4};
    for (const auto& c : cases) {
        for (const std::string& name : {std::string(c.name), util::upper(c.name), util::lower(c.name)}) {
            SCOPED_TRACE(name + " " + c.head);
            const auto named = board::namedRole(name, c.head, context);
            ASSERT_EQ(named.has_value(), *c.role != '\0');
            if (!named)
                continue;
            EXPECT_EQ(named->role.layer == board::Layer::None ? "ignored" : board::textOf(named->role),
                      c.role);
            EXPECT_TRUE(util::equalsNoCase(named->why, c.why)) << named->why;
        }
    }
    const board::NamingContext job{.jobFunctions = {{"l2.art", "Copper,L2,Inr"}}};
    EXPECT_EQ(board::namedRole("L2.art", "", job)->why, "the job file's Copper,L2,Inr");
    EXPECT_EQ(board::padsBottomOf({"art001.pho", "ART006.PHO", "art4.pho", "sm006028.pho"}), 6);
}

// What a file is by its content, as real files open.
TEST(BoardNaming, GerberAndDrillFilesByTheirContent) {
    struct Case {
        const char* head;
        bool gerber, drill;
    };
    const Case cases[] = {
        {"*\nG04 Mass Parameters ***\n*\n%ICAS*%\nG74*%FSLAN2X34Y34*%\n", true, false}, // OrCAD Layout
        {"*\n*\nG04 PADS 9.3 Build Number: 433611*\n%FSDAX24Y24*%\n", true, false},
        {"\n\nG04 comment*\n%FSLAX46Y46*%\n", true, false},
        {"\xEF\xBB\xBF%FSLAX46Y46*%\n", true, false},
        {"G04 no format statement*\nD10*\n", false, false},
        {"INCH,TZ\n%\nM48\nM72\nT01C0.0236\n", false, true},          // older Eagle: the units before M48
        {"%\nT1C0.0280F200S100\nX026039Y011643\n", false, true},      // OrCAD Layout's thruhole.tap
        {"; NON-PLATED HOLES START AT T1\nM48\nINCH\n", false, true}, // Fritzing
        {"Drill Station Info File: x.dri\n", false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.head);
        EXPECT_EQ(board::looksLikeGerber(c.head), c.gerber);
        EXPECT_EQ(board::looksLikeDrill(c.head), c.drill);
    }
}

// Every sample board's whole file list: the role of each file and why.
TEST(BoardNaming, SampleBoardsFileLists) {
    const std::map<std::string, std::vector<std::string>> lists{
        {"altium-wulpus-adapter",
         {"expected-dfm.tsv|ignored|neither a Gerber nor a drill file",
          "expected.tsv|ignored|neither a Gerber nor a drill file",
          "PCB1.DRR|ignored|neither a Gerber nor a drill file", "PCB1.GBL|bottom|ending .GBL (Protel)",
          "PCB1.GBO|bottomsilk|ending .GBO (Protel)", "PCB1.GBP|bottompaste|ending .GBP (Protel)",
          "PCB1.GBS|bottommask|ending .GBS (Protel)", "PCB1.GM|outline|ending .GM (Altium)",
          "PCB1.GTL|top|ending .GTL (Protel)", "PCB1.GTO|topsilk|ending .GTO (Protel)",
          "PCB1.GTP|toppaste|ending .GTP (Protel)", "PCB1.GTS|topmask|ending .GTS (Protel)",
          "PCB1.TXT|drill, plated|Excellon content", "SOURCE.md|ignored|neither a Gerber nor a drill file"}},
        {"altium23-wulpus-hv-4layer",
         {"expected-dfm.tsv|ignored|neither a Gerber nor a drill file",
          "expected.tsv|ignored|neither a Gerber nor a drill file",
          "PCB1-NonPlated.TXT|drill, unplated|Excellon content, its name says unplated",
          "PCB1-Plated.TXT|drill, plated|Excellon content",
          "PCB1.DRR|ignored|neither a Gerber nor a drill file", "PCB1.G1|inner2|ending .G1 (Protel)",
          "PCB1.G2|inner3|ending .G2 (Protel)", "PCB1.GBL|bottom|ending .GBL (Protel)",
          "PCB1.GBO|bottomsilk|ending .GBO (Protel)", "PCB1.GBP|bottompaste|ending .GBP (Protel)",
          "PCB1.GBS|bottommask|ending .GBS (Protel)", "PCB1.GM|outline|ending .GM (Altium)",
          "PCB1.GTL|top|ending .GTL (Protel)", "PCB1.GTO|topsilk|ending .GTO (Protel)",
          "PCB1.GTP|toppaste|ending .GTP (Protel)", "PCB1.GTS|topmask|ending .GTS (Protel)",
          "SOURCE.md|ignored|neither a Gerber nor a drill file"}},
        {"altium23-wulpus-msp430-programmer",
         {"expected-dfm.tsv|ignored|neither a Gerber nor a drill file",
          "expected.tsv|ignored|neither a Gerber nor a drill file",
          "PCB_JTAG_PULP.DRR|ignored|neither a Gerber nor a drill file",
          "PCB_JTAG_PULP.GBL|bottom|ending .GBL (Protel)",
          "PCB_JTAG_PULP.GBO|bottomsilk|ending .GBO (Protel)",
          "PCB_JTAG_PULP.GBP|bottompaste|ending .GBP (Protel)",
          "PCB_JTAG_PULP.GBS|bottommask|ending .GBS (Protel)", "PCB_JTAG_PULP.GM|outline|ending .GM (Altium)",
          "PCB_JTAG_PULP.GTL|top|ending .GTL (Protel)", "PCB_JTAG_PULP.GTO|topsilk|ending .GTO (Protel)",
          "PCB_JTAG_PULP.GTP|toppaste|ending .GTP (Protel)", "PCB_JTAG_PULP.GTS|topmask|ending .GTS (Protel)",
          "PCB_JTAG_PULP.TXT|drill, plated|Excellon content",
          "SOURCE.md|ignored|neither a Gerber nor a drill file"}},
        {"diptrace4-pinephone-max30102",
         {"1 - Top.gbr|top|X2 file function Copper,L1,Top, in a comment",
          "2 - Bottom.gbr|bottom|X2 file function Copper,L2,Bot, in a comment",
          "BoardOutline.gbr|outline|X2 file function Profile, in a comment",
          "BottomAssembly.gbr|ignored|X2 file function Drawing,Bot, in a comment: no layer the check reads",
          "BottomDimension.gbr|ignored|X2 file function Drawing,Bot, in a comment: no layer the check reads",
          "BottomMask.gbr|bottommask|X2 file function Soldermask,Bot, in a comment",
          "BottomPaste.gbr|bottompaste|X2 file function Paste,Bot, in a comment",
          "BottomSilk.gbr|bottomsilk|X2 file function Legend,Bot, in a comment",
          "expected.tsv|ignored|neither a Gerber nor a drill file",
          "SOURCE.md|ignored|neither a Gerber nor a drill file", "Through.drl|drill, plated|Excellon content",
          "TopAssembly.gbr|ignored|X2 file function Drawing,Top, in a comment: no layer the check reads",
          "TopDimension.gbr|ignored|X2 file function Drawing,Top, in a comment: no layer the check reads",
          "TopMask.gbr|topmask|X2 file function Soldermask,Top, in a comment",
          "TopPaste.gbr|toppaste|X2 file function Paste,Top, in a comment",
          "TopSilk.gbr|topsilk|X2 file function Legend,Top, in a comment"}},
        {"eagle-simon85",
         {"expected-dfm.tsv|ignored|neither a Gerber nor a drill file",
          "expected.tsv|ignored|neither a Gerber nor a drill file",
          "Simon-85_Rev_B.cmp|top|ending .CMP (Eagle)", "Simon-85_Rev_B.dim|outline|ending .DIM (Eagle)",
          "Simon-85_Rev_B.drd|drill, plated|Excellon content",
          "Simon-85_Rev_B.dri|ignored|neither a Gerber nor a drill file",
          "Simon-85_Rev_B.drl|ignored|neither a Gerber nor a drill file",
          "Simon-85_Rev_B.plc|topsilk|ending .PLC (Eagle)", "Simon-85_Rev_B.sol|bottom|ending .SOL (Eagle)",
          "Simon-85_Rev_B.stc|topmask|ending .STC (Eagle)",
          "Simon-85_Rev_B.sts|bottommask|ending .STS (Eagle)",
          "SOURCE.md|ignored|neither a Gerber nor a drill file"}},
        {"eagle9-snappergps-accel",
         {"copper_bottom.gbr|bottom|%IN Bottom Copper (Proteus, Eagle 9)",
          "copper_top.gbr|top|%IN Top Copper (Proteus, Eagle 9)", "drills.xln|drill, plated|Excellon content",
          "expected-dfm.tsv|ignored|neither a Gerber nor a drill file",
          "expected.tsv|ignored|neither a Gerber nor a drill file",
          "gerber_job.gbrjob|ignored|the job file: it names the others' roles",
          "profile.gbr|outline|name profile (Eagle 9)",
          "silkscreen_bottom.gbr|bottomsilk|%IN Silkscreen Bottom (Eagle 9, LibrePCB, Allegro)",
          "silkscreen_top.gbr|topsilk|%IN Silkscreen Top (Eagle 9, LibrePCB, Allegro)",
          "soldermask_bottom.gbr|bottommask|%IN Soldermask Bottom (Eagle 9, LibrePCB, Allegro)",
          "soldermask_top.gbr|topmask|%IN Soldermask Top (Eagle 9, LibrePCB, Allegro)",
          "solderpaste_bottom.gbr|bottompaste|%IN Solderpaste Bottom (Eagle 9, LibrePCB)",
          "solderpaste_top.gbr|toppaste|%IN Solderpaste Top (Eagle 9, LibrePCB)",
          "SOURCE.md|ignored|neither a Gerber nor a drill file"}},
        {"easyeda-onebyone-7seg",
         {"Drill_PTH_Through.DRL|drill, plated|Excellon content",
          "expected-dfm.tsv|ignored|neither a Gerber nor a drill file",
          "expected.tsv|ignored|neither a Gerber nor a drill file",
          "Gerber_BoardOutlineLayer.GKO|outline|comment Layer: BoardOutlineLayer (EasyEDA)",
          "Gerber_BottomLayer.GBL|bottom|comment Layer: BottomLayer (EasyEDA)",
          "Gerber_BottomSilkscreenLayer.GBO|bottomsilk|comment Layer: BottomSilkscreenLayer (EasyEDA)",
          "Gerber_BottomSolderMaskLayer.GBS|bottommask|comment Layer: BottomSolderMaskLayer (EasyEDA)",
          "Gerber_TopLayer.GTL|top|comment Layer: TopLayer (EasyEDA)",
          "Gerber_TopPasteMaskLayer.GTP|toppaste|comment Layer: TopPasteMaskLayer (EasyEDA)",
          "Gerber_TopSilkscreenLayer.GTO|topsilk|comment Layer: TopSilkscreenLayer (EasyEDA)",
          "Gerber_TopSolderMaskLayer.GTS|topmask|comment Layer: TopSolderMaskLayer (EasyEDA)",
          "SOURCE.md|ignored|neither a Gerber nor a drill file"}},
        {"fritzing1.0-nano-esp32-small",
         {"expected.tsv|ignored|neither a Gerber nor a drill file",
          "Nano_ESP32-PCB_Smal-V02_contour.gm1|outline|%LN CONTOUR (Fritzing)",
          "Nano_ESP32-PCB_Smal-V02_copperBottom.gbl|bottom|%LN COPPER0 (Fritzing)",
          "Nano_ESP32-PCB_Smal-V02_copperTop.gtl|top|%LN COPPER1 (Fritzing)",
          "Nano_ESP32-PCB_Smal-V02_drill.txt|drill, plated|Excellon content",
          "Nano_ESP32-PCB_Smal-V02_maskBottom.gbs|bottommask|name maskBottom (Fritzing)",
          "Nano_ESP32-PCB_Smal-V02_maskTop.gts|topmask|name maskTop (Fritzing)",
          "Nano_ESP32-PCB_Smal-V02_pnp.xy|ignored|neither a Gerber nor a drill file",
          "Nano_ESP32-PCB_Smal-V02_silkBottom.gbo|bottomsilk|%LN SILK0 (Fritzing)",
          "Nano_ESP32-PCB_Smal-V02_silkTop.gto|topsilk|%LN SILK1 (Fritzing)",
          "SOURCE.md|ignored|neither a Gerber nor a drill file"}},
        {"geda-pcb-numpres",
         {"expected-dfm.tsv|ignored|neither a Gerber nor a drill file",
          "expected.tsv|ignored|neither a Gerber nor a drill file",
          "numpres.pcb.output_componentmask.grb|topmask|name output_componentmask (gEDA pcb 1)",
          "numpres.pcb.output_componentsilk.grb|topsilk|name output_componentsilk (gEDA pcb 1)",
          "numpres.pcb.output_group1.grb|bottom|comment contains layers solder (0) GND-sldr (1) Vcc-sldr (2) "
          "(gEDA pcb)",
          "numpres.pcb.output_group2.grb|top|comment contains layers component (3) GND-comp (4) Vcc-comp (5) "
          "(gEDA pcb)",
          "numpres.pcb.output_plated-drill.grb|drill, plated|Excellon content",
          "numpres.pcb.output_soldermask.grb|bottommask|name output_soldermask (gEDA pcb 1)",
          "numpres.pcb.output_unplated-drill.grb|drill, unplated|Excellon content, its name says unplated",
          "SOURCE.md|ignored|neither a Gerber nor a drill file"}},
        {"geda-pcb2009-arduino-shield",
         {"board.back.gbr|bottom|%LN BACK (gEDA pcb)",
          "board.backmask.gbr|bottommask|%LN BACKMASK (gEDA pcb)",
          "board.backsilk.gbr|bottomsilk|comment Title: (unknown), bottomsilk (gEDA pcb, DipTrace)",
          "board.fab.gbr|ignored|comment Title: (unknown), fab (gEDA pcb, Allegro): a fabrication drawing",
          "board.front.gbr|top|%LN FRONT (gEDA pcb)", "board.frontmask.gbr|topmask|%LN FRONTMASK (gEDA pcb)",
          "board.frontpaste.gbr|toppaste|comment Title: (unknown), toppaste (gEDA pcb, DipTrace)",
          "board.frontsilk.gbr|topsilk|comment Title: (unknown), topsilk (gEDA pcb, DipTrace)",
          "board.plated-drill.cnc|drill, plated|Excellon content",
          "expected.tsv|ignored|neither a Gerber nor a drill file",
          "SOURCE.md|ignored|neither a Gerber nor a drill file"}},
        {"kicad4-usb-breakout",
         {"expected-dfm.tsv|ignored|neither a Gerber nor a drill file",
          "expected.tsv|ignored|neither a Gerber nor a drill file",
          "SOURCE.md|ignored|neither a Gerber nor a drill file",
          "usb_breakout-B.Cu.gbr|bottom|X2 file function Copper,L2,Bot,Signal, in a comment",
          "usb_breakout-Edge.Cuts.gbr|outline|X2 file function Profile,NP, in a comment",
          "usb_breakout-F.Cu.gbr|top|X2 file function Copper,L1,Top,Signal, in a comment",
          "usb_breakout.drl|drill, plated|Excellon content"}},
        {"kicad7-rvpc",
         {"expected-dfm.tsv|ignored|neither a Gerber nor a drill file",
          "expected.tsv|ignored|neither a Gerber nor a drill file",
          "RVPC_Rev_B-B_Cu.gbr|bottom|X2 file function Copper,L2,Bot",
          "RVPC_Rev_B-B_Mask.gbr|bottommask|X2 file function Soldermask,Bot",
          "RVPC_Rev_B-B_Paste.gbr|bottompaste|X2 file function Paste,Bot",
          "RVPC_Rev_B-B_Silkscreen.gbr|bottomsilk|X2 file function Legend,Bot",
          "RVPC_Rev_B-Edge_Cuts.gbr|outline|X2 file function Profile,NP",
          "RVPC_Rev_B-F_Cu.gbr|top|X2 file function Copper,L1,Top",
          "RVPC_Rev_B-F_Mask.gbr|topmask|X2 file function Soldermask,Top",
          "RVPC_Rev_B-F_Paste.gbr|toppaste|X2 file function Paste,Top",
          "RVPC_Rev_B-F_Silkscreen.gbr|topsilk|X2 file function Legend,Top",
          "RVPC_Rev_B-NPTH.drl|drill, unplated|Excellon content, its X2 comment NonPlated",
          "RVPC_Rev_B-PTH.drl|drill, plated|Excellon content, its X2 comment Plated",
          "SOURCE.md|ignored|neither a Gerber nor a drill file"}},
        {"librepcb0.1-can2usb",
         {"can2usb_COPPER-BOTTOM.gbr|bottom|name COPPER-BOTTOM (Eagle 9, LibrePCB)",
          "can2usb_COPPER-TOP.gbr|top|name COPPER-TOP (Eagle 9, LibrePCB)",
          "can2usb_DRILLS-NPTH.drl|drill, unplated|Excellon content, its name says unplated",
          "can2usb_DRILLS-PTH.drl|drill, plated|Excellon content",
          "can2usb_OUTLINES.gbr|outline|name OUTLINES (LibrePCB)",
          "can2usb_SILKSCREEN-BOTTOM.gbr|bottomsilk|name SILKSCREEN-BOTTOM (Eagle 9, LibrePCB, Allegro)",
          "can2usb_SILKSCREEN-TOP.gbr|topsilk|name SILKSCREEN-TOP (Eagle 9, LibrePCB, Allegro)",
          "can2usb_SOLDERMASK-BOTTOM.gbr|bottommask|name SOLDERMASK-BOTTOM (Eagle 9, LibrePCB, Allegro)",
          "can2usb_SOLDERMASK-TOP.gbr|topmask|name SOLDERMASK-TOP (Eagle 9, LibrePCB, Allegro)",
          "can2usb_SOLDERPASTE-TOP.gbr|toppaste|name SOLDERPASTE-TOP (Eagle 9, LibrePCB)",
          "expected.tsv|ignored|neither a Gerber nor a drill file",
          "SOURCE.md|ignored|neither a Gerber nor a drill file"}},
        {"orcad-layout-rs232cm",
         {"expected.tsv|ignored|neither a Gerber nor a drill file",
          "rs232_cm.asb|ignored|ending .ASB (OrCAD Layout): an assembly drawing",
          "rs232_cm.ast|ignored|ending .AST (OrCAD Layout): an assembly drawing",
          "rs232_cm.bot|bottom|ending .BOT (OrCAD Layout)",
          "rs232_cm.drd|ignored|ending .DRD (OrCAD Layout): a drill drawing",
          "rs232_cm.smb|bottommask|ending .SMB (OrCAD Layout)",
          "rs232_cm.smt|topmask|ending .SMT (OrCAD Layout)",
          "rs232_cm.ssb|bottomsilk|ending .SSB (OrCAD Layout)",
          "rs232_cm.sst|topsilk|ending .SST (OrCAD Layout)", "rs232_cm.top|top|ending .TOP (OrCAD Layout)",
          "SOURCE.md|ignored|neither a Gerber nor a drill file",
          "thruhole.tap|drill, plated|Excellon content"}},
        {"proteus8-yawdamper",
         {"expected.tsv|ignored|neither a Gerber nor a drill file",
          "SOURCE.md|ignored|neither a Gerber nor a drill file",
          "yawdamper-gerber - CADCAM Bottom Copper.GBR|bottom|name Bottom Copper (Proteus, Eagle 9)",
          "yawdamper-gerber - CADCAM Bottom Solder Resist.GBR|bottommask|name Bottom Solder Resist (Proteus)",
          "yawdamper-gerber - CADCAM Drill.DRL|drill, plated|Excellon content",
          "yawdamper-gerber - CADCAM Drill.GBR|ignored|name Drill (Allegro): a drill drawing",
          "yawdamper-gerber - CADCAM Mechanical 1.GBR|outline|name CADCAM Mechanical 1 (Proteus)",
          "yawdamper-gerber - CADCAM Netlist.IPC|ignored|neither a Gerber nor a drill file",
          "yawdamper-gerber - CADCAM READ-ME.TXT|ignored|neither a Gerber nor a drill file",
          "yawdamper-gerber - CADCAM Top Assembly.GBR|ignored|a Gerber file whose role nothing tells",
          "yawdamper-gerber - CADCAM Top Copper.GBR|top|name Top Copper (Proteus, Eagle 9)",
          "yawdamper-gerber - CADCAM Top Silk Screen.GBR|topsilk|name Top Silk Screen (Proteus)",
          "yawdamper-gerber - CADCAM Top Solder Resist.GBR|topmask|name Top Solder Resist (Proteus)"}},
    };
    for (const auto& [name, expected] : lists) {
        SCOPED_TRACE(name);
        std::vector<std::string> listed;
        for (const auto& f : board::readFabrication(platform::toPathText(boards + name), {}).files)
            listed.push_back(f.name + "|" + f.role + "|" + f.why);
        EXPECT_EQ(listed, expected);
    }
}

using util::Length;

Length inch(std::int64_t digits, int decimals) {
    return Length::fromInchDecimals(digits, decimals);
}
Length mm(std::int64_t digits, int decimals) {
    return Length::fromMillimetreDecimals(digits, decimals);
}

// Drill files as the CAD tools write them: each read into its holes and slots, the reading taken and whether
// the file left it to the reader, or refused at its line.
TEST(BoardDrills, DialectsAsTheToolsWriteThem) {
    struct Case {
        const char *what, *text;
        size_t holes;
        board::Point first;  // the first hole's centre
        size_t path;         // points of the first slot's path
        const char* taken;   // the reading its holes are placed by
        bool assumed;        // the file leaves units or zeros to the reader
        const char* refusal; // "line: expected", or "" when it reads
    };
    const Case cases[] = {
        // OrCAD Layout's thruhole.tap: no M48, no units, six-digit integers. The first lines of nesl/h34c's
        // thruhole.tap (commit 4fcc9b3e00d0ea4c5921e71bd8177d6be9aebae5; no licence stated, quoted for its
        // form alone).
        {"OrCAD Layout",
         "%\nT1C0.0100F200S100\nX007020Y001480\nX007180Y002110\nT2C0.0420F200S100\nX006000Y009000\nM30\n",
         3,
         {inch(7020, 4), inch(1480, 4)},
         0,
         "INCH,00.0000",
         true,
         ""},
        // The same with longer numbers: read in the first other reading they fit.
        {"no units, seven digits",
         "%\nT1C0.0100\nX0070200Y0014800\n",
         1,
         {inch(70200, 5), inch(14800, 5)},
         0,
         "INCH,TZ,00.00000",
         true,
         ""},
        // Older Eagle: the units line before M48 (hand-made in that form).
        {"units before M48",
         "INCH,TZ\n%\nM48\nM72\nT01C0.0236\n%\nT01\nX40944Y19842\nM30\n",
         1,
         {inch(40944, 4), inch(19842, 4)},
         0,
         "INCH,TZ,00.0000",
         false,
         ""},
        // LibrePCB's ExcellonGenerator::printRout: G00, M15, G01 and G03 with a radius A, M16, G05.
        {"LibrePCB's routed arc",
         "M48\nFMAT,2\nMETRIC,TZ\nT1C1.0\n%\nG90\nG05\nM71\nT1\nG00X0.0Y0.0\nM15\nG01X1.0Y0.0\n"
         "G03X2.0Y1.0A1.0\nG01X2.0Y2.0\nM16\nG05\nX5.0Y5.0\nT0\nM30\n",
         2,
         {mm(0, 0), mm(0, 0)},
         0,
         "METRIC,TZ,000.000",
         false,
         ""},
        // G02 with its centre as I and J, on lines of their own (modal), as the Excellon standard has it.
        {"clockwise arc by its centre",
         "M48\nMETRIC\nT1C1.0\n%\nT1\nG00\nX0.0Y1.0\nM15\nG02\nX1.0Y0.0I0.0J-1.0\nM16\n",
         1,
         {mm(0, 0), mm(1, 0)},
         0,
         "METRIC,000.000",
         false,
         ""},
        {"M30 ends the program",
         "M48\nMETRIC\nT1C1.0\n%\nT1\nX1.0Y1.0\nM30\nX2.0Y2.0\n",
         1,
         {mm(1, 0), mm(1, 0)},
         0,
         "METRIC,000.000",
         false,
         ""},
        // Fritzing's svg2gerber: tools below the number the comment names are unplated.
        {"Fritzing's plating by tool number",
         "; NON-PLATED HOLES START AT T1\n; THROUGH (PLATED) HOLES START AT T100\nM48\nINCH\nT1C0.086614\n"
         "T100C0.038\n%\nT1\nX017222Y011222\nT100\nX010000Y010000\nT00\nM30\n",
         2,
         {inch(17222, 4), inch(11222, 4)},
         0,
         "INCH,00.0000",
         false,
         ""},
        {"an arc shorter than its chord",
         "M48\nMETRIC\nT1C1.0\n%\nT1\nG00X0.0Y0.0\nM15\nG03X4.0Y0.0A1.0\nM16\n",
         0,
         {},
         0,
         "",
         false,
         "8: an arc's radius A of at least half the distance it spans"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (*c.refusal) {
            try {
                board::readDrillText(c.text);
                ADD_FAILURE() << "read";
            } catch (const drill::ExcellonError& e) {
                EXPECT_EQ(std::to_string(e.line) + ": " + e.expected, c.refusal);
            }
            continue;
        }
        const board::DrillText text = board::readDrillText(c.text);
        const auto holes = board::holesOfText(text, "d", true, 0);
        ASSERT_EQ(holes.size(), c.holes);
        EXPECT_EQ(holes[0].at, c.first);
        EXPECT_EQ(board::headerText(text.taken), c.taken);
        EXPECT_EQ(text.assumed, c.assumed);
    }
}

// A routed slot keeps every point of its path, its arcs as chords on the true circle; a plain hole and a
// straight slot keep none; the slot is named by the line of the move to its start.
TEST(BoardDrills, RoutedSlotsAlongTheirArcs) {
    const auto slotOf = [](const char* text) {
        return board::holesOfText(board::readDrillText(text), "d", true, 0);
    };
    const auto routed = slotOf("M48\nMETRIC\nT1C1.0\n%\nT1\nG00X0.0Y0.0\nM15\nG01X1.0Y0.0\nG03X2.0Y1.0A1.0\n"
                               "G01X2.0Y2.0\nM16\nG05\nX5.0Y5.0\n");
    ASSERT_EQ(routed.size(), 2u);
    const auto& path = routed[0].path;
    ASSERT_GT(path.size(), 8u);
    EXPECT_TRUE(routed[0].slot);
    EXPECT_EQ(routed[0].line, 6);
    EXPECT_EQ(path.front(), (board::Point{mm(0, 0), mm(0, 0)}));
    EXPECT_EQ(path[1], (board::Point{mm(1, 0), mm(0, 0)}));
    EXPECT_EQ(path.back(), (board::Point{mm(2, 0), mm(2, 0)}));
    EXPECT_EQ(routed[0].end, path.back());
    for (size_t i = 2; i + 1 < path.size(); ++i) { // the arc's points, centre (1, 1) mm, anticlockwise
        const double dx = double((path[i].x - mm(1, 0)).count()), dy = double((path[i].y - mm(1, 0)).count());
        EXPECT_NEAR(std::hypot(dx, dy), double(mm(1, 0).count()), double(board::chordError.count()));
        EXPECT_GT(path[i].x, path[i - 1].x);
        EXPECT_GT(path[i].y, path[i - 1].y);
    }
    EXPECT_TRUE(routed[1].path.empty());
    EXPECT_FALSE(routed[1].slot);
    // The board picture draws the routed slot along its path, a slot a chord.
    const auto picture = model::pictureOf({.fabrication = {.holes = routed}});
    ASSERT_EQ(picture.holes.size(), path.size());
    EXPECT_EQ(picture.holes[0].x, path[0].x);
    EXPECT_EQ(picture.holes[path.size() - 2].x2, path.back().x);
    EXPECT_EQ(picture.holes[path.size() - 2].y2, path.back().y);
    const auto straight = slotOf("M48\nMETRIC\nT1C1.0\n%\nT1\nG00X0.0Y0.0\nM15\nG01X3.0Y0.0\nM16\nG05\n");
    ASSERT_EQ(straight.size(), 1u);
    EXPECT_TRUE(straight[0].slot);
    EXPECT_TRUE(straight[0].path.empty());
    EXPECT_EQ(straight[0].end, (board::Point{mm(3, 0), mm(0, 0)}));
    const auto fritzing =
        slotOf("; THROUGH (PLATED) HOLES START AT T100\nM48\nINCH\nT1C0.08\nT100C0.03\n%\nT1\n"
               "X010000Y010000\nT100\nX020000Y020000\n");
    EXPECT_FALSE(fritzing[0].plated);
    EXPECT_TRUE(fritzing[1].plated);
}

} // namespace
} // namespace fk::test

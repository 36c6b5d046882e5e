// A board's file names and heads: each CAD tool's names and the hints in a file's head as one table of roles
// and whys, and what a file is by its content.
#include "board/drilltext.hpp"
#include "board/naming.hpp"
#include "support.hpp"
#include "util/text.hpp"

namespace fk::test {
namespace {

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

} // namespace
} // namespace fk::test

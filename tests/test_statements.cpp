// Every statement the format's one splitter takes, through both readers over it: the board model's (what
// Board Check reads) and the Gerber Converter's (what its rewritten file can hold). A row is one statement as
// it stands in a file and what each reader makes of it, so that neither drifts from the other unseen.
#include "app/context.hpp"
#include "board/image.hpp"
#include "support.hpp"

namespace fk::test {
namespace {

const std::string transform = " offsets, scales, mirrors, rotates or inverts the image",
                  untranslatable = " holds a command that cannot be translated";

struct Row {
    const char* what;
    std::string text;      // after the format and units, before a flash; or a format statement first
    std::string board;     // "" when read, else the refusal's finding: "found ..., expected ..."
    std::string converter; // "" when converted, else the refusal's first line up to ", which"
};

class Statements : public Scratch {
  protected:
    static std::string file(const std::string& text) {
        const std::string head = "%MOIN*%\n%ADD10C,0.01*%\n", flash = "\nD10*\nX0Y0D03*\nM02*\n";
        return text.starts_with("%FS") ? text + "\n" + head + flash : "%FSLAX26Y26*%\n" + head + text + flash;
    }
    static std::string board(const std::string& text) {
        try {
            board::readGerber("Z:\\A.GBR", file(text));
            return "";
        } catch (const app::JobStop& stop) {
            return barLines(replaced(stop.message))[2];
        }
    }
    std::string converter(const std::string& text) const {
        write("A.GBR", file(text));
        write("T.TXT", "11 10 10 ROUND\r\n");
        const auto r = cli({"gerberconverter", "--input-path", this->text(""), "--pick", "", "--pick",
                            this->text("T.TXT"), "--pick", this->text("A.GBR")});
        const auto lines = barLines(replaced(r.log));
        return r.status == 0 ? "" : lines.at(1).substr(0, lines[1].find(", which"));
    }
    static std::string replaced(std::string text) {
        for (size_t at; (at = text.find("\r\n")) != std::string::npos;)
            text.replace(at, 2, "|");
        return text;
    }
};

TEST_F(Statements, EachReaderReadsOrRefusesEveryStatement) {
    const Row rows[] = {
        // a row's statement stands on line 4, a format statement on line 1
        {"a comment that holds '%', as Eagle writes", "G04 50% done*\nG4 a % and a G04*", "", ""},
        {"a bare '*' line and blank commands, as OrCAD Layout opens a file", "*\n**\n * *", "", ""},
        {"a command across lines", "G\n0\n1*", "", ""},
        {"a parameter ended by its block's '%', two in one block", "%LPD%\n%LPD*IPPOS*%", "", ""},
        {"input code ASCII, axes as they are", "%ICAS*%\n%ASAXBY*%", "", ""},
        {"another input code", "%ICEB*%",
         "found %ICEB%, expected %ICAS% (ASCII): another input code is not read", "Line 4" + untranslatable},
        {"axes swapped", "%ASAYBX*%",
         "found %ASAYBX%, expected %ASAXBY%: an image with its axes swapped is not read",
         "Line 4" + transform},
        {"no mirror, stated and by the defaults", "%MIA0B0*%\n%MI*%", "", ""},
        {"a mirror: read exactly by the board, beyond the rewritten file", "%MIA1B0*%", "",
         "Line 4" + transform},
        {"a mirror whose number cannot be read", "%MIA*%", "found %MIA%, expected %MIA<0 or 1>B<0 or 1>%",
         "Line 4" + transform},
        {"a scale of 1", "%SFA1B1*%", "", ""},
        {"a scale", "%SFA2B2*%", "found %SFA2B2%, expected %SFA1B1%: a scaled image is not read",
         "Line 4" + transform},
        {"no offset", "%OFA0B0*%", "", ""},
        {"an offset", "%OFA1B0*%", "", "Line 4" + transform},
        {"no rotation", "%IR0*%", "", ""},
        {"a quarter turn", "%IR90*%", "", "Line 4" + transform},
        {"a turn of 45 degrees", "%IR45*%", "found %IR45%, expected %IR0%, %IR90%, %IR180% or %IR270%",
         "Line 4" + transform},
        {"a positive image, names", "%IPPOS*%\n%INboard*%\n%LNtop*%", "", ""},
        {"a negative image", "%IPNEG*%", "", "Line 4" + transform},
        {"an included file", "%IFother.gbr*%",
         "found %IFother.gbr%, expected no included file: its content is "
         "not read",
         "Line 4" + untranslatable},
        {"objects as they are", "%LMN*%\n%LR0*%\n%LS1*%", "", ""},
        {"turned objects", "%LR45*%", "found %LR45%, expected %LR0%: turned objects are not read",
         "Line 4" + transform},
        {"X2 attributes", "%TF.FileFunction,Copper,L1,Top*%\n%TA.AperFunction,ViaPad*%\n%TO.N,GND*%\n%TD*%",
         "", ""},
        {"an aperture macro across lines, and its aperture",
         "%AMDONUT*\n1,1,$1,0,0*\n1,0,$2,0,0*\n%\n%ADD11DONUT,0.1X0.05*%", "", ""},
        {"an aperture number below 10", "%ADD09C,0.1*%",
         "found %ADD09C,0.1%, expected an aperture number of 10 or more", ""},
        {"a polygon of 12 vertices, the most", "%ADD11P,0.1X12*%", "", ""},
        {"a polygon of 13 vertices", "%ADD11P,0.1X13*%",
         "found %ADD11P,0.1X13%, expected a diameter above 0 and 3 to 12 vertices", ""},
        {"clear polarity", "%LPC*%\n%LPD*%", "", "Line 4 switches to clear polarity (%LPC)"},
        {"a step and repeat of one", "%SRX1Y1.0I0J0*%\n%SR*%", "", ""},
        {"a step and repeat", "%SRX2Y3I1J0.5*%", "", "Line 4 repeats the image (%SR)"},
        {"a region", "G36*\nX0Y0D02*\nX1000Y0D01*\nX0Y1000D01*\nG37*", "", "Line 4 fills a region (G36/G37)"},
        {"an arc", "D10*\nG75*\nX1000Y0D02*\nG03*\nX0Y1000I-1000J0D01*\nG01*", "",
         "Line 8 draws an arc (G02/G03, I/J)"},
        {"deprecated codes that change nothing", "G54D10*\nG90*\nG70*\nM01*", "", ""},
        {"incremental coordinates", "G91*",
         "found G91, expected absolute coordinates (G90): incremental ones (G91) are not read",
         "Line 4 states incremental coordinates"},
        {"a parameter of no format", "%XY1*%",
         "found %XY1%, expected a parameter of the format (FS, MO, AD, AM, LP, SR, TF, ...)", ""},
        {"millimetres in capitals", "%MOMM*%", "", ""},
        {"millimetres in lower case", "%MOmm*%", "found %MOmm%, expected %MOIN% or %MOMM%",
         "Line 4 states units that cannot be read"},
        {"OrCAD's sequence number digits", "%FSLAN2X26Y26*%", "", ""},
        {"trailing zeros omitted, none omitted", "%FSTAX26Y26*%\n%FSDAX26Y26*%", "", ""},
        {"no notation, as old files state", "%FSLX26Y26*%", "", ""},
        {"incremental notation", "%FSLIX26Y26*%",
         "found %FSLIX26Y26%, expected absolute coordinates (A): incremental ones (I) are not read",
         "Line 1 states incremental coordinates"},
        {"14 digits: the board's 7.7, beyond the converter's 13", "%FSLAX77Y77*%", "",
         "Line 1 states a coordinate format that cannot be read"},
        {"a format without Y", "%FSLAX26*%", "found %FSLAX26%, expected the digits of both X and Y",
         "Line 1 states a coordinate format that cannot be read"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(board(row.text), row.board);
        EXPECT_EQ(converter(row.text), row.converter);
    }
}

} // namespace
} // namespace fk::test

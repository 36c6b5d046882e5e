#include "model/buttons.hpp"

#include "aperture/pcb2aperture.hpp"
#include "app/dfncopy.hpp"
#include "app/runner.hpp"
#include "boardcheck/boardcheck.hpp"
#include "drill/ncdrill.hpp"
#include "fab/fabexport.hpp"
#include "gerber/gerberconverter.hpp"
#include "pcbedit/pcbedit.hpp"
#include "report/rep2prevue.hpp"

#include <array>

namespace fk::model {

namespace {

constexpr std::array<Command, 18> table{{
    {.index = 0,
     .caption = "PCB >> Aperture",
     .name = "pcb2aperture",
     .job = aperture::pcb2aperture,
     .files = "Reads <input data path>\\<base>.PCB, PCB.DFN in the PCB.DFN path and the plane tables "
              "flashkit.pt, flashkit.pa, flashkit.pc (writing any that is missing). Writes PCB.DFN, its "
              "backup DFN.BAK and <input data path>\\<base>.DFN."},
    {.index = 2,
     .caption = "REP >> GerbView",
     .name = "rep2prevue",
     .job = report::rep2prevue,
     .files = "Reads <input data path>\\<base>.REP. Writes apr.apr and rck.rck in the GC Prevue path."},
    {.index = 3,
     .caption = "Fab Export",
     .name = "fabexport",
     .job = fab::fabexport,
     .files = "Reads PCB.DFN in the PCB.DFN path, Gerber plots you choose and <input data path>\\<base>.NC1. "
              "Writes <base>.<ending> (RS-274-X with X2 attributes) for each plot by its role, "
              "<base>-PTH.drl and <base>-NPTH.drl (Excellon), the job file <base>.gbrjob and all of them in "
              "<base>-fab.zip in the output data path."},
    {.index = 4,
     .caption = "PCB Processor",
     .name = "pcbprocess",
     .job = pcbedit::pcbprocess,
     .files = "Reads a design file you choose. Writes x<name> beside it."},
    {.index = 5, .caption = "", .name = "", .job = nullptr, .files = ""},
    {.index = 6,
     .caption = "NC1 >> 2,3,4",
     .name = "ncdrill",
     .job = drill::ncdrill,
     .files = "Reads <input data path>\\<base>.NC1 and brings it into the preferred form in place, keeping "
              "the original as <base>.NC1.orig. Writes <base>.NC2 to <base>.NC5 (and a copy of NC1) in the "
              "output data path."},
    // No job: a front end opens its drill preview window for this button (model/drillpreview.hpp).
    {.index = 7,
     .caption = "NC1 Coord Dump",
     .name = "",
     .job = nullptr,
     .files =
         "Opens the drill preview: reads <input data path>\\<base>.NC1 and <base>.NC2 to <base>.NC5 in the "
         "output data path and draws their holes where a drilling machine reading each file's header "
         "drills them, marking a file whose holes lie elsewhere than NC1's. Writes nothing."},
    {.index = 8,
     .caption = "Gerber Converter",
     .name = "gerberconverter",
     .job = gerber::gerberconverter,
     .files = "Reads a drill list, an aperture table and Gerber files you choose. Writes the drill list's "
              "drawing <name>.pcb beside it, x<name> beside each Gerber file and Aperture.new."},
    {.index = 9,
     .caption = "Vias >> Plane",
     .name = "viaplane",
     .job = pcbedit::viaplane,
     .files = "Reads <input data path>\\<base>.PCB and a via plane list you choose. Writes "
              "<input data path>\\v<base>.PCB."},
    {.index = 10,
     .caption = "TangoDFN >> File",
     .name = "dfn2file",
     .job = app::dfn2file,
     .files = "Copies PCB.DFN in the PCB.DFN path to <input data path>\\<base>.DFN."},
    {.index = 11,
     .caption = "File >> TangoDFN",
     .name = "file2dfn",
     .job = app::file2dfn,
     .files = "Copies <input data path>\\<base>.DFN to PCB.DFN in the PCB.DFN path."},
    // Exit status: 0 clean, 1 findings, 2 the files could not be read (docs/limits.md, Board Check).
    {.index = 12,
     .caption = "Board Check",
     .name = "boardcheck",
     .job = boardcheck::boardcheck,
     .files = "Reads PCB.DFN in the PCB.DFN path, Gerber plots you choose and <input data path>\\<base>.NC1, "
              "or a board's own Gerber and drill files (or their zip or folder) you choose. Checks every "
              "hole against "
              "every copper layer: registration, annular ring, planes, pads and holes, clearance. Writes "
              "nothing (the command line writes the JSON and picture asked for).",
     .stoppedStatus = 2},
    {.index = 13, .caption = "", .name = "", .job = nullptr, .files = ""},
    {.index = 14, .caption = "", .name = "", .job = nullptr, .files = ""},
    {.index = 15, .caption = "", .name = "", .job = nullptr, .files = ""},
    {.index = 16, .caption = "", .name = "", .job = nullptr, .files = ""},
    {.index = 17, .caption = "", .name = "", .job = nullptr, .files = ""},
    {.index = 18, .caption = "", .name = "", .job = nullptr, .files = ""},
}};

} // namespace

std::span<const Command> commands() {
    return table;
}

const Command* commandByIndex(int index) {
    for (const auto& c : table) {
        if (c.index == index)
            return &c;
    }
    return nullptr;
}

const Command* commandByName(const std::string& nameOrIndex) {
    for (const auto& c : table) {
        if (c.job && (nameOrIndex == c.name || nameOrIndex == std::to_string(c.index)))
            return &c;
    }
    return nullptr;
}

std::optional<app::JobResult> dispatch(int index, const app::JobContext& context) {
    const Command* command = commandByIndex(index);
    if (!command || !command->job)
        return std::nullopt;
    context.log().forgetWritten();
    return app::runJob(command->job, context);
}

std::string writtenSummary(const std::vector<std::string>& written) {
    if (written.empty())
        return "No file was written.";
    std::string text =
        written.size() == 1 ? "Written: " : "Written (" + std::to_string(written.size()) + "): ";
    for (size_t i = 0; i < written.size(); ++i)
        text += (i == 0 ? "" : ", ") + written[i];
    return text;
}

} // namespace fk::model

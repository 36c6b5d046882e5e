// "PCB >> Aperture": validation, then the phases in order, each announced in the log.
#include "aperture/pcb2aperture.hpp"

#include "aperture/model.hpp"
#include "app/runner.hpp"
#include "platform/files.hpp"
#include "util/text.hpp"

namespace fk::aperture {

namespace {

const std::string failedLine = "[Aperture processing failed]";

void progress(app::MessageLog& log, const char* line) {
    log.prepend(line);
    log.refresh();
}

// The first failing check decides; its message is shown alone.
bool validate(const app::JobContext& context, const std::string& design, const std::string& dfn) {
    auto& log = context.log();
    if (!platform::direxists(context.fields.indatapath))
        log.show("Invalid input data path, correct and re-try");
    else if (!platform::direxists(context.fields.dfnpath))
        log.show("Invalid PCB.DFN data path, correct and re-try");
    else if (!platform::fileexists(design))
        log.show(util::lines({"The file you specified was not found: ", util::angled(design)}));
    else if (!platform::fileexists(dfn))
        log.show(util::lines({"The PCB.DFN file you specified was not found: ", util::angled(dfn)}));
    else
        return true;
    return false;
}

Options readOptions(const app::Fields& f) {
    Options o;
    o.maskSwell = f.smswell;
    o.maskOn = f.smenable == 1;
    o.planeType = f.planes;
    return o;
}

app::JobResult process(const app::JobContext& context, const PlaneTables& planes, const std::string& design,
                       const DefinitionPaths& paths) {
    auto& log = context.log();
    const Options options = readOptions(context.fields);
    progress(log, "[Reading Tango-PCB source file]");
    auto keys = readDesign(design);
    if (!keys) {
        log.prepend(util::lines(
            {"     The file you specified was not saved in ASCII format:", "     " + design, failedLine}));
        log.refresh();
        return app::JobResult::Stopped;
    }
    progress(log, "[Extracting primitives from data]");
    Primitives primitives = extractPrimitives(*keys);
    keys.reset();
    progress(log, "[Sorting hole sizes]");
    assignToolNumbers(primitives);
    progress(log, "[Generating D-Codes]");
    DcodeTable table = generateDcodes(primitives, options);
    progress(log, "[Compressing D-Codes]");
    compressDcodes(table);
    progress(log, "[Sorting D-Codes]");
    sortDcodes(table);
    progress(log, "[Assigning normal primitives]");
    assignNormalCodes(primitives, table);
    progress(log, "[Assigning plane D-Codes]");
    assignPlaneCodes(primitives, table, planes, options.planeType);
    progress(log, "[Writing definition files]");
    if (!writeDefinitionFiles(paths, primitives, table, planes, log))
        return app::JobResult::Stopped;
    progress(log, "[Aperture processing completed successfully]");
    return app::JobResult::Completed;
}

} // namespace

app::JobResult pcb2aperture(const app::JobContext& context) {
    auto& log = context.log();
    const auto& f = context.fields;
    context.beep();
    log.clear();
    log.refresh();
    if (app::refuseBlankBaseName(context))
        return app::JobResult::Stopped;
    return app::runBody(context, {.placement = app::Placement::Prepend, .trailer = failedLine}, [&] {
        PlaneTables planes = loadplanetables(context.programDir);
        const std::string design = f.indatapath + "\\" + f.fnamebase + ".PCB";
        const DefinitionPaths paths{.dfn = f.dfnpath + "\\PCB.DFN",
                                    .backup = f.dfnpath + "\\DFN.BAK",
                                    .design = f.indatapath + "\\" + f.fnamebase + ".DFN"};
        if (!validate(context, design, paths.dfn))
            return app::JobResult::Stopped;
        return process(context, planes, design, paths);
    });
}

} // namespace fk::aperture

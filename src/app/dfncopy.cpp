#include "app/dfncopy.hpp"

#include "app/runner.hpp"
#include "platform/files.hpp"
#include "util/text.hpp"

namespace fk::app {

namespace {

struct CopyRoles {
    std::string source;
    std::string destination;
    const char* badInputPath;
    const char* badDfnPath;
    const char* notFound;
};

JobResult copyDefinition(const JobContext& context, const CopyRoles& roles) {
    auto& log = context.log();
    context.beep();
    log.clear();
    log.refresh();
    if (refuseBlankBaseName(context))
        return JobResult::Stopped;
    if (!platform::direxists(context.fields.indatapath)) {
        log.show(roles.badInputPath);
        return JobResult::Stopped;
    }
    if (!platform::direxists(context.fields.dfnpath)) {
        log.show(roles.badDfnPath);
        return JobResult::Stopped;
    }
    if (!platform::fileexists(roles.source)) {
        log.show(util::lines({roles.notFound, util::angled(roles.source)}));
        return JobResult::Stopped;
    }
    return runBody(context, {.placement = Placement::Show}, [&] {
        platform::copyFile(roles.source, roles.destination);
        log.noteWritten(roles.destination);
        log.show(util::lines({util::angled(roles.source), "copied to", util::angled(roles.destination)}));
        return JobResult::Completed;
    });
}

std::string designDfn(const Fields& f) {
    return f.indatapath + "\\" + f.fnamebase + ".DFN";
}
std::string pcbDfn(const Fields& f) {
    return f.dfnpath + "\\PCB.DFN";
}

} // namespace

JobResult dfn2file(const JobContext& context) {
    return copyDefinition(context, {pcbDfn(context.fields), designDfn(context.fields),
                                    "Invalid xxx.DFN destination file path, correct and re-try",
                                    "Invalid PCB.DFN source file path, correct and re-try",
                                    "The PCB.DFN file you specified was not found:"});
}

JobResult file2dfn(const JobContext& context) {
    return copyDefinition(context, {designDfn(context.fields), pcbDfn(context.fields),
                                    "Invalid xxx.DFN source file path, correct and re-try",
                                    "Invalid PCB.DFN destination file path, correct and re-try",
                                    "The xxx.DFN file you specified was not found:"});
}

} // namespace fk::app

#include "app/dispatch.hpp"

#include "aperture/pcb2aperture.hpp"
#include "app/dfncopy.hpp"
#include "drill/ncdrill.hpp"
#include "gerber/gerberconverter.hpp"
#include "pcbedit/pcbedit.hpp"
#include "platform/files.hpp"
#include "report/rep2prevue.hpp"

#include <array>
#include <cstdlib>

namespace fk::app {

namespace {

constexpr std::array<Command, 18> table{{
    {0, "PCB >> Aperture", "pcb2aperture", aperture::pcb2aperture},
    {2, "REP >> GerbView", "rep2prevue", report::rep2prevue},
    {3, "", "", nullptr},
    {4, "PCB Processor", "pcbprocess", pcbedit::pcbprocess},
    {5, "", "", nullptr},
    {6, "NC1 >> 2,3,4", "ncdrill", drill::ncdrill},
    {7, "NC1 Coord Dump", "", nullptr},
    {8, "Gerber Converter", "gerberconverter", gerber::gerberconverter},
    {9, "Vias >> Plane", "viaplane", pcbedit::viaplane},
    {10, "TangoDFN >> File", "dfn2file", dfn2file},
    {11, "File >> TangoDFN", "file2dfn", file2dfn},
    {12, "", "", nullptr},
    {13, "", "", nullptr},
    {14, "", "", nullptr},
    {15, "", "", nullptr},
    {16, "", "", nullptr},
    {17, "", "", nullptr},
    {18, "", "", nullptr},
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

std::optional<JobResult> dispatch(int index, const JobContext& context) {
    const Command* command = commandByIndex(index);
    if (!command || !command->job)
        return std::nullopt;
    try {
        return command->job(context);
    } catch (const platform::FileError& e) {
        context.log().append(e.logMessage());
    } catch (const JobStop& stop) {
        context.log().append(stop.message);
    } catch (const std::bad_alloc&) {
        context.log().append("Not enough memory to finish the job; no file was changed.");
    }
    context.log().refresh();
    return JobResult::Stopped;
}

} // namespace fk::app

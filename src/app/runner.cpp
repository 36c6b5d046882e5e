#include "app/runner.hpp"

#include "platform/interrupt.hpp"
#include "platform/replace.hpp"
#include "util/text.hpp"

#include <set>
#include <vector>

namespace fk::app {

namespace {

class Tidier {
  public:
    void tidy(const std::string& directory) {
        if (directory.empty() || !done_.insert(directory).second)
            return;
        for (auto& message : platform::tidyDirectory(directory))
            messages_.push_back(std::move(message));
    }
    const std::vector<std::string>& messages() const { return messages_; }

  private:
    std::set<std::string> done_;
    std::vector<std::string> messages_;
};

void addBelow(MessageLog& log, const std::string& message) {
    if (log.text().empty())
        log.show(message);
    else
        log.append(message);
}

void place(MessageLog& log, const StopReport& report, const std::string& message) {
    const std::string text = report.trailer.empty() ? message : util::lines({message, report.trailer});
    switch (report.placement) {
    case Placement::Show:
        log.show(text);
        break;
    case Placement::Prepend:
        log.prepend(text);
        break;
    case Placement::Append:
        log.append(text);
        break;
    case Placement::Below:
        addBelow(log, text);
        break;
    case Placement::AtEnd:
        log.appendRaw(text + std::string(util::crlf));
        break;
    }
    log.refresh();
}

} // namespace

JobResult runBody(const JobContext& context, const StopReport& report,
                  const std::function<JobResult()>& body) {
    try {
        platform::checkInterrupted();
        return body();
    } catch (const JobStop& stop) {
        place(context.log(), report, stop.message);
    } catch (const platform::FileError& e) {
        place(context.log(), report, e.logMessage());
    } catch (const platform::Interrupted&) {
        place(context.log(), report, "The job was stopped before it finished; no file was changed.");
    }
    return JobResult::Stopped;
}

bool refuseBlankBaseName(const JobContext& context) {
    if (!util::isBlank(context.fields.fnamebase))
        return false;
    context.log().show(blankBaseName);
    context.log().refresh();
    return true;
}

JobResult runJob(JobFunction job, const JobContext& context) {
    platform::InterruptScope interrupts;
    Tidier tidier;
    const auto& f = context.fields;
    for (const std::string* dir :
         {&context.programDir, &f.indatapath, &f.dfnpath, &f.gcpvpath, &f.outdatapath})
        tidier.tidy(*dir);
    JobContext guarded = context;
    guarded.services.pickfile = [&tidier, &context](const PickRequest& request) {
        std::string choice = context.pickfile(request);
        tidier.tidy(util::directoryOf(util::field(choice, 1, ",")));
        return choice;
    };
    JobResult result = JobResult::Stopped;
    try {
        result = job(guarded);
    } catch (const std::bad_alloc&) {
        addBelow(context.log(), "Not enough memory to finish the job; no file was changed.");
        context.log().refresh();
    }
    for (const auto& message : tidier.messages())
        addBelow(context.log(), message);
    if (!tidier.messages().empty())
        context.log().refresh();
    return result;
}

} // namespace fk::app

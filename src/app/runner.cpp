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

JobResult runGuarded(JobFunction job, const JobContext& context) {
    auto& log = context.log();
    try {
        platform::checkInterrupted();
        return job(context);
    } catch (const platform::FileError& e) {
        addBelow(log, e.logMessage());
    } catch (const JobStop& stop) {
        addBelow(log, stop.message);
    } catch (const platform::Interrupted&) {
        addBelow(log, "The job was stopped before it finished; no file was changed.");
    } catch (const std::bad_alloc&) {
        addBelow(log, "Not enough memory to finish the job; no file was changed.");
    }
    log.refresh();
    return JobResult::Stopped;
}

} // namespace

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
        tidier.tidy(util::splitname(util::field(choice, 1, ","), 3));
        return choice;
    };
    const JobResult result = runGuarded(job, guarded);
    for (const auto& message : tidier.messages())
        addBelow(context.log(), message);
    if (!tidier.messages().empty())
        context.log().refresh();
    return result;
}

} // namespace fk::app

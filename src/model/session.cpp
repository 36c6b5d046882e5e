#include "model/session.hpp"

#include "model/boardpicture.hpp"
#include "model/buttons.hpp"
#include "model/fields.hpp"
#include "model/tablememory.hpp"
#include "platform/files.hpp"
#include "util/text.hpp"

namespace fk::model {

Session::Session(std::string programDir) : programDir_(std::move(programDir)), settings_(programDir_) {}

app::Fields Session::start() {
    if (auto problem = settings_.settingsfile("load")) {
        log_.show(*problem);
        log_.refresh();
    }
    return settings_.fields();
}

std::optional<std::string> Session::close(const app::Fields& fields) {
    settings_.setFields(fields);
    return settings_.settingsfile("save");
}

std::string Session::pickfile(const app::PickRequest& request) {
    if (replay_) // the same files again, without asking
        return lastChoice_ = *replay_;
    if (!fileWindow)
        return {};
    app::PickRequest settled = request;
    settled.startDirectory = startDirectory(request, lastBrowsed_, programDir_);
    if (settled.mask.empty())
        settled.mask = "*.*";
    PickOutcome outcome = fileWindow(settled);
    if (!outcome.browsedDirectory.empty())
        lastBrowsed_ = outcome.browsedDirectory;
    lastChoice_ = outcome.chosen;
    return outcome.chosen;
}

std::optional<app::JobResult> Session::press(int index, const app::Fields& fields) {
    app::JobContext context{
        .fields = fields,
        .programDir = programDir_,
        .services = {.log = &log_,
                     .pickfile = [this](const app::PickRequest& r) { return pickfile(r); },
                     .confirm = confirm,
                     .beep = beep,
                     .editTable = [this](app::TableRequest& r) { return editTable(r); },
                     .handOver = [this](std::any made) { made_ = std::move(made); }}};
    made_.reset();
    if (index != boardCheckButton)
        return dispatch(index, context);
    context.options = checkOptions(); // as the limits row left them, saved or not
    const auto result = dispatch(index, context);
    checkChoice_ = lastChoice_;
    return result;
}

std::optional<app::JobResult> Session::checkAgain(const app::Fields& fields) {
    replay_ = checkChoice_;
    const auto result = press(boardCheckButton, fields);
    replay_.reset();
    return result;
}

BoardPicture Session::boardPicture() const {
    using Made = std::shared_ptr<const boardcheck::Checked>;
    if (const auto* checked = std::any_cast<Made>(&made_))
        return pictureOf(**checked);
    return {.problem = "The board could not be read; the log says why."};
}

bool Session::editTable(app::TableRequest& request) {
    recallTable(settings_, request);
    if (tableWindow && !tableWindow(request))
        return false;
    rememberTable(settings_, request);
    return true;
}

bool Session::browse(int caption, app::Fields& fields) {
    auto b = browseFor(caption);
    if (!b)
        return false;
    return applyChoice(*b,
                       pickfile({.mask = b->mask,
                                 .startDirectory = textOf(fields, b->start),
                                 .title = b->title,
                                 .folder = b->part == Part::directory}),
                       fields);
}

std::string startDirectory(const app::PickRequest& request, const std::string& lastBrowsed,
                           const std::string& programDir) {
    std::string start = request.startDirectory;
    if (start.empty())
        start = lastBrowsed.empty() ? platform::currentDirectory() : lastBrowsed;
    return platform::direxists(start) ? start : programDir;
}

std::string joinChoice(const std::string& directory, const std::vector<std::string>& names) {
    if (names.empty())
        return {};
    // A full path already says where it is: joined, it named "C:\WORK\Z:\HOME\A.GBR".
    const std::string& first = names.front();
    const bool fullPath = (first.size() >= 2 && first[1] == ':') || first.starts_with('\\');
    if (names.size() == 1 && fullPath)
        return first;
    std::string joined = directory;
    if (joined.empty() || joined.back() != '\\')
        joined += '\\';
    for (size_t i = 0; i < names.size(); ++i)
        joined += (i ? " ," : "") + names[i];
    return joined;
}

} // namespace fk::model

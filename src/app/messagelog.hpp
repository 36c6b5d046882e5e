// The message log: one text whose lines are separated by CR LF. Front ends observe it to repaint (GUI) or
// to echo progress (command line).
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace fk::app {

class MessageLog {
  public:
    void clear();
    void show(std::string_view message);    // the log becomes the message alone
    void prepend(std::string_view message); // message, CR LF, former text
    void append(std::string_view message);  // former text, CR LF, message
    void appendRaw(std::string_view text);  // text at the very end, no line break before it
    void refresh();
    const std::string& text() const { return text_; }
    // Where the newest message stands: on top after a prepend ("PCB >> Aperture"), else at the end. A window
    // keeps that line in view.
    bool newestOnTop() const { return newestOnTop_; }

    // The files the job has written, as path texts in the order of their commit. Kept beside the log's text,
    // never in it: the log's bytes stay the job's own, and the front ends show the list on a line of its own.
    void noteWritten(std::string pathText) { written_.push_back(std::move(pathText)); }
    const std::vector<std::string>& written() const { return written_; }
    void forgetWritten() { written_.clear(); }

    // Called with each message as it is added, and on every refresh.
    std::function<void(std::string_view)> onMessage;
    std::function<void()> onRefresh;

  private:
    void notify(std::string_view message);
    std::string text_;
    bool newestOnTop_ = false;
    std::vector<std::string> written_;
};

} // namespace fk::app

#include "app/messagelog.hpp"

#include "util/text.hpp"

namespace fk::app {

void MessageLog::notify(std::string_view message) {
    if (onMessage)
        onMessage(message);
}

void MessageLog::clear() {
    text_.clear();
}

void MessageLog::show(std::string_view message) {
    text_ = std::string(message);
    notify(message);
}

void MessageLog::prepend(std::string_view message) {
    std::string next(message);
    next += util::crlf;
    next += text_;
    text_ = std::move(next);
    notify(message);
}

void MessageLog::append(std::string_view message) {
    text_ += util::crlf;
    text_ += message;
    notify(message);
}

void MessageLog::appendRaw(std::string_view text) {
    text_ += text;
    notify(text);
}

void MessageLog::refresh() {
    if (onRefresh)
        onRefresh();
}

} // namespace fk::app

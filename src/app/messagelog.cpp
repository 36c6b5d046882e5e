#include "app/messagelog.hpp"

#include "util/text.hpp"

namespace fk::app {

void MessageLog::notify(std::string_view message) {
    if (onMessage)
        onMessage(message);
}

void MessageLog::clear() {
    text_.clear();
    newestOnTop_ = false;
}

void MessageLog::show(std::string_view message) {
    text_ = std::string(message);
    newestOnTop_ = false;
    notify(message);
}

void MessageLog::prepend(std::string_view message) {
    std::string next(message);
    next += util::crlf;
    next += text_;
    text_ = std::move(next);
    newestOnTop_ = true;
    notify(message);
}

void MessageLog::append(std::string_view message) {
    text_ += util::crlf;
    text_ += message;
    newestOnTop_ = false;
    notify(message);
}

void MessageLog::appendRaw(std::string_view text) {
    text_ += text;
    newestOnTop_ = false;
    notify(text);
}

void MessageLog::refresh() {
    if (onRefresh)
        onRefresh();
}

} // namespace fk::app

// Cutting Gerber lines into statements: the one rule of '*', '%', comments and macro blocks.
#include "rs274x/statements.hpp"

#include "util/text.hpp"

namespace fk::rs274x {

namespace {

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

} // namespace

Parameter parameterOf(std::string_view statement) {
    const std::string_view code = statement.substr(0, 2);
    for (const auto& entry : parameterTable) {
        if (entry.code == code)
            return entry.parameter;
    }
    return Parameter::Unknown;
}

bool isComment(std::string_view command) {
    if (command.size() < 2 || command[0] != 'G')
        return false;
    size_t end = 1;
    while (end < command.size() && util::isDigit(command[end]))
        ++end;
    const std::string_view digits = command.substr(1, end - 1);
    return !digits.empty() && digits.find_first_not_of('0') == digits.size() - 1 && digits.back() == '4';
}

void Splitter::add(std::string_view piece) {
    if (overlong_ || (word_.empty() && trimmed(piece).empty()))
        return;
    if (word_.size() + piece.size() > maxStatementBytes) {
        overlong_ = true;
        return;
    }
    if (wordLine_ == 0 && !trimmed(piece).empty())
        wordLine_ = number_;
    word_ += piece;
}

// Hands out a statement that ended: its kind is that of the block it stands in.
bool Splitter::take(std::string_view text, long line, Statement& statement) {
    statement.text = text;
    statement.line = line;
    statement.opensBlock = inBlock_ && first_;
    if (text.size() > maxStatementBytes) {
        statement.kind = StatementKind::Overlong;
        statement.text = text.substr(0, 72);
        return true;
    }
    if (!inBlock_) {
        statement.kind = StatementKind::Command;
    } else if (first_) {
        statement.kind = StatementKind::Parameter;
        macro_ = text.starts_with("AM");
        first_ = false;
    } else {
        statement.kind = macro_ ? StatementKind::Primitive : StatementKind::Parameter;
    }
    return true;
}

bool Splitter::next(Statement& statement) {
    while (!overlong_ && at_ < line_.size()) {
        size_t end = at_;
        while (end < line_.size() && line_[end] != '*' && line_[end] != '%')
            ++end;
        const std::string_view piece = line_.substr(at_, end - at_);
        at_ = end + 1;
        if (end == line_.size()) { // the statement goes on in the next line
            add(piece);
            return false;
        }
        const bool percent = line_[end] == '%';
        // A statement that lies whole in its line, as nearly every one does, is handed out where it stands.
        const bool joined = !word_.empty();
        if (joined) {
            add(piece);
            if (overlong_)
                break;
        }
        std::string_view text = trimmed(joined ? std::string_view(word_) : piece);
        if (percent && !inBlock_ && isComment(text)) { // the comment goes on to its '*'
            if (!joined)
                add(piece);
            add("%");
            continue;
        }
        long line = number_;
        if (joined) {
            taken_.swap(word_);
            word_.clear();
            text = trimmed(taken_);
            line = wordLine_;
            wordLine_ = 0;
        }
        const bool any = !text.empty() && take(text, line, statement);
        if (percent) {
            inBlock_ = !inBlock_;
            first_ = true;
            macro_ = false;
        }
        if (any)
            return true;
    }
    if (!overlong_)
        return false;
    statement = {.kind = StatementKind::Overlong,
                 .opensBlock = false,
                 .text = std::string_view(word_).substr(0, 72),
                 .line = wordLine_};
    return true;
}

bool Splitter::finish(Statement& statement) {
    if (overlong_)
        return next(statement);
    const std::string_view text = trimmed(word_);
    if (text.empty())
        return false;
    taken_.swap(word_);
    word_.clear();
    const long line = wordLine_;
    wordLine_ = 0;
    return take(trimmed(taken_), line, statement);
}

void Splitter::reset() {
    word_.clear();
    wordLine_ = 0;
    inBlock_ = false;
    first_ = true;
    macro_ = false;
    overlong_ = false;
}

} // namespace fk::rs274x

// The arithmetic of aperture macros: + - x / and parentheses over constants and $n variables, read without
// recursion (operators wait on a stack of their own), so that no nesting of a hostile file can exhaust the
// call stack: the stacks grow with the statement, which the splitter bounds.
#include "board/macro.hpp"
#include "util/text.hpp"

#include <cmath>
#include <string>

namespace fk::board {

namespace {

class Expression {
  public:
    Expression(std::string_view text, const std::map<int, double>& variables, long line)
        : text_(text), variables_(variables), line_(line) {}

    double value() {
        bool operand = true; // an operand is expected next (or a sign or '(' before one)
        for (skipBlanks(); at_ < text_.size(); skipBlanks()) {
            const char c = text_[at_];
            if (operand) {
                if (c == '-' || c == '+' || c == '(') {
                    operators_.push_back(c == '-' ? negate : c == '+' ? keep : open);
                    ++at_;
                } else {
                    operand_(c == '$' ? variable() : number());
                    operand = false;
                }
            } else if (c == ')') {
                while (!operators_.empty() && operators_.back() != open)
                    apply();
                if (operators_.empty())
                    fail("an operator or the end of the expression");
                operators_.pop_back();
                ++at_;
                signs();
            } else if (c == '+' || c == '-' || c == 'x' || c == 'X' || c == '/') {
                const char op = c == 'X' ? 'x' : c;
                while (!operators_.empty() && operators_.back() != open &&
                       precedence(operators_.back()) >= precedence(op))
                    apply();
                operators_.push_back(op);
                ++at_;
                operand = true;
            } else {
                fail("an operator or the end of the expression");
            }
        }
        if (operand)
            fail("a number, a variable or '('");
        while (!operators_.empty()) {
            if (operators_.back() == open)
                fail("')'");
            apply();
        }
        return values_.back();
    }

  private:
    static constexpr char negate = 'n', keep = 'k', open = '(';

    static int precedence(char op) { return op == '+' || op == '-' ? 1 : 2; }

    void operand_(double v) {
        values_.push_back(v);
        signs();
    }
    // The signs before an operand apply to it as soon as it is complete.
    void signs() {
        while (!operators_.empty() && (operators_.back() == negate || operators_.back() == keep)) {
            if (operators_.back() == negate)
                values_.back() = -values_.back();
            operators_.pop_back();
        }
    }
    void apply() {
        const char op = operators_.back();
        operators_.pop_back();
        const double rhs = values_.back();
        values_.pop_back();
        double& lhs = values_.back();
        if (op == '/' && rhs == 0)
            fail("a divisor other than 0");
        lhs = op == '+' ? lhs + rhs : op == '-' ? lhs - rhs : op == 'x' ? lhs * rhs : lhs / rhs;
        if (!std::isfinite(lhs))
            fail("a value within range");
        signs();
    }
    double variable() {
        ++at_;
        const std::size_t start = at_;
        int n = 0;
        while (at_ < text_.size() && util::isDigit(text_[at_]) && at_ - start < 6)
            n = n * 10 + (text_[at_++] - '0');
        if (at_ == start)
            fail("a variable's number after '$'");
        const auto found = variables_.find(n);
        return found == variables_.end() ? 0.0 : found->second; // an unset variable is 0
    }
    double number() {
        const std::size_t start = at_;
        bool point = false;
        while (at_ < text_.size() && (util::isDigit(text_[at_]) || (text_[at_] == '.' && !point))) {
            point = point || text_[at_] == '.';
            ++at_;
        }
        const std::string digits(text_.substr(start, at_ - start));
        if (digits.empty() || digits == ".")
            fail("a number, a variable or '('");
        const double value = std::strtod(digits.c_str(), nullptr);
        if (!std::isfinite(value))
            fail("a number within range");
        return value;
    }
    void skipBlanks() {
        while (at_ < text_.size() && (text_[at_] == ' ' || text_[at_] == '\t' || text_[at_] == '\n'))
            ++at_;
    }
    [[noreturn]] void fail(const std::string& expected) const {
        std::string rest(text_.substr(std::min(at_, text_.size())));
        if (rest.size() > 72)
            rest = rest.substr(0, 72) + "...";
        std::string whole(text_.substr(0, 72));
        if (text_.size() > 72)
            whole += "...";
        throw MacroError(line_,
                         expected + (rest.empty() ? "" : " at '" + rest + "'") + " in '" + whole + "'");
    }

    std::string_view text_;
    const std::map<int, double>& variables_;
    long line_;
    std::size_t at_ = 0;
    std::vector<double> values_;
    std::vector<char> operators_;
};

} // namespace

double macroValue(std::string_view text, const std::map<int, double>& variables, long line) {
    return Expression(text, variables, line).value();
}

} // namespace fk::board

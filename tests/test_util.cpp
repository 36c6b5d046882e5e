#include "util/fixed.hpp"
#include "util/length.hpp"
#include "util/text.hpp"

#include <gtest/gtest.h>

using namespace fk::util;

namespace {

// Catches fields cut or counted wrongly: blanks squeezed only for " ", empty fields, a trailing delimiter,
// -1.
TEST(Getfield, ReturnsFieldCountOrTrimmedText) {
    struct Case {
        std::string text;
        long n;
        std::string delimiter, expected;
    };
    for (const Case& c : {Case{"  A   B C ", 2, " ", "B"}, Case{"  A   B C ", 0, " ", "3"},
                          Case{"  A   B C ", 4, " ", ""},  Case{"  A   B C ", 1, "", "A"},
                          Case{"  A   B C ", -5, "", "3"}, Case{"A,,B", 2, ",", ""},
                          Case{"A,,B", 3, ",", "B"},       Case{"A,,B", 0, ",", "3"},
                          Case{"A,B,", 0, ",", "2"},       Case{"ABC", 1, ",", "ABC"},
                          Case{"ABC", 2, ",", ""},         Case{"ABC", 0, ",", "1"},
                          Case{"", 0, ",", "0"},           Case{"", 1, ",", ""},
                          Case{"00120", -1, "0", "12"},    Case{"0000", -1, "0", ""},
                          Case{"x", -1, "0", "x"},         Case{"  ab  ", -1, " ", "ab"},
                          Case{"", -1, ",", ""},           Case{"a b", 9000, " ", ""}})
        EXPECT_EQ(field(c.text, c.n, c.delimiter), c.expected) << '"' << c.text << "\" " << c.n;
}

// Catches the historic limit of 8000 fields coming back.
TEST(Getfield, CountsBeyondEightThousandFields) {
    std::string text;
    for (int i = 0; i < 9000; ++i)
        text += "x,";
    text += "last";
    EXPECT_EQ(field(text, 9001, ","), "last");
    EXPECT_EQ(fieldcount(text, ","), 9001);
}

// Catches a field view that differs from the copying field access it replaces on the hot paths.
TEST(FieldViews, SameCharactersAsField) {
    const std::string texts[] = {"  A   B C ", "A,,B", "A,B,", "ABC",     "",
                                 " ",          ",",    "a b",  "\tA B\t", "x ,y, z"};
    for (const auto& text : texts) {
        for (char delimiter : {' ', ','}) {
            for (long n = 1; n <= 5; ++n)
                EXPECT_EQ(fieldOf(text, n, delimiter), field(text, n, std::string(1, delimiter)))
                    << "[" << text << "] field " << n << " by '" << delimiter << "'";
        }
    }
    EXPECT_EQ(fieldOf("a b", 0), "");
}

// Catches integers read straight from a text that round otherwise than the value of the text does.
TEST(IntegerTexts, RoundLikeTheValueOfTheText) {
    // "|" separates the texts, so that blanks and the empty text can be among them.
    const std::string texts =
        "2.5|3.5|-2.5|-3.5|0.5|-0.5|1.5|.5|2.51| 1 2 . 5||abc|+7|5e2|1.2.3|99999|32767.4|"
        "32767.5|-32768.5|-32768.49|32768|2147483647.5|-2147483648.5|123456789012345.5|"
        "2.4999999999999999999|3.4999999999999999999|0.50000000000000001|12345678901234567|"
        // Digits ended by another byte, as an aperture number by the "*" of its command.
        "216*|12 3*|7.5*|*|5*2|12x|-4*|0*|99999*";
    ASSERT_EQ(fieldcount(texts, "|"), 37);
    for (long i = 1; i <= 37; ++i) {
        const std::string text = field(texts, i, "|");
        EXPECT_EQ(int16Of(text), toInt16(valueOf(text))) << "[" << text << "]";
        EXPECT_EQ(int32Of(text), toInt32(valueOf(text))) << "[" << text << "]";
    }
}

// Catches an upper-case view that misses a lower-case letter in any position of a word, or touches other
// bytes.
TEST(UpperViews, UpperCaseWithoutCopyWhereNothingChanges) {
    const std::string texts[] = {
        "PAD AL 12", "pad al 12", "ABCDEFGHz", "ABCDEFGHIJKLMNOPq", "\xe4\xc4\x80\xff{`@[", "", "12345678a"};
    for (const auto& text : texts) {
        std::string scratch;
        const std::string_view view = upperView(text, scratch);
        EXPECT_EQ(view, upper(text)) << "[" << text << "]";
        EXPECT_EQ(view.data() == text.data(), upper(text) == text) << "[" << text << "]";
    }
}

// Catches a path text normalised wrongly: case, dots, blanks, doubled or trailing backslashes, non-ASCII.
// Catches a malformed sequence taken as text (an overlong form, a surrogate, a byte cut off at the end, a
// code point past U+10FFFF) or a well-formed one refused at the edge of its range.
TEST(Utf8, WellFormedAndShortestOnly) {
    struct Case {
        const char* bytes;
        bool text;
    } cases[] = {
        {"", true},
        {"BOARD", true},
        {"\xc3\xa4", true},
        {"\xe2\x82\xac", true},
        {"\xf0\x9f\x98\x80", true},
        {"\xf4\x8f\xbf\xbf", true},
        {"\xed\x9f\xbf", true},
        {"\xe0\xa0\x80", true},
        {"B\xe4"
         "D",
         false},
        {"\xc3", false},
        {"\xc0\xaf", false},
        {"\xc1\xbf", false},
        {"\xe0\x9f\xbf", false},
        {"\xed\xa0\x80", false},
        {"\xf0\x8f\xbf\xbf", false},
        {"\xf4\x90\x80\x80", false},
        {"\xf5\x80\x80\x80", false},
        {"\x80", false},
        {"\xe2\x82", false},
        {"\xe2\x28\xa1", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(isUtf8(c.bytes), c.text) << ::testing::PrintToString(std::string(c.bytes));
}

TEST(Cleanpath, Normalises) {
    struct Case {
        std::string in, out;
    };
    for (const Case& c : {Case{"c:\\tango\\\\work\\", "C:\\TANGO\\WORK"},
                          Case{"d:\\my.dir\\x", "D:\\MYDIR\\X"}, Case{"c:\\a.\\b", "C:\\AB"},
                          Case{"c:\\my dir", "C:\\MY"}, Case{"\\\\server\\share", "\\SERVER\\SHARE"},
                          Case{"   ", ""}, Case{"", ""}, Case{"  z:\\w", "Z:\\W"}, Case{".\\x", ".X"},
                          Case{"a-\\b", "AB"}, Case{"\\", ""}, Case{"c:\\é\\x", "C:\\X"}})
        EXPECT_EQ(cleanpath(c.in), c.out) << c.in;
}

// Catches a wrong part: extension dots found in the directory, a second dot kept, forbidden characters kept.
TEST(Splitname, ReturnsPart) {
    const char* parts[] = {"BOARD.PCB",           "BOARD",           "PCB", "C:\\WORK",
                           "C:\\WORK\\BOARD.PCB", "C:\\WORK\\BOARD", ""};
    for (int mode = 0; mode <= 6; ++mode)
        EXPECT_EQ(splitname(std::string_view("C:\\WORK\\BOARD.PCB"), mode), parts[mode]) << "mode " << mode;
    struct Case {
        std::string text;
        int mode;
        std::string expected;
    };
    for (const Case& c : {Case{"BOARD.OLD.PCB", 0, "BOARD.OLD"}, Case{"BOARD", 4, "\\BOARD"},
                          Case{"   board.pcb", 1, "board"}, Case{"C:\\MY.DIR\\BOARD.PCB", 1, "BOARD"},
                          Case{"C:\\MY.DIR\\BOARD", 1, "BOARD"}, Case{"C:\\MY.DIR\\BOARD", 3, "C:\\MY.DIR"},
                          Case{"C:\\W\\A.GBR ,B.GBR", 3, "C:\\W"}, Case{"C:\\W\\A.GBR ,B.GBR", 5, "C:\\W\\A"},
                          Case{"a<b>|*?/.t", 0, "ab.t"}, Case{"C:\\W\\", 1, ""}, Case{"", 0, ""}})
        EXPECT_EQ(splitname(std::string_view(c.text), c.mode), c.expected) << c.text << " mode " << c.mode;
    // The caller's text is trimmed in place: the jobs read it back.
    std::string text = "  C:\\W\\B.PCB  ";
    EXPECT_EQ(splitname(text, 1), "B");
    EXPECT_EQ(text, "C:\\W\\B.PCB");
}

// Catches a number read past its end, a blank inside not skipped, a tab taken for a blank, an exponent read.
TEST(ValueOf, ReadsLeadingNumber) {
    struct Case {
        std::string text;
        double value;
    } cases[] = {{" 10", 10}, {"", 0},     {"abc", 0},     {"1 2 3", 123}, {"-12.5x", -12.5},
                 {"+7", 7},   {".5", 0.5}, {"1.2.3", 1.2}, {"2abc", 2},    {"--5", 0},
                 {"5e2", 5},  {"- 4", -4}, {" 35 AL", 35}, {"\t5", 0}};
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(valueOf(c.text), c.value) << '"' << c.text << '"';
}

// Catches a number that the fixed-point reader wraps, rounds, cuts or reads as 0 instead of refusing: the
// digit counts at the 18-digit edge, with and without decimals and leading zeros, and the caller's limit.
TEST(ReadFixed, WholeValueOrTheReason) {
    using enum NumberFault;
    constexpr std::int64_t any = std::numeric_limits<std::int64_t>::max();
    struct Case {
        std::string text;
        int decimals;
        std::int64_t largest, value;
        NumberFault fault;
    } cases[] = {
        {"0.035", 4, any, 350, None},
        {"12", 3, any, 12000, None},
        {"+.5", 3, any, 500, None},
        {"-1.25", 2, any, -125, None},
        {"7.", 0, any, 7, None},
        {"-0", 2, any, 0, None},
        {"999999999999999999", 0, any, 999999999999999999, None},
        {"-999999999999999999", 0, any, -999999999999999999, None},
        {"1000000000000000000", 0, any, 0, TooManyDigits},
        {"0000000000000000000000012", 0, any, 12, None},
        {"999999999999.999999", 6, any, 999999999999999999, None},
        {"1000000000000", 6, any, 0, TooManyDigits},
        {"1", 18, any, 0, TooManyDigits},
        {"0.000000000000000001", 18, any, 1, None},
        {"0.0350", 3, any, 0, TooManyDecimals},
        {"1.5", 0, any, 0, TooManyDecimals},
        {"99999.999999", 6, 99'999'999'999, 99'999'999'999, None},
        {"100000", 6, 99'999'999'999, 0, OutOfRange},
        {"-1000", 0, 999, 0, OutOfRange},
        {"", 0, any, 0, Empty},
        {"-", 0, any, 0, NotANumber},
        {".", 3, any, 0, NotANumber},
        {"+-1", 0, any, 0, NotANumber},
        {"1.2.3", 3, any, 0, NotANumber},
        {"12a", 0, any, 0, NotANumber},
        {" 1", 0, any, 0, NotANumber},
        {"1e3", 0, any, 0, NotANumber},
    };
    for (const auto& c : cases) {
        const Fixed read = readFixed(c.text, c.decimals, c.largest);
        EXPECT_EQ(read.value, c.value) << '"' << c.text << "\" " << c.decimals;
        EXPECT_EQ(static_cast<int>(read.fault), static_cast<int>(c.fault))
            << '"' << c.text << "\" " << c.decimals;
    }
}

// Catches a step of a unit off by a power of ten, a sign lost, a value rounded on its way in, a conversion
// out that rounds halves away from zero or overflows at the drill reader's largest values.
TEST(Lengths, ExactInAndRoundedOut) {
    enum Unit { Inch, Mil, Millimetre, Nanometre };
    const auto in = [](Unit u, std::int64_t value, int decimals) {
        return u == Inch         ? Length::fromInchDecimals(value, decimals)
               : u == Mil        ? Length::fromMilDecimals(value, decimals)
               : u == Millimetre ? Length::fromMillimetreDecimals(value, decimals)
                                 : Length::fromNanometres(value);
    };
    const auto out = [](Length l, Unit u, int decimals) {
        return u == Inch         ? l.toInchDecimals(decimals)
               : u == Mil        ? l.toMilDecimals(decimals)
               : u == Millimetre ? l.toMillimetreDecimals(decimals)
                                 : l.toNanometres();
    };
    struct Case {
        Unit unit;
        std::int64_t value;
        int decimals;
        std::int64_t count;
    };
    for (const Case& c : {
             Case{Inch, 1, 6, 2540},
             Case{Inch, -1, 7, -254},
             Case{Inch, 999'999'999, 0, 2'539'999'997'460'000'000},
             Case{Mil, 1, 3, 2540},
             Case{Mil, -625, 1, -158'750'000},
             Case{Millimetre, 1, 6, 100},
             Case{Millimetre, -1, 8, -1},
             Case{Millimetre, 9'999'999'999, 0, 999'999'999'900'000'000},
             Case{Nanometre, -7, 0, -700},
         }) {
        const Length l = in(c.unit, c.value, c.decimals);
        EXPECT_EQ(l.count(), c.count) << c.unit << " " << c.value << " " << c.decimals;
        EXPECT_EQ(out(l, c.unit, c.decimals), c.value) << c.unit << " " << c.value << " " << c.decimals;
    }
    for (const Case& c : {
             Case{Inch, 0, 4, 127'000},
             Case{Inch, 2, 4, 381'000},
             Case{Inch, -2, 4, -381'000},
             Case{Inch, 1, 4, 127'001},
             Case{Inch, -1, 4, -127'001},
             Case{Inch, 0, 9, 1},
             Case{Inch, 9'999'999'990'000, 4, 2'539'999'997'460'000'000},
             Case{Mil, 0, 3, 1270},
             Case{Mil, 2, 3, 3810},
             Case{Millimetre, 0, 3, 50'000},
             Case{Millimetre, -2, 3, -150'000},
             Case{Nanometre, 0, 0, 50},
             Case{Nanometre, -2, 0, -250},
             Case{Nanometre, 25'399'999'974'600'000, 0, 2'539'999'997'460'000'000},
         })
        EXPECT_EQ(out(Length::fromCount(c.count), c.unit, c.decimals), c.value) << c.count << " " << c.unit;
    // A quarter of a thousandth of a mil is whole nano-inches, a nanometre is not.
    EXPECT_EQ(Length::fromCount(635).exactInchDecimals(9), 250);
    EXPECT_EQ(Length::fromCount(635).exactInchDecimals(6), std::nullopt);
    EXPECT_EQ(Length::fromNanometres(1).exactInchDecimals(9), std::nullopt);
    EXPECT_EQ(Length::fromInchDecimals(-1, 6).nanometres(), -25.4);
}

// Catches halves rounded away from zero and the 16- and 32-bit limits off by one.
TEST(Rounding, HalvesGoToTheEvenNeighbour) {
    for (auto [value, rounded] : {std::pair<double, std::optional<int>>{2.5, 2},
                                  {3.5, 4},
                                  {-2.5, -2},
                                  {2.51, 3},
                                  {32767.4, 32767},
                                  {32767.5, std::nullopt},
                                  {-32768, -32768},
                                  {-32769, std::nullopt}})
        EXPECT_EQ(toInt16(value), rounded) << value;
    EXPECT_EQ(toInt32(2147483647.0), 2147483647);
    EXPECT_EQ(toInt32(2147483648.0), std::nullopt);
}

// Catches the blank before a positive number lost, or a number printed with more digits than it needs.
TEST(NumberTexts, SignedAndShortest) {
    EXPECT_EQ(signedText(12) + "|" + signedText(0) + "|" + signedText(-3), " 12| 0|-3");
    EXPECT_EQ(numberText(62.5) + "|" + numberText(0.1 + 0.2) + "|" + numberText(-3),
              "62.5|0.30000000000000004|-3");
    // Lengths as decimals: zeros before the point and after it kept, the sign of a fraction below one kept.
    struct Case {
        std::int64_t steps;
        int decimals;
        const char *full, *shortest;
    };
    for (const Case& c :
         {Case{12345, 4, "1.2345", "1.2345"}, Case{-5, 2, "-0.05", "-0.05"}, Case{0, 3, "0.000", "0"},
          Case{20000, 4, "2.0000", "2"}, Case{12500, 4, "1.2500", "1.25"}, Case{-100, 2, "-1.00", "-1"},
          Case{7, 0, "7", "7"}, Case{100, 0, "100", "100"}, Case{999999999, 9, "0.999999999", "0.999999999"}})
        EXPECT_EQ(decimalText(c.steps, c.decimals) + "|" + shortDecimalText(c.steps, c.decimals),
                  std::string(c.full) + "|" + c.shortest)
            << c.steps;
}

} // namespace

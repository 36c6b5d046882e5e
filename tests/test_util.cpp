#include "util/text.hpp"

#include <gtest/gtest.h>

using namespace fk::util;

namespace {

struct FieldCase {
    std::string text;
    long n;
    std::string delimiter;
    std::string expected;
    std::string textAfter; // the caller's text after the call
};

class GetfieldTest : public ::testing::TestWithParam<FieldCase> {};

TEST_P(GetfieldTest, ReturnsFieldCountOrTrimmedText) {
    const auto& c = GetParam();
    std::string text = c.text;
    std::string delimiter = c.delimiter;
    EXPECT_EQ(getfield(text, c.n, delimiter), c.expected);
    EXPECT_EQ(text, c.textAfter);
}

INSTANTIATE_TEST_SUITE_P(
    Modes, GetfieldTest,
    ::testing::Values(
        FieldCase{"  A   B C ", 2, " ", "B", "  A   B C "},
        FieldCase{"  A   B C ", 0, " ", "3", "  A   B C "}, FieldCase{"  A   B C ", 4, " ", "", "  A   B C "},
        FieldCase{"  A   B C ", 1, "", "A", "  A   B C "}, FieldCase{"  A   B C ", -5, "", "3", "  A   B C "},
        FieldCase{"A,,B", 2, ",", "", "A,,B"}, FieldCase{"A,,B", 3, ",", "B", "A,,B"},
        FieldCase{"A,,B", 0, ",", "3", "A,,B"}, FieldCase{"A,B,", 0, ",", "2", "A,B,"},
        FieldCase{"ABC", 1, ",", "ABC", "ABC"}, FieldCase{"ABC", 2, ",", "", "ABC"},
        FieldCase{"ABC", 0, ",", "1", "ABC"}, FieldCase{"", 0, ",", "0", ""}, FieldCase{"", 1, ",", "", ""},
        FieldCase{"00120", -1, "0", "12", "120"}, FieldCase{"0000", -1, "0", "", ""},
        FieldCase{"x", -1, "0", "x", "x"}, FieldCase{"  ab  ", -1, " ", "ab", "ab  "},
        FieldCase{"", -1, ",", "", ""}, FieldCase{"a b", 9000, " ", "", "a b"}));

TEST(Getfield, BlankDelimiterIsSetForTheCaller) {
    std::string text = "a b";
    std::string delimiter;
    getfield(text, 1, delimiter);
    EXPECT_EQ(delimiter, " ");
}

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
    int checked = 0;
    for (const auto& text : texts) {
        for (char delimiter : {' ', ','}) {
            for (long n = 1; n <= 5; ++n) {
                EXPECT_EQ(fieldOf(text, n, delimiter), field(text, n, std::string(1, delimiter)))
                    << "[" << text << "] field " << n << " by '" << delimiter << "'";
                ++checked;
            }
        }
    }
    EXPECT_EQ(fieldOf("a b", 0), "");
    ASSERT_GE(checked, 100);
}

// Catches integers read straight from a text that round otherwise than the value of the text does.
TEST(IntegerTexts, RoundLikeTheValueOfTheText) {
    const char* texts[] = {"2.5",
                           "3.5",
                           "-2.5",
                           "-3.5",
                           "0.5",
                           "-0.5",
                           "1.5",
                           ".5",
                           "2.51",
                           " 1 2 . 5",
                           "",
                           "abc",
                           "+7",
                           "5e2",
                           "1.2.3",
                           "99999",
                           "32767.4",
                           "32767.5",
                           "-32768.5",
                           "-32768.49",
                           "32768",
                           "2147483647.5",
                           "-2147483648.5",
                           "123456789012345.5",
                           "2.4999999999999999999",
                           "3.4999999999999999999",
                           "0.50000000000000001",
                           "12345678901234567"};
    for (const char* text : texts) {
        EXPECT_EQ(int16Of(text), toInt16(valueOf(text))) << "[" << text << "]";
        EXPECT_EQ(int32Of(text), toInt32(valueOf(text))) << "[" << text << "]";
    }
    EXPECT_EQ(int16Of("2.5"), 2);
    EXPECT_EQ(int16Of("-3.5"), -4);
    EXPECT_EQ(int16Of("32767.5"), std::nullopt);
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

struct TextCase {
    std::string in, out;
};

class CleanpathTest : public ::testing::TestWithParam<TextCase> {};
TEST_P(CleanpathTest, Normalises) {
    EXPECT_EQ(cleanpath(GetParam().in), GetParam().out);
}
INSTANTIATE_TEST_SUITE_P(
    Paths, CleanpathTest,
    ::testing::Values(TextCase{"c:\\tango\\\\work\\", "C:\\TANGO\\WORK"},
                      TextCase{"d:\\my.dir\\x", "D:\\MYDIR\\X"}, TextCase{"c:\\a.\\b", "C:\\AB"},
                      TextCase{"c:\\my dir", "C:\\MY"}, TextCase{"\\\\server\\share", "\\SERVER\\SHARE"},
                      TextCase{"   ", ""}, TextCase{"", ""}, TextCase{"  z:\\w", "Z:\\W"},
                      TextCase{"c:\\tango\\work\\", "C:\\TANGO\\WORK"}, TextCase{".\\x", ".X"},
                      TextCase{"a-\\b", "AB"}, TextCase{"\\", ""}, TextCase{"c:\\é\\x", "C:\\X"}));

struct SplitCase {
    std::string text;
    int mode;
    std::string expected;
};

class SplitnameTest : public ::testing::TestWithParam<SplitCase> {};
TEST_P(SplitnameTest, ReturnsPart) {
    EXPECT_EQ(splitname(std::string_view(GetParam().text), GetParam().mode), GetParam().expected);
}
INSTANTIATE_TEST_SUITE_P(
    Modes, SplitnameTest,
    ::testing::Values(
        SplitCase{"C:\\WORK\\BOARD.PCB", 0, "BOARD.PCB"}, SplitCase{"C:\\WORK\\BOARD.PCB", 1, "BOARD"},
        SplitCase{"C:\\WORK\\BOARD.PCB", 2, "PCB"}, SplitCase{"C:\\WORK\\BOARD.PCB", 3, "C:\\WORK"},
        SplitCase{"C:\\WORK\\BOARD.PCB", 4, "C:\\WORK\\BOARD.PCB"},
        SplitCase{"C:\\WORK\\BOARD.PCB", 5, "C:\\WORK\\BOARD"}, SplitCase{"BOARD.OLD.PCB", 0, "BOARD.OLD"},
        SplitCase{"BOARD", 4, "\\BOARD"}, SplitCase{"   board.pcb", 1, "board"},
        SplitCase{"C:\\MY.DIR\\BOARD.PCB", 1, "BOARD"}, SplitCase{"C:\\MY.DIR\\BOARD", 1, "BOARD"},
        SplitCase{"C:\\MY.DIR\\BOARD", 3, "C:\\MY.DIR"}, SplitCase{"C:\\W\\A.GBR ,B.GBR", 3, "C:\\W"},
        SplitCase{"C:\\W\\A.GBR ,B.GBR", 5, "C:\\W\\A"}, SplitCase{"a<b>|*?/.t", 0, "ab.t"},
        SplitCase{"C:\\W\\B.PCB", 6, ""}, SplitCase{"", 0, ""}, SplitCase{"C:\\W\\", 1, ""}));

TEST(Splitname, TrimsTheCallersText) {
    std::string text = "  C:\\W\\B.PCB  ";
    EXPECT_EQ(splitname(text, 1), "B");
    EXPECT_EQ(text, "C:\\W\\B.PCB");
}

struct ValueCase {
    std::string text;
    double value;
};
class ValueTest : public ::testing::TestWithParam<ValueCase> {};
TEST_P(ValueTest, ReadsLeadingNumber) {
    EXPECT_DOUBLE_EQ(valueOf(GetParam().text), GetParam().value);
}
INSTANTIATE_TEST_SUITE_P(Texts, ValueTest,
                         ::testing::Values(ValueCase{" 10", 10}, ValueCase{"", 0}, ValueCase{"abc", 0},
                                           ValueCase{"1 2 3", 123}, ValueCase{"-12.5x", -12.5},
                                           ValueCase{"+7", 7}, ValueCase{".5", 0.5}, ValueCase{"1.2.3", 1.2},
                                           ValueCase{"2abc", 2}, ValueCase{"--5", 0}, ValueCase{"5e2", 5},
                                           ValueCase{"- 4", -4}, ValueCase{" 35 AL", 35},
                                           ValueCase{"\t5", 0}));

TEST(Rounding, HalvesGoToTheEvenNeighbour) {
    EXPECT_EQ(toInt16(2.5), 2);
    EXPECT_EQ(toInt16(3.5), 4);
    EXPECT_EQ(toInt16(-2.5), -2);
    EXPECT_EQ(toInt16(2.51), 3);
    EXPECT_EQ(toInt16(32767.4), 32767);
    EXPECT_EQ(toInt16(32767.5), std::nullopt);
    EXPECT_EQ(toInt16(-32768), -32768);
    EXPECT_EQ(toInt16(-32769), std::nullopt);
    EXPECT_EQ(toInt32(2147483647.0), 2147483647);
    EXPECT_EQ(toInt32(2147483648.0), std::nullopt);
}

TEST(NumberTexts, SignedAndShortest) {
    EXPECT_EQ(signedText(12), " 12");
    EXPECT_EQ(signedText(0), " 0");
    EXPECT_EQ(signedText(-3), "-3");
    EXPECT_EQ(numberText(65), "65");
    EXPECT_EQ(numberText(62.5), "62.5");
    EXPECT_EQ(numberText(0.1 + 0.2), "0.30000000000000004");
    EXPECT_EQ(numberText(-3), "-3");
}

} // namespace

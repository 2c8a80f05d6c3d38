// Number conversions of answers and the bounded text that holds them.
#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "ups/AnswerConversions.h"
#include "ups/BoundedText.h"

namespace kelvane {
namespace {

TEST(AnswerConversions, DecimalReadsTheLeadingNumberLikeStrtod) {
    struct Case {
        const char* text;
        double value;
    };
    const std::vector<Case> cases = {
        {"118.5", 118.5}, {"050.0", 50.0}, {" 12.25x", 12.25}, {"+3", 3.0},     {"-2.5", -2.5},
        {".5", 0.5},      {"5.", 5.0},     {"1e2", 100.0},     {"1e", 1.0},     {"2E-1", 0.2},
        {"0123:", 123.0}, {"NA", 0.0},     {"", 0.0},          {".", 0.0},      {"-", 0.0},
        {"0x1A", 0.0},    {"inf", 0.0},    {"nan", 0.0},       {"1e-999", 0.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_DOUBLE_EQ(ParseDecimal(c.text), c.value);
    }
    EXPECT_EQ(ParseDecimal("1e999"), HUGE_VAL);
    EXPECT_EQ(ParseDecimal("-1" + std::string(400, '0')), -HUGE_VAL);
    EXPECT_EQ(ParseDecimal("0." + std::string(400, '0') + "1"), 0.0);
}

TEST(AnswerConversions, StartsWithNumberWhereDecimalFindsDigits) {
    struct Case {
        const char* text;
        bool number;
    };
    const std::vector<Case> cases = {
        {"118.5", true}, {"0", true},    {" 12x", true}, {"\t-2.5", true}, {"+.5", true},
        {"5.", true},    {"NA", false},  {"", false},    {".", false},     {"-", false},
        {"+.", false},   {"- 5", false}, {"e5", false},  {" ", false},     {"x1", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(StartsWithNumber(c.text), c.number);
        if (!c.number) {
            EXPECT_EQ(ParseDecimal(c.text), 0.0);
        }
    }
}

TEST(AnswerConversions, DecimalPointIsADotWhateverTheLocale) {
    const std::string previous = std::setlocale(LC_NUMERIC, nullptr);
    if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") == nullptr &&
        std::setlocale(LC_NUMERIC, "fr_FR.UTF-8") == nullptr) {
        GTEST_SKIP() << "no locale with a decimal comma installed";
    }
    const double value = ParseDecimal("118.5");
    std::setlocale(LC_NUMERIC, previous.c_str());
    EXPECT_DOUBLE_EQ(value, 118.5);
}

TEST(AnswerConversions, IntegerReadsTheLeadingIntegerLikeAtolAndSaturates) {
    struct Case {
        std::string text;
        long value;
    };
    const std::vector<Case> cases = {
        {"0123", 123},
        {"0123:", 123},
        {" -7", -7},
        {"+9", 9},
        {"12.9", 12},
        {"NA", 0},
        {"", 0},
        {std::string(30, '9'), std::numeric_limits<long>::max()},
        {"-" + std::string(30, '9'), std::numeric_limits<long>::min()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ParseInteger(c.text), c.value);
    }
}

TEST(AnswerConversions, HexByteNeedsTwoHexDigits) {
    struct Case {
        const char* text;
        std::optional<uint8_t> value;
    };
    const std::vector<Case> cases = {
        {"08", 0x08},       {"fF", 0xFF},         {"A0", 0xA0},
        {"1234", 0x12},     {"NA", std::nullopt}, {"0", std::nullopt},
        {"", std::nullopt}, {"g1", std::nullopt}, {" 1", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ParseHexByte(c.text), c.value);
    }
}

TEST(AnswerConversions, TruncationTowardZeroSaturates) {
    EXPECT_EQ(TruncateTo<int16_t>(2.9), 2);
    EXPECT_EQ(TruncateTo<int16_t>(-3.7), -3);
    EXPECT_EQ(TruncateTo<int16_t>(1e9), 32767);
    EXPECT_EQ(TruncateTo<int16_t>(-1e9), -32768);
    EXPECT_EQ(TruncateTo<uint16_t>(-5.0), 0);
    EXPECT_EQ(TruncateTo<uint16_t>(HUGE_VAL), 65535);
    EXPECT_EQ(TruncateTo<long long>(std::nan("")), 0);
    EXPECT_EQ(ToFloat(HUGE_VAL), std::numeric_limits<float>::max());
    EXPECT_EQ(ToFloat(-HUGE_VAL), -std::numeric_limits<float>::max());
    EXPECT_FLOAT_EQ(ToFloat(118.5), 118.5f);
}

TEST(BoundedText, CutsAtItsCapacity) {
    BoundedText<4> text("ABCDEFG");
    EXPECT_EQ(text, "ABCD");
    EXPECT_EQ(std::string(text.CStr()), "ABCD");

    text = "AB";
    text.Append("CDE");
    EXPECT_EQ(text, "ABCD");
    EXPECT_EQ(text.Size(), 4u);

    text = std::string_view("A\0B", 3);
    EXPECT_EQ(text, "A") << "a zero byte ends the text";

    text.Clear();
    EXPECT_TRUE(text.Empty());
    EXPECT_EQ(std::string(text.CStr()), "");
}

}  // namespace
}  // namespace kelvane

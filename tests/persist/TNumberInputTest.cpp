#include "persist/TNumberInput.h"

#include <gtest/gtest.h>

#include <string>

using namespace vorelt;

namespace {

constexpr TNumberRule Decimal{TNumberKind::Decimal};
constexpr TNumberRule Integer{TNumberKind::Integer};
constexpr TNumberRule Count{TNumberKind::Count};

struct TCase {
    const char* Typed;
    const char* Shown; // after the "." typed became a comma
    bool DecimalTaken, IntegerTaken, CountTaken;
};

// The six texts every number field is tried with, and the edges around them.
constexpr TCase Cases[] = {
    {"90.5", "90,5", true, false, false},
    {"90,5", "90,5", true, false, false},
    {"1,2,3", "1,2,3", false, false, false},
    {"abc", "abc", false, false, false},
    {"", "", false, false, false},
    {"-", "-", false, false, false},
    {"1.2.3", "1,2,3", false, false, false},
    {"90", "90", true, true, true},
    {" 90 ", " 90 ", true, true, true},
    {"-90", "-90", true, true, false},
    {"+90", "+90", true, true, false},
    {",5", ",5", true, false, false},
    {"5,", "5,", true, false, false},
    {",", ",", false, false, false},
    {"-,5", "-,5", true, false, false},
    {"1,5E-7", "1,5E-7", true, false, false},
    {"1e3", "1e3", true, false, false},
    {"1e", "1e", false, false, false},
    {"1E5000", "1E5000", false, false, false}, // beyond every float
    {"--5", "--5", false, false, false},
    {"5-", "5-", false, false, false},
    {"1 000", "1 000", false, false, false},
    {"0x10", "0x10", false, false, false},
    {"inf", "inf", false, false, false},
    {"nan", "nan", false, false, false},
    {"9223372036854775807", "9223372036854775807", true, true, true},
    {"9223372036854775808", "9223372036854775808", true, false, false}, // beyond 64 bits
    {"-9223372036854775808", "-9223372036854775808", true, true, false},
};

TEST(NumberInput, EveryKindJudgesTheWholeTextAsShownWithTheComma) {
    for (const TCase& c : Cases) {
        const std::string shown = DecimalCommaText(c.Typed);
        EXPECT_EQ(shown, c.Shown) << c.Typed;
        EXPECT_EQ(IsNumberText(Decimal, shown), c.DecimalTaken) << c.Typed;
        EXPECT_EQ(IsNumberText(Integer, shown), c.IntegerTaken) << c.Typed;
        EXPECT_EQ(IsNumberText(Count, shown), c.CountTaken) << c.Typed;
        // The refusal is there exactly when the text is not taken.
        EXPECT_EQ(NumberTextError(Decimal, shown).empty(), c.DecimalTaken) << c.Typed;
        EXPECT_EQ(NumberTextError(Count, shown).empty(), c.CountTaken) << c.Typed;
    }
}

TEST(NumberInput, RefusalsQuoteTheTextAsShownAndNameTheKind) {
    EXPECT_EQ(NumberTextError(Decimal, "1,2,3"), "'1,2,3' is not a valid floating point value");
    EXPECT_EQ(NumberTextError(Decimal, " abc "), "'abc' is not a valid floating point value");
    EXPECT_EQ(NumberTextError(Decimal, ""), "'' is not a valid floating point value");
    EXPECT_EQ(NumberTextError(Integer, "90,5"), "'90,5' is not a valid integer value");
    EXPECT_EQ(NumberTextError(Count, "-"), "'-' is not a valid integer value");
    EXPECT_EQ(NumberTextError(Decimal, "90,5"), "");
}

TEST(NumberInput, AnEmptyTextIsTakenOnlyWhereTheFieldGivesItAMeaning) {
    EXPECT_FALSE(IsNumberText(Count, ""));
    EXPECT_TRUE(IsNumberText(TNumberRule{TNumberKind::Count, true}, ""));
    EXPECT_TRUE(IsNumberText(TNumberRule{TNumberKind::Decimal, true}, "  "));
    // Taking the empty text takes nothing else.
    EXPECT_FALSE(IsNumberText(TNumberRule{TNumberKind::Decimal, true}, "-"));
}

TEST(NumberInput, NamesTakeNoBlanks) {
    EXPECT_FALSE(AcceptsNameChar(' '));
    EXPECT_TRUE(AcceptsNameChar('_'));
    EXPECT_TRUE(AcceptsNameChar('.'));
}

} // namespace

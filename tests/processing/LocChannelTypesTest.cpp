#include "processing/location/TLocChannelTypes.h"

#include <gtest/gtest.h>

namespace vorelt {
namespace {

TEST(LocChannelTypes, KeysTypesAndNames) {
    EXPECT_EQ(ChannelKey(7), "007");
    EXPECT_EQ(ChannelKey(99), "099");
    EXPECT_EQ(ChannelKey(100), "100");
    EXPECT_EQ(ChannelKey(1000), "1000");
    EXPECT_EQ(ChannelTypeName(1), "Normal");
    EXPECT_EQ(ChannelTypeName(2), "Guard");
    EXPECT_EQ(ChannelTypeName(3), "Combined");
    EXPECT_EQ(ChannelTypeName(4), "Unused");
    EXPECT_EQ(ChannelTypeName(0), "");
    EXPECT_EQ(ChannelTypeName(5), "");

    TLocChannelTypes t;
    t.SetChannelType(12, ctGuard);
    t.SetChannelType(5, ctUnused);
    t.SetChannelType(100, ctCombined);
    t.SetChannelType(6, ctNormal); // Normal is never stored
    t.SetChannelType(7, 9);        // not a type
    ASSERT_EQ(t.Count(), 3);
    EXPECT_EQ(t.Items()[0].Key, "005");
    EXPECT_EQ(t.Items()[1].Key, "012");
    EXPECT_EQ(t.Items()[2].Key, "100");
    EXPECT_EQ(t.GetChannelType(12), ctGuard);
    EXPECT_EQ(t.GetChannelType(7), ctNormal);
    t.SetChannelType(12, ctCombined);
    EXPECT_EQ(t.GetChannelType(12), ctCombined);
    t.SetChannelType(12, ctNormal);
    EXPECT_EQ(t.Count(), 2);
    EXPECT_EQ(t.GetChannelType(12), ctNormal);
    // The fast look-up agrees with the keyed one, inside and outside its table.
    t.SetChannelType(5000, ctGuard);
    t.SetChannelType(-3, ctUnused);
    for (int64_t c : {-3, -1, 0, 5, 12, 100, 101, 4999, 5000, 5001})
        EXPECT_EQ(t.Lookup(c), t.GetChannelType(c)) << c;
    t.Clear();
    EXPECT_EQ(t.Count(), 0);
    EXPECT_EQ(t.Lookup(5), ctNormal);
}

TEST(LocChannelTypes, ChannelTextAcceptedByTheEdit) {
    EXPECT_TRUE(IsChannelTextAcceptable(""));
    EXPECT_TRUE(IsChannelTextAcceptable("12"));
    EXPECT_TRUE(IsChannelTextAcceptable("1-12"));
    EXPECT_TRUE(IsChannelTextAcceptable("1-"));
    EXPECT_FALSE(IsChannelTextAcceptable("-1"));
    EXPECT_FALSE(IsChannelTextAcceptable("1-2-3"));
    EXPECT_FALSE(IsChannelTextAcceptable("1a"));
    EXPECT_FALSE(IsChannelTextAcceptable("1 2"));
    EXPECT_TRUE(IsChannelTextAcceptable(std::string(40, '1')));
    EXPECT_FALSE(IsChannelTextAcceptable(std::string(41, '1')));
}

TEST(LocChannelTypes, ParsingGoodAndBadTexts) {
    TChannelText c;
    std::string error;
    EXPECT_TRUE(ParseChannelText(" 17 ", c, error));
    EXPECT_EQ(c.Kind, TChannelText::ckSingle);
    EXPECT_EQ(c.First, 17);
    EXPECT_TRUE(ParseChannelText("128", c, error));
    EXPECT_EQ(c.First, 128);
    EXPECT_TRUE(ParseChannelText("3-5", c, error));
    EXPECT_EQ(c.Kind, TChannelText::ckRange);
    EXPECT_EQ(c.First, 3);
    EXPECT_EQ(c.Last, 5);
    EXPECT_TRUE(ParseChannelText("120-99999999999999999999", c, error)); // clamped, no overflow
    EXPECT_EQ(c.First, 120);
    EXPECT_EQ(c.Last, 128);
    EXPECT_TRUE(ParseChannelText("130-140", c, error));
    EXPECT_EQ(c.First, 128);
    EXPECT_EQ(c.Last, 128);
    // Incomplete or reversed ranges are ignored without an error.
    for (const char* s : {"5-", "5-3"}) {
        EXPECT_TRUE(ParseChannelText(s, c, error)) << s;
        EXPECT_EQ(c.Kind, TChannelText::ckIgnored) << s;
    }

    EXPECT_FALSE(ParseChannelText("   ", c, error));
    EXPECT_EQ(error, "Empty Channel");
    EXPECT_FALSE(ParseChannelText("129", c, error));
    EXPECT_EQ(error, "Invalid Channel");
    EXPECT_FALSE(ParseChannelText("99999999999999999999", c, error));
    EXPECT_EQ(error, "Invalid Channel");
    for (const char* s : {"-5", "x", "1-2-3", "1.5"}) {
        error.clear();
        EXPECT_FALSE(ParseChannelText(s, c, error)) << s;
        EXPECT_EQ(error, "Invalid Channel") << s;
    }
}

TEST(LocChannelTypes, ApplyingATextSetsEveryChannel) {
    TLocChannelTypes t;
    TChannelText c;
    std::string error;
    ASSERT_TRUE(ParseChannelText("126-200", c, error));
    ApplyChannelText(t, c, ctGuard);
    EXPECT_EQ(t.Count(), 3);
    EXPECT_EQ(t.GetChannelType(128), ctGuard);
    EXPECT_EQ(t.GetChannelType(129), ctNormal);
    ASSERT_TRUE(ParseChannelText("127", c, error));
    ApplyChannelText(t, c, ctNormal);
    EXPECT_EQ(t.Count(), 2);
    ASSERT_TRUE(ParseChannelText("9-3", c, error));
    ApplyChannelText(t, c, ctUnused);
    EXPECT_EQ(t.Count(), 2);
}

} // namespace
} // namespace vorelt

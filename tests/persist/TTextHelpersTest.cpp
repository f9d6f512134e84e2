// Case folding of names: every letter pair of windows-1251, as the texts stand in memory
// (UTF-8), and the lookups that rely on it.

#include "persist/TTextHelpers.h"
#include "common/TestData.h"
#include "persist/TNodePersist.h"
#include "persist/TTextCodec.h"
#include "persist/TXMLPersistentAEProject.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

using namespace vorelt;

namespace {

// Lower- and upper-case code points of windows-1251 that are letters.
std::vector<std::pair<unsigned char, unsigned char>> Cp1251LetterPairs() {
    std::vector<std::pair<unsigned char, unsigned char>> pairs;
    for (int c = 'a'; c <= 'z'; ++c)
        pairs.emplace_back(c, c - 32);
    for (int c = 0xE0; c <= 0xFF; ++c)
        pairs.emplace_back(c, c - 32);
    const std::pair<unsigned char, unsigned char> others[] = {
        {0x90, 0x80}, {0x83, 0x81}, {0x9A, 0x8A}, {0x9C, 0x8C}, {0x9D, 0x8D},
        {0x9E, 0x8E}, {0x9F, 0x8F}, {0xA2, 0xA1}, {0xBC, 0xA3}, {0xB4, 0xA5},
        {0xB8, 0xA8}, {0xBA, 0xAA}, {0xBF, 0xAF}, {0xB3, 0xB2}, {0xBE, 0xBD}};
    for (const auto& p : others)
        pairs.push_back(p);
    return pairs;
}

std::string Utf8Of(unsigned char cp1251) {
    return Cp1251ToUtf8(std::string(1, static_cast<char>(cp1251)));
}

} // namespace

TEST(TextHelpers, FoldingCoversEveryWindows1251Letter) {
    for (const auto& [lower, upper] : Cp1251LetterPairs()) {
        const std::string l = Utf8Of(lower), u = Utf8Of(upper);
        EXPECT_EQ(UpperCase(l), u) << "byte " << int(lower);
        EXPECT_EQ(UpperCase(u), u) << "byte " << int(upper);
        EXPECT_TRUE(SameText(l, u)) << "byte " << int(lower);
        EXPECT_TRUE(SameText("x" + u + "y", "X" + l + "Y"));
        EXPECT_TRUE(EqualsUpperCase(l, u));
    }
    // Every other byte of the code page folds to itself, and no two distinct letters meet.
    std::string all, folded;
    for (int c = 1; c < 256; ++c)
        all += static_cast<char>(c);
    const std::string utf8 = Cp1251ToUtf8(all);
    EXPECT_EQ(Utf8ToCp1251(UpperCase(utf8)).size(), all.size());
    for (int c = 1; c < 256; ++c) {
        const std::string u = Utf8Of(static_cast<unsigned char>(c));
        bool isLower = false;
        for (const auto& p : Cp1251LetterPairs())
            isLower = isLower || p.first == c;
        if (!isLower) {
            EXPECT_EQ(UpperCase(u), u) << "byte " << c;
        }
    }
}

TEST(TextHelpers, ComparisonsDifferOnlyByCase) {
    EXPECT_TRUE(SameText("давление", "ДАВЛЕНИЕ"));
    EXPECT_TRUE(SameText("Ёмкость ґ", "ёМКОСТЬ Ґ"));
    EXPECT_FALSE(SameText("давление", "давлениЯ1"));
    EXPECT_FALSE(SameText("Ampl", "Amp"));
    EXPECT_FALSE(SameText("е", "ё")); // different letters, same byte length
    EXPECT_FALSE(SameText("a", "\xD0"));
    EXPECT_TRUE(SameTextTrimmed("  ampl \r\n", "AMPL"));
    EXPECT_FALSE(SameText("  ampl", "AMPL"));
    EXPECT_EQ(Trim("\t x y \n"), "x y");
    EXPECT_EQ(TrimView("   "), "");
    // A lone lead byte or a broken sequence stays as it is and compares only to itself.
    EXPECT_EQ(UpperCase("\xD0"), "\xD0");
    EXPECT_EQ(UpperCase("\xD0z"), "\xD0Z");
    EXPECT_TRUE(SameText("\xD0z", "\xD0Z"));
    EXPECT_FALSE(EqualsUpperCase("ab", "AB "));
}

TEST(TextHelpers, NamesReadFromAProjectFileMatchWithoutRegardToCase) {
    test::TTempDir dir;
    {
        TNodePersist written("ParamPRG");
        TNodePersist* node = written.AddNode("DISP")->AddNode("Давление");
        node->AddItem("ClassName", "ТКласс");
        node->AddItem("Имя", "1");
        std::string error;
        ASSERT_TRUE(TXMLPersistentAEProject().SaveToFile(dir.File("p.xml"), written, error))
            << error;
    }
    // Stored in windows-1251, read back as UTF-8.
    EXPECT_NE(test::ReadFileBytes(dir.File("p.xml")).find(Utf8ToCp1251("Давление")),
              std::string::npos);
    TXMLPersistentAEProject store;
    TNodePersist root("ParamPRG");
    std::string error;
    ASSERT_TRUE(store.LoadFromFile(dir.File("p.xml"), root, false, error)) << error;
    const TNodePersist* disp = root.FindNode("DISP");
    ASSERT_NE(disp, nullptr);
    const TNodePersist* node = disp->FindNode("ДАВЛЕНИЕ");
    ASSERT_NE(node, nullptr);
    EXPECT_TRUE(SameText(node->GetValue("classname"), "ткласс"));
    EXPECT_EQ(node->GetValue("имЯ"), "1");
}

// The header region of both Tarvel boards: what is read from it, and that every size and count
// in it is checked before use, with the byte offset of the damage in the error text.

#include "TarvelTestFiles.h"
#include "drivers/tarvel/TTarvelFormat.h"
#include "persist/TErrors.h"

#include <gtest/gtest.h>

namespace vorelt {
namespace {

using namespace tarvel;
using test::TTarvelFileBuilder;

std::string ParseError(TBoard board, const std::string& bytes) {
    THeader h;
    try {
        ParseHeader(board, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), h);
    } catch (const EAEError& e) {
        return e.what();
    }
    return "";
}

TEST(TarvelFormat, IsaHeaderFieldsAndChannelTable) {
    TTarvelFileBuilder b(false, 3);
    b.SetIsaChannel(1, 1, 0, 0x12345608, 10, 10); // B = 0: inactive
    const std::string bytes = b.Bytes();
    THeader h;
    ParseHeader(TBoard::Isa, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), h);
    EXPECT_EQ(h.HeaderSize, b.HeaderSize());
    EXPECT_EQ(h.ObjectName, "Vessel");
    EXPECT_EQ(h.OperatorName, "Operator");
    EXPECT_EQ(h.Reference, "Ref");
    EXPECT_EQ(h.Comment, "Comment");
    EXPECT_EQ(h.StartTime, 1600000000u);
    EXPECT_EQ(h.StopTime, 1600000100u);
    EXPECT_EQ(h.F, 1u);
    EXPECT_EQ(h.R, 100u);
    ASSERT_EQ(h.IsaChannels.size(), 3u);
    EXPECT_EQ(h.IsaChannels[1].DefaultGain, 0x08);
    EXPECT_EQ(h.IsaChannels[0].DefaultGain, 0x40);
    EXPECT_EQ(h.ActiveChannels, (TAEChannelList{1, 3}));
    EXPECT_EQ(h.TableOffset, b.TableOffset());
}

TEST(TarvelFormat, PciHeaderFieldsAndChannelTable) {
    TTarvelFileBuilder b(true, 2);
    b.SetPciChannel(1, 0, -3, 2.5f, 0, 1.5, 7, 3.5, 9);
    const std::string bytes = b.Bytes();
    THeader h;
    ParseHeader(TBoard::Pci, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), h);
    ASSERT_EQ(h.PciChannels.size(), 2u);
    const TPciChannel& c = h.PciChannels[1];
    EXPECT_EQ(c.Number, 1);
    EXPECT_EQ(c.Gain, -3);
    EXPECT_FLOAT_EQ(c.Scale, 2.5f);
    EXPECT_EQ(c.Selector, 0u);
    EXPECT_DOUBLE_EQ(c.DA, 1.5);
    EXPECT_EQ(c.QA, 7u);
    EXPECT_DOUBLE_EQ(c.DB, 3.5);
    EXPECT_EQ(c.QB, 9u);
    EXPECT_EQ(h.ActiveChannels, (TAEChannelList{1}));
}

TEST(TarvelFormat, TextsSkipControlCharactersAndStopAtTheCount) {
    const uint8_t text[] = {'A', 1, 'B', 31, 'C', 'D', 0, 'E'};
    EXPECT_EQ(ReadText(text, 8), "ABCD");
    EXPECT_EQ(ReadText(text, 3), "AB");
    const uint8_t cyrillic[] = {0xC0, 0xE1, 0};
    EXPECT_EQ(ReadText(cyrillic, 3), "Аб");
}

TEST(TarvelFormat, HexAndDateTexts) {
    EXPECT_EQ(HexText(0x1A), "001A");
    EXPECT_EQ(HexText(0xAA551313), "AA551313");
    EXPECT_EQ(UnixTimeText(0), "01.01.1970 00:00:00");
    EXPECT_EQ(UnixTimeText(1600000000), "13.09.2020 12:26:40");
    EXPECT_EQ(UnixTimeText(951782400), "29.02.2000 00:00:00");
}

TEST(TarvelFormat, DamagedHeadersNameTheDamageAndItsOffset) {
    const size_t isaBlock = 96 + 3748;
    const size_t isaPair = isaBlock + 96;
    {
        std::string s = TTarvelFileBuilder(false, 1).Bytes().substr(0, 3000);
        EXPECT_EQ(ParseError(TBoard::Isa, s),
                  "Invalid Structure File: the file of 3000 bytes ends inside the fixed header "
                  "of 3948 bytes (byte offset 3000)");
    }
    {
        TTarvelFileBuilder b(false, 1);
        b.U32(isaBlock + 12, 4);
        EXPECT_EQ(ParseError(TBoard::Isa, b.Bytes()),
                  "Invalid Structure File: directory size 4 is below 8 (byte offset 3856)");
    }
    {
        TTarvelFileBuilder b(false, 1);
        b.U32(isaBlock + 12, 0xFFFFFFF0);
        EXPECT_NE(ParseError(TBoard::Isa, b.Bytes()).find("(byte offset 3940)"), std::string::npos);
    }
    {
        TTarvelFileBuilder b(false, 1);
        b.U32(isaPair, 0x40000000); // entries far beyond the directory
        EXPECT_EQ(ParseError(TBoard::Isa, b.Bytes()),
                  "Invalid Structure File: 1073741824 directory entries do not fit into 24 bytes "
                  "(byte offset 3940)");
    }
    {
        TTarvelFileBuilder b(false, 1);
        b.U32(isaPair + 4, 0xFFFFFFFF); // set-up block beyond the end
        EXPECT_NE(ParseError(TBoard::Isa, b.Bytes()).find("set-up block of 4294967295 bytes"),
                  std::string::npos);
    }
    {
        TTarvelFileBuilder b(false, 1);
        b.U32(isaPair + 20, 9); // no entry with id 1 left
        EXPECT_EQ(ParseError(TBoard::Isa, b.Bytes()),
                  "Invalid Structure File: no channel table (id 1) in the directory (byte offset "
                  "3948)");
    }
    {
        TTarvelFileBuilder b(false, 1);
        b.U32(isaPair + 24, 0xFFFFFFF0); // table offset wraps in 32 bits
        EXPECT_NE(ParseError(TBoard::Isa, b.Bytes()).find("lies outside the set-up block"),
                  std::string::npos);
    }
    {
        TTarvelFileBuilder b(false, 1);
        b.U32(isaPair + 28, 150); // too small for one channel record
        EXPECT_NE(ParseError(TBoard::Isa, b.Bytes()).find("too small for one channel record"),
                  std::string::npos);
    }
    {
        TTarvelFileBuilder b(true, 1);
        b.U32(96 + 3864 + 96 + 28, 1000);
        EXPECT_NE(ParseError(TBoard::Pci, b.Bytes()).find("holds no complete channel record"),
                  std::string::npos);
    }
    {
        TTarvelFileBuilder b(true, 1);
        EXPECT_NE(
            ParseError(TBoard::Isa, b.Bytes()).find("block signature 0000 (byte offset 3844)"),
            std::string::npos);
    }
}

TEST(TarvelFormat, IsaChannelCountFollowsTheTableSize) {
    // 580 bytes of lead and trail around the records; a partial last record still counts.
    for (int records : {1, 2, 5}) {
        TTarvelFileBuilder b(false, records);
        const std::string s = b.Bytes();
        THeader h;
        ParseHeader(TBoard::Isa, reinterpret_cast<const uint8_t*>(s.data()), s.size(), h);
        EXPECT_EQ(h.IsaChannels.size(), static_cast<size_t>(records));
    }
}

} // namespace
} // namespace vorelt

#include "viewmodel/canvas/TypesPrg.h"

#include <gtest/gtest.h>
#include <map>

using namespace vorelt;

TEST(CoordMapping, CornersOfTheSheetMapInsideTheMargins) {
    TCoordMapping m(600, 400);
    int32_t x, y;
    m.LogicalToDevice(1, 1, 0, 0, x, y);
    EXPECT_EQ(x, 2);
    EXPECT_EQ(y, 2);
    m.LogicalToDevice(1, 1, 297, 210, x, y);
    EXPECT_EQ(x, 600 - 3);
    EXPECT_EQ(y, 400 - 3);
}

TEST(CoordMapping, UnscaledAxisIsOnlyShiftedAndRoundsHalfToEven) {
    TCoordMapping m(600, 400);
    int32_t x, y;
    m.LogicalToDevice(0, 0, 10.4L, 2.5L, x, y);
    EXPECT_EQ(x, 12);
    EXPECT_EQ(y, 4);
    m.LogicalToDevice(0, 0, 3.5L, -2.5L, x, y);
    EXPECT_EQ(x, 6); // 4 + 2
    EXPECT_EQ(y, 0); // -2 + 2
}

TEST(CoordMapping, MixedFlagsScaleOnlyTheMarkedAxis) {
    TCoordMapping m(302, 215); // 297 and 210 pixels of drawing area
    int32_t x, y;
    m.LogicalToDevice(1, 0, 100, 100, x, y);
    EXPECT_EQ(x, 102);
    EXPECT_EQ(y, 102);
    m.LogicalToDevice(0, 1, 100, 105, x, y);
    EXPECT_EQ(x, 102);
    EXPECT_EQ(y, 107);
    EXPECT_EQ(m.ToDevice(TLogicalPoint{50, 60}, PackScale(1, 0)).Y, 62);
}

TEST(CoordMapping, DeviceToLogicalGivesHundredths) {
    TCoordMapping m(600, 400);
    long double x, y;
    m.DeviceToLogical(1, 1, 2, 2, x, y);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 0);
    m.DeviceToLogical(1, 1, 597, 397, x, y);
    EXPECT_NEAR(static_cast<double>(x), 297.0, 1e-9);
    EXPECT_NEAR(static_cast<double>(y), 210.0, 1e-9);
    m.DeviceToLogical(1, 1, 100, 100, x, y);
    // 297 / 595 * 98 = 48.917..., 210 / 395 * 98 = 52.101...
    EXPECT_NEAR(static_cast<double>(x), 48.92, 1e-9);
    EXPECT_NEAR(static_cast<double>(y), 52.10, 1e-9);
    m.DeviceToLogical(0, 0, 12.125L, 1, x, y);
    EXPECT_NEAR(static_cast<double>(x), 10.12, 1e-9); // 10.125: the tie goes to even
    EXPECT_EQ(y, -1);
}

TEST(CoordMapping, MillimetresAndPixels) {
    TCoordMapping m(600, 400, 96);
    EXPECT_NEAR(static_cast<double>(m.PixelsToMm(96)), 25.4, 1e-12);
    EXPECT_EQ(m.MmToPixels(25.4L), 96);
    EXPECT_EQ(m.MmToPixels(0.1L), 0);
    EXPECT_EQ(m.MmToPixels(1), 4);
    EXPECT_EQ(m.GetLogicalWidth(), 297);
    EXPECT_EQ(m.GetLogicalHeight(), 210);
}

TEST(CoordMapping, ScaleFlagsPackLowXHighY) {
    EXPECT_EQ(PackScale(1, 0), 0x0001);
    EXPECT_EQ(PackScale(0, 1), 0x0100);
    EXPECT_EQ(ScaleXOf(0x0100), 0);
    EXPECT_EQ(ScaleYOf(0x0100), 1);
}

TEST(ColorPalette, FixedColoursKeepTheirIrregularEntries) {
    TColorPalette p;
    p.Initialize(1);
    EXPECT_EQ(p.Color(1), RGBColor(204, 204, 255));
    EXPECT_EQ(GreenOf(p.Color(12)), 155);
    EXPECT_EQ(GreenOf(p.Color(23)), 151);
    EXPECT_EQ(p.Color(48), p.Color(56));
    EXPECT_EQ(p.Color(64), RGBColor(153, 102, 255));
    // Byte order of the settings file: red in the low byte.
    EXPECT_EQ(RGBColor(0x11, 0x22, 0x33), 0x00332211u);
    EXPECT_EQ(p.Color(0), clBlack);
    EXPECT_EQ(p.Color(129), clBlack);
}

TEST(ColorPalette, RandomColoursStayBelow255AndDifferPerSeed) {
    TColorPalette a, b;
    a.Initialize(1);
    b.Initialize(2);
    bool differ = false;
    for (int n = 65; n <= 128; ++n) {
        EXPECT_LE(RedOf(a.Color(n)), 254);
        EXPECT_LE(GreenOf(a.Color(n)), 254);
        EXPECT_LE(BlueOf(a.Color(n)), 254);
        differ = differ || a.Color(n) != b.Color(n);
    }
    EXPECT_TRUE(differ);
}

TEST(ColorPalette, SettingsEntryReplacesOnlyItsNumberAndDefaultsComeBack) {
    TColorPalette p;
    p.Initialize(7);
    const TColor before5 = p.Color(5);
    const TColor before100 = p.Color(100);
    std::map<std::string, int32_t> colors{{"7", 0x123456}};
    p.LoadFromSettings([&](const std::string& section, const std::string& key, int32_t def) {
        EXPECT_EQ(section, "COLORS");
        auto it = colors.find(key);
        return it == colors.end() ? def : it->second;
    });
    EXPECT_EQ(p.Color(7), 0x123456u);
    EXPECT_EQ(p.Color(5), before5);
    EXPECT_EQ(p.Color(100), before100);
    p.SetColor(100, clRed);
    p.RestoreDefault(7);
    EXPECT_EQ(p.Color(7), TColorPalette::FixedColors()[6]);
    EXPECT_EQ(p.Color(100), clRed);
    p.RestoreDefaults();
    EXPECT_EQ(p.Color(100), before100);

    std::map<std::string, int32_t> written;
    p.SaveToSettings(
        [&](const std::string&, const std::string& key, int32_t v) { written[key] = v; });
    EXPECT_EQ(written.size(), 128u);
    EXPECT_EQ(written["1"], static_cast<int32_t>(RGBColor(204, 204, 255)));
}

TEST(SizePointSetting, OutsideOneToThreeBecomesOne) {
    SetSizePoint(3);
    EXPECT_EQ(SizePoint(), 3);
    SetSizePoint(0);
    EXPECT_EQ(SizePoint(), 1);
    SetSizePoint(2);
    EXPECT_EQ(SizePoint(), 2);
    SetSizePoint(4);
    EXPECT_EQ(SizePoint(), 1);
}

TEST(ColorSchemes, DarkAndLight) {
    EXPECT_EQ(ColorScheme(0).Background, clBlack);
    EXPECT_EQ(ColorScheme(0).Foreground, clWhite);
    EXPECT_EQ(ColorScheme(0).CellLine, RGBColor(50, 50, 50));
    EXPECT_EQ(ColorScheme(1).Background, clWhite);
    EXPECT_EQ(ColorScheme(1).Foreground, clBlack);
    EXPECT_EQ(ColorScheme(1).Highlight, clYellow);
    EXPECT_EQ(ColorScheme(1).Alert, clRed);
}

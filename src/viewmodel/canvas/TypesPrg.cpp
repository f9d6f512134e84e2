#include "viewmodel/canvas/TypesPrg.h"

#include "persist/TNumberFormat.h"

#include <random>

namespace vorelt {

long double RoundHundredth(long double v) {
    return static_cast<long double>(RoundToInt64(v * 100.0L)) / 100.0L;
}

void TCoordMapping::LogicalToDevice(uint8_t scaleX, uint8_t scaleY, long double x, long double y,
                                    int32_t& devX, int32_t& devY) const {
    if (scaleX)
        devX = RoundToInt32(x * (FWidth - 5) / LogicalWidthUnits) + 2;
    else
        devX = RoundToInt32(x) + 2;
    if (scaleY)
        devY = RoundToInt32(y * (FHeight - 5) / LogicalHeightUnits) + 2;
    else
        devY = RoundToInt32(y) + 2;
}

void TCoordMapping::DeviceToLogical(uint8_t scaleX, uint8_t scaleY, long double devX,
                                    long double devY, long double& x, long double& y) const {
    if (scaleX)
        x = RoundHundredth(static_cast<long double>(LogicalWidthUnits) / (FWidth - 5) * (devX - 2));
    else
        x = RoundHundredth(devX - 2);
    if (scaleY)
        y = RoundHundredth(static_cast<long double>(LogicalHeightUnits) / (FHeight - 5) *
                           (devY - 2));
    else
        y = RoundHundredth(devY - 2);
}

int32_t TCoordMapping::MmToPixels(long double mm) const {
    return RoundToInt32(FPixelsPerInch * mm / 25.4L);
}

long double TCoordMapping::PixelsToMm(int32_t pixels) const {
    return RoundHundredth(pixels / FPixelsPerInch * 25.4L);
}

TDevicePoint TCoordMapping::ToDevice(const TLogicalPoint& p, uint16_t flags) const {
    TDevicePoint d;
    LogicalToDevice(ScaleXOf(flags), ScaleYOf(flags), p.X, p.Y, d.X, d.Y);
    return d;
}

// ---- Palette ------------------------------------------------------------------------------

const std::array<TColor, 64>& TColorPalette::FixedColors() {
    static const std::array<TColor, 64> colors = {
        RGBColor(204, 204, 255), RGBColor(0, 204, 255),   RGBColor(51, 204, 102),
        RGBColor(153, 255, 0),   RGBColor(255, 255, 204), RGBColor(153, 0, 0),
        RGBColor(255, 0, 102),   RGBColor(204, 153, 204), RGBColor(153, 153, 255),
        RGBColor(153, 255, 255), RGBColor(51, 204, 51),   RGBColor(204, 155, 102),
        RGBColor(153, 102, 51),  RGBColor(204, 51, 0),    RGBColor(255, 102, 153),
        RGBColor(153, 51, 204),  RGBColor(102, 153, 255), RGBColor(153, 204, 204),
        RGBColor(102, 0, 204),   RGBColor(102, 102, 51),  RGBColor(204, 102, 51),
        RGBColor(255, 102, 102), RGBColor(255, 151, 153), RGBColor(204, 51, 255),
        RGBColor(102, 102, 255), RGBColor(102, 153, 153), RGBColor(51, 204, 153),
        RGBColor(153, 153, 102), RGBColor(204, 153, 51),  RGBColor(255, 153, 153),
        RGBColor(204, 102, 153), RGBColor(204, 102, 255), RGBColor(102, 102, 204),
        RGBColor(51, 102, 102),  RGBColor(153, 204, 153), RGBColor(153, 153, 51),
        RGBColor(255, 102, 51),  RGBColor(255, 204, 204), RGBColor(102, 0, 102),
        RGBColor(153, 102, 204), RGBColor(0, 51, 153),    RGBColor(0, 102, 51),
        RGBColor(204, 255, 204), RGBColor(204, 204, 51),  RGBColor(255, 153, 51),
        RGBColor(153, 51, 102),  RGBColor(255, 153, 255), RGBColor(102, 51, 153),
        RGBColor(0, 0, 102),     RGBColor(0, 153, 51),    RGBColor(153, 255, 153),
        RGBColor(255, 255, 102), RGBColor(255, 153, 102), RGBColor(204, 51, 102),
        RGBColor(204, 102, 204), RGBColor(102, 51, 153),  RGBColor(51, 102, 153),
        RGBColor(51, 153, 102),  RGBColor(153, 204, 51),  RGBColor(255, 255, 153),
        RGBColor(255, 204, 0),   RGBColor(204, 51, 153),  RGBColor(153, 102, 153),
        RGBColor(153, 102, 255)};
    return colors;
}

TColorPalette::TColorPalette() {
    Initialize(std::random_device{}());
}

void TColorPalette::Initialize(uint32_t seed) {
    const auto& fixed = FixedColors();
    for (size_t i = 0; i < fixed.size(); ++i)
        FColors[i] = fixed[i];
    std::mt19937 gen(seed);
    std::uniform_int_distribution<int> component(0, 254);
    for (size_t i = fixed.size(); i < FColors.size(); ++i) {
        auto r = static_cast<uint8_t>(component(gen));
        auto g = static_cast<uint8_t>(component(gen));
        auto b = static_cast<uint8_t>(component(gen));
        FColors[i] = RGBColor(r, g, b);
    }
    FDefaults = FColors;
}

TColor TColorPalette::Color(int n) const {
    return n >= 1 && n <= PaletteSize ? FColors[static_cast<size_t>(n - 1)] : clBlack;
}

void TColorPalette::SetColor(int n, TColor c) {
    if (n >= 1 && n <= PaletteSize) FColors[static_cast<size_t>(n - 1)] = c & 0x00FFFFFFu;
}

TColor TColorPalette::DefaultColor(int n) const {
    return n >= 1 && n <= PaletteSize ? FDefaults[static_cast<size_t>(n - 1)] : clBlack;
}

void TColorPalette::KeepDefaults() {
    FDefaults = FColors;
}

void TColorPalette::RestoreDefault(int n) {
    if (n >= 1 && n <= PaletteSize)
        FColors[static_cast<size_t>(n - 1)] = FDefaults[static_cast<size_t>(n - 1)];
}

void TColorPalette::RestoreDefaults() {
    FColors = FDefaults;
}

void TColorPalette::LoadFromSettings(const TReadInteger& read) {
    for (int n = 1; n <= PaletteSize; ++n) {
        int32_t v = read("COLORS", IntToStr(n), static_cast<int32_t>(Color(n)));
        SetColor(n, static_cast<TColor>(v));
    }
}

void TColorPalette::SaveToSettings(const TWriteInteger& write) const {
    for (int n = 1; n <= PaletteSize; ++n)
        write("COLORS", IntToStr(n), static_cast<int32_t>(Color(n)));
}

TColorPalette& Palette() {
    static TColorPalette palette;
    return palette;
}

namespace {
uint8_t gSizePoint = 1;
}

uint8_t SizePoint() {
    return gSizePoint;
}

void SetSizePoint(int32_t value) {
    gSizePoint = value >= 1 && value <= 3 ? static_cast<uint8_t>(value) : 1;
}

const TColorScheme& ColorScheme(int index) {
    static const TColorScheme schemes[2] = {
        {clBlack, clWhite, clYellow, clRed, RGBColor(50, 50, 50)},
        // Grid lines are drawn in XOR over the background: this pen shows as a light grey
        // (220) on white, lighter than any data drawn in a readable shade. The button-face
        // colour used before showed as a near-black grid (15) over the data.
        {clWhite, clBlack, clYellow, clRed, RGBColor(35, 35, 35)},
    };
    return schemes[index == 1 ? 1 : 0];
}

} // namespace vorelt

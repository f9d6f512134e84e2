#pragma once
// Shared vocabulary of the 2D drawing layer: logical points, scale flags, the coordinate
// converter, the numbered colour palette, the point size and the colour schemes. Nothing here
// needs a window, so the mapping and the palette are checked without a display.

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace vorelt {

// 0x00BBGGRR, as the settings file and the palette store colours.
using TColor = uint32_t;

constexpr TColor RGBColor(uint8_t r, uint8_t g, uint8_t b) {
    return static_cast<TColor>(r) | (static_cast<TColor>(g) << 8) | (static_cast<TColor>(b) << 16);
}
constexpr uint8_t RedOf(TColor c) {
    return static_cast<uint8_t>(c & 0xFF);
}
constexpr uint8_t GreenOf(TColor c) {
    return static_cast<uint8_t>((c >> 8) & 0xFF);
}
constexpr uint8_t BlueOf(TColor c) {
    return static_cast<uint8_t>((c >> 16) & 0xFF);
}

constexpr TColor clBlack = RGBColor(0, 0, 0);
constexpr TColor clWhite = RGBColor(255, 255, 255);
constexpr TColor clYellow = RGBColor(255, 255, 0);
constexpr TColor clRed = RGBColor(255, 0, 0);
constexpr TColor clGray = RGBColor(128, 128, 128);
// The usual value of the system button-face colour.
constexpr TColor clBtnFace = RGBColor(240, 240, 240);

struct TLogicalPoint {
    long double X = 0;
    long double Y = 0;
    int32_t Tag = 0;
    uint8_t Channel = 0;
    uint8_t Flags = 0;
};
using TPointsArray = std::vector<TLogicalPoint>;

// A point in device pixels.
struct TDevicePoint {
    int32_t X = 0;
    int32_t Y = 0;
};
using TPointsArrayInt = std::vector<TDevicePoint>;

// Drawing calls carry both scale flags in one word: low byte X, high byte Y.
constexpr uint16_t PackScale(uint8_t scaleX, uint8_t scaleY) {
    return static_cast<uint16_t>(scaleX | (scaleY << 8));
}
constexpr uint8_t ScaleXOf(uint16_t flags) {
    return static_cast<uint8_t>(flags & 0xFF);
}
constexpr uint8_t ScaleYOf(uint16_t flags) {
    return static_cast<uint8_t>(flags >> 8);
}
constexpr uint16_t sfBoth = PackScale(1, 1);

constexpr int32_t LogicalWidthUnits = 297;
constexpr int32_t LogicalHeightUnits = 210;

// Where a fraction of a graph axis's range lies on the logical sheet: across from the left, and
// up from the bottom (logical Y grows downwards). It is the arithmetic by which series objects
// and grid lines place their values (`AddValueEx`), rounded to a double as their point lists
// keep it; axis ticks go through it too, so that one value lands on one pixel whatever draws
// it.
inline double PlotLogicalX(long double fraction) {
    return static_cast<double>(fraction * LogicalWidthUnits);
}
inline double PlotLogicalY(long double fraction) {
    return static_cast<double>(LogicalHeightUnits - fraction * LogicalHeightUnits);
}

class ICoordConvert {
public:
    virtual ~ICoordConvert() = default;
    virtual void LogicalToDevice(uint8_t scaleX, uint8_t scaleY, long double x, long double y,
                                 int32_t& devX, int32_t& devY) const = 0;
    virtual void DeviceToLogical(uint8_t scaleX, uint8_t scaleY, long double devX, long double devY,
                                 long double& x, long double& y) const = 0;
    virtual int32_t MmToPixels(long double mm) const = 0;
    virtual long double PixelsToMm(int32_t pixels) const = 0;
    virtual long double GetLogicalWidth() const = 0;
    virtual long double GetLogicalHeight() const = 0;
};

// Nearest hundredth, ties to even.
long double RoundHundredth(long double v);

// The mapping of the logical sheet onto a client area of W x H pixels, leaving a 2-pixel
// margin on the left and top and 3 on the right and bottom. Too small an area (under 5 pixels)
// is not guarded: views are never laid out that small.
class TCoordMapping : public ICoordConvert {
public:
    TCoordMapping(int32_t width = 0, int32_t height = 0, long double pixelsPerInch = 96)
        : FWidth(width), FHeight(height), FPixelsPerInch(pixelsPerInch) {}
    void SetSize(int32_t width, int32_t height) {
        FWidth = width;
        FHeight = height;
    }
    void SetPixelsPerInch(long double ppi) { FPixelsPerInch = ppi; }
    int32_t Width() const { return FWidth; }
    int32_t Height() const { return FHeight; }
    long double PixelsPerInch() const { return FPixelsPerInch; }

    void LogicalToDevice(uint8_t scaleX, uint8_t scaleY, long double x, long double y,
                         int32_t& devX, int32_t& devY) const override;
    void DeviceToLogical(uint8_t scaleX, uint8_t scaleY, long double devX, long double devY,
                         long double& x, long double& y) const override;
    int32_t MmToPixels(long double mm) const override;
    long double PixelsToMm(int32_t pixels) const override;
    long double GetLogicalWidth() const override { return LogicalWidthUnits; }
    long double GetLogicalHeight() const override { return LogicalHeightUnits; }

    // Convenience for drawing code: both flags packed.
    TDevicePoint ToDevice(const TLogicalPoint& p, uint16_t flags) const;

private:
    int32_t FWidth;
    int32_t FHeight;
    long double FPixelsPerInch;
};

// ---- Palette ------------------------------------------------------------------------------

constexpr int PaletteSize = 128;

// Colours 1 .. 128 of channels, series and markers. Colours 1 .. 64 are fixed; 65 .. 128 are
// random per start. The main window keeps a copy of the start-up colours as defaults and then
// overrides colours from the settings.
class TColorPalette {
public:
    TColorPalette();
    // Fixed colours plus fresh random ones from `seed`; the defaults become these colours.
    void Initialize(uint32_t seed);
    // 1 .. 128; black outside.
    TColor Color(int n) const;
    void SetColor(int n, TColor c);
    TColor DefaultColor(int n) const;
    // The current colours become the defaults.
    void KeepDefaults();
    void RestoreDefault(int n);
    void RestoreDefaults();

    // Settings access in the caller's store: section, key, default.
    using TReadInteger = std::function<int32_t(const std::string&, const std::string&, int32_t)>;
    using TWriteInteger = std::function<void(const std::string&, const std::string&, int32_t)>;
    // "COLORS" "1" .. "128" with the current colour as default.
    void LoadFromSettings(const TReadInteger& read);
    void SaveToSettings(const TWriteInteger& write) const;

    static const std::array<TColor, 64>& FixedColors();

private:
    std::array<TColor, PaletteSize> FColors{};
    std::array<TColor, PaletteSize> FDefaults{};
};

// The program's palette.
TColorPalette& Palette();
inline TColor PaletteColor(int n) {
    return Palette().Color(n);
}

// Base half-size in pixels of drawn points, 1 .. 3 ("Main" "SizePoint").
uint8_t SizePoint();
// Values outside 1 .. 3 become 1.
void SetSizePoint(int32_t value);

// ---- Colour schemes ------------------------------------------------------------------------

struct TColorScheme {
    TColor Background;
    TColor Foreground;
    TColor Highlight;
    TColor Alert;
    TColor CellLine;
};

// 0 dark, 1 light; other indices give the dark scheme.
const TColorScheme& ColorScheme(int index);

// ---- Container messages ----------------------------------------------------------------------

constexpr uint32_t AEVM_DRAG = 0x422;
constexpr uint32_t AEVM_HITTEST = 0x423;
constexpr uint32_t AEVM_SELECT = 0x424;
constexpr uint32_t AEVM_UNSELECT = 0x425;
constexpr uint32_t AEVM_NOTIFY = 0x426;
constexpr uint32_t AEVM_CANCELCREATE = 0x427;
constexpr uint32_t AEVM_BEGINCREATE = 0x428;
constexpr uint32_t AEVM_ADDPOINT = 0x429;
constexpr uint32_t AEVM_MOVEPOINT = 0x42A;
constexpr uint32_t AEVM_BEGINEDIT = 0x42B;
constexpr uint32_t AEVM_ENDEDIT = 0x42C;
constexpr uint32_t AEVM_BACKDBLCLICK = 0x42D;
constexpr uint32_t AEVM_CANCELMODE = 0x42E;
constexpr uint32_t AEVM_CHANGED = 0x42F;

// Platform messages forwarded to objects.
constexpr uint32_t WM_KEYDOWN_ = 0x100;
constexpr uint32_t WM_MOUSEMOVE_ = 0x200;
constexpr uint32_t WM_LBUTTONDOWN_ = 0x201;
constexpr uint32_t WM_LBUTTONUP_ = 0x202;
constexpr uint32_t WM_LBUTTONDBLCLK_ = 0x203;
constexpr uint32_t WM_RBUTTONDOWN_ = 0x204;

// Key state bits of mouse messages.
constexpr uint16_t MK_LBUTTON_ = 0x01;
constexpr uint16_t MK_RBUTTON_ = 0x02;
constexpr uint16_t MK_SHIFT_ = 0x04;
constexpr uint16_t MK_CONTROL_ = 0x08;
constexpr uint16_t MK_MBUTTON_ = 0x10;

constexpr uint16_t VK_BACK_ = 8;
constexpr uint16_t VK_DELETE_ = 46;

struct THitInfo {
    TLogicalPoint Point;
    int32_t DevX = 0;
    int32_t DevY = 0;
    int32_t Tolerance = 0;
    int32_t HitKind = 0; // 0 none, 1 body, 2 handle (and 3 edge for closed shapes)
    int32_t HitIndex = 0;
    long double Distance = 0;
};

// The mouse or key message that caused an object message.
struct TMouseKeyInfo {
    uint16_t KeyState = 0;
    int16_t X = 0;
    int16_t Y = 0;
    uint16_t KeyCode = 0;
};

struct TAEVMessage {
    uint32_t Msg = 0;
    THitInfo* Info = nullptr;
    TMouseKeyInfo* Source = nullptr;
    int32_t Result = 0;
};

// Normalised rectangle, GDI convention: Right and Bottom are one past the last pixel.
struct TRectInt {
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Right = 0;
    int32_t Bottom = 0;
};

} // namespace vorelt

#pragma once
// What pointing at a point of a graph tells: its values on the bottom and side axes, written
// as the axes write their labels, its channel and its record number.

#include <cstdint>
#include <string>

namespace vorelt {

// An axis as the text of a value on it needs it.
struct TReadoutAxis {
    // The axis caption ("Amplitude ( dB )"); "X" or "Y" stand in for an empty one.
    std::string Caption;
    // The current range.
    long double Lo = 0;
    long double Hi = 1;
    bool Logarithmic = false;
    // Values of integer fields are whole numbers.
    bool Integer = false;
    // The label format (lfNative, lfPowerOfTen, lfExponent).
    int32_t LabelFormat = 0;
    // The plot's length along the axis in pixels.
    int32_t Pixels = 0;
};

// The value at a fraction of the axis' current range (0 at its minimum).
long double ReadoutValueAt(const TReadoutAxis& axis, long double fraction);

// The value as the axis labels write it (decimal comma, the axis' label format, a raised
// exponent after "^"), with the digits that tell apart values a tenth of a pixel apart.
std::string ReadoutValueText(const TReadoutAxis& axis, long double value);

struct TPointReadout {
    std::string XCaption;
    std::string XText;
    std::string YCaption;
    std::string YText;
    int32_t Channel = 0;
    // Counted from 1.
    int64_t Record = 0;
};

// One line each: "caption: value" for X and Y, "Channel: n", "Record: n".
std::string ReadoutText(const TPointReadout& readout);

} // namespace vorelt

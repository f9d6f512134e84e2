#pragma once
// The program's number format: the decimal comma on output, "." accepted on input, general
// float format with 15 significant digits, and integer conversion that rounds half to even
// and never lets NaN or infinity reach an integer cast. Independent of the process locale.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vorelt {

// General format: fixed notation when 1e-5 <= |x| and the decimal exponent is below the
// precision, otherwise scientific ("1,5E-7", "1E20"); trailing zeros are dropped.
std::string FloatToStr(long double x, int precision = 15);

// Room for any text of WriteFloatText and WriteIntText.
inline constexpr size_t NumberTextCapacity = 48;
// The texts of FloatToStr and IntToStr written at `out`, which has room for NumberTextCapacity
// bytes; they return the end. They allocate nothing and, for the magnitudes data files hold,
// call no printf: loops over millions of values write through them.
char* WriteFloatText(char* out, long double x, int precision = 15);
char* WriteIntText(char* out, int64_t n);

// printf-style formatting of one floating-point value ("%.8f", "%e", "%g"), decimal comma.
// An empty or unusable format falls back to FloatToStr.
std::string FormatFloat(std::string_view printfFormat, long double x);

std::string IntToStr(int64_t n);

// Accepts optional blanks, a sign, digits with one decimal separator ("," or "."), and an
// exponent. Nothing else (no hex, no "inf").
bool TryStrToFloat(std::string_view s, long double& out);
// Throws EConvertError "'s' is not a valid floating point value".
long double StrToFloat(std::string_view s);

bool TryStrToInt64(std::string_view s, int64_t& out);
// Throws EConvertError "'s' is not a valid integer value".
int64_t StrToInt64(std::string_view s);
bool TryStrToInt(std::string_view s, int32_t& out);
int32_t StrToInt(std::string_view s);

// A number (non-zero is true) or the words True/False in any case.
bool TryStrToBool(std::string_view s, bool& out);
// Throws EConvertError "'s' is not a valid boolean value".
bool StrToBool(std::string_view s);

// Nearest integer, ties to even. NaN gives 0; values beyond the range saturate.
int64_t RoundToInt64(long double x);
int32_t RoundToInt32(long double x);

// Division by zero and invalid operations give infinities and NaN instead of traps.
void MaskFloatExceptions();

} // namespace vorelt

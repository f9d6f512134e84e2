#pragma once
// Codes that travel with every field: data type, flag bits, unit category, field-set kind and
// alignment. They are bytes in files and in the menus, so they stay plain integers.

#include "persist/TNumberInput.h"

#include <cstdint>
#include <string_view>

namespace vorelt {

// Data type codes (attribute DataType).
enum TAEDataType : uint8_t {
    dtUnknown = 0,
    dtString = 1,
    dtByte = 2,
    dtWord = 3,
    dtLongWord = 4,
    dtShortInt = 5,
    dtSmallInt = 6,
    dtInteger = 7,
    dtInt64 = 8,
    dtSingle = 9,
    dtDouble = 10,
    dtExtended = 11,
    dtListInteger = 12,
    dtBoolean = 13,
};

constexpr bool IsIntegerType(uint8_t t) {
    return t >= dtByte && t <= dtInt64;
}
constexpr bool IsFloatType(uint8_t t) {
    return t >= dtSingle && t <= dtExtended;
}
constexpr bool IsNumericType(uint8_t t) {
    return IsIntegerType(t) || IsFloatType(t);
}
// What a number field typing a value of the type takes: unsigned types whole numbers without a
// sign, other integer types whole numbers, the rest decimal numbers.
constexpr TNumberRule NumberRuleOfType(uint8_t t) {
    if (t >= dtByte && t <= dtLongWord) return {TNumberKind::Count};
    if (IsIntegerType(t)) return {TNumberKind::Integer};
    return {TNumberKind::Decimal};
}

// The text shown to the user for a type code ("Unknown" for codes outside the table).
std::string_view DataTypeName(uint8_t t);

// Flag bits (attribute Flags).
constexpr uint16_t ffSystem = 0x0001;         // rebuilt by code; not written with the field set
constexpr uint16_t ffPersistValue = 0x0002;   // value saved and loaded under "Value"
constexpr uint16_t ffHidden = 0x0004;         // never offered in field pickers
constexpr uint16_t ffFixed = 0x0008;          // user may not edit or delete it in field lists
constexpr uint16_t ffChannel = 0x0010;        // offered to pickers that want channel fields
constexpr uint16_t ffAllFieldsOnly = 0x0020;  // offered only by pickers that list every field
constexpr uint16_t ffNotInAllFields = 0x0040; // not offered by pickers that list every field
constexpr uint16_t ffChannelMark = 0x0080;    // carried by channel fields, no behaviour
constexpr uint16_t ffTime = 0x0100;           // usable as a time axis

// Unit category codes (attribute UnitKind).
constexpr uint8_t ukNone = 0;
constexpr uint8_t ukDecibel = 1;
constexpr uint8_t ukMillivolt = 2;
constexpr uint8_t ukSecond = 3;
constexpr uint8_t ukHour = 4;
constexpr uint8_t ukMillisecond = 5;
constexpr uint8_t ukMicrosecond = 6;
constexpr uint8_t ukCount = 7;
constexpr uint8_t ukAttojoule = 9;
constexpr uint8_t ukMegapascal = 10;

// Field-set kind codes (attribute Group of a field, Kind of a field set) and the names the
// declaring sets carry.
constexpr uint8_t fgDatabase = 1;
constexpr uint8_t fgSetup = 2;
constexpr uint8_t fgParametric = 3;
constexpr uint8_t fgLocation = 6;
constexpr uint8_t fgTable = 7;
constexpr uint8_t fgMath = 8;
constexpr uint8_t fgCriterion = 9;

inline constexpr char fsnDatabase[] = "Database Fields";
inline constexpr char fsnSetup[] = "Setup Database Fields";
inline constexpr char fsnParametric[] = "Parametric Database Fields";
inline constexpr char fsnCalcParametric[] = "Calculate Parametric Fields";
inline constexpr char fsnLocation[] = "Location Fields";
inline constexpr char fsnTable[] = "Table Fields";
inline constexpr char fsnMath[] = "Math Fields";
inline constexpr char fsnCriterion[] = "Criterion Fields";

// Alignment in memory. Files use other codes (see TAEField::SaveToNode).
constexpr uint8_t taLeftJustify = 0;
constexpr uint8_t taRightJustify = 1;
constexpr uint8_t taCenter = 2;

} // namespace vorelt

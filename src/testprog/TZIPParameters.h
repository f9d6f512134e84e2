#pragma once
// The project's zone-intensity parameters: the severity hit count J and the K table that the
// "Severity" and "HistoricIndex" functions use, and the six zone polygons (historic index x
// severity) by which the "ZIP" criterion classifies a channel.

#include "persist/TGVProperties.h"
#include "persist/TGridPolygon.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace vorelt {

class TNodePersist;
class TGVListCoordProperty;

// One row of the K table.
struct RecHistoricIndex {
    int32_t Index = 0;
    std::string Text;          // the K formula as the user wrote it
    uint8_t TypeOperation = 0; // 0 constant c, 1 N + c, 2 N - c, 3 c * N
    long double Value = 0;     // c
    std::string DefaultText;
    uint8_t DefaultTypeOperation = 0;
    long double DefaultValue = 0;
    std::string ErrorText = "Empty";
};

class TZIPParameters {
public:
    static constexpr int KRowCount = 5;
    static constexpr int ZoneCount = 6;
    static constexpr int32_t MinJ = 10;
    // The fixed ranges of the zone diagram.
    static constexpr int32_t HistoricIndexMin = 1;
    static constexpr int32_t HistoricIndexMax = 10;
    static constexpr int32_t SeverityMin = 10;
    static constexpr int32_t SeverityMax = 1000;
    static constexpr int32_t GridSize = 1000;

    TZIPParameters();
    TZIPParameters(const TZIPParameters&) = delete;
    TZIPParameters& operator=(const TZIPParameters&) = delete;

    // "Zone 0", "Zone A", ... "Zone E".
    static const char* ZoneName(int i);
    // The hit-count label of a K row: "< 10", "10 - 14", "15 - 74", "75 - 1000", "1000 <".
    static const char* KRowLabel(int row);
    // The K row for hit count n: 0 for n <= 9, 1 for 10..14, 2 for 15..74, 3 for 75..999,
    // 4 from 1000 on.
    static int KRowFor(int64_t n);

    int32_t J() const { return FJ; }
    // Values below 10 become 10: the severity mean divides by J.
    void SetJ(int32_t j);

    const RecHistoricIndex& KRow(int row) const { return FK[size_t(row)]; }
    void SetKText(int row, std::string text);

    // Re-reads every row's Text. A row that is no valid formula falls back to its default and
    // keeps "Invalid Operation: " and the normalised text as its error; the result is false
    // when any row failed. A row left at its default text is no failure.
    bool ParseK();
    // K for hit count n; -1 for an unknown operation.
    int32_t HistoricIndexK(int64_t n) const;

    TGVProperties& Zones() { return FZones; }
    const TGVProperties& Zones() const { return FZones; }
    // The zone of that name gets its default polygon back; unknown names change nothing.
    void SetDefaultZone(std::string_view zoneName);

    // The point on the 1000 x 1000 grid of the diagram (y grows downwards, as on screen).
    // Coordinates are clamped to +-GridCoordLimit.
    static TGridPoint ToGrid(long double historicIndex, long double severity);
    // The list index of the first zone that contains the point, and its name; -1 and an empty
    // name when none does or when either value is not finite.
    int ClassifyZone(long double severity, long double historicIndex,
                     std::string* zoneName = nullptr) const;

    // "Severity", child "HistoricIndex" with one "Items" per row, child "ZipCoords".
    void SaveToNode(TNodePersist& node) const;
    // A J below 10 in the file is raised to 10. Rows are set only when "Index" names a row and
    // "Text", "TypeOperation" and "Value" are all present. Bad numbers raise EConvertError.
    // Zones load by name and need the persist classes registered.
    void LoadFromNode(const TNodePersist& node);

private:
    void SetDefaultPoints(TGVListCoordProperty& zone, int i) const;

    int32_t FJ = MinJ;
    std::array<RecHistoricIndex, KRowCount> FK;
    TGVProperties FZones;
};

} // namespace vorelt

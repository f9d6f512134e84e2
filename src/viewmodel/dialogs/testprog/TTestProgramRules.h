#pragma once
// The rules of the test program windows that need no graph: the checks of the section and
// point dialogs, the load bounds of the load line, keeping the line's points in time order,
// removing a line with its last pair of points, the default set-up of the test graph and the
// checked sections of the section selection window.

#include "persist/TGVListCoordProperty.h"
#include "persist/TNumberInput.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vorelt {

class TTestGrLine;
class TTestSection;
class TTestSectionList;

// --- Sections -------------------------------------------------------------------------------

// The section dialog's OK: "Empty Name"; "Name Exists" for a name of another section than
// `editedIndex` (-1 for a new one); "Invalid Min( Max ) Value" unless min < max. Empty on
// success. The bounds are whole seconds (empty reads as 0); one that is no such number is
// refused with its conversion message before the comparison.
inline constexpr TNumberRule SectionSecondsRule{TNumberKind::Count, true};
std::string CheckSection(const TTestSectionList& sections, int editedIndex, const std::string& name,
                         const std::string& minText, const std::string& maxText);

// The point dialog's OK for one point: the time must lie within the bottom axis' range in
// seconds (none: the range could not be converted) and the load within [loadMin, loadMax].
// "Invalid Value <text>[S]", "Invalid Value <text>[MPa]" or "Invalid Value [S]"; empty on
// success, when `point` holds the rounded time and the load.
struct TSecondsRange {
    long double Min = 0;
    long double Max = 0;
};
std::string CheckPoint(const std::string& timeText, const std::string& loadText,
                       std::optional<TSecondsRange> axisSeconds, long double loadMin,
                       long double loadMax, TGVCoord& point);

// The load bounds of "Line Parameters": "Invalid Min Value" for a minimum not below the
// maximum or above the load of some point; "Invalid Max Value" for a maximum not above the
// minimum or below the load of some point. Empty when the bound is accepted.
std::string CheckLoadMin(const TTestGrLine& line, long double value);
std::string CheckLoadMax(const TTestGrLine& line, long double value);
// The texts of the point dialog and of "Min P,MPa", "Max P,MPa" and "Width Line,mm".
inline constexpr TNumberRule LoadLineRule{TNumberKind::Decimal};
// "Width Line,mm": a text that is not a number becomes 0.1 (the window refuses such a text
// before it gets here).
long double LineWidthOf(const std::string& text);

// --- The test graph's defaults ---------------------------------------------------------------

// What the test graph is given on the first opening of the test program window where it has
// nothing of its own.
struct TTestGraphDefaults {
    static constexpr char LeftField[] = "0000000000000005";   // "Count"
    static constexpr char BottomField[] = "0000000000000061"; // "TimeS"
    static constexpr char RightField[] = "0000000000000071";  // "CalcLoading"
    static constexpr long double RightMin = 0;
    static constexpr long double RightMax = 100;
};

// The graph's state as far as the defaults go, and what they change.
struct TTestGraphState {
    std::string LeftField;
    std::string BottomField;
    bool RightEnabled = false;
    std::string RightField;
    bool RightAutoMin = true;
    bool RightAutoMax = true;
    long double RightMin = 0;
    long double RightMax = 0;
    int SeriesCount = 0;
};
struct TTestGraphSetUp {
    TTestGraphState State;
    bool AddPointSeries = false;
    // Something was set: the project becomes modified.
    bool Changed = false;
};
// Fields the graph has keep their place; a right axis without a field is switched on with
// "CalcLoading" and the fixed range 0 to 100; a graph without series gets one point series.
TTestGraphSetUp PlanTestGraphDefaults(const TTestGraphState& current);

// --- Section selection ----------------------------------------------------------------------

// A double click toggles the section's mark.
void ToggleSectionMark(TTestSection& section);
// Marks the sections whose IDs are given (and only those).
void MarkSections(TTestSectionList& sections, const std::vector<std::string>& ids);
// The IDs of the marked sections, in list order.
std::vector<std::string> MarkedSectionIDs(const TTestSectionList& sections);

} // namespace vorelt

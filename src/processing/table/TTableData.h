#pragma once
// What a table shows, apart from how it is drawn: the columns, the tabs, the record kinds it
// admits, the list of record positions of its rows and the search condition. The table
// processor owns it, its view draws from it, and the CSV export writes it out, so a headless
// tool sees the same rows as the window.

#include "persist/TGVProperties.h"
#include "persist/TGVProperty.h"
#include "processing/filter/TLCBlock.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace vorelt {

class TAEField;
class TAEListFields;
class TGVCPUTbl;
class TNodePersist;

// Bits of the record-kind set that the checkboxes of the settings page stand for.
constexpr uint16_t trkUnknown = 0x001;
constexpr uint16_t trkHit = 0x202; // hits and criterion output
constexpr uint16_t trkStartStop = 0x03C;
constexpr uint16_t trkTimeMark = 0x040;
constexpr uint16_t trkSetup = 0x080;
constexpr uint16_t trkComments = 0x100;
// Every checkbox ticked; such a set is kept as 0, which admits every kind.
constexpr uint16_t trkAllBoxes = 0x3FF;
constexpr uint16_t trkDefault = trkHit;

// The set as it is kept: every box ticked becomes 0.
uint16_t NormalizedTypeRec(uint16_t kinds);

// Marks at the left edge of a row.
enum class TRowMark : uint8_t { None, ChkDel, ChkNotDel, NotChkDel };
// Deleted and selected: "ChkDel"; only deleted: "NotChkDel"; only selected: "ChkNotDel".
TRowMark RowMarkOf(uint8_t recFlags);
// The glyph's resource name; empty for None.
const char* RowMarkGlyph(TRowMark mark);

// The tag drawn before the values of a row.
struct TKindTag {
    const char* Text = "";  // empty: no tag
    uint32_t Color = 0;     // 0xRRGGBB
    bool Bold = false;      // a first hit
    bool Underline = false; // the whole row: kind 0
};
TKindTag KindTagOf(uint8_t kind, uint8_t recFlags);

// The text of a value in a table cell: empty when null; floating-point fields with their display
// format or "%.2f", integer fields with theirs or as an integer, other fields as their text.
std::string FormatTableValue(const TAEField& field);

// What a typed shortcut asks for, read from the collected keys.
enum class TShortCutAction : uint8_t { None, Reload, FillPage, RestoreRect, Find };
TShortCutAction InterpretShortCut(std::string_view text);

// Seek modes of the find window.
constexpr int smFromFirst = 0;
constexpr int smAfterCurrent = 1;
constexpr int smFromCurrent = 2;

// A search is for hits (and criterion output). Rows of other kinds (time marks, test-control,
// set-up and status messages, messages the driver does not know) carry none of the hit values
// a condition usually tests, so they match only when the condition asks for them: when it
// names a field of the set-up or parametric sets, the values such messages carry.
bool SeekAsksOtherKinds(const TLogicalCondition& condition, const TAEListFields& layout);
// Whether a row of `kind` is tested against the condition at all.
bool SeekTestsKind(uint8_t kind, bool otherKinds);

class TTableData {
public:
    explicit TTableData(TGVCPUTbl& owner);
    TTableData(const TTableData&) = delete;
    TTableData& operator=(const TTableData&) = delete;

    TGVCPUTbl& Owner() const { return FOwner; }

    // --- Columns and tabs -----------------------------------------------------------------
    // Each column is a string property: Name the field's name, Value its ID, DisplayName the
    // caption, DisplayDimension the unit, DisplayWidth the width in pixels, Tag its tab.
    TGVProperties& Columns() { return FColumns; }
    const TGVProperties& Columns() const { return FColumns; }
    // Each tab is a string property named by its caption; ItemIndex is the selected tab.
    TGVProperties& Tabs() { return FTabs; }
    const TGVProperties& Tabs() const { return FTabs; }
    // Tabs matter only below a criterion processor.
    bool TabsInUse() const;
    int SelectedTab() const { return FTabs.ItemIndex(); }
    void SetSelectedTab(int i) { FTabs.SetItemIndex(i); }
    // Shown on every tab (-1), or on the selected one; always when no tabs are in use.
    bool ColumnVisible(const TGVProperty& column) const;
    std::vector<const TGVStringProperty*> VisibleColumns() const;
    // 50 plus DisplayWidth + 10 per visible column.
    int32_t ContentWidth() const;
    // The grid's single column: max(view width - 40, content width + 40).
    int32_t GridColumnWidth(int32_t viewWidth) const;

    // A column copied from the field's display attributes; appended.
    TGVStringProperty* AddColumn(const TAEField& field);
    bool UsesField(std::string_view id) const;
    // Deletes every column of the field; true when there was one.
    bool RemoveField(std::string_view id);

    // A new tab at the end; returns its position.
    int AddTab(const std::string& name);
    // Columns of the deleted tab get no tab; columns of later tabs move down by one.
    void DeleteTab(int i);
    // The tabs change places and so do the tab numbers of their columns.
    void ExchangeTabs(int i, int j);

    // --- Record kinds ---------------------------------------------------------------------
    // Bit n admits record kind n; 0 admits all.
    uint16_t TypeRec() const { return FTypeRec; }
    void SetTypeRec(uint16_t kinds) { FTypeRec = NormalizedTypeRec(kinds); }
    bool HitMarks() const { return FHitMarks; }
    void SetHitMarks(bool on) { FHitMarks = on; }

    // --- Rows -----------------------------------------------------------------------------
    const std::vector<int32_t>& Rows() const { return FRows; }
    int32_t RowCount() const { return static_cast<int32_t>(FRows.size()); }
    // The record position of row r; -1 outside.
    int32_t RowPosition(int32_t r) const {
        return r >= 0 && r < RowCount() ? FRows[static_cast<size_t>(r)] : -1;
    }
    void SetRows(std::vector<int32_t> rows) { FRows = std::move(rows); }
    // The first row of a record position; -1 when no row shows it.
    int32_t RowOf(int32_t position) const {
        if (position < 0) return -1;
        const auto it = std::find(FRows.begin(), FRows.end(), position);
        return it == FRows.end() ? -1 : static_cast<int32_t>(it - FRows.begin());
    }
    void ClearRows();
    // Two header rows and at least one more.
    int32_t GridRowCount() const { return std::max<int32_t>(3, RowCount() + 2); }
    // Walks every record that reaches the table and keeps the positions of the admitted
    // ones. Now and then `progress` hears how far the walk got in the file (records passed of
    // the file's total, 0 when not known), with the rows read so far already in place, and
    // `aborted` is asked; a true answer ends the walk like an error. On failure the rows are
    // empty and `error` holds the cursor's text.
    bool LoadRows(std::string& error, const std::function<bool()>& aborted = {},
                  const std::function<void(int64_t, int64_t)>& progress = {});

    // --- Search ---------------------------------------------------------------------------
    TLCBase& SeekCondition() { return FSeekCondition; }
    const TLCBase& SeekCondition() const { return FSeekCondition; }
    // The first row from `startRow` on whose record satisfies the condition, among the kinds
    // it asks for (SeekTestsKind). A failing fetch does not match. -1 when none does.
    int32_t Seek(int32_t startRow);
    // Where a search of `mode` starts, given the grid's current data row (-1: none).
    static int32_t SeekStart(int mode, int32_t currentRow);

    // --- Persistence ----------------------------------------------------------------------
    // The children "TypeRec", "FIELDS" and "TABS" of the view's node.
    void SaveToNode(TNodePersist& node) const;
    void LoadFromNode(const TNodePersist& node);

private:
    TGVCPUTbl& FOwner;
    TGVProperties FColumns;
    TGVProperties FTabs;
    uint16_t FTypeRec = trkDefault;
    bool FHitMarks = false;
    std::vector<int32_t> FRows;
    TLCBase FSeekCondition;
};

} // namespace vorelt

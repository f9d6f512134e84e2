#pragma once
// What the deleted records window shows and does, apart from the widgets: the texts of the
// tree of deleted groups, the rows of the chosen group (read through the database
// processor's own cursor), its columns, and the restore requests with the choice of group
// that follows them. The window draws from it, so the rules are tested without a screen.

#include "model/TAERecord.h"
#include "model/TAERecordProtocol.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vorelt {

class TGVDb;
class TAEField;
class TGVStringProperty;

// One part of a grid row: its text in a width and an alignment (taLeftJustify ...).
struct TDelHitCell {
    std::string Text;
    int32_t Width = 0;
    uint8_t Alignment = 0;
};

// A row of the records grid as it is drawn after the kind tag.
struct TDelHitRow {
    bool Read = false;    // false: nothing to draw (no record, or a failing read)
    uint8_t Kind = 0;     // record kind
    uint8_t RecFlags = 0; // the record's deleted and selected flags
    std::string Number;   // row - 1
    std::vector<TDelHitCell> Cells;
};

// Which column-page buttons can be pressed for a selected entry (-1: none).
struct TColumnButtons {
    bool Add = true;
    bool Edit = false;
    bool Delete = false;
    bool Up = false;
    bool Down = false;
};

class TDelHitPages {
public:
    static constexpr int FixedRows = 2;
    static constexpr int NumberWidth = 30;

    explicit TDelHitPages(TGVDb& db);

    TGVDb& Db() const { return FDb; }

    // --- Tree -----------------------------------------------------------------------------
    int GroupCount() const;
    // Positions in group k; 0 outside.
    int GroupSize(int k) const;
    int TotalPositions() const;
    // "Stack Data Deleted - N".
    std::string RootText() const;
    // "k Page - n".
    std::string GroupText(int k) const;

    // --- Chosen group ---------------------------------------------------------------------
    // -1: the root, the empty page.
    int Group() const { return FGroup; }
    // A group that does not exist chooses the root.
    void ChooseGroup(int k);
    // max(3, positions + 2); 3 for the root.
    int GridRowCount() const;
    // max(client width - 40, 50 + sum of (DisplayWidth + 10) + 40) over the columns.
    int32_t ColumnWidth(int32_t clientWidth) const;
    // Grid rows 2 and up that stand for a record of the chosen group.
    bool IsDataRow(int gridRow) const;
    // The record position of a data row; -1 otherwise.
    int32_t PositionOfRow(int gridRow) const;
    // Header rows are drawn only while the data source is ready.
    bool HeadersShown() const;
    // Row 0: each column's caption; row 1: each field's unit (the field's width when the
    // column has none).
    std::vector<TDelHitCell> HeaderCells(int gridRow) const;
    // A data row: tag data, the number and the cells (values for hits and criterion output,
    // the message text in its field's width for other kinds).
    TDelHitRow Row(int gridRow);

    // --- Columns --------------------------------------------------------------------------
    int ColumnCount() const;
    TGVStringProperty* Column(int i) const;
    // Appends a column for the field; false (and nothing changes) when it is listed.
    bool AddColumn(const TAEField& field);
    // Empty caption: the field's; width 0 or less: the field's.
    void EditColumn(int i, const std::string& caption, int32_t width, uint8_t alignment);
    void MoveColumn(int i, int delta);
    void DeleteColumn(int i);
    std::vector<std::string> ColumnIDs() const;
    static TColumnButtons ButtonsFor(int selected, int count);

    // --- Restoring ------------------------------------------------------------------------
    // 0x414; the root is shown afterwards.
    void UndeleteAll();
    // 0x413 with (k, -1); the root is shown afterwards.
    void UndeletePageStack(int k);
    // Only a data row of the chosen group can be restored: header rows and empty rows would
    // give -1 or -2, and -1 means the whole group. False when nothing was sent.
    bool CanUndeleteRecord(int currentRow) const;
    bool UndeleteRecord(int currentRow);

private:
    void Changed();
    const std::vector<int32_t>* Positions() const;

    TGVDb& FDb;
    int FGroup = -1;
    TAEPNav FNav;
    TAERecord FRecord;
    bool FPrepared = false;
};

} // namespace vorelt

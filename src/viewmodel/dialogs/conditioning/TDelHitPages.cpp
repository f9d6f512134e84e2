#include "viewmodel/dialogs/conditioning/TDelHitPages.h"

#include "model/TAEField.h"
#include "model/TAEFieldIDs.h"
#include "persist/TGVProperty.h"
#include "persist/TTextHelpers.h"
#include "processing/db/TGVDb.h"
#include "processing/table/TTableData.h"

#include <algorithm>

namespace vorelt {

TDelHitPages::TDelHitPages(TGVDb& db) : FDb(db) {}

// --- Tree -----------------------------------------------------------------------------------

int TDelHitPages::GroupCount() const {
    return FDb.DeletedGroupCount();
}

int TDelHitPages::GroupSize(int k) const {
    const TAEDriverDb* d = FDb.Driver();
    if (!d || k < 0 || k >= d->DeletedGroupCount()) return 0;
    return static_cast<int>(d->DeletedGroups()[static_cast<size_t>(k)].size());
}

int TDelHitPages::TotalPositions() const {
    int total = 0;
    for (int k = 0; k < GroupCount(); ++k)
        total += GroupSize(k);
    return total;
}

std::string TDelHitPages::RootText() const {
    return std::string("Stack Data Deleted") + " - " + std::to_string(TotalPositions());
}

std::string TDelHitPages::GroupText(int k) const {
    return std::to_string(k) + " " + "Page" + " - " + std::to_string(GroupSize(k));
}

// --- Chosen group ---------------------------------------------------------------------------

const std::vector<int32_t>* TDelHitPages::Positions() const {
    const TAEDriverDb* d = FDb.Driver();
    if (!d || FGroup < 0 || FGroup >= d->DeletedGroupCount()) return nullptr;
    return &d->DeletedGroups()[static_cast<size_t>(FGroup)];
}

void TDelHitPages::ChooseGroup(int k) {
    FGroup = k >= 0 && k < GroupCount() ? k : -1;
}

int TDelHitPages::GridRowCount() const {
    const std::vector<int32_t>* p = Positions();
    return std::max(3, (p ? static_cast<int>(p->size()) : 0) + FixedRows);
}

int32_t TDelHitPages::ColumnWidth(int32_t clientWidth) const {
    int32_t content = 50;
    for (int i = 0; i < ColumnCount(); ++i)
        if (const TGVStringProperty* c = Column(i)) content += c->GetDisplayWidth() + 10;
    return std::max(clientWidth - 40, content + 40);
}

bool TDelHitPages::IsDataRow(int gridRow) const {
    return PositionOfRow(gridRow) >= 0;
}

int32_t TDelHitPages::PositionOfRow(int gridRow) const {
    const std::vector<int32_t>* p = Positions();
    const int item = gridRow - FixedRows;
    if (!p || item < 0 || item >= static_cast<int>(p->size())) return -1;
    return (*p)[static_cast<size_t>(item)];
}

bool TDelHitPages::HeadersShown() const {
    return FDb.GetSourceState() == dsReady;
}

std::vector<TDelHitCell> TDelHitPages::HeaderCells(int gridRow) const {
    std::vector<TDelHitCell> cells;
    if (!HeadersShown() || gridRow < 0 || gridRow >= FixedRows) return cells;
    for (int i = 0; i < ColumnCount(); ++i) {
        const TGVStringProperty* c = Column(i);
        if (!c) continue;
        TDelHitCell cell;
        cell.Width = c->GetDisplayWidth();
        cell.Alignment = c->GetAlignment();
        if (gridRow == 0) {
            cell.Text = c->GetDisplayName();
        } else if (const TAEField* f = FDb.FindField(c->Value())) {
            cell.Text = f->GetDisplayDimension();
            if (cell.Width == 0) cell.Width = f->GetDisplayWidth();
        }
        cells.push_back(std::move(cell));
    }
    return cells;
}

TDelHitRow TDelHitPages::Row(int gridRow) {
    TDelHitRow row;
    const int32_t position = PositionOfRow(gridRow);
    if (position < 0 || !FDb.Driver()) return row;
    if (!FPrepared) {
        FDb.PrepareRecord(FRecord);
        FPrepared = true;
    }
    FNav = TAEPNav();
    FDb.ReadRecord(FNav, FRecord, position);
    if (FNav.Out.Status & nsError) return row;
    row.Read = true;
    row.Kind = FRecord.Kind();
    row.RecFlags = FRecord.RecFlags();
    row.Number = std::to_string(gridRow - 1);
    if (row.Kind == rkHit || row.Kind == rkCriterion) {
        for (int i = 0; i < ColumnCount(); ++i) {
            const TGVStringProperty* c = Column(i);
            if (!c) continue;
            TDelHitCell cell;
            cell.Width = c->GetDisplayWidth();
            cell.Alignment = c->GetAlignment();
            if (const TAEField* f = FRecord.FindByID(c->Value())) cell.Text = FormatTableValue(*f);
            row.Cells.push_back(std::move(cell));
        }
    } else if (const TAEField* f = FRecord.FindByID(fidDefaultText)) {
        TDelHitCell cell;
        cell.Text = f->GetAsString();
        cell.Width = f->GetDisplayWidth();
        row.Cells.push_back(std::move(cell));
    }
    return row;
}

// --- Columns --------------------------------------------------------------------------------

int TDelHitPages::ColumnCount() const {
    return FDb.DelHitFields().Count();
}

TGVStringProperty* TDelHitPages::Column(int i) const {
    return dynamic_cast<TGVStringProperty*>(FDb.DelHitFields().Get(i));
}

std::vector<std::string> TDelHitPages::ColumnIDs() const {
    std::vector<std::string> ids;
    for (int i = 0; i < ColumnCount(); ++i)
        if (const TGVStringProperty* c = Column(i)) ids.push_back(c->Value());
    return ids;
}

bool TDelHitPages::AddColumn(const TAEField& field) {
    const std::vector<std::string> ids = ColumnIDs();
    if (std::find(ids.begin(), ids.end(), field.ID()) != ids.end()) return false;
    auto column = std::make_unique<TGVStringProperty>(field.FieldName());
    column->SetAsString(field.ID());
    column->SetAlignment(field.Alignment());
    column->SetDisplayName(field.GetDisplayName());
    column->SetDisplayDimension(field.GetDisplayDimension());
    column->SetDisplayWidth(field.GetDisplayWidth());
    column->SetDisplaySWidth(field.GetDisplaySWidth());
    FDb.DelHitFields().Add(std::move(column));
    Changed();
    return true;
}

void TDelHitPages::EditColumn(int i, const std::string& caption, int32_t width, uint8_t alignment) {
    TGVStringProperty* c = Column(i);
    if (!c) return;
    const TAEField* field = FDb.FindField(c->Value());
    const std::string name = Trim(caption);
    c->SetDisplayName(name.empty() && field ? field->GetDisplayName() : name);
    c->SetDisplayWidth(width <= 0 && field ? field->GetDisplayWidth() : width);
    c->SetAlignment(alignment);
    Changed();
}

void TDelHitPages::MoveColumn(int i, int delta) {
    const int j = i + delta;
    if (i < 0 || j < 0 || i >= ColumnCount() || j >= ColumnCount()) return;
    FDb.DelHitFields().Exchange(i, j);
    Changed();
}

void TDelHitPages::DeleteColumn(int i) {
    if (i < 0 || i >= ColumnCount()) return;
    FDb.DelHitFields().Delete(i);
    Changed();
}

TColumnButtons TDelHitPages::ButtonsFor(int selected, int count) {
    TColumnButtons b;
    const bool any = selected >= 0 && selected < count;
    b.Edit = b.Delete = any;
    b.Up = any && selected > 0;
    b.Down = any && selected < count - 1;
    return b;
}

void TDelHitPages::Changed() {
    FDb.Changed(false);
}

// --- Restoring ------------------------------------------------------------------------------

void TDelHitPages::UndeleteAll() {
    TAEOMSG msg;
    msg.Msg = omUndoAllDeletions;
    FDb.Dispatch(msg);
    FGroup = -1;
}

void TDelHitPages::UndeletePageStack(int k) {
    if (k >= 0 && k < GroupCount()) {
        TDeletedItemRef ref{k, -1};
        TAEOMSG msg;
        msg.Msg = omRestore;
        msg.WParam = reinterpret_cast<intptr_t>(&ref);
        FDb.Dispatch(msg);
    }
    FGroup = -1;
}

bool TDelHitPages::CanUndeleteRecord(int currentRow) const {
    return IsDataRow(currentRow);
}

bool TDelHitPages::UndeleteRecord(int currentRow) {
    if (!CanUndeleteRecord(currentRow)) return false;
    const int group = FGroup;
    const int before = GroupCount();
    TDeletedItemRef ref{group, currentRow - FixedRows};
    TAEOMSG msg;
    msg.Msg = omRestore;
    msg.WParam = reinterpret_cast<intptr_t>(&ref);
    FDb.Dispatch(msg);
    // An emptied group is gone and the later ones moved up: its index now names another group.
    FGroup = GroupCount() == before && GroupSize(group) > 0 ? group : -1;
    return true;
}

} // namespace vorelt

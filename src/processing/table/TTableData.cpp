#include "processing/table/TTableData.h"

#include "model/TAEField.h"
#include "model/TAEFieldTypes.h"
#include "model/TAEFields.h"
#include "model/TAEListFields.h"
#include "model/TAERecord.h"
#include "model/TAERecordProtocol.h"
#include "persist/TNodePersist.h"
#include "persist/TNumberFormat.h"
#include "persist/TTextHelpers.h"
#include "processing/TDemandChain.h"
#include "processing/table/TGVCPUTbl.h"

#include <algorithm>
#include <cstdio>
#include <exception>

namespace vorelt {

namespace {

constexpr char CriterionClass[] = "TGVCPUCriterion";

int32_t ColumnTab(const TGVProperty& column) {
    return column.GetTag();
}

} // namespace

uint16_t NormalizedTypeRec(uint16_t kinds) {
    return (kinds & trkAllBoxes) == trkAllBoxes ? 0 : kinds;
}

TRowMark RowMarkOf(uint8_t recFlags) {
    const bool deleted = (recFlags & rfDeleted) != 0;
    const bool selected = (recFlags & rfSelected) != 0;
    if (deleted && selected) return TRowMark::ChkDel;
    if (deleted) return TRowMark::NotChkDel;
    if (selected) return TRowMark::ChkNotDel;
    return TRowMark::None;
}

const char* RowMarkGlyph(TRowMark mark) {
    switch (mark) {
    case TRowMark::ChkDel:
        return "ChkDel";
    case TRowMark::ChkNotDel:
        return "ChkNotDel";
    case TRowMark::NotChkDel:
        return "NotChkDel";
    case TRowMark::None:
        break;
    }
    return "";
}

TKindTag KindTagOf(uint8_t kind, uint8_t recFlags) {
    TKindTag tag;
    switch (kind) {
    case rkHit:
        if (recFlags & rfFirstHit) {
            tag.Text = "Fh";
            tag.Bold = true;
        } else {
            tag.Text = "Ht";
        }
        break;
    case rkStop:
    case rkResume:
    case rkPause:
    case rkAbort:
        tag.Text = "Al";
        tag.Color = 0xFF0000;
        break;
    case rkTimeMark:
        tag.Text = "Tm";
        tag.Color = 0x800080;
        break;
    case rkSetup:
        tag.Text = "St";
        tag.Color = 0x008000;
        break;
    case rkComment:
        tag.Text = "Cm";
        tag.Color = 0x0000FF;
        break;
    case rkUnknown:
        tag.Underline = true;
        break;
    default:
        break;
    }
    return tag;
}

namespace {

// printf of one integer with a format written for an int ("%5d", "%x"); the conversion gets
// the 64-bit length modifier. Formats for floats print the value as a float.
std::string FormatInteger(const std::string& format, int64_t n) {
    const size_t percent = format.find('%');
    if (percent == std::string::npos) return IntToStr(n);
    size_t conv = percent + 1;
    while (conv < format.size() &&
           std::string_view("-+ #0123456789.").find(format[conv]) != std::string_view::npos)
        ++conv;
    if (conv >= format.size()) return IntToStr(n);
    const char c = format[conv];
    if (std::string_view("diuxXo").find(c) == std::string_view::npos)
        return FormatFloat(format, static_cast<long double>(n));
    std::string f = format.substr(0, conv) + "ll" + format.substr(conv);
    char buffer[128];
    const int len = std::snprintf(buffer, sizeof buffer, f.c_str(), static_cast<long long>(n));
    if (len < 0) return IntToStr(n);
    return std::string(buffer, static_cast<size_t>(std::min<int>(len, sizeof buffer - 1)));
}

} // namespace

std::string FormatTableValue(const TAEField& field) {
    if (field.IsNull()) return {};
    const uint8_t type = field.DataType();
    if (IsFloatType(type))
        return FormatFloat(field.DisplayFormat().empty() ? "%.2f" : field.DisplayFormat(),
                           field.GetAsFloat());
    if (IsIntegerType(type)) {
        if (field.DisplayFormat().empty()) return IntToStr(field.GetAsInt64());
        return FormatInteger(field.DisplayFormat(), field.GetAsInt64());
    }
    if (type == dtListInteger) {
        const auto* list = static_cast<const std::vector<uint8_t>*>(field.GetValuePtr());
        std::string s;
        for (size_t i = 0; list && i < list->size(); ++i) {
            if (i) s += ',';
            s += IntToStr((*list)[i]);
        }
        return s;
    }
    return field.GetAsString();
}

TShortCutAction InterpretShortCut(std::string_view text) {
    const std::string s = UpperCase(Trim(text));
    if (s.find('L') != std::string::npos) return TShortCutAction::Reload;
    if (s.find('W') != std::string::npos)
        return s.find('-') != std::string::npos ? TShortCutAction::RestoreRect
                                                : TShortCutAction::FillPage;
    if (s.find('F') != std::string::npos) return TShortCutAction::Find;
    return TShortCutAction::None;
}

TTableData::TTableData(TGVCPUTbl& owner)
    : FOwner(owner), FColumns("FIELDS"), FTabs("TABS"), FSeekCondition(&owner) {}

// --- Columns and tabs ---------------------------------------------------------------------

bool TTableData::TabsInUse() const {
    return FOwner.Parent() && TGVCPU::IsOfClassOrBelow(FOwner.Parent(), CriterionClass);
}

bool TTableData::ColumnVisible(const TGVProperty& column) const {
    if (!TabsInUse()) return true;
    const int32_t tab = ColumnTab(column);
    return tab == -1 || tab == FTabs.ItemIndex();
}

std::vector<const TGVStringProperty*> TTableData::VisibleColumns() const {
    std::vector<const TGVStringProperty*> out;
    const bool tabs = TabsInUse();
    for (int i = 0; i < FColumns.Count(); ++i) {
        const auto* c = dynamic_cast<const TGVStringProperty*>(FColumns.Get(i));
        if (!c) continue;
        if (tabs && ColumnTab(*c) != -1 && ColumnTab(*c) != FTabs.ItemIndex()) continue;
        out.push_back(c);
    }
    return out;
}

int32_t TTableData::ContentWidth() const {
    int32_t total = 50;
    for (const TGVStringProperty* c : VisibleColumns())
        total += c->GetDisplayWidth() + 10;
    return total;
}

int32_t TTableData::GridColumnWidth(int32_t viewWidth) const {
    return std::max(viewWidth - 40, ContentWidth() + 40);
}

TGVStringProperty* TTableData::AddColumn(const TAEField& field) {
    auto column = std::make_unique<TGVStringProperty>(field.FieldName());
    column->SetAsString(field.ID());
    column->SetAlignment(field.Alignment());
    column->SetDisplayName(field.GetDisplayName());
    column->SetDisplayDimension(field.GetDisplayDimension());
    column->SetDisplayWidth(field.GetDisplayWidth());
    column->SetDisplaySWidth(field.GetDisplaySWidth());
    column->SetTag(-1);
    TGVStringProperty* raw = column.get();
    FColumns.Add(std::move(column));
    return raw;
}

bool TTableData::UsesField(std::string_view id) const {
    for (int i = 0; i < FColumns.Count(); ++i)
        if (const auto* c = dynamic_cast<const TGVStringProperty*>(FColumns.Get(i)))
            if (c->Value() == id) return true;
    return false;
}

bool TTableData::RemoveField(std::string_view id) {
    bool removed = false;
    for (int i = FColumns.Count() - 1; i >= 0; --i) {
        const auto* c = dynamic_cast<const TGVStringProperty*>(FColumns.Get(i));
        if (c && c->Value() == id) {
            FColumns.Delete(i);
            removed = true;
        }
    }
    return removed;
}

int TTableData::AddTab(const std::string& name) {
    const int i = FTabs.Add(std::make_unique<TGVStringProperty>(name));
    if (FTabs.ItemIndex() < 0) FTabs.SetItemIndex(0);
    return i;
}

void TTableData::DeleteTab(int i) {
    if (i < 0 || i >= FTabs.Count()) return;
    for (int k = 0; k < FColumns.Count(); ++k) {
        TAESaveProperty* p = FColumns.Get(k);
        auto* c = dynamic_cast<TGVProperty*>(p);
        if (!c) continue;
        if (c->GetTag() == i)
            c->SetTag(-1);
        else if (c->GetTag() > i)
            c->SetTag(c->GetTag() - 1);
    }
    const int selected = FTabs.ItemIndex();
    FTabs.Delete(i);
    if (FTabs.Count() == 0)
        FTabs.SetItemIndex(-1);
    else
        FTabs.SetItemIndex(std::min(selected > i ? selected - 1 : selected, FTabs.Count() - 1));
}

void TTableData::ExchangeTabs(int i, int j) {
    if (i < 0 || j < 0 || i >= FTabs.Count() || j >= FTabs.Count() || i == j) return;
    FTabs.Exchange(i, j);
    for (int k = 0; k < FColumns.Count(); ++k) {
        auto* c = dynamic_cast<TGVProperty*>(FColumns.Get(k));
        if (!c) continue;
        if (c->GetTag() == i)
            c->SetTag(j);
        else if (c->GetTag() == j)
            c->SetTag(i);
    }
    const int selected = FTabs.ItemIndex();
    if (selected == i)
        FTabs.SetItemIndex(j);
    else if (selected == j)
        FTabs.SetItemIndex(i);
}

// --- Rows ---------------------------------------------------------------------------------

void TTableData::ClearRows() {
    FRows.clear();
    FRows.shrink_to_fit();
}

bool TTableData::LoadRows(std::string& error, const std::function<bool()>& aborted,
                          const std::function<void(int64_t, int64_t)>& progress) {
    ClearRows();
    TAEPNav& nav = FOwner.Nav();
    nav = TAEPNav{};
    nav.Kinds = FTypeRec;
    TAERecord& record = FOwner.Record();
    FOwner.PrepareRecord(record);
    // Listing the rows reads no field: the features would cost a spectrum per row for nothing.
    DemandAllButWaveFeatures(&FOwner, record, [](std::string_view) { return false; });
    const bool onlyFirst = FOwner.IsLocated() && FOwner.GetFirstHitOnly();
    // The file's record count tells how far the walk got; the database answers it from its
    // index. The row list grows by doubling: the count of the stream below a filter is not
    // known beforehand and asking for it would walk the stream twice.
    int64_t total = 0;
    if (progress)
        if (TGVCPU* db = FOwner.Db()) {
            TAEPNav counting;
            TAERecord counted;
            db->PrepareRecord(counted);
            total = std::max<int64_t>(db->RecordCount(counting, counted), 0);
        }
    try {
        int32_t i = FOwner.FirstRecord(nav, record, -1);
        uint32_t step = 0;
        while ((nav.Out.Status & nsEndForward) == 0) {
            if (nav.Out.Status & nsError) break;
            if ((aborted || progress) && (++step & 0x3FFF) == 0) {
                if (progress) {
                    // A filter passes fewer records than the file has: the position in the
                    // file tells how far the walk got.
                    int64_t passed = static_cast<int64_t>(step);
                    if (total > 0 && i >= 0)
                        passed = std::min<int64_t>(std::max<int64_t>(passed, i), total);
                    progress(passed, total);
                }
                if (aborted && aborted()) {
                    nav.Out.Status |= nsError;
                    nav.Out.Message = "Abort";
                    break;
                }
            }
            if (!onlyFirst || nav.Out.Kind != rkHit || (nav.Out.EventFlags & rfFirstHit) != 0)
                FRows.push_back(i);
            i = FOwner.NextRecord(nav, record, i);
        }
    } catch (const std::exception& e) {
        nav.Out.Status |= nsError;
        nav.Out.Message = e.what();
    }
    if (nav.Out.Status & nsError) {
        error = nav.Out.Message;
        ClearRows();
        return false;
    }
    FRows.shrink_to_fit();
    return true;
}

// --- Search -------------------------------------------------------------------------------

int32_t TTableData::SeekStart(int mode, int32_t currentRow) {
    switch (mode) {
    case smAfterCurrent:
        return currentRow < 0 ? 0 : currentRow + 1;
    case smFromCurrent:
        return currentRow < 0 ? 0 : currentRow;
    default:
        return 0;
    }
}

bool SeekAsksOtherKinds(const TLogicalCondition& condition, const TAEListFields& layout) {
    for (int i = 0; i < layout.Count(); ++i) {
        const TAEFields* set = layout.Get(i);
        if (!set || (set->Kind() != fgSetup && set->Kind() != fgParametric)) continue;
        for (int k = 0; k < set->Count(); ++k)
            if (const TAEField* f = set->Get(k); f && condition.ReferencesId(f->ID())) return true;
    }
    return false;
}

bool SeekTestsKind(uint8_t kind, bool otherKinds) {
    return kind == rkHit || kind == rkCriterion || otherKinds;
}

int32_t TTableData::Seek(int32_t startRow) {
    TAEPNav nav;
    TAERecord& record = FOwner.Record();
    FOwner.PrepareRowRecord(record);
    const TAEListFields& layout = record.Fields();
    FSeekCondition.Bind(layout, FOwner.ConditionVariants());
    const bool otherKinds = SeekAsksOtherKinds(FSeekCondition, layout);
    const int32_t n = RowCount();
    for (int32_t r = std::max<int32_t>(0, startRow); r < n; ++r) {
        nav.Out.Status = nsPositioned;
        FOwner.ReadRecord(nav, record, FRows[static_cast<size_t>(r)]);
        if (nav.Out.Status & nsError) continue;
        if (!SeekTestsKind(record.Kind(), otherKinds)) continue;
        try {
            if (FSeekCondition.Evaluate(record)) return r;
        } catch (const std::exception&) {
            // A condition that cannot be evaluated on this record does not match it.
        }
    }
    return -1;
}

// --- Persistence --------------------------------------------------------------------------

void TTableData::SaveToNode(TNodePersist& node) const {
    TNodePersist* kinds = node.AddNode("TypeRec");
    // The set 0 admits every kind; it is written as every kind so that loading, which adds
    // the saved kinds to the default, gives every kind back.
    const uint16_t saved = FTypeRec == 0 ? trkAllBoxes : FTypeRec;
    for (unsigned k = 0; k <= 8; ++k)
        if (saved & KindBit(k)) kinds->AddNode("ITEM")->AddItem("ID", IntToStr(k));
    FColumns.SaveToNode(*node.AddNode("FIELDS"));
    FTabs.SaveToNode(*node.AddNode("TABS"));
}

void TTableData::LoadFromNode(const TNodePersist& node) {
    for (int i = 0; i < node.NodeCount(); ++i) {
        const TNodePersist& child = *node.Node(i);
        if (SameTextTrimmed(child.Name(), "TypeRec")) {
            uint16_t kinds = trkDefault;
            for (int k = 0; k < child.NodeCount(); ++k) {
                const TNodePersist& item = *child.Node(k);
                if (!SameTextTrimmed(item.Name(), "ITEM")) continue;
                int32_t id = -1;
                if (TryStrToInt(item.GetValue("ID"), id) && id >= 0 && id <= 8)
                    kinds |= KindBit(static_cast<unsigned>(id));
            }
            SetTypeRec(kinds);
        } else if (SameTextTrimmed(child.Name(), "FIELDS")) {
            FColumns.Clear();
            FColumns.LoadFromNode(child);
        } else if (SameTextTrimmed(child.Name(), "TABS")) {
            FTabs.Clear();
            FTabs.LoadFromNode(child);
            FTabs.SetItemIndex(FTabs.Count() > 0 ? 0 : -1);
        }
    }
}

} // namespace vorelt

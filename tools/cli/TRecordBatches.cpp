#include "cli/TRecordBatches.h"

#include "model/TAEFieldValue.h"
#include "persist/TErrors.h"

#include <exception>

namespace vorelt::cli {

void TRecordBatch::WriteLine(size_t k, size_t columns, TRecordTextWriter& text) const {
    const TRecordCell* cell = Cells.data() + k * columns;
    for (size_t i = 0; i < columns; ++i, ++cell) {
        switch (cell->Kind) {
        case TRecordCell::Null:
            text.AddNull();
            break;
        case TRecordCell::Float:
            text.AddFloat(cell->Value.Float);
            break;
        case TRecordCell::Int:
            text.AddInt(cell->Value.Int);
            break;
        case TRecordCell::Boolean:
            text.AddBoolean(cell->Value.Boolean);
            break;
        case TRecordCell::Text:
            text.Add(
                std::string_view(Texts).substr(cell->Value.Text.Offset, cell->Value.Text.Size));
            break;
        case TRecordCell::List:
            text.AddList(cell->Value.List);
            break;
        }
    }
    text.EndLine();
}

TRecordBatches::TRecordBatches(TAEDriverDb& driver, const TAEListFields& layout, uint16_t kinds,
                               std::vector<size_t> columns)
    : FDriver(driver), FColumns(std::move(columns)) {
    FRecord.BuildForLayout(layout);
    FCells.emplace(FRecord, FColumns);
    if (!FCells->Usable()) FCells.reset();
    for (size_t i = 0; i < FColumns.size(); ++i)
        if (FRecord.FlatFields()[FColumns[i]]->DataType() == dtListInteger)
            FListColumns.push_back(i);
    for (TRecordBatch& b : FBatches) {
        b.Cells.resize(BatchRecords * FColumns.size());
        b.Positions.resize(BatchRecords);
    }
    FNav.Kinds = kinds;
    FReader = std::thread([this] { Read(); });
}

TRecordBatches::~TRecordBatches() {
    Stop();
}

const TRecordBatch* TRecordBatches::Next() {
    if (FDone) return nullptr;
    std::unique_lock lock(FMutex);
    FChanged.wait(lock, [&] { return FFilled[FTake]; });
    return &FBatches[FTake];
}

void TRecordBatches::Release() {
    {
        std::lock_guard lock(FMutex);
        FDone = FBatches[FTake].Last;
        FFilled[FTake] = false;
        FTake ^= 1;
    }
    FChanged.notify_all();
}

void TRecordBatches::Stop() {
    if (!FReader.joinable()) return;
    {
        std::lock_guard lock(FMutex);
        FStop = true;
    }
    FChanged.notify_all();
    FReader.join();
}

void TRecordBatches::Read() {
    int32_t p = -1;
    bool started = false;
    for (size_t slot = 0;; slot ^= 1) {
        {
            std::unique_lock lock(FMutex);
            FChanged.wait(lock, [&] { return FStop || !FFilled[slot]; });
            if (FStop) return;
        }
        TRecordBatch& b = FBatches[slot];
        b.Count = 0;
        b.Last = b.Failed = false;
        b.Message.clear();
        b.Texts.clear();
        try {
            if (!started) p = Advance(-1);
            started = true;
            Fill(b, p);
        } catch (const std::exception& e) {
            b.Last = b.Failed = true;
            b.Message = e.what();
        }
        {
            std::lock_guard lock(FMutex);
            FFilled[slot] = true;
        }
        FChanged.notify_all();
        if (b.Last) return;
    }
}

void TRecordBatches::Fill(TRecordBatch& b, int32_t& p) {
    while (b.Count < BatchRecords) {
        if (FNav.Out.Status & nsEndForward) {
            b.Last = true;
            return;
        }
        TRecordCell* const cells = b.Cells.data() + b.Count * FColumns.size();
        if (FCells && !(FNav.Out.Status & nsError)) FCells->Begin(cells, b.Texts);
        if (FCells && !(FNav.Out.Status & nsError) && FDriver.ReadCells(p, *FCells)) {
            FCellsRead = true;
            for (size_t i : FListColumns)
                if (cells[i].Kind == TRecordCell::List)
                    cells[i].Value.List = KeptList(cells[i].Value.List);
        } else {
            // A value the cells could not take as it is will come again in the next records;
            // a driver that has read none of the first records into cells has no such path.
            if (FCells && (FCells->Missed() || (!FCellsRead && ++FCellsRefused == BatchRecords)))
                FCells.reset();
            if (!(FNav.Out.Status & nsError)) FDriver.ReadRecord(FNav, FRecord, p);
            if (FNav.Out.Status & nsError) {
                b.Last = b.Failed = true;
                b.Message = FNav.Out.Message;
                return;
            }
            Keep(b, cells);
        }
        b.Positions[b.Count++] = p;
        p = Advance(p);
    }
}

int32_t TRecordBatches::Advance(int32_t p) {
    int32_t from = p;
    for (;;) {
        while (FDriver.LoadPending() && FDriver.Count() <= from + 1) {
            std::string message;
            if (!FDriver.LoadMore(message)) throw EAEError(message);
        }
        const int32_t q = from < 0 ? FDriver.FirstRecord(FNav) : FDriver.NextRecord(FNav, from);
        if (!FDriver.LoadPending() || !(FNav.Out.Status & nsEndForward)) return q;
        // Nothing admitted up to the last row in: go on from there.
        from = FDriver.Count() - 1;
    }
}

// What TRecordTextWriter::Add(field) would write, taken out of the field.
void TRecordBatches::Keep(TRecordBatch& b, TRecordCell* cells) {
    auto text = [&](TRecordCell& cell, std::string_view s) {
        cell.Kind = TRecordCell::Text;
        cell.Value.Text.Offset = static_cast<uint32_t>(b.Texts.size());
        cell.Value.Text.Size = static_cast<uint32_t>(s.size());
        b.Texts.append(s);
    };
    for (size_t column : FColumns) {
        TRecordCell& cell = *cells++;
        const TAEField& f = *FRecord.FlatFields()[column];
        if (f.IsNull()) {
            cell.Kind = TRecordCell::Null;
        } else if (f.DataType() == dtListInteger) {
            cell.Kind = TRecordCell::List;
            cell.Value.List = KeptList(static_cast<const TAEChannelList*>(f.GetValuePtr()));
        } else {
            switch (f.ValueFamily()) {
            case vfFloat:
                cell.Kind = TRecordCell::Float;
                cell.Value.Float = static_cast<const TAEExtendedField&>(f).Value();
                break;
            case vfInteger:
                cell.Kind = TRecordCell::Int;
                cell.Value.Int = static_cast<const TAEIntegerField&>(f).Value();
                break;
            case vfBoolean:
                cell.Kind = TRecordCell::Boolean;
                cell.Value.Boolean = static_cast<const TAEBooleanField&>(f).Value();
                break;
            case vfString:
                text(cell, static_cast<const TAEStringField&>(f).Value());
                break;
            default:
                text(cell, f.GetAsString());
                break;
            }
        }
    }
}

// The list belongs to the driver, not to the record: the copy outlives the batch.
const TAEChannelList* TRecordBatches::KeptList(const TAEChannelList* list) {
    if (!list) return nullptr;
    if (list != FListSource || *list != FLists.back()) {
        FListSource = list;
        FLists.push_back(*list);
    }
    return &FLists.back();
}

} // namespace vorelt::cli

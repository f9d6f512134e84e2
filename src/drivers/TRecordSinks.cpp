#include "drivers/TRecordSinks.h"

namespace vorelt {

TRecordCellSink::TRecordCellSink(const TAERecord& record, std::span<const size_t> columns)
    : FSlots(record.FlatFields().size()), FColumns(columns.size()) {
    for (size_t i = 0; i < FSlots.size(); ++i) {
        const TAEField& f = *record.FlatFields()[i];
        FSlots[i].Family = f.ValueFamily();
        FSlots[i].Type = f.DataType();
        FSlots[i].Writable = !f.ReadOnly() && !f.Locked();
    }
    for (size_t c = 0; c < columns.size(); ++c) {
        if (columns[c] >= FSlots.size()) {
            FUsable = false;
            continue;
        }
        TSlot& s = FSlots[columns[c]];
        if (s.Column >= 0 || !s.Writable) FUsable = false;
        s.Column = static_cast<int32_t>(c);
    }
}

} // namespace vorelt

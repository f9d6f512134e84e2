#pragma once
// Where a driver puts the values of a message it converts. TRecordFieldSink sets the fields of
// a record, as every consumer of records sees them. TRecordCellSink keeps only the values of
// chosen columns, as plain cells, for consumers that take millions of records only to pass
// their values on (the text dump): filling and reading a field object per value costs more
// than converting the message. A driver that converts through either sink with the same code
// gives both the same values; the cells hold what the fields of a record of the driver's
// layout would hold after ReadRecord.

#include "model/TAEFieldValue.h"
#include "model/TAERecord.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vorelt {

// The value of one column of one record: a field's value taken out of the field.
struct TRecordCell {
    enum TKind : uint8_t { Null, Float, Int, Boolean, Text, List };
    TKind Kind = Null;
    union {
        long double Float;
        int64_t Int;
        bool Boolean;
        struct {
            uint32_t Offset, Size; // in the texts kept beside the cells
        } Text;
        const TAEChannelList* List;
    } Value{};
};

// The fields of a record by flat position, as ReadRecord fills them: those its demand wants.
class TRecordFieldSink {
public:
    explicit TRecordFieldSink(TAERecord& record) : FRecord(record) {}

    // Whether a value at pos is looked at: a source may skip what is dear to find otherwise.
    bool Wants(int pos) const { return FRecord.Target(pos) != nullptr; }

    void Float(int pos, long double x) {
        if (TAEField* f = FRecord.Target(pos)) SetFieldFloat(*f, x);
    }
    void Int(int pos, int64_t n) {
        if (TAEField* f = FRecord.Target(pos)) SetFieldInt64(*f, n);
    }
    void Boolean(int pos, bool b) {
        if (TAEField* f = FRecord.Target(pos)) SetFieldBoolean(*f, b);
    }
    void Text(int pos, const std::string& s) {
        if (TAEField* f = FRecord.Target(pos)) SetFieldString(*f, s);
    }
    // Only into a list field; any other leaves the value alone.
    void List(int pos, const TAEChannelList* list) {
        if (TAEField* f = FRecord.Target(pos); f && f->DataType() == dtListInteger)
            SetFieldRaw(*f, list);
    }

private:
    TAERecord& FRecord;
};

// The cells of the columns of one record at a time. A value goes into a cell only where the
// field of its position would take it unchanged: a float into a float field, and so on. Any
// other value would be converted by the field; the sink then only notes that it missed, and
// the reader takes that record through ReadRecord.
class TRecordCellSink {
public:
    // `record` has the layout of the driver the cells are read from; `columns` are flat
    // positions in it.
    TRecordCellSink(const TAERecord& record, std::span<const size_t> columns);

    // False when the cells cannot stand for the record: a column named twice, or a column
    // whose field ignores what it is given (a read-only one keeps its own value).
    bool Usable() const { return FUsable; }
    size_t Columns() const { return FColumns; }
    // Starts a record: every cell null, nothing missed. Texts are appended to `texts`.
    void Begin(TRecordCell* cells, std::string& texts) {
        FCells = cells;
        FTexts = &texts;
        FMissed = false;
        for (size_t i = 0; i < FColumns; ++i)
            cells[i].Kind = TRecordCell::Null;
    }
    // Whether a value of the record could not be kept as it is.
    bool Missed() const { return FMissed; }
    // Whether pos is one of the columns.
    bool Wants(int pos) const {
        return static_cast<size_t>(pos) < FSlots.size() &&
               FSlots[static_cast<size_t>(pos)].Column >= 0;
    }

    void Float(int pos, long double x) {
        if (TRecordCell* c = Cell(pos, vfFloat)) {
            c->Kind = TRecordCell::Float;
            c->Value.Float = x;
        }
    }
    void Int(int pos, int64_t n) {
        if (TRecordCell* c = Cell(pos, vfInteger)) {
            c->Kind = TRecordCell::Int;
            c->Value.Int = n;
        }
    }
    void Boolean(int pos, bool b) {
        if (TRecordCell* c = Cell(pos, vfBoolean)) {
            c->Kind = TRecordCell::Boolean;
            c->Value.Boolean = b;
        }
    }
    void Text(int pos, std::string_view s) {
        if (TRecordCell* c = Cell(pos, vfString)) {
            c->Kind = TRecordCell::Text;
            c->Value.Text.Offset = static_cast<uint32_t>(FTexts->size());
            c->Value.Text.Size = static_cast<uint32_t>(s.size());
            FTexts->append(s);
        }
    }
    void List(int pos, const TAEChannelList* list) {
        if (static_cast<size_t>(pos) >= FSlots.size() ||
            FSlots[static_cast<size_t>(pos)].Type != dtListInteger)
            return; // as the field sink: nothing set
        if (TRecordCell* c = Cell(pos, vfList)) {
            c->Kind = TRecordCell::List;
            c->Value.List = list;
        }
    }

private:
    struct TSlot {
        int32_t Column = -1; // -1: not a column
        uint8_t Family = vfOther;
        uint8_t Type = 0;
        bool Writable = false;
    };

    TRecordCell* Cell(int pos, uint8_t family) {
        if (static_cast<size_t>(pos) >= FSlots.size()) return nullptr;
        const TSlot& s = FSlots[static_cast<size_t>(pos)];
        if (s.Family != family || !s.Writable) {
            FMissed = true;
            return nullptr;
        }
        return s.Column < 0 ? nullptr : FCells + s.Column;
    }

    std::vector<TSlot> FSlots; // by flat position
    size_t FColumns = 0;
    TRecordCell* FCells = nullptr;
    std::string* FTexts = nullptr;
    bool FMissed = false;
    bool FUsable = true;
};

} // namespace vorelt

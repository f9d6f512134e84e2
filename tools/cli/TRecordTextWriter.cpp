#include "cli/TRecordTextWriter.h"

#include "model/TAEFieldValue.h"
#include "persist/TNumberFormat.h"

#include <algorithm>
#include <cstring>
#include <ostream>

namespace vorelt::cli {

TRecordTextWriter::TRecordTextWriter(std::ostream& out)
    : FOut(&out), FBuffer(new char[BlockBytes + SlackBytes]) {}

TRecordTextWriter::TRecordTextWriter(std::string& out)
    : FText(&out), FBuffer(new char[BlockBytes + SlackBytes]) {}

TRecordTextWriter::~TRecordTextWriter() {
    Flush();
}

bool TRecordTextWriter::Flush() {
    if (FText) {
        FText->append(FBuffer.get(), FSize);
        FSize = 0;
        return true;
    }
    if (FSize > 0) FOut->write(FBuffer.get(), static_cast<std::streamsize>(FSize));
    FSize = 0;
    return static_cast<bool>(*FOut);
}

void TRecordTextWriter::Add(std::string_view text) {
    Separate();
    while (!text.empty()) {
        const size_t n = std::min(text.size(), SlackBytes);
        std::memcpy(Reserve(n), text.data(), n);
        FSize += n;
        text.remove_prefix(n);
    }
}

void TRecordTextWriter::AddList(const TAEChannelList* list) {
    static const TAEChannelList none;
    if (!list) list = &none;
    // Every record of a file usually carries the same channels (the empty list, seen first,
    // has the empty text).
    if (*list != FListKey) {
        FListKey = *list;
        FListText.clear();
        char number[NumberTextCapacity];
        for (size_t i = 0; i < list->size(); ++i) {
            if (i) FListText += ',';
            FListText.append(number, WriteIntText(number, (*list)[i]));
        }
    }
    Add(FListText);
}

void TRecordTextWriter::Add(const TAEField& f) {
    if (f.IsNull()) return Separate();
    if (f.DataType() == dtListInteger)
        return AddList(static_cast<const TAEChannelList*>(f.GetValuePtr()));
    switch (f.ValueFamily()) {
    case vfFloat:
        return AddFloat(static_cast<const TAEExtendedField&>(f).Value());
    case vfInteger:
        return AddInt(static_cast<const TAEIntegerField&>(f).Value());
    case vfBoolean:
        return AddBoolean(static_cast<const TAEBooleanField&>(f).Value());
    case vfString:
        return Add(static_cast<const TAEStringField&>(f).Value());
    default:
        return Add(f.GetAsString());
    }
}

void TRecordTextWriter::EndLine() {
    *Reserve(1) = '\n';
    ++FSize;
    FColumn = 0;
    if (FSize >= BlockBytes) Flush();
}

} // namespace vorelt::cli

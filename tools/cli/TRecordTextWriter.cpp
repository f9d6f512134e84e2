#include "cli/TRecordTextWriter.h"

#include "model/TAEFieldValue.h"
#include "persist/TNumberFormat.h"

#include <algorithm>
#include <cstring>
#include <ostream>

namespace vorelt::cli {

namespace {

// Blocks of this size go to the stream; a value longer than the slack is written in pieces.
constexpr size_t BlockBytes = 1 << 20;
constexpr size_t SlackBytes = 4096;

} // namespace

TRecordTextWriter::TRecordTextWriter(std::ostream& out)
    : FOut(out), FBuffer(new char[BlockBytes + SlackBytes]) {}

TRecordTextWriter::~TRecordTextWriter() {
    Flush();
}

bool TRecordTextWriter::Flush() {
    if (FSize > 0) FOut.write(FBuffer.get(), static_cast<std::streamsize>(FSize));
    FSize = 0;
    return static_cast<bool>(FOut);
}

char* TRecordTextWriter::Reserve(size_t bytes) {
    if (FSize + bytes > BlockBytes + SlackBytes) Flush();
    return FBuffer.get() + FSize;
}

void TRecordTextWriter::Separate() {
    if (FLineStarted) {
        *Reserve(1) = ';';
        ++FSize;
    }
    FLineStarted = true;
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

template <class TWrite> void TRecordTextWriter::AddNumber(const TWrite& write) {
    char* const start = Reserve(NumberTextCapacity + 1);
    char* p = start;
    if (FLineStarted) *p++ = ';';
    FLineStarted = true;
    p = write(p);
    FSize += static_cast<size_t>(p - start);
}

void TRecordTextWriter::AddFloat(long double x) {
    AddNumber([x](char* p) { return WriteFloatText(p, x); });
}

void TRecordTextWriter::AddInt(int64_t n) {
    AddNumber([n](char* p) { return WriteIntText(p, n); });
}

void TRecordTextWriter::AddBoolean(bool b) {
    AddNumber([b](char* p) {
        std::memcpy(p, b ? "True" : "False", 5);
        return p + (b ? 4 : 5);
    });
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
    FLineStarted = false;
    if (FSize >= BlockBytes) Flush();
}

} // namespace vorelt::cli

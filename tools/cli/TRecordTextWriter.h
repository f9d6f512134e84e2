#pragma once
// Lines of field texts separated by ";" as the dump commands write them: each value as
// GetAsString gives it (empty when null; a channel list as its numbers separated by ","),
// gathered in a large buffer that goes to the stream in blocks. Millions of records then cost
// no stream call, allocation or printf per value.

#include "cli/TFloatTextCache.h"
#include "model/TAEListIntegerField.h"
#include "persist/TNumberFormat.h"

#include <cstddef>
#include <cstring>
#include <iosfwd>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vorelt::cli {

class TRecordTextWriter {
public:
    explicit TRecordTextWriter(std::ostream& out);
    // Into a text instead, appended block by block (for lines written on another thread).
    explicit TRecordTextWriter(std::string& out);
    // Hands what is left to the stream.
    ~TRecordTextWriter();
    TRecordTextWriter(const TRecordTextWriter&) = delete;
    TRecordTextWriter& operator=(const TRecordTextWriter&) = delete;

    // The next column of the current line.
    void Add(const TAEField& field);
    void Add(std::string_view text);
    // The same columns from values taken out of a field (TRecordBatches): the same texts.
    // Inline, for the loop over the columns of millions of lines.
    void AddNull() { Separate(); }
    void AddFloat(const long double& x) {
        if (FColumn >= FFloatTexts.size()) FFloatTexts.resize(FColumn + 1);
        TFloatTextCache& texts = FFloatTexts[FColumn];
        AddNumber([&texts, &x](char* p) { return texts.Write(p, x); });
    }
    void AddInt(int64_t n) {
        AddNumber([n](char* p) { return WriteIntText(p, n); });
    }
    void AddBoolean(bool b) {
        AddNumber([b](char* p) {
            std::memcpy(p, b ? "True" : "False", 5);
            return p + (b ? 4 : 5);
        });
    }
    void AddList(const TAEChannelList* list);
    void EndLine();
    // Hands the buffer to the stream; false once the stream has failed.
    bool Flush();

private:
    // Blocks of this size go to the stream, small enough not to push the float texts out of
    // the processor cache; a value longer than the slack is written in pieces.
    static constexpr size_t BlockBytes = 1 << 18;
    static constexpr size_t SlackBytes = 4096;

    char* Reserve(size_t bytes) {
        if (FSize + bytes > BlockBytes + SlackBytes) Flush();
        return FBuffer.get() + FSize;
    }
    void Separate() {
        if (FColumn++ > 0) {
            *Reserve(1) = ';';
            ++FSize;
        }
    }
    template <class TWrite> void AddNumber(const TWrite& write) {
        char* const start = Reserve(NumberTextCapacity + 1);
        char* p = start;
        if (FColumn++ > 0) *p++ = ';';
        p = write(p);
        FSize += static_cast<size_t>(p - start);
    }

    std::ostream* FOut = nullptr;
    std::string* FText = nullptr;
    std::unique_ptr<char[]> FBuffer;
    size_t FSize = 0;
    // The columns of the current line begun so far.
    size_t FColumn = 0;
    std::vector<TFloatTextCache> FFloatTexts; // by column
    // The text of the channel list seen last.
    TAEChannelList FListKey;
    std::string FListText;
};

} // namespace vorelt::cli

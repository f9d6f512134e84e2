#pragma once
// Lines of field texts separated by ";" as the dump commands write them: each value as
// GetAsString gives it (empty when null; a channel list as its numbers separated by ","),
// gathered in a large buffer that goes to the stream in blocks. Millions of records then cost
// no stream call, allocation or printf per value.

#include "model/TAEListIntegerField.h"

#include <cstddef>
#include <iosfwd>
#include <memory>
#include <string>
#include <string_view>

namespace vorelt::cli {

class TRecordTextWriter {
public:
    explicit TRecordTextWriter(std::ostream& out);
    // Hands what is left to the stream.
    ~TRecordTextWriter();
    TRecordTextWriter(const TRecordTextWriter&) = delete;
    TRecordTextWriter& operator=(const TRecordTextWriter&) = delete;

    // The next column of the current line.
    void Add(const TAEField& field);
    void Add(std::string_view text);
    // The same columns from values taken out of a field (TRecordBatches): the same texts.
    void AddNull() { Separate(); }
    void AddFloat(long double x);
    void AddInt(int64_t n);
    void AddBoolean(bool b);
    void AddList(const TAEChannelList* list);
    void EndLine();
    // Hands the buffer to the stream; false once the stream has failed.
    bool Flush();

private:
    char* Reserve(size_t bytes);
    void Separate();
    template <class TWrite> void AddNumber(const TWrite& write);

    std::ostream& FOut;
    std::unique_ptr<char[]> FBuffer;
    size_t FSize = 0;
    bool FLineStarted = false;
    // The text of the channel list seen last.
    TAEChannelList FListKey;
    std::string FListText;
};

} // namespace vorelt::cli

#include "drivers/TFileWarnings.h"

#include "drivers/TAEDriverDb.h"

namespace vorelt {

namespace {

// Where the message at `pos` begins: messages follow each other, so where the one before ends
// (its prefix comes first).
uint64_t MessageStart(const TDriverIndex& index, size_t pos) {
    return pos > 0 ? index.End(pos - 1) : 0;
}

// An unknown message, or one whose bytes (prefix and body) are all zero.
bool IsUnknownOrEmpty(const TAEDriverDb& d, size_t pos) {
    const TDriverIndexItem item = d.Index()[pos];
    if (item.Kind == ikHeader && pos == 0) return false;
    return !d.IsKnownMessage(item) || d.IsEmptyMessage(pos, item);
}

} // namespace

std::vector<std::string> FileWarnings(const TAEDriverDb& d) {
    std::vector<std::string> warnings;
    const TDriverIndex& index = d.Index();
    const size_t n = index.size();
    // A run longer than the limit holds a position that is a multiple of it: only those are
    // looked at first, and the run is followed both ways from there.
    const size_t step = static_cast<size_t>(MaxQuietUnknownRun);
    for (size_t p = 0; p < n; p += step) {
        if (!IsUnknownOrEmpty(d, p)) continue;
        size_t first = p, last = p;
        while (first > 0 && IsUnknownOrEmpty(d, first - 1))
            --first;
        while (last + 1 < n && IsUnknownOrEmpty(d, last + 1))
            ++last;
        const size_t count = last - first + 1;
        if (count > step)
            warnings.push_back(std::to_string(count) +
                               " Unknown Or Empty Messages In A Row From Byte Offset " +
                               std::to_string(MessageStart(index, first)));
        p = last - last % step; // the loop goes on with the next multiple behind the run
    }
    if (const int64_t at = d.IncompleteAt(); at >= 0)
        warnings.push_back("File Ends Inside A Message At Byte Offset " + std::to_string(at));
    if (!d.Log().Note().empty()) warnings.push_back(d.Log().Note());
    return warnings;
}

} // namespace vorelt

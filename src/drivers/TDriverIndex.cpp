#include "drivers/TDriverIndex.h"

#include "model/TLargePages.h"

#include <limits>

namespace vorelt {

namespace {

constexpr size_t GroupMask = (size_t{1} << TDriverIndex::GroupBits) - 1;
// A group's base is its first offset rounded down to this, so that small offsets that do not
// grow in order (row numbers) share the base 0.
constexpr uint64_t BaseAlign = uint64_t{1} << 31;

} // namespace

void TDriverIndex::TStore::Push(const TDriverIndexItem& item) {
    const size_t i = Entries.size();
    TEntry e = TEntry::Make(0, item.Extra, item.Kind, item.Flags);
    if (Offsets.empty()) {
        if ((i & GroupMask) == 0) Bases.push_back(item.Offset & ~(BaseAlign - 1));
        const uint64_t base = Bases.back();
        if (item.Offset >= base && item.Offset - base <= std::numeric_limits<uint32_t>::max())
            e.SetDelta(static_cast<uint32_t>(item.Offset - base));
        else
            StoreOffsets();
    }
    if (!Offsets.empty()) Offsets.push_back(item.Offset);

    if (Sizes.empty()) {
        TSizeRule& r = Rules[item.Kind];
        const int32_t bias = int32_t{item.Extra} - static_cast<int32_t>(item.Size);
        const bool sizeFits = item.Size <= 0xFFFF; // else Extra - Bias cannot give it
        if (!r.Seen) {
            r = {true, true, sizeFits, item.Size, bias};
        } else {
            const bool fixed = r.Fixed && item.Size == r.FixedSize;
            const bool biased = r.Biased && sizeFits && bias == r.Bias;
            if (!fixed && !biased) {
                StoreSizes(); // from the rules as they held for every item before this one
            } else {
                r.Fixed = fixed;
                r.Biased = biased;
            }
        }
    }
    if (!Sizes.empty()) Sizes.push_back(item.Size);
    Entries.push_back(e);
    ++Kinds[item.Kind];
}

void TDriverIndex::TStore::SetExtraRuled(size_t i, uint16_t extra) {
    TEntry& e = Entries[i];
    if (extra == e.Extra()) return;
    if (Sizes.empty()) {
        TSizeRule& r = Rules[e.Kind()];
        if (!r.Fixed) StoreSizes(); // the size follows from the extra word
        r.Biased = false;
    }
    e.SetExtra(extra);
}

void TDriverIndex::TStore::StoreSizes() {
    Sizes.reserve(Entries.capacity());
    for (const TEntry& e : Entries)
        Sizes.push_back(SizeOf(e));
}

void TDriverIndex::TStore::StoreOffsets() {
    Offsets.reserve(Entries.capacity());
    for (size_t i = 0; i < Entries.size(); ++i)
        Offsets.push_back(Bases[i >> GroupBits] + Entries[i].Delta());
    std::vector<uint64_t>().swap(Bases);
}

size_t TDriverIndex::TStore::MemoryBytes() const {
    // Reserved storage that is never written costs no memory: the sizes count.
    return Entries.size() * sizeof(TEntry) + Bases.size() * sizeof(uint64_t) +
           Sizes.size() * sizeof(uint32_t) + Offsets.size() * sizeof(uint64_t);
}

TDriverIndex::TDriverIndex() {
    clear();
}

TDriverIndex::~TDriverIndex() = default;
TDriverIndex::TDriverIndex(TDriverIndex&&) noexcept = default;
TDriverIndex& TDriverIndex::operator=(TDriverIndex&&) noexcept = default;

void TDriverIndex::reserve(size_t count) {
    if (count <= FCount) return;
    TStore& s = *FParts.back().Store;
    const size_t want = s.Entries.size() + (count - FCount);
    if (want <= s.Entries.capacity()) return;
    s.Entries.reserve(want);
    s.Bases.reserve((want >> GroupBits) + 1);
    AdviseLargePages(s.Entries.data(), s.Entries.capacity() * sizeof(TEntry));
}

size_t TDriverIndex::capacity() const {
    const TPart& last = FParts.back();
    return last.First + last.Store->Entries.capacity() - last.Skip;
}

void TDriverIndex::shrink_to_fit() {
    for (TPart& p : FParts) {
        p.Store->Entries.shrink_to_fit();
        p.Store->Bases.shrink_to_fit();
        p.Store->Sizes.shrink_to_fit();
        p.Store->Offsets.shrink_to_fit();
    }
}

void TDriverIndex::clear() {
    FParts.clear();
    FParts.push_back({0, 0, std::make_unique<TStore>()});
    FCount = 0;
}

void TDriverIndex::Append(TDriverIndex&& tail, size_t skip) {
    if (FParts.size() == 1 && FCount == 0 && skip == 0) {
        *this = std::move(tail);
        tail.clear();
        return;
    }
    for (TPart& p : tail.FParts) {
        const size_t n = p.Store->Entries.size() - p.Skip;
        if (skip >= n) {
            skip -= n;
            continue;
        }
        p.Skip += skip;
        skip = 0;
        p.First = FCount;
        FCount += p.Store->Entries.size() - p.Skip;
        FParts.push_back(std::move(p));
    }
    tail.clear();
}

size_t TDriverIndex::MemoryBytes() const {
    size_t bytes = 0;
    for (const TPart& p : FParts)
        bytes += p.Store->MemoryBytes();
    return bytes;
}

std::array<uint64_t, 256> TDriverIndex::KindCounts() const {
    std::array<uint64_t, 256> counts{};
    for (const TPart& p : FParts) {
        for (size_t k = 0; k < counts.size(); ++k)
            counts[k] += p.Store->Kinds[k];
        // A part leaves out the first entries of its store (those another part holds).
        for (size_t i = 0; i < p.Skip; ++i)
            --counts[p.Store->Entries[i].Kind()];
    }
    return counts;
}

} // namespace vorelt

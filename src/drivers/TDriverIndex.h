#pragma once
// The message index of an open data file. A file of tens of millions of messages makes the index
// the largest thing opening writes, and on first touch fresh memory costs more than reading the
// file itself, so each message is stored in 8 bytes:
// - the offset as a 32-bit distance from a base shared by a group of 4096 messages;
// - the size not at all while it follows from the kind: every message of the kind has the same
//   size, or the size is the extra word less a constant of the kind (a length word that counts
//   a type byte too). A kind that breaks both rules makes the index store sizes beside;
// - kind, flags and the extra word as they are.
// Offsets that go backwards or jump by more than the 32 bits allow (row numbers of separate
// lists, say) make the index store whole offsets beside. Items are read as values.
//
// An index may be put together from parts built apart (a scan split over threads): `Append`
// adds the items of another index behind the last one without copying them.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <memory>
#include <vector>

namespace vorelt {

// Index item flag bits.
constexpr uint8_t ifDeleted = 0x01;
constexpr uint8_t ifSelected = 0x04;

// Format kind of the header item.
constexpr uint8_t ikHeader = 255;

// One message of the open file. The bytes stay in the mapped file; the item keeps only what
// cannot be derived again cheaply.
struct TDriverIndexItem {
    uint64_t Offset = 0; // offset of the message body in the data file; row id without mapping
    uint32_t Size = 0;   // body size in bytes (without the type/size prefix)
    uint16_t Extra = 0;  // format-specific: Tarvel ISA gain code, DiSP length word
    uint8_t Kind = 0;    // format kind as read; 255 = header item
    uint8_t Flags = 0;   // ifDeleted, ifSelected
};

class TDriverIndex {
public:
    static constexpr unsigned GroupBits = 12;

    TDriverIndex();
    ~TDriverIndex();
    TDriverIndex(TDriverIndex&&) noexcept;
    TDriverIndex& operator=(TDriverIndex&&) noexcept;
    TDriverIndex(const TDriverIndex&) = delete;
    TDriverIndex& operator=(const TDriverIndex&) = delete;

    size_t size() const { return FCount; }
    bool empty() const { return FCount == 0; }
    TDriverIndexItem operator[](size_t pos) const {
        const TPart& part = PartOf(pos);
        return part.Store->Item(pos - part.First + part.Skip);
    }
    uint8_t Kind(size_t pos) const {
        const TPart& part = PartOf(pos);
        return part.Store->Entries[pos - part.First + part.Skip].Kind();
    }
    uint8_t Flags(size_t pos) const {
        const TPart& part = PartOf(pos);
        return part.Store->Entries[pos - part.First + part.Skip].Flags();
    }
    void SetFlags(size_t pos, uint8_t flags) {
        const TPart& part = PartOf(pos);
        part.Store->Entries[pos - part.First + part.Skip].SetFlags(flags);
    }
    uint64_t Offset(size_t pos) const { return (*this)[pos].Offset; }
    uint16_t Extra(size_t pos) const {
        const TPart& part = PartOf(pos);
        return part.Store->Entries[pos - part.First + part.Skip].Extra();
    }
    // Offset + Size: where the message ends.
    uint64_t End(size_t pos) const {
        const TDriverIndexItem item = (*this)[pos];
        return item.Offset + item.Size;
    }

    // Calls f(item) for the items first .. first + count - 1 in order: a pass over many items
    // finds each part once.
    template <class F> void Visit(size_t first, size_t count, F&& f) const {
        Walk(first, count, [&f](const TStore& s, size_t i) { f(s.Item(i)); });
    }
    // Sets the extra word of the items first .. first + count - 1 to f(extra) in one pass; the
    // sizes stay what they were.
    template <class F> void UpdateExtra(size_t first, size_t count, F&& f) {
        Walk(first, count, [&f](TStore& s, size_t i) {
            const uint16_t extra = s.Entries[i].Extra();
            const uint16_t changed = f(extra);
            if (changed != extra) s.SetExtra(i, changed);
        });
    }

    void push_back(const TDriverIndexItem& item) {
        TStore& s = *FParts.back().Store;
        if (!s.PushFast(item)) s.Push(item);
        ++FCount;
    }
    // Storage for `count` items in all (reserved storage that is never written costs no memory);
    // huge pages are advised for a large reserve, which is written once from start to end.
    void reserve(size_t count);
    size_t capacity() const;
    void shrink_to_fit();
    // Empties the index and gives its memory back.
    void clear();
    // Appends the items of `tail` after its first `skip` ones; `tail` is left empty.
    void Append(TDriverIndex&& tail, size_t skip);
    // Bytes of memory the items take.
    size_t MemoryBytes() const;
    // Items of each kind, kept as they are added: no pass over tens of millions of items.
    std::array<uint64_t, 256> KindCounts() const;

    class const_iterator {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = TDriverIndexItem;
        using difference_type = std::ptrdiff_t;
        using pointer = void;
        using reference = TDriverIndexItem;

        const_iterator() = default;
        TDriverIndexItem operator*() const { return (*FIndex)[FPos]; }
        const_iterator& operator++() {
            ++FPos;
            return *this;
        }
        const_iterator operator++(int) {
            const_iterator old = *this;
            ++FPos;
            return old;
        }
        bool operator==(const const_iterator& other) const { return FPos == other.FPos; }

    private:
        friend class TDriverIndex;
        const_iterator(const TDriverIndex* index, size_t pos) : FIndex(index), FPos(pos) {}
        const TDriverIndex* FIndex = nullptr;
        size_t FPos = 0;
    };
    const_iterator begin() const { return {this, 0}; }
    const_iterator end() const { return {this, FCount}; }

private:
    // One word, so that writing an entry is one store that the compiler need not suspect of
    // changing anything else (byte stores may alias any object).
    struct TEntry {
        uint64_t Bits; // delta from the group's base (32), extra (16), kind (8), flags (8)

        static TEntry Make(uint32_t delta, uint16_t extra, uint8_t kind, uint8_t flags) {
            return {uint64_t{delta} | uint64_t{extra} << 32 | uint64_t{kind} << 48 |
                    uint64_t{flags} << 56};
        }
        uint32_t Delta() const { return static_cast<uint32_t>(Bits); }
        uint16_t Extra() const { return static_cast<uint16_t>(Bits >> 32); }
        uint8_t Kind() const { return static_cast<uint8_t>(Bits >> 48); }
        uint8_t Flags() const { return static_cast<uint8_t>(Bits >> 56); }
        void SetDelta(uint32_t v) { Bits = (Bits & ~uint64_t{0xFFFFFFFF}) | v; }
        void SetExtra(uint16_t v) { Bits = (Bits & ~(uint64_t{0xFFFF} << 32)) | uint64_t{v} << 32; }
        void SetFlags(uint8_t v) { Bits = (Bits & ~(uint64_t{0xFF} << 56)) | uint64_t{v} << 56; }
    };
    // How the size of a kind follows: Fixed while every item of the kind had FixedSize, Biased
    // while every one had Extra - Bias.
    struct TSizeRule {
        bool Seen = false;
        bool Fixed = false;
        bool Biased = false;
        uint32_t FixedSize = 0;
        int32_t Bias = 0;
    };
    struct TStore {
        std::vector<TEntry> Entries;
        std::vector<uint64_t> Bases;   // per group of 2^GroupBits entries
        std::vector<uint32_t> Sizes;   // beside, once a kind follows no rule
        std::vector<uint64_t> Offsets; // beside, once an offset does not fit its group
        std::array<TSizeRule, 256> Rules{};
        std::array<uint64_t, 256> Kinds{}; // entries of each kind

        TDriverIndexItem Item(size_t i) const {
            const TEntry& e = Entries[i];
            TDriverIndexItem item;
            item.Offset = Offsets.empty() ? Bases[i >> GroupBits] + e.Delta() : Offsets[i];
            item.Size = Sizes.empty() ? SizeOf(e) : Sizes[i];
            item.Extra = e.Extra();
            item.Kind = e.Kind();
            item.Flags = e.Flags();
            return item;
        }
        uint32_t SizeOf(const TEntry& e) const {
            const TSizeRule& r = Rules[e.Kind()];
            return r.Fixed ? r.FixedSize : static_cast<uint32_t>(int32_t{e.Extra()} - r.Bias);
        }
        // The usual case inline: inside a group, the offset fits, the kind's rule holds.
        bool PushFast(const TDriverIndexItem& item) {
            const size_t i = Entries.size();
            if ((i & ((size_t{1} << GroupBits) - 1)) == 0 || !Offsets.empty() || !Sizes.empty())
                return false;
            const uint64_t delta = item.Offset - Bases.back(); // wraps when below: too far
            if (delta > 0xFFFFFFFFu) return false;
            const TSizeRule& r = Rules[item.Kind];
            const int32_t bias = int32_t{item.Extra} - static_cast<int32_t>(item.Size);
            if (r.Fixed) {
                if (item.Size != r.FixedSize || (r.Biased && bias != r.Bias)) return false;
            } else if (!r.Biased || item.Size > 0xFFFF || bias != r.Bias) {
                return false;
            }
            Entries.push_back(
                TEntry::Make(static_cast<uint32_t>(delta), item.Extra, item.Kind, item.Flags));
            ++Kinds[item.Kind];
            return true;
        }
        void Push(const TDriverIndexItem& item);
        void SetExtra(size_t i, uint16_t extra) {
            TEntry& e = Entries[i];
            const TSizeRule& r = Rules[e.Kind()];
            if (Sizes.empty() && !(r.Fixed && !r.Biased)) return SetExtraRuled(i, extra);
            e.SetExtra(extra);
        }
        // The size rule of the kind may depend on the extra word.
        void SetExtraRuled(size_t i, uint16_t extra);
        void StoreSizes();
        void StoreOffsets();
        size_t MemoryBytes() const;
    };
    struct TPart {
        size_t First = 0; // index position of the part's first item
        size_t Skip = 0;  // stored items before it
        std::unique_ptr<TStore> Store;
    };
    // Calls f(store, entry) for the positions first .. first + count - 1.
    template <class F> void Walk(size_t first, size_t count, F&& f) const {
        size_t pos = first;
        const size_t end = first + count;
        while (pos < end) {
            const TPart& part = PartOf(pos);
            TStore& s = *part.Store;
            size_t i = pos - part.First + part.Skip;
            const size_t stop = i + std::min(end - pos, s.Entries.size() - i);
            pos += stop - i;
            for (; i < stop; ++i)
                f(s, i);
        }
    }
    const TPart& PartOf(size_t pos) const {
        if (FParts.size() == 1) return FParts.front();
        size_t k = FParts.size() - 1;
        while (FParts[k].First > pos)
            --k;
        return FParts[k];
    }

    std::vector<TPart> FParts;
    size_t FCount = 0;
};

} // namespace vorelt

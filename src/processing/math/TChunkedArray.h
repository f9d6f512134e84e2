#pragma once
// An append-only array in fixed blocks: computed lists of tens of millions of entries grow
// without the copy and the doubled peak of a vector's reallocation, and elements never move,
// so a slot may be written through a reference while later entries are appended.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace vorelt {

template <class T, unsigned BlockBits = 16> class TChunkedArray {
public:
    static constexpr size_t BlockSize = size_t{1} << BlockBits;

    size_t Size() const { return FSize; }
    bool Empty() const { return FSize == 0; }
    T& operator[](size_t i) { return FBlocks[i >> BlockBits][i & (BlockSize - 1)]; }
    const T& operator[](size_t i) const { return FBlocks[i >> BlockBits][i & (BlockSize - 1)]; }

    // Appends `count` value-initialised elements and returns the index of the first. A run
    // never straddles two blocks when count divides the block size, so entries of several
    // slots stay contiguous.
    size_t Append(size_t count = 1) {
        const size_t first = FSize;
        const size_t end = FSize + count;
        while (FBlocks.size() * BlockSize < end)
            FBlocks.push_back(std::make_unique<T[]>(BlockSize));
        FSize = end;
        return first;
    }
    void Clear() {
        FBlocks.clear();
        FSize = 0;
    }
    // Bytes held by the blocks.
    size_t Capacity() const { return FBlocks.size() * BlockSize * sizeof(T); }

private:
    std::vector<std::unique_ptr<T[]>> FBlocks;
    size_t FSize = 0;
};

} // namespace vorelt

#pragma once
// Large arrays that are written once from start to end (the index of a big file, the data
// points of a graph over every hit) otherwise cost one page fault per 4 KiB on their first
// touch, a good part of loading or filling. Huge pages under them spare most of those faults.
// Only a hint; nothing changes where the system has no such thing.

#include <cstddef>
#include <vector>

namespace vorelt {

// `data` and `bytes` describe storage that is reserved but not yet written.
void AdviseLargePages(void* data, size_t bytes);

template <class T> void AdviseLargePages(std::vector<T>& v) {
    AdviseLargePages(v.data(), v.capacity() * sizeof(T));
}

} // namespace vorelt

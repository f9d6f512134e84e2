#pragma once
// The recently used projects: most recent first, at most Capacity names, no name twice (names
// compare without regard to case). `Shown` is the list the file menus were built from at
// start-up.

#include <cstdint>
#include <string>
#include <vector>

namespace vorelt {

class TStackProjectName {
public:
    static constexpr int32_t DefaultCapacity = 10;

    int32_t Capacity() const { return FCapacity; }
    void SetCapacity(int32_t capacity);

    // Moves an equal entry (any case) to the front, or inserts the name there; entries beyond
    // Capacity are dropped.
    void Add(const std::string& name);
    // Inserts at the front of Shown, without checks.
    void AddShown(const std::string& name);
    int Count() const { return static_cast<int>(FRecent.size()); }
    int ShownCount() const { return static_cast<int>(FShown.size()); }
    // Empty when i is outside.
    std::string Get(int i) const;
    std::string GetShown(int i) const;
    void Clear() { FRecent.clear(); }

private:
    int32_t FCapacity = DefaultCapacity;
    std::vector<std::string> FRecent;
    std::vector<std::string> FShown;
};

} // namespace vorelt

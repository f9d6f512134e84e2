#pragma once
// The set-up records of a filtered copy. A copy holds what reaches the chosen processor, but a
// file of most formats cannot be opened, or reads its records differently, without its header
// or set-up messages: those go into the copy whatever the filter passes, once each and in file
// order among the records written.

#include <cstdint>
#include <string>
#include <vector>

namespace vorelt {

class TAEDriverDb;

class TCopySetup {
public:
    explicit TCopySetup(std::vector<int32_t> positions);

    // Whether `pos` is one of the set-up positions.
    bool Holds(int32_t pos) const;
    // Before the record at `pos` is written: writes (through `write`) the set-up positions
    // before it that are not written yet, and tells whether `pos` is still to be written (not
    // when it is a set-up position written already).
    template <class F> bool Before(int32_t pos, F&& write) {
        for (; FNext < FPositions.size() && FPositions[FNext] < pos; ++FNext)
            if (!FWritten[FNext]) {
                FWritten[FNext] = true;
                write(FPositions[FNext]);
            }
        const long at = Find(pos);
        if (at < 0) return true;
        if (FWritten[static_cast<size_t>(at)]) return false;
        FWritten[static_cast<size_t>(at)] = true;
        return true;
    }
    // After the last record: writes the set-up positions not written yet.
    template <class F> void Rest(F&& write) {
        for (size_t i = 0; i < FPositions.size(); ++i)
            if (!FWritten[i]) {
                FWritten[i] = true;
                write(FPositions[i]);
            }
        FNext = FPositions.size();
    }

private:
    long Find(int32_t pos) const;

    std::vector<int32_t> FPositions;
    std::vector<bool> FWritten;
    size_t FNext = 0;
};

// Throws EAEError when the driver's registered class does not recognise `fileName` (a copy
// written under a temporary name) as a file of its format: a copy that cannot be opened is
// refused before it takes the target's name.
void CheckCopyOpens(const TAEDriverDb& driver, const std::string& fileName);

} // namespace vorelt

#pragma once
// Damaged-file testing for any driver: starting from the bytes of a valid file, it writes
// truncated files, files with length and count fields set to extreme values and files with
// random byte changes, and runs CanOpen, Open, Load, Initialize, every cursor operation, a read
// of every record and Close on each. Under the address sanitizer any read outside the mapping
// stops the run; otherwise an escaping exception or a cursor that never ends fails the test.

#include "drivers/TAEDriverDb.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace vorelt::test {

struct TMutationOptions {
    uint32_t Seed = 0x5EED2024;
    int RandomCases = 10000;    // 1 to 8 random bytes changed
    int FieldCases = 2000;      // a random 16- or 32-bit field set to an extreme value
    int TruncationCases = 1000; // every length when the file is shorter, else spread lengths
    // Offsets of known u32 / u16 length and count fields; each gets every extreme value.
    std::vector<size_t> Fields32;
    std::vector<size_t> Fields16;
    // Every n-th accepted case also writes a sorted copy (0: never).
    int SortEvery = 250;
    // Every n-th case is opened with the second-half scan of long files (0: never).
    int SplitEvery = 2;
    // The file extension the driver expects (with the dot).
    std::string Extension = ".dat";
    // Failures reported before the run stops.
    int MaxFailures = 10;
};

struct TMutationStats {
    int Cases = 0;
    int Accepted = 0; // CanOpen said yes
    int Loaded = 0;   // Open and Load succeeded
    uint64_t RecordsRead = 0;
};

using TDriverMaker = std::function<std::unique_ptr<TAEDriverDb>()>;
using TCanOpenFunction = bool (*)(const std::string& fileName, std::string& message);

// Runs every case; failures are reported through gtest with the case's description.
TMutationStats RunDriverMutations(const std::string& validBytes, TCanOpenFunction canOpen,
                                  const TDriverMaker& make, const TMutationOptions& options = {});

// One case on the given bytes (to reproduce a reported failure); returns false with a
// description when something escaped.
bool RunDriverOnBytes(const std::string& bytes, const std::string& fileName,
                      TCanOpenFunction canOpen, const TDriverMaker& make, bool sortCopy,
                      TMutationStats& stats, std::string& failure);

} // namespace vorelt::test

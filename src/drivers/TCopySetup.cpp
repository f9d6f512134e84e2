#include "drivers/TCopySetup.h"

#include "drivers/TAEDriverDb.h"
#include "drivers/TDriverRegistry.h"
#include "persist/TErrors.h"

#include <algorithm>

namespace vorelt {

TCopySetup::TCopySetup(std::vector<int32_t> positions) : FPositions(std::move(positions)) {
    std::sort(FPositions.begin(), FPositions.end());
    FPositions.erase(std::unique(FPositions.begin(), FPositions.end()), FPositions.end());
    FWritten.assign(FPositions.size(), false);
}

long TCopySetup::Find(int32_t pos) const {
    const auto it = std::lower_bound(FPositions.begin(), FPositions.end(), pos);
    return it != FPositions.end() && *it == pos ? static_cast<long>(it - FPositions.begin()) : -1;
}

bool TCopySetup::Holds(int32_t pos) const {
    return Find(pos) >= 0;
}

void CheckCopyOpens(const TAEDriverDb& driver, const std::string& fileName) {
    const TDriverClass* cls = TDriverRegistry::Instance().Find(driver.ClassName());
    if (!cls) return;
    std::string message;
    if (cls->CanOpen(fileName, message)) return;
    throw EAEError("the copy would not open as a file of its format" +
                   (message.empty() ? std::string() : ": " + message));
}

} // namespace vorelt

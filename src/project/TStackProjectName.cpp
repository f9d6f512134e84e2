#include "project/TStackProjectName.h"

#include "persist/TNumberFormat.h"
#include "persist/TTextHelpers.h"

namespace vorelt {

void TStackProjectName::SetCapacity(int32_t capacity) {
    FCapacity = capacity < 0 ? 0 : capacity;
    if (FRecent.size() > static_cast<size_t>(FCapacity)) FRecent.resize(size_t(FCapacity));
}

void TStackProjectName::Add(const std::string& name) {
    for (auto it = FRecent.begin(); it != FRecent.end(); ++it)
        if (SameText(*it, name)) {
            FRecent.erase(it);
            break;
        }
    FRecent.insert(FRecent.begin(), name);
    if (FRecent.size() > static_cast<size_t>(FCapacity)) FRecent.resize(size_t(FCapacity));
}

void TStackProjectName::AddShown(const std::string& name) {
    FShown.insert(FShown.begin(), name);
}

std::string TStackProjectName::Get(int i) const {
    return i >= 0 && i < Count() ? FRecent[size_t(i)] : std::string();
}

std::string TStackProjectName::GetShown(int i) const {
    return i >= 0 && i < ShownCount() ? FShown[size_t(i)] : std::string();
}

} // namespace vorelt

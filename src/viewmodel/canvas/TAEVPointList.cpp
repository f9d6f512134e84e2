#include "viewmodel/canvas/TAEVPointList.h"

#include "model/TLargePages.h"
#include "model/TPageWarmer.h"

namespace vorelt {

TLogicalPoint TAEVPointList::Get(int i) const {
    TLogicalPoint p;
    if (!Valid(i)) return p;
    const auto k = static_cast<size_t>(i);
    p.X = FX[k];
    p.Y = FY[k];
    p.Tag = FTag[k];
    p.Channel = FChannel[k];
    p.Flags = FFlags[k];
    return p;
}

void TAEVPointList::Set(int i, const TLogicalPoint& p) {
    if (!Valid(i)) return;
    const auto k = static_cast<size_t>(i);
    FX[k] = static_cast<double>(p.X);
    FY[k] = static_cast<double>(p.Y);
    FTag[k] = p.Tag;
    FChannel[k] = p.Channel;
    FFlags[k] = p.Flags;
}

int TAEVPointList::Insert(int i, double x, double y, int32_t tag, uint8_t channel, uint8_t flags) {
    if (i >= Count()) return Add(x, y, tag, channel, flags);
    if (i < 0) i = 0;
    const auto k = static_cast<ptrdiff_t>(i);
    FX.insert(FX.begin() + k, x);
    FY.insert(FY.begin() + k, y);
    FTag.insert(FTag.begin() + k, tag);
    FChannel.insert(FChannel.begin() + k, channel);
    FFlags.insert(FFlags.begin() + k, flags);
    return i;
}

void TAEVPointList::Delete(int i) {
    if (!Valid(i)) return;
    const auto k = static_cast<ptrdiff_t>(i);
    FX.erase(FX.begin() + k);
    FY.erase(FY.begin() + k);
    FTag.erase(FTag.begin() + k);
    FChannel.erase(FChannel.begin() + k);
    FFlags.erase(FFlags.begin() + k);
}

void TAEVPointList::Clear() {
    // Swapping with empty arrays gives the memory of a large series back.
    std::vector<double>().swap(FX);
    std::vector<double>().swap(FY);
    std::vector<int32_t>().swap(FTag);
    std::vector<uint8_t>().swap(FChannel);
    std::vector<uint8_t>().swap(FFlags);
}

void TAEVPointList::Reserve(size_t n) {
    FX.reserve(n);
    FY.reserve(n);
    FTag.reserve(n);
    FChannel.reserve(n);
    FFlags.reserve(n);
    AdviseLargePages(FX);
    AdviseLargePages(FY);
    AdviseLargePages(FTag);
    AdviseLargePages(FChannel);
    AdviseLargePages(FFlags);
}

void TAEVPointList::AddTo(TPageWarmer& warmer) {
    warmer.Add(FX);
    warmer.Add(FY);
    warmer.Add(FTag);
    warmer.Add(FChannel);
    warmer.Add(FFlags);
}

size_t TAEVPointList::BytesAllocated() const {
    return FX.capacity() * sizeof(double) + FY.capacity() * sizeof(double) +
           FTag.capacity() * sizeof(int32_t) + FChannel.capacity() + FFlags.capacity();
}

} // namespace vorelt

#include "processing/location/TLocation.h"

#include "persist/TNodePersist.h"
#include "persist/TNumberFormat.h"
#include "processing/location/TLocOutMPT.h"
#include "processing/location/TVallen.h"

namespace vorelt {

void TLocation::SaveToNode(TNodePersist& node) const {
    node.AddItem("ClassName", ClassName());
}

void TLocation::LoadFromNode(const TNodePersist&) {}

std::string TLocation::UnsortedText(const std::string& processorName) {
    return "UnSorted File[" + processorName + "]";
}

void TLocation::LoadInt(const TNodePersist& node, const char* key, int32_t& value) {
    const std::string text = node.GetValue(key);
    int32_t n = 0;
    if (!text.empty() && TryStrToInt(text, n)) value = n;
}

const std::vector<TLocAlgorithmInfo>& LocationAlgorithms() {
    static const std::vector<TLocAlgorithmInfo> list = {
        {TLocOutMPT::DisplayName(), "TLocOutMPT",
         [](TGVCPULoc* owner) -> std::unique_ptr<TLocation> {
             return std::make_unique<TLocOutMPT>(owner);
         }},
        {TVallen::DisplayName(), "TVallen",
         [](TGVCPULoc* owner) -> std::unique_ptr<TLocation> {
             return std::make_unique<TVallen>(owner);
         }},
    };
    return list;
}

} // namespace vorelt

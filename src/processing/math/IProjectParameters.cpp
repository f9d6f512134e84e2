#include "processing/math/IProjectParameters.h"

#include "processing/IProcessorContext.h"
#include "processing/TGVCPU.h"
#include "processing/filter/IProjectVariants.h"
#include "testprog/TTestSection.h"
#include "testprog/TZIPParameters.h"

namespace vorelt {

namespace {

template <class I> I* FindInTree(TGVCPU& processor) {
    if (TGVCPU* db = processor.GetDb())
        if (auto* p = dynamic_cast<I*>(db)) return p;
    return dynamic_cast<I*>(processor.Context());
}

const TZIPParameters& DefaultZIPParameters() {
    static const TZIPParameters defaults;
    return defaults;
}

} // namespace

const TZIPParameters& FindZIPParameters(TGVCPU& processor) {
    if (auto* source = FindInTree<IProjectZIP>(processor))
        if (const TZIPParameters* zip = source->ProjectZIPParameters()) return *zip;
    return DefaultZIPParameters();
}

const TTestSectionList* FindTestSections(TGVCPU& processor) {
    auto* source = FindInTree<IProjectTestSections>(processor);
    return source ? source->ProjectTestSections() : nullptr;
}

const TGVVariants* FindProjectVariants(TGVCPU& processor) {
    auto* source = FindInTree<IProjectVariants>(processor);
    return source ? source->ProjectVariants() : nullptr;
}

} // namespace vorelt

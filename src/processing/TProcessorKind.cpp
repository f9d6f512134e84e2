#include "processing/TProcessorKind.h"

#include "processing/TextCompare.h"

namespace vorelt {

const TProcessorKind* FindProcessorKind(std::string_view className) {
    for (const TProcessorKind* kind : ProcessorKinds)
        if (SameText(kind->ClassName, className)) return kind;
    return nullptr;
}

} // namespace vorelt

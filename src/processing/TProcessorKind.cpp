#include "processing/TProcessorKind.h"

#include "persist/TTextHelpers.h"

namespace vorelt {

const TProcessorKind* FindProcessorKind(std::string_view className) {
    for (const TProcessorKind* kind : ProcessorKinds)
        if (SameText(kind->ClassName, className)) return kind;
    return nullptr;
}

} // namespace vorelt

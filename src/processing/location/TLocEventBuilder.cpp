#include "processing/location/TLocEventBuilder.h"

namespace vorelt {

// Out of line: the failure path stays out of the per-hit code.
TLocEventBuilder::TStep TLocEventBuilder::Unsorted() {
    FError = TLocation::UnsortedText(FProcessorName);
    return Failed;
}

} // namespace vorelt

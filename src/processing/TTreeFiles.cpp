#include "processing/TTreeFiles.h"

#include "processing/IProcessorContext.h"
#include "processing/TGVCPU.h"
#include "processing/db/TGVDb.h"

namespace vorelt {

TKeptFiles KeptFiles(TGVCPU& processor) {
    TKeptFiles kept;
    if (auto* db = dynamic_cast<TGVDb*>(processor.Db())) kept.DataFile = db->GetFileName();
    if (IProcessorContext* context = processor.Context())
        kept.ProjectFile = context->ProjectFileName();
    return kept;
}

} // namespace vorelt

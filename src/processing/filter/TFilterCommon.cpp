#include "processing/filter/TFilterCommon.h"

#include "persist/TGVProperties.h"
#include "persist/TGVProperty.h"
#include "persist/TNumberFormat.h"
#include "persist/TTextHelpers.h"
#include "processing/IProcessorContext.h"
#include "processing/TGVCPU.h"
#include "processing/filter/IProjectVariants.h"

namespace vorelt {

void EnsureTitleProperty(TGVProperties& properties) {
    if (properties.FindAs<TGVStringProperty>(prTitle)) return;
    auto* title = properties.AddNew<TGVStringProperty>(prTitle);
    title->SetDisplayName(prTitle);
}

std::string TitleOf(const TGVProperties& properties) {
    const auto* title = properties.FindAs<TGVStringProperty>(prTitle);
    return title ? Trim(title->Value()) : std::string();
}

std::string TitledName(const std::string& name, const TGVProperties& properties) {
    std::string title = TitleOf(properties);
    return title.empty() ? name : title + " [" + name + "]";
}

const TGVVariants* ProjectVariantsOf(TGVCPU& processor) {
    auto* source = dynamic_cast<IProjectVariants*>(processor.Context());
    return source ? source->ProjectVariants() : nullptr;
}

} // namespace vorelt

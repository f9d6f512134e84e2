#pragma once
// Pieces both filtering processors share: the "Title" property and the display name built
// from it, and the project's variants.

#include <string>

namespace vorelt {

class TGVCPU;
class TGVProperties;
class TGVVariants;

inline constexpr char prTitle[] = "Title";

// Adds the empty "Title" string property (caption "Title") when the list lacks it.
void EnsureTitleProperty(TGVProperties& properties);
// The trimmed title; empty when there is none.
std::string TitleOf(const TGVProperties& properties);
// `name`, or title + " [" + name + "]" when the title is not empty.
std::string TitledName(const std::string& name, const TGVProperties& properties);
// The variants of the project that holds the processor's tree; none outside a project.
const TGVVariants* ProjectVariantsOf(TGVCPU& processor);

} // namespace vorelt

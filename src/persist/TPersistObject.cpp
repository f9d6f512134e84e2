#include "persist/TPersistObject.h"

#include "persist/TNumberFormat.h"
#include "persist/TTextHelpers.h"

namespace vorelt {

TClassRegistry& TClassRegistry::Instance() {
    static TClassRegistry registry;
    return registry;
}

void TClassRegistry::Register(const std::string& className, TFactory factory) {
    if (Find(className)) return;
    FEntries.push_back({className, UpperCase(className), std::move(factory)});
}

const TClassRegistry::TEntry* TClassRegistry::Find(std::string_view className) const {
    std::string key = UpperCase(className);
    for (const TEntry& e : FEntries)
        if (e.Upper == key) return &e;
    return nullptr;
}

bool TClassRegistry::IsRegistered(std::string_view className) const {
    return Find(className) != nullptr;
}

std::string TClassRegistry::CanonicalName(std::string_view className) const {
    const TEntry* e = Find(className);
    return e ? e->Name : std::string();
}

std::unique_ptr<TPersistObject> TClassRegistry::Create(std::string_view className) const {
    const TEntry* e = Find(className);
    if (!e || !e->Factory) return nullptr;
    return e->Factory();
}

std::vector<std::string> TClassRegistry::Names() const {
    std::vector<std::string> names;
    for (const TEntry& e : FEntries)
        names.push_back(e.Name);
    return names;
}

} // namespace vorelt

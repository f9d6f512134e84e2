#include "drivers/TDriverRegistry.h"

#include "persist/TFileCheck.h"
#include "persist/TNumberFormat.h"
#include "persist/TTextHelpers.h"

#include <algorithm>
#include <filesystem>

namespace vorelt {

TDriverRegistry& TDriverRegistry::Instance() {
    static TDriverRegistry registry;
    return registry;
}

void TDriverRegistry::Register(const TDriverClass& entry) {
    if (!entry.CanOpen || !entry.Create || Find(entry.ClassName)) return;
    auto at = std::upper_bound(FClasses.begin(), FClasses.end(), entry.Rank,
                               [](int rank, const TDriverClass& c) { return rank < c.Rank; });
    FClasses.insert(at, entry);
}

const TDriverClass* TDriverRegistry::Find(std::string_view className) const {
    for (const TDriverClass& c : FClasses)
        if (SameText(c.ClassName, className)) return &c;
    return nullptr;
}

const TDriverClass* FindDriverClass(const std::string& fileName, std::string& message) {
    // Only a readable regular file is shown to the classes: asking them about a named pipe
    // would wait for a writer, and a missing file is no question of format.
    if (!CheckRegularFile(fileName, message)) return nullptr;
    for (const TDriverClass& c : TDriverRegistry::Instance().Classes()) {
        std::string answer;
        if (c.CanOpen(fileName, answer)) return &c;
    }
    message = "This Type File Not Support";
    std::error_code ec;
    if (std::filesystem::file_size(fileName, ec) == 0 && !ec) message += ": the file is empty";
    return nullptr;
}

bool OpenDataFile(const std::string& fileName, IDriverOwner* owner,
                  std::unique_ptr<TAEDriverDb>& driver, std::string& message,
                  TAEDriverDb::TStateEvent onState, TAEDriverDb::TProgressEvent onProgress,
                  bool serveWhileLoading) {
    message.clear();
    const TDriverClass* cls = FindDriverClass(fileName, message);
    if (!cls) return false;
    std::unique_ptr<TAEDriverDb> d = cls->Create(owner);
    if (!d) {
        message = "This Type File Not Support";
        return false;
    }
    d->SetOnState(std::move(onState));
    d->SetOnProgress(std::move(onProgress));
    if (!d->Open(fileName, message)) return false;
    if (!(serveWhileLoading ? d->BeginLoad(message) : d->Load(message))) return false;
    if (!d->LoadPending() && !d->Initialize(message)) return false;
    driver = std::move(d);
    return true;
}

} // namespace vorelt

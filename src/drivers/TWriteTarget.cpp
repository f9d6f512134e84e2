#include "drivers/TWriteTarget.h"

#include "drivers/TDriverRegistry.h"
#include "drivers/TLogFile.h"
#include "persist/TFileCheck.h"

#include <sys/stat.h>

namespace vorelt {

bool CheckWriteTarget(const std::string& target, const TKeptFiles& kept, std::string& reason) {
    reason.clear();
    if (target.empty()) {
        reason = "no file name";
        return false;
    }
    if (SameFile(target, kept.DataFile)) {
        reason = "the target is the project's data file " + kept.DataFile;
        return false;
    }
    if (!kept.DataFile.empty()) {
        const std::string log = TLogFile::CompanionName(kept.DataFile);
        if (SameFile(target, log)) {
            reason = "the target is the data file's companion log " + log;
            return false;
        }
    }
    if (SameFile(target, kept.ProjectFile)) {
        reason = "the target is the project file " + kept.ProjectFile;
        return false;
    }
    struct stat st {};
    if (::stat(target.c_str(), &st) != 0) return true; // a new file (or a dangling link)
    if (!S_ISREG(st.st_mode)) {
        reason = "the target " + FileTypeText(st.st_mode);
        return false;
    }
    if (TLogFile::LooksLikeLog(target)) {
        reason = "the target is a companion log of a data file";
        return false;
    }
    std::string ignored;
    if (const TDriverClass* cls = FindDriverClass(target, ignored)) {
        reason = "the target is a data file (" + cls->ClassName + ")";
        return false;
    }
    return true;
}

} // namespace vorelt

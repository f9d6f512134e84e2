#include "project/TProjectTarget.h"

#include "drivers/TDriverRegistry.h"
#include "drivers/TLogFile.h"
#include "persist/TFileCheck.h"

#include <sys/stat.h>

namespace vorelt {

bool CheckProjectTarget(const std::string& target, const std::string& dataFile,
                        std::string& reason) {
    reason.clear();
    if (!dataFile.empty()) {
        if (SameFile(target, dataFile)) {
            reason = "the target is the project's data file " + dataFile;
            return false;
        }
        const std::string log = TLogFile::CompanionName(dataFile);
        if (SameFile(target, log)) {
            reason = "the target is the data file's companion log " + log;
            return false;
        }
    }
    struct stat st {};
    if (::stat(target.c_str(), &st) != 0) return true; // a new file (or a folder that is not)
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

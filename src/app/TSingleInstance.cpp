#include "app/TSingleInstance.h"

#include <QDir>
#include <QStandardPaths>
#include <cstdlib>
#include <filesystem>
#include <unistd.h>

namespace vorelt {

std::string TSingleInstance::LockFilePath() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    std::string dir = runtime && *runtime ? runtime : QDir::tempPath().toStdString();
    return dir + "/Vorelt.lock";
}

TSingleInstance::TSingleInstance(const std::string& path)
    : FLock(std::make_unique<QLockFile>(QString::fromStdString(path))) {
    FLock->setStaleLockTime(0);
}

bool TSingleInstance::Acquire() {
    return FLock->tryLock(0);
}

void TSingleInstance::Release() {
    FLock->unlock();
}

std::string ProgramDirectory(const char* argv0) {
    std::error_code ec;
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec && argv0) exe = std::filesystem::absolute(argv0, ec);
    std::string dir = exe.parent_path().string();
    if (dir.empty() || dir.back() != '/') dir += '/';
    return dir;
}

std::string SettingsDirectory(const std::string& programDir) {
    if (!programDir.empty() && ::access(programDir.c_str(), W_OK) == 0) return programDir;
    std::string dir =
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation).toStdString() +
        "/vorelt/";
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    return dir;
}

} // namespace vorelt

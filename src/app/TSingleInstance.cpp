#include "app/TSingleInstance.h"

#include <QDir>
#include <QStandardPaths>
#include <cstdlib>
#include <filesystem>

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

std::string SettingsDirectory() {
    // The user's own configuration folder ($XDG_CONFIG_HOME, else ~/.config): an installed
    // program's folder is read-only, and two users must not share their recent projects.
    std::string dir =
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation).toStdString() +
        "/vorelt/";
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    return dir;
}

} // namespace vorelt

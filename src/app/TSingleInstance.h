#pragma once
// Only one instance of the program runs at a time: the running program holds a lock file.
// The lock is taken before the application object exists, and a lock left behind by a
// program that died is taken over.

#include <QLockFile>
#include <memory>
#include <string>

namespace vorelt {

class TSingleInstance {
public:
    // The lock file "Vorelt.lock" in the user's runtime folder (the temporary folder when
    // there is none).
    static std::string LockFilePath();
    explicit TSingleInstance(const std::string& path = LockFilePath());
    // False when another running instance holds the lock.
    bool Acquire();
    void Release();

private:
    std::unique_ptr<QLockFile> FLock;
};

// The folder of the settings file: "vorelt" in the user's configuration folder.
std::string SettingsDirectory();

} // namespace vorelt

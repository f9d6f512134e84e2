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

// The folder of the settings file: the program's folder, or the user's configuration folder
// ("vorelt" in it) when the program's folder is not writable.
std::string SettingsDirectory(const std::string& programDir);
// The folder of the running program, with a trailing separator.
std::string ProgramDirectory(const char* argv0);

} // namespace vorelt

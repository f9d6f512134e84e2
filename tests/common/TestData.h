#pragma once
// Access to the real acquisition files in ../shared/data and to temporary folders.

#include <string>

namespace vorelt::test {

// Folder of the real data files. Empty when it is missing: outside CI the caller skips with a
// visible message; under CI (CI=true) a missing folder fails the test.
std::string SharedDataDir();

// Use at the start of a test that needs a file from the shared data folder.
#define VORELT_REQUIRE_SHARED_DATA(relPath, outPath)                                               \
    std::string outPath;                                                                           \
    do {                                                                                           \
        std::string vorelt_dir_ = ::vorelt::test::SharedDataDir();                                 \
        if (vorelt_dir_.empty()) {                                                                 \
            if (::vorelt::test::RunningUnderCI()) FAIL() << "shared data folder missing under CI"; \
            GTEST_SKIP() << "shared data folder ../shared/data not found: skipped";                \
        }                                                                                          \
        outPath = vorelt_dir_ + "/" + (relPath);                                                   \
    } while (0)

bool RunningUnderCI();

// A fresh empty folder, removed when the object goes away.
class TTempDir {
public:
    TTempDir();
    ~TTempDir();
    TTempDir(const TTempDir&) = delete;
    TTempDir& operator=(const TTempDir&) = delete;
    const std::string& Path() const { return FPath; }
    std::string File(const std::string& name) const { return FPath + "/" + name; }

private:
    std::string FPath;
};

std::string ReadFileBytes(const std::string& path);
// Copies a file into `dir` under its own name and returns the copy's path. Drivers write a
// companion log beside the file they open, so tests never open the shared originals in place.
std::string CopyToTemp(const std::string& source, const TTempDir& dir);
void WriteFileBytes(const std::string& path, const std::string& bytes);

} // namespace vorelt::test

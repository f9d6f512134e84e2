// The writer of copies: appends, large blocks, copies from another file, pieces written over
// what is there and cuts, as the sorted copy uses them; nothing under the target's name until
// the copy is committed, and no temporary file left when it is not.

#include "persist/TFileWriter.h"
#include "common/TestData.h"
#include "persist/TErrors.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <unistd.h>

namespace vorelt {
namespace {

std::string Pattern(size_t size, unsigned seed) {
    std::string s(size, '\0');
    for (size_t i = 0; i < size; ++i)
        s[i] = static_cast<char>((i * 31 + seed) % 251);
    return s;
}

size_t FilesIn(const test::TTempDir& dir) {
    size_t n = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir.Path())) {
        (void)e;
        ++n;
    }
    return n;
}

TEST(FileWriter, AppendsPatchesAndCutsLandWhereTheCopyNeedsThem) {
    test::TTempDir dir;
    const std::string sourceName = dir.File("source.bin");
    const std::string source = Pattern(3 << 20, 7);
    test::WriteFileBytes(sourceName, source);
    const int fd = ::open(sourceName.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0);

    const std::string big = Pattern(9 << 20, 3); // a large block goes out from its place
    std::string expected;
    {
        TFileWriter out(dir.File("target.bin"));
        out.Open();
        out.Write("abc", 3);
        out.Write(big.data(), big.size());
        out.CopyFrom(fd, 1000, 2 << 20);
        out.Write("xyz", 3);
        out.Write(big.data() + 5, 100000);
        out.Write("!", 1);
        expected = "abc" + big + source.substr(1000, 2 << 20) + "xyz" + big.substr(5, 100000) + "!";
        EXPECT_EQ(out.Written(), expected.size());

        out.WriteAt(1, "QQ", 2); // over what is written
        expected.replace(1, 2, "QQ");
        out.CopyAt(fd, 5, 100, 3 + big.size() - 50); // across an earlier boundary
        expected.replace(3 + big.size() - 50, 100, source.substr(5, 100));
        const uint64_t end = expected.size();
        out.WriteAt(end + 10, "past", 4); // past the end: the gap reads as zeros
        expected += std::string(10, '\0') + "past";
        out.Write("tail", 4); // appending goes on after the furthest byte
        expected += "tail";
        EXPECT_EQ(out.Written(), expected.size());
        EXPECT_FALSE(std::filesystem::exists(dir.File("target.bin")));
        out.Commit();
    }
    ::close(fd);
    EXPECT_TRUE(test::ReadFileBytes(dir.File("target.bin")) == expected);
    EXPECT_EQ(FilesIn(dir), 2u);

    TFileWriter cut(dir.File("target.bin"));
    cut.Open();
    cut.Write(big.data(), 1 << 20);
    cut.Truncate(10);
    cut.Write("end", 3);
    cut.Commit();
    EXPECT_EQ(test::ReadFileBytes(dir.File("target.bin")), big.substr(0, 10) + "end");
}

TEST(FileWriter, AnUncommittedCopyLeavesNothingBehind) {
    test::TTempDir dir;
    test::WriteFileBytes(dir.File("target.bin"), "old");
    {
        TFileWriter out(dir.File("target.bin"));
        out.Open();
        out.Write("new", 3);
        out.WriteAt(0, "N", 1);
    }
    EXPECT_EQ(test::ReadFileBytes(dir.File("target.bin")), "old");
    EXPECT_EQ(FilesIn(dir), 1u);

    TFileWriter missing(dir.File("no/such/folder.bin"));
    try {
        missing.Open();
        FAIL() << "opened a file in a missing folder";
    } catch (const EAEError& e) {
        EXPECT_NE(std::string(e.what()).find(dir.File("no/such/folder.bin")), std::string::npos);
    }
}

// Replacing a file waits for the disk before the rename, so that a crash leaves the old file or
// the new one; a new name has nothing to lose and is taken without waiting.
TEST(FileWriter, OnlyAReplacedFileWaitsForTheDisk) {
    test::TTempDir dir;
    TFileWriter fresh(dir.File("copy.bin"));
    fresh.Open();
    fresh.Write("first", 5);
    fresh.Commit();
    EXPECT_FALSE(fresh.Synced());
    EXPECT_EQ(test::ReadFileBytes(dir.File("copy.bin")), "first");

    TFileWriter again(dir.File("copy.bin"));
    again.Open();
    again.Write("second", 6);
    again.Commit();
    EXPECT_TRUE(again.Synced());
    EXPECT_EQ(test::ReadFileBytes(dir.File("copy.bin")), "second");
    EXPECT_EQ(FilesIn(dir), 1u);
}

} // namespace
} // namespace vorelt

// Nothing the tools write destroys the user's files: a target that is the recording, its
// companion log or the project (by name, symbolic or hard link) is refused with the reason and
// nothing changes; a named pipe is refused at once; a write that fails on a full disk leaves the
// old target as it was, no temporary file and a non-zero status.

#include "common/TestData.h"
#include "export/TToolRun.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace vorelt::test {
namespace {

namespace fs = std::filesystem;

class SafeWrites : public ::testing::Test {
protected:
    void SetUp() override {
        const TRun made =
            Shell(Quote(Bin + "/demo/vorelt-mkdemo") + " " + Quote(dir.Path()) + " --hits 2000");
        ASSERT_EQ(made.Status, 0) << made.Output;
        xml = dir.File("demo.xml");
        pci = dir.File("demo.pci");
        log = dir.File("demo.log");
        ASSERT_TRUE(fs::exists(xml) && fs::exists(pci));
    }

    // The bytes of every file of the folder, by name (links by what they point to).
    std::vector<std::pair<std::string, std::string>> Snapshot() const {
        std::vector<std::pair<std::string, std::string>> files;
        for (const auto& e : fs::directory_iterator(dir.Path())) {
            const std::string name = e.path().filename().string();
            if (e.is_symlink())
                files.emplace_back(name, "-> " + fs::read_symlink(e.path()).string());
            else if (e.is_regular_file())
                files.emplace_back(name, ReadFileBytes(e.path().string()));
            else
                files.emplace_back(name, "(special)");
        }
        std::sort(files.begin(), files.end());
        return files;
    }

    TTempDir dir;
    std::string xml, pci, log;
};

TEST_F(SafeWrites, ExportOntoTheUsersFilesIsRefusedAndChangesNothing) {
    fs::create_symlink(pci, dir.File("out.png"));
    fs::create_symlink(xml, dir.File("out.pdf"));
    fs::create_symlink(xml, dir.File("project.csv"));
    ASSERT_EQ(::link(pci.c_str(), dir.File("hard.csv").c_str()), 0);
    struct TCase {
        std::string View, Target, Reason;
    };
    const std::vector<TCase> cases = {
        {"TB01", pci, "not a .csv, .png, .pdf or .svg file"},
        {"TB01", xml, "not a .csv, .png, .pdf or .svg file"},
        {"TB01", log, "not a .csv, .png, .pdf or .svg file"},
        {"TB01", dir.File("hard.csv"), "the target is the project's data file"},
        {"TB01", dir.File("project.csv"), "the target is the project file"},
        {"GR01", dir.File("out.png"), "the target is the project's data file"},
        {"GR01", dir.File("out.pdf"), "the target is the project file"},
    };
    for (const TCase& c : cases) {
        const auto before = Snapshot();
        const TRun r = Shell(Export() + " " + Quote(xml) + " " + c.View + " " + Quote(c.Target));
        EXPECT_NE(r.Status, 0) << c.Target;
        EXPECT_NE(r.Output.find(c.Target), std::string::npos) << r.Output;
        EXPECT_NE(r.Output.find(c.Reason), std::string::npos) << r.Output;
        EXPECT_EQ(Snapshot(), before) << c.View << " " << c.Target;
    }
}

TEST_F(SafeWrites, NamedPipeTargetsAreRefusedWithoutWaiting) {
    for (const char* name : {"pipe.png", "pipe.pdf", "pipe.csv"}) {
        const std::string fifo = dir.File(name);
        ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
        const std::string view = std::string(name).ends_with(".csv") ? "TB01" : "GR01";
        const TRun r = Shell(Export() + " " + Quote(xml) + " " + view + " " + Quote(fifo));
        EXPECT_NE(r.Status, 124) << name << ": the export waited on the pipe";
        EXPECT_NE(r.Status, 0) << r.Output;
        EXPECT_NE(r.Output.find("is a named pipe"), std::string::npos) << r.Output;
    }
}

TEST_F(SafeWrites, ReadingWritesNothingBesideTheRecording) {
    const auto before = Snapshot();
    for (const std::string& command :
         {Cli() + " info " + Quote(pci), Cli() + " dump " + Quote(pci) + " --kinds 1 >/dev/null",
          Cli() + " project " + Quote(xml) + " --dump Database >/dev/null"}) {
        const TRun r = Shell(command);
        EXPECT_EQ(r.Status, 0) << command << "\n" << r.Output;
    }
    const TRun r = Shell(Export() + " " + Quote(xml) + " GR01 " + Quote(dir.File("g.png")));
    EXPECT_EQ(r.Status, 0) << r.Output;
    auto after = Snapshot();
    std::erase_if(after, [](const auto& f) { return f.first == "g.png"; });
    EXPECT_EQ(after, before) << "a file appeared or changed beside the recording";
    EXPECT_FALSE(fs::exists(log));
}

// Each writing command once more on a small file system that is full: the old target stays,
// no temporary file is left and the status is not zero. Needs a mount namespace of our own.
TEST_F(SafeWrites, FullDiskKeepsTheOldTarget) {
    if (Shell("unshare -rm sh -c 'mount -t tmpfs -o size=64k tmpfs /mnt'").Status != 0)
        GTEST_SKIP() << "no mount namespace here (unshare -rm): the full-disk case is not tried";
    const std::string full = dir.File("full");
    fs::create_directory(full);
    struct TCase {
        std::string Target, Command;
    };
    const std::vector<TCase> cases = {
        {"g.png", Export() + " " + Quote(xml) + " GR01 $T"},
        {"g.pdf", Export() + " " + Quote(xml) + " GR01 $T"},
        {"t.csv", Export() + " " + Quote(xml) + " TB01 $T"},
        {"p.xml", Cli() + " project " + Quote(xml) + " --save $T"},
        {"s.pci", Cli() + " sort " + Quote(pci) + " $T"},
    };
    for (const TCase& c : cases) {
        // An old target of its own kind (what a first run wrote elsewhere; a copy never goes
        // over another recording, so its old target is some other file), then the rest of the
        // file system filled, then the same command again.
        const std::string first = dir.File("first-" + c.Target);
        std::string command = c.Command;
        command.replace(command.find("$T"), 2, Quote(first));
        const TRun made = Shell(command);
        ASSERT_EQ(made.Status, 0) << made.Output;
        if (c.Target.ends_with(".pci")) WriteFileBytes(first, std::string(4000, 'o'));
        const std::string old = ReadFileBytes(first);
        const std::string target = full + "/" + c.Target;
        command = c.Command;
        command.replace(command.find("$T"), 2, Quote(target));
        const std::string script =
            "mount -t tmpfs -o size=" + std::to_string(old.size() + 8192) + " tmpfs " +
            Quote(full) + " && cp " + Quote(first) + " " + Quote(target) +
            " && (head -c 100000000 /dev/zero > " + Quote(full + "/filler") +
            " 2>/dev/null; true) && " + command + "; echo \"status=$?\"; md5sum " + Quote(target) +
            " | cut -c1-32; md5sum " + Quote(first) + " | cut -c1-32; ls -A " + Quote(full);
        const TRun r = Shell("unshare -rm sh -c " + Quote(script));
        SCOPED_TRACE(c.Target + "\n" + r.Output);
        EXPECT_EQ(r.Output.find("status=0"), std::string::npos) << "a failed write said success";
        EXPECT_NE(r.Output.find("status="), std::string::npos);
        // Both sums are the same: the old target is untouched.
        const size_t at = r.Output.find("status=");
        const std::string tail = at == std::string::npos ? "" : r.Output.substr(at);
        std::vector<std::string> lines;
        for (size_t b = 0, e; b < tail.size(); b = e + 1) {
            e = tail.find('\n', b);
            if (e == std::string::npos) e = tail.size();
            lines.push_back(tail.substr(b, e - b));
        }
        ASSERT_GE(lines.size(), 3u);
        EXPECT_EQ(lines[1], lines[2]) << "the old target changed";
        // Only the target and the filler are there: no temporary file is left.
        std::vector<std::string> names(lines.begin() + 3, lines.end());
        std::erase(names, "");
        std::sort(names.begin(), names.end());
        std::vector<std::string> expected{c.Target, "filler"};
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(names, expected);
        // The failure names the target and the system's reason.
        EXPECT_NE(r.Output.find("No space left on device"), std::string::npos);
    }
}

} // namespace
} // namespace vorelt::test

// Bad input as a careless user gives it: special files, missing and unreadable files, damaged
// and linked companion logs, files with garbage at the end or cut short. Nothing blocks,
// nothing is cut without a word, and every refusal says why.

#include "SafeFileSupport.h"

#include "cli/TCliCommands.h"
#include "common/TestData.h"
#include "drivers/RegisterDriversClasses.h"
#include "drivers/TDriverRegistry.h"
#include "drivers/TLogFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <sys/stat.h>

namespace vorelt::test {
namespace {

namespace fs = std::filesystem;

struct TCliResult {
    int Status = -1;
    std::string Out;
    std::string Err;
};

TCliResult Cli(const std::vector<std::string>& args) {
    RegisterDriversClasses();
    std::ostringstream out, err;
    TCliResult r;
    r.Status = cli::RunCli(args, out, err);
    r.Out = out.str();
    r.Err = err.str();
    return r;
}

std::string OpenMessage(const std::string& file) {
    RegisterDriversClasses();
    std::unique_ptr<TAEDriverDb> d;
    std::string message;
    EXPECT_FALSE(OpenDataFile(file, nullptr, d, message)) << file;
    return message;
}

std::string MakeFifo(const TTempDir& dir, const std::string& name) {
    const std::string path = dir.File(name);
    EXPECT_EQ(::mkfifo(path.c_str(), 0644), 0);
    return path;
}

TEST(RefusedDataFiles, SayWhatIsWrongBeforeAskingForTheFormat) {
    TTempDir dir;
    EXPECT_EQ(OpenMessage(dir.File("missing.DTA")), "No such file or directory");
    EXPECT_EQ(OpenMessage(dir.Path()), "is a directory");
    EXPECT_EQ(OpenMessage("/dev/zero"), "is a character device");
    WriteFileBytes(dir.File("one.DTA"), "x");
    EXPECT_EQ(OpenMessage(dir.File("one.DTA")), "This Type File Not Support");
    WriteFileBytes(dir.File("locked.DTA"), "x");
    ::chmod(dir.File("locked.DTA").c_str(), 0);
    if (::geteuid() != 0) { // the superuser reads it anyway
        EXPECT_EQ(OpenMessage(dir.File("locked.DTA")), "Permission denied");
    }
}

TEST(RefusedDataFiles, NamedPipeIsRefusedWithoutWaiting) {
    TTempDir dir;
    const std::string fifo = MakeFifo(dir, "pipe.DTA");
    std::string message;
    EXPECT_TRUE(ReturnsWithin(fifo, [&] { message = OpenMessage(fifo); }));
    EXPECT_EQ(message, "is a named pipe");
    TCliResult r;
    EXPECT_TRUE(ReturnsWithin(fifo, [&] { r = Cli({"info", fifo}); }));
    EXPECT_EQ(r.Status, 1);
    EXPECT_EQ(r.Err, "error: " + fifo + ": is a named pipe\n");
}

TEST(CompanionLog, NamedPipeIsNotUsedAndNothingWaits) {
    RegisterDriversClasses();
    TTempDir dir;
    const std::string data = GenerateFormat(dir, "pci", 100, 2, "run.pci");
    const std::string fifo = MakeFifo(dir, "run.log");
    std::string note;
    bool opened = false;
    EXPECT_TRUE(ReturnsWithin(fifo, [&] {
        std::unique_ptr<TAEDriverDb> d;
        std::string message;
        opened = OpenDataFile(data, nullptr, d, message);
        if (d) note = d->Log().Note();
    }));
    EXPECT_TRUE(opened);
    EXPECT_NE(note.find("is a named pipe"), std::string::npos) << note;
}

// Opens `data`, deletes the records `positions` as one group and closes it: the log holds them.
void DeleteAndClose(const std::string& data, std::vector<int32_t> positions) {
    RegisterDriversClasses();
    std::unique_ptr<TAEDriverDb> d;
    std::string message;
    ASSERT_TRUE(OpenDataFile(data, nullptr, d, message)) << message;
    TAEOMSG del;
    del.Msg = omDeleteGroup;
    del.List = std::move(positions);
    d->HandleMessage(del);
}

TEST(CompanionLog, DamagedTailIsKeptBesideBeforeTheRewriteCutsIt) {
    RegisterDriversClasses();
    TTempDir dir;
    const std::string data = GenerateFormat(dir, "isa", 100, 2, "run.isa");
    const std::string log = dir.File("run.log");
    DeleteAndClose(data, {3, 4});
    const std::string clean = ReadFileBytes(log);
    // Half an entry at the end: the length runs past the end of the file.
    const std::string damaged = clean + std::string("\x40\x00\x04\x01\x02", 5);
    WriteFileBytes(log, damaged);
    for (const std::string& kept : {log + ".damaged", log + ".damaged.1"}) {
        SCOPED_TRACE(kept);
        {
            std::unique_ptr<TAEDriverDb> d;
            std::string message;
            ASSERT_TRUE(OpenDataFile(data, nullptr, d, message)) << message;
            EXPECT_EQ(d->DeletedGroups(), (TRecordGroups{{3, 4}}));
            const std::string note = d->Log().Note();
            EXPECT_NE(note.find("Damaged At Byte Offset " + std::to_string(clean.size())),
                      std::string::npos)
                << note;
            EXPECT_NE(note.find(kept), std::string::npos) << note;
        }
        // The whole damaged log is kept, the log is cut to what could be read and reads again.
        EXPECT_EQ(ReadFileBytes(kept), damaged);
        EXPECT_EQ(ReadFileBytes(log).size(), clean.size());
        WriteFileBytes(log, damaged);
    }
    EXPECT_EQ(ReadFileBytes(log + ".damaged"), damaged); // an earlier copy is never replaced
}

TEST(CompanionLog, LinkIsFollowedOnlyToAnotherCompanionLog) {
    RegisterDriversClasses();
    TTempDir dir;
    const std::string data = GenerateFormat(dir, "pci", 100, 2, "run.pci");
    const std::string log = dir.File("run.log");
    // A file that starts like a log but is none, reached through a link of the log's name.
    std::vector<uint8_t> start = TLogFile::Entry(lkStart, nullptr, 0);
    const std::string foreign =
        std::string(start.begin(), start.end()) + "measurement notes, keep this";
    WriteFileBytes(dir.File("notes.txt"), foreign);
    fs::create_symlink("notes.txt", log);
    {
        std::unique_ptr<TAEDriverDb> d;
        std::string message;
        ASSERT_TRUE(OpenDataFile(data, nullptr, d, message)) << message;
        EXPECT_FALSE(d->Log().InUse());
        EXPECT_NE(d->Log().Note().find("no companion log"), std::string::npos) << d->Log().Note();
        TAEOMSG del;
        del.Msg = omDeleteGroup;
        del.List = {1};
        d->HandleMessage(del);
    }
    EXPECT_EQ(ReadFileBytes(dir.File("notes.txt")), foreign);
    EXPECT_TRUE(fs::is_symlink(log));

    // A link to the log of another copy of the data is written through.
    fs::remove(log);
    fs::create_directory(dir.File("other"));
    fs::copy_file(data, dir.File("other/run.pci"));
    DeleteAndClose(dir.File("other/run.pci"), {5});
    fs::create_symlink("other/run.log", log);
    {
        std::unique_ptr<TAEDriverDb> d;
        std::string message;
        ASSERT_TRUE(OpenDataFile(data, nullptr, d, message)) << message;
        EXPECT_TRUE(d->Log().InUse());
        EXPECT_EQ(d->DeletedGroups(), (TRecordGroups{{5}}));
        TAEOMSG del;
        del.Msg = omDeleteGroup;
        del.List = {7};
        d->HandleMessage(del);
    }
    EXPECT_TRUE(fs::is_symlink(log));
    std::unique_ptr<TAEDriverDb> d;
    std::string message;
    ASSERT_TRUE(OpenDataFile(dir.File("other/run.pci"), nullptr, d, message)) << message;
    EXPECT_EQ(d->DeletedGroups(), (TRecordGroups{{5}, {7}}));
}

TEST(FileWarnings, ZerosAtTheEndAreReportedWithTheirOffset) {
    TTempDir dir;
    const std::string data = GenerateFormat(dir, "disp", 200, 4, "run.DTA");
    const size_t size = fs::file_size(data);
    TCliResult r = Cli({"info", data});
    ASSERT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(r.Out.find("warning:"), std::string::npos) << r.Out; // a whole file says nothing
    WriteFileBytes(data, ReadFileBytes(data) + std::string(65536, '\0'));
    r = Cli({"info", data});
    ASSERT_EQ(r.Status, 0) << r.Err;
    EXPECT_NE(r.Out.find("\nwarning: 32768 Unknown Or Empty Messages In A Row From Byte Offset " +
                         std::to_string(size) + "\n"),
              std::string::npos)
        << r.Out;
    // A short run is no warning.
    WriteFileBytes(data, ReadFileBytes(data).substr(0, size) + std::string(2000, '\0'));
    r = Cli({"info", data});
    EXPECT_EQ(r.Out.find("warning:"), std::string::npos) << r.Out;
}

TEST(FileWarnings, ZeroFilledTailsOfEveryFormat) {
    for (const char* format : {"isa", "pci", "spartan"}) {
        SCOPED_TRACE(format);
        TTempDir dir;
        const std::string data = GenerateFormat(dir, format, 200, 4);
        const size_t size = fs::file_size(data);
        WriteFileBytes(data, ReadFileBytes(data) + std::string(96 * 1024, '\0'));
        TCliResult r = Cli({"info", data});
        ASSERT_EQ(r.Status, 0) << r.Err;
        EXPECT_NE(r.Out.find("Unknown Or Empty Messages In A Row From Byte Offset " +
                             std::to_string(size) + "\n"),
                  std::string::npos)
            << r.Out;
    }
}

TEST(FileWarnings, FilesCutInsideAMessageSaySoForEveryFormat) {
    for (const char* format : {"isa", "pci", "disp", "spartan"}) {
        SCOPED_TRACE(format);
        TTempDir dir;
        const std::string data = GenerateFormat(dir, format, 200, 4);
        const std::string bytes = ReadFileBytes(data);
        // Each cut leaves the last message incomplete, wherever it is.
        for (size_t cut : {size_t{1}, size_t{5}, size_t{13}}) {
            WriteFileBytes(data, bytes.substr(0, bytes.size() - cut));
            TCliResult r = Cli({"info", data});
            ASSERT_EQ(r.Status, 0) << r.Err;
            EXPECT_NE(r.Out.find("\nwarning: File Ends Inside A Message At Byte Offset "),
                      std::string::npos)
                << cut << ": " << r.Out;
        }
    }
}

TEST(CopyRefusals, SayWhyTheTargetCannotBeWritten) {
    TTempDir dir;
    const std::string data = GenerateFormat(dir, "disp", 100, 4, "run.DTA");
    const std::string before = ReadFileBytes(data);
    TCliResult r = Cli({"sort", data, data});
    EXPECT_EQ(r.Status, 1);
    EXPECT_EQ(r.Err, "error: " + data + ": Invalid File Name: the target is the source file\n");
    r = Cli({"copy", data, dir.File("run.log"), "--kinds", "1"});
    EXPECT_EQ(r.Status, 1);
    EXPECT_NE(r.Err.find("Invalid File Name: the target is the source's companion log"),
              std::string::npos)
        << r.Err;
    EXPECT_EQ(ReadFileBytes(data), before);

    const std::string vallen = GenerateFormat(dir, "vallen", 20);
    r = Cli({"sort", vallen, dir.File("sorted.pridb")});
    EXPECT_EQ(r.Status, 1);
    EXPECT_NE(r.Err.find(vallen + " is a Vallen database, which cannot be sorted or copied"),
              std::string::npos)
        << r.Err;
}

} // namespace
} // namespace vorelt::test

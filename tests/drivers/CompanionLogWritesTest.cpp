// The companion log is written only when it keeps something, and never in a way that could lose
// the old one: a data file that is only read leaves nothing beside it; a rewrite that fails (a
// full disk, a file size limit) leaves the old log as it was; the driver says when the groups
// of this session would be lost, and can keep them in another file.

#include "TTestDriver.h"
#include "common/TestData.h"
#include "drivers/TAEDriverDb.h"
#include "drivers/TLogFile.h"
#include "model/TAEMessageNumbers.h"
#include "model/TAERecordProtocol.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace vorelt::test {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> Names(const TTempDir& dir) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir.Path()))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

class CompanionLogWrites : public ::testing::Test {
protected:
    void SetUp() override {
        TTestFileBuilder b;
        b.Hit(10, 1, 100).Mark(20).Hit(30, 2, 200).Hit(40, 3, 300);
        b.Save(Data());
    }
    std::string Data() const { return dir.File("data.vts"); }
    std::string Log() const { return dir.File("data.log"); }

    std::unique_ptr<TTestDriver> Open() {
        auto d = std::make_unique<TTestDriver>();
        std::string msg;
        EXPECT_TRUE(d->Open(Data(), msg) && d->Load(msg) && d->Initialize(msg)) << msg;
        return d;
    }
    static void Delete(TAEDriverDb& d, std::vector<int32_t> positions) {
        TAEOMSG m;
        m.Msg = omDeleteGroup;
        m.List = std::move(positions);
        d.HandleMessage(m);
    }

    TTempDir dir;
};

TEST_F(CompanionLogWrites, OnlyGroupsOrAnEarlierLogMakeTheLogBeWritten) {
    Open()->Close();
    EXPECT_EQ(Names(dir), std::vector<std::string>{"data.vts"}) << "reading wrote beside the data";

    {
        auto d = Open();
        Delete(*d, {1});
    }
    ASSERT_TRUE(fs::exists(Log()));
    {
        auto d = Open();
        EXPECT_EQ(d->DeletedGroups(), (TRecordGroups{{1}}));
        TAEOMSG undo;
        undo.Msg = omUndoAllDeletions;
        d->HandleMessage(undo);
    }
    // A log that was there is rewritten, also when it keeps no group any more.
    ASSERT_TRUE(fs::exists(Log()));
    EXPECT_TRUE(Open()->DeletedGroups().empty());
}

TEST_F(CompanionLogWrites, AFailedRewriteLeavesTheOldLogAndNoTemporaryFile) {
    {
        auto d = Open();
        Delete(*d, {1});
    }
    const std::string before = ReadFileBytes(Log());
    const std::vector<std::string> names = Names(dir);
    // The rewrite runs in a child whose files may not grow past the old log's size, as on a
    // disk that is full: the write fails half way.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{static_cast<rlim_t>(before.size()), static_cast<rlim_t>(before.size())};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        TLogFile log;
        TRecordGroups selected, deleted;
        log.Open(Data(), selected, deleted);
        std::string message;
        TRecordGroup big(5000);
        for (int i = 0; i < 5000; ++i)
            big[static_cast<size_t>(i)] = i;
        const bool ok = log.Rewrite({{1}, big}, {}, message);
        const bool named = message.find(Log()) != std::string::npos &&
                           message.find("File too large") != std::string::npos;
        ::_exit(ok ? 1 : named ? 0 : 2);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1: the rewrite said success; 2: no file or reason";
    EXPECT_EQ(ReadFileBytes(Log()), before);
    EXPECT_EQ(Names(dir), names);
}

TEST_F(CompanionLogWrites, GroupsThatCannotBeKeptAreReportedAndKeptElsewhere) {
    auto d = Open();
    std::string message;
    // Nothing to keep: nothing to report.
    EXPECT_TRUE(d->SaveLog(message)) << message;
    // The log's name taken by a folder: the groups of this session cannot be kept there.
    fs::create_directory(Log());
    Delete(*d, {1, 3});
    EXPECT_FALSE(d->SaveLog(message));
    EXPECT_NE(message.find(Log()), std::string::npos) << message;

    EXPECT_FALSE(d->SaveLogAs(Data(), message));
    EXPECT_NE(message.find("the target is the project's data file"), std::string::npos);
    const std::string kept = dir.File("kept.log");
    ASSERT_TRUE(d->SaveLogAs(kept, message)) << message;
    // The kept log is a whole log: put beside the data file, it brings the groups back.
    d->Close();
    fs::remove(Log());
    fs::rename(kept, Log());
    EXPECT_EQ(Open()->DeletedGroups(), (TRecordGroups{{1, 3}}));
}

} // namespace
} // namespace vorelt::test

#include "TTestDriver.h"

#include "cli/TCliCommands.h"
#include "common/TestData.h"

#include <gtest/gtest.h>

#include <sstream>

namespace vorelt::test {
namespace {

struct TCliRun {
    int Status;
    std::string Out;
    std::string Err;
};

TCliRun Cli(std::vector<std::string> args) {
    RegisterTestDriver();
    std::ostringstream out, err;
    int status = cli::RunCli(args, out, err);
    return {status, out.str(), err.str()};
}

class CliTest : public ::testing::Test {
protected:
    void SetUp() override {
        TTestFileBuilder b(1000, {1, 0, 1, 1});
        b.Comment("start").Hit(2500000, 1, 60).Mark(1500000).Hit(500000, 3, 70).Raw(12, {});
        b.Save(In());
    }
    std::string In() const { return Dir.File("in.vts"); }
    TTempDir Dir;
};

TEST_F(CliTest, InfoListsWhatOpeningGives) {
    TCliRun r = Cli({"info", In()});
    ASSERT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(r.Out, "driver: TTestDriver\n"
                     "state: Ready\n"
                     "records: 6\n"
                     "kind 0: 2\n"
                     "kind 1: 2\n"
                     "kind 6: 1\n"
                     "kind 8: 1\n"
                     "channels: 1,3,4\n"
                     "first time: 2,5\n"
                     "last time: 0,5\n");
    EXPECT_EQ(r.Err, "");
}

TEST_F(CliTest, DumpWithKindsAndFields) {
    TCliRun r = Cli({"dump", In(), "--kinds", "1,6", "--fields",
                     "0000000000000019,0000000000000061,0000000000000002,0000000000000017"});
    ASSERT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(r.Out, "IndexRec;TimeS;Chan;Deleted\n"
                     "2;2,5;1;False\n"
                     "3;1,5;;False\n"
                     "4;0,5;3;False\n");

    r = Cli({"dump", In()});
    ASSERT_EQ(r.Status, 0) << r.Err;
    std::istringstream lines(r.Out);
    std::string header, first;
    std::getline(lines, header);
    std::getline(lines, first);
    EXPECT_NE(header.find("DefaultText;"), std::string::npos);
    EXPECT_NE(header.find(";Channels"), std::string::npos);
    EXPECT_NE(first.find("Unknow Message 255"), std::string::npos);
    EXPECT_NE(first.find(";1,3,4"), std::string::npos);
    EXPECT_EQ(std::count(r.Out.begin(), r.Out.end(), '\n'), 7);
}

TEST_F(CliTest, SortAndCopyWriteTheFileFormat) {
    ASSERT_EQ(Cli({"sort", In(), Dir.File("sorted.vts")}).Status, 0);
    TTestFileBuilder sorted(1000, {1, 0, 1, 1});
    sorted.Comment("start").Hit(500000, 3, 70).Mark(1500000).Hit(2500000, 1, 60).Raw(12, {});
    EXPECT_EQ(ReadFileBytes(Dir.File("sorted.vts")), sorted.Bytes());

    TCliRun r = Cli({"copy", In(), Dir.File("hits.vts"), "--kinds", "1"});
    ASSERT_EQ(r.Status, 0) << r.Err;
    TTestFileBuilder hits(1000, {1, 0, 1, 1});
    hits.Hit(2500000, 1, 60).Hit(500000, 3, 70);
    std::string want = hits.Bytes();
    want[8] = 2;
    EXPECT_EQ(ReadFileBytes(Dir.File("hits.vts")), want);
}

TEST_F(CliTest, ErrorsAreOneLineWithNonZeroStatus) {
    TCliRun r = Cli({"info", Dir.File("missing.vts")});
    EXPECT_EQ(r.Status, 1);
    EXPECT_NE(r.Err.find("error: "), std::string::npos);
    EXPECT_EQ(std::count(r.Err.begin(), r.Err.end(), '\n'), 1);

    WriteFileBytes(Dir.File("other.bin"), "not a data file");
    r = Cli({"info", Dir.File("other.bin")});
    EXPECT_EQ(r.Status, 1);
    EXPECT_NE(r.Err.find("This Type File Not Support"), std::string::npos);

    r = Cli({"sort", In(), In()});
    EXPECT_EQ(r.Status, 1);
    EXPECT_NE(r.Err.find("Invalid File Name"), std::string::npos);

    EXPECT_EQ(Cli({}).Status, 2);
    EXPECT_EQ(Cli({"frobnicate", In()}).Status, 2);
    EXPECT_EQ(Cli({"copy", In(), Dir.File("x.vts")}).Status, 2); // no --kinds
    EXPECT_EQ(Cli({"dump", In(), "--kinds", "16"}).Status, 2);
    EXPECT_EQ(Cli({"dump", In(), "--fields", "9999999999999999"}).Status, 2);
    EXPECT_EQ(Cli({"dump", In(), "--kinds"}).Status, 2);
}

} // namespace
} // namespace vorelt::test

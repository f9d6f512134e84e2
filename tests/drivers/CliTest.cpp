#include "TTestDriver.h"

#include "cli/TCliCommands.h"
#include "common/TestData.h"

#include <gtest/gtest.h>

#include <regex>
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
    EXPECT_NE(first.find("Unknown Message 255"), std::string::npos);
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

TEST_F(CliTest, HelpAndVersionExitZero) {
    for (const char* help : {"--help", "-h", "help"}) {
        TCliRun r = Cli({help});
        EXPECT_EQ(r.Status, 0) << help;
        EXPECT_EQ(r.Out.rfind("usage: vorelt-cli info FILE\n", 0), 0u) << help;
        EXPECT_NE(r.Out.find("vorelt-cli project PROJECT.xml"), std::string::npos) << help;
        EXPECT_EQ(r.Err, "") << help;
    }
    TCliRun r = Cli({"--version"});
    EXPECT_EQ(r.Status, 0);
    EXPECT_TRUE(std::regex_match(r.Out, std::regex("vorelt-cli [0-9]+\\.[0-9]+\n"))) << r.Out;
    // Without a command the usage is a mistake of the caller.
    r = Cli({});
    EXPECT_EQ(r.Status, 2);
    EXPECT_EQ(r.Out, "");
    EXPECT_NE(r.Err.find("usage: "), std::string::npos);
}

TEST_F(CliTest, EveryErrorNamesItsFile) {
    auto expectNamed = [](const TCliRun& r, const std::string& file) {
        EXPECT_NE(r.Status, 0) << file;
        EXPECT_EQ(r.Err.rfind("error: " + file + ": ", 0), 0u) << r.Err;
    };
    const std::string missing = Dir.File("missing.vts");
    expectNamed(Cli({"info", missing}), missing);
    expectNamed(Cli({"dump", missing}), missing);
    expectNamed(Cli({"dump", In(), "--fields", "9999999999999999"}), In());
    expectNamed(Cli({"sort", In(), In()}), In());
    const std::string nowhere = Dir.File("no/such/folder/out.vts");
    expectNamed(Cli({"copy", In(), nowhere, "--kinds", "1"}), nowhere);

    // A dump that cannot be written out.
    std::ostringstream out, err;
    out.setstate(std::ios::badbit);
    EXPECT_EQ(cli::RunCli({"dump", In()}, out, err), 1);
    EXPECT_EQ(err.str(), "error: " + In() + ": the output could not be written\n");

    const std::string project = Dir.File("p.xml");
    TCliRun r = Cli({"new-project", project, "--data", In()});
    ASSERT_EQ(r.Status, 0) << r.Err;
    expectNamed(Cli({"project", project, "--dump", "nobody"}), project);
    expectNamed(Cli({"project", Dir.File("missing.xml")}), Dir.File("missing.xml"));
    expectNamed(Cli({"new-project", Dir.File("q.xml"), "--data", missing}), missing);
}

} // namespace
} // namespace vorelt::test

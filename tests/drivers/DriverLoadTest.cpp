// The load every file driver runs in: what a failed load leaves behind, the same for all.

#include "VallenTestSupport.h"
#include "common/TestData.h"
#include "drivers/disp/TAEDisp.h"
#include "drivers/spartan/TAESpartan.h"
#include "drivers/tarvel/TAETarvelIsa.h"
#include "drivers/tarvel/TAETarvelPci.h"
#include "drivers/vallen/TAEVallen.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace vorelt {
namespace {

std::vector<std::unique_ptr<TAEDriverDb>> EveryFileDriver() {
    std::vector<std::unique_ptr<TAEDriverDb>> drivers;
    drivers.push_back(std::make_unique<TAEDisp>());
    drivers.push_back(std::make_unique<TAESpartan>());
    drivers.push_back(std::make_unique<TAETarvelIsa>());
    drivers.push_back(std::make_unique<TAETarvelPci>());
    drivers.push_back(std::make_unique<TAEVallen>());
    return drivers;
}

TEST(DriverLoadTest, EveryDriverRefusesToLoadBeforeAnOpenWithOneText) {
    for (const auto& driver : EveryFileDriver()) {
        std::string message = "stale";
        EXPECT_FALSE(driver->Load(message)) << driver->ClassName();
        EXPECT_EQ(message, "File Not Open") << driver->ClassName();
        EXPECT_EQ(driver->Count(), 0) << driver->ClassName();
        EXPECT_TRUE(driver->InfoLines().empty()) << driver->ClassName();
        EXPECT_TRUE(driver->Channels().empty()) << driver->ClassName();
    }
}

// The channels come from ae_params, read before the table that is missing: a failed load must
// not leave them, nor the information lines gathered so far.
TEST(DriverLoadTest, AFailedLoadLeavesNoChannelsNorInformation) {
    test::TTempDir dir;
    const std::string file = dir.File("noglobal.pridb");
    std::vector<std::string> statements = test::MinimalVallenSchema();
    statements.push_back("DROP TABLE ae_globalinfo");
    test::MakeDatabase(file, statements);
    TAEVallen driver;
    std::string message;
    ASSERT_TRUE(driver.Open(file, message)) << message;
    EXPECT_FALSE(driver.Load(message));
    EXPECT_NE(message.find("ae_globalinfo"), std::string::npos) << message;
    EXPECT_EQ(driver.Count(), 0);
    EXPECT_TRUE(driver.Channels().empty());
    EXPECT_TRUE(driver.InfoLines().empty());
}

} // namespace
} // namespace vorelt

#include "model/TAEIDGenerator.h"
#include "model/TAEField.h"

#include <gtest/gtest.h>

#include <set>

using namespace vorelt;

TEST(IDGenerator, IDsAreSixteenDigitsWithoutNine) {
    TAEIDGenerator gen(nullptr);
    for (int i = 0; i < 200; ++i) {
        std::string id = gen.NewID();
        ASSERT_EQ(id.size(), 16u);
        EXPECT_EQ(id.find_first_not_of("012345678"), std::string::npos) << id;
        EXPECT_FALSE(IsReservedID(id));
    }
}

TEST(IDGenerator, SkipsIDsInUseAndCandidatesDiffer) {
    // Rejects the first thousand candidates. With one seed per candidate from the clock, all
    // candidates within a tick would be equal and this would spin.
    std::set<std::string> rejected;
    int calls = 0;
    TAEIDGenerator gen([&](const std::string& id) {
        ++calls;
        if (calls <= 1000) {
            rejected.insert(id);
            return true;
        }
        return false;
    });
    std::string id = gen.NewID();
    EXPECT_EQ(calls, 1001);
    EXPECT_EQ(rejected.count(id), 0u);
    EXPECT_GT(rejected.size(), 990u);
}

TEST(IDGenerator, NeverYieldsAnIDInUse) {
    std::set<std::string> used;
    TAEIDGenerator gen([&](const std::string& id) { return used.count(id) > 0; }, 42);
    for (int i = 0; i < 1000; ++i)
        EXPECT_TRUE(used.insert(gen.NewID()).second);
}

TEST(IDGenerator, RejectsReservedCandidates) {
    // A predicate never sees a reserved candidate: they are rejected before it is asked.
    bool sawReserved = false;
    TAEIDGenerator gen([&](const std::string& id) {
        sawReserved |= IsReservedID(id);
        return false;
    });
    for (int i = 0; i < 100; ++i)
        gen.NewID();
    EXPECT_FALSE(sawReserved);
}

// When the unpacking's progress is told to the splash, and as which step.
#include "payload/ProgressSteps.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr uint32_t kMiB = 1 << 20;

struct Write {
    uint64_t bytes;
    uint32_t atMs;
};

// The steps told for `writes` on a payload of `total` bytes begun at `startMs`.
std::vector<uint32_t> ToldSteps(uint64_t total, uint32_t startMs, const std::vector<Write>& writes)
{
    ProgressSteps progress;
    progress.Begin(total, startMs);
    std::vector<uint32_t> told;
    for (const Write& write : writes) {
        uint32_t step = 999;
        if (progress.Advance(write.bytes, write.atMs, step))
            told.push_back(step);
    }
    return told;
}

struct StepsCase {
    const char* name;
    uint64_t total;
    uint32_t startMs;
    std::vector<Write> writes;
    std::vector<uint32_t> told;
};

TEST(ProgressSteps, ToldOnlyAfterHalfASecondAndOnlyWhenTheStepChanges)
{
    const StepsCase cases[] = {
        {"small payload done within half a second: nothing", 4 * kMiB, 1000,
         {{kMiB, 1100}, {kMiB, 1200}, {kMiB, 1300}, {kMiB, 1499}}, {}},
        {"large payload: the step reached once the quiet time is over, then each change", 256 * kMiB, 1000,
         {{64 * kMiB, 1200}, {64 * kMiB, 1500}, {kMiB / 2, 1600}, {kMiB / 2, 1700}, {127 * kMiB, 2000}}, {128, 129, 256}},
        {"writes within one step tell nothing new", 256ull * 1024 * kMiB, 0,
         {{kMiB, 600}, {kMiB, 700}, {kMiB, 800}}, {0}},
        {"bytes beyond the total count as the whole payload", 2 * kMiB, 0, {{kMiB, 600}, {5 * kMiB, 700}}, {128, 256}},
        {"empty payload is complete", 0, 0, {{0, 600}}, {256}},
        {"the clock may wrap", 256 * kMiB, 0xFFFFFF00u, {{kMiB, 0xFFFFFFF0u}, {kMiB, 0x200}}, {2}},
        {"a write at the very start tells nothing", 256 * kMiB, 1000, {{kMiB, 1000}}, {}},
    };
    for (const StepsCase& c : cases)
        EXPECT_EQ(ToldSteps(c.total, c.startMs, c.writes), c.told) << c.name;
}

TEST(ProgressSteps, BeginStartsAfresh)
{
    ProgressSteps progress;
    progress.Begin(2 * kMiB, 0);
    uint32_t step = 0;
    ASSERT_TRUE(progress.Advance(2 * kMiB, 600, step));
    EXPECT_EQ(step, 256u);

    progress.Begin(2 * kMiB, 1000);
    EXPECT_FALSE(progress.Advance(kMiB, 1100, step)) << "the quiet time starts again";
    ASSERT_TRUE(progress.Advance(0, 1600, step));
    EXPECT_EQ(step, 128u) << "the bytes of the earlier count are forgotten";
}

} // namespace

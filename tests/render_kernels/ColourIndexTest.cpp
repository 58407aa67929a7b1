#include <cstdint>

#include <gtest/gtest.h>

#include "KernelClient.h"
#include "render/ColourIndexFromCount.h"

namespace {

struct IndexCase {
    uint64_t count;
    uint64_t limit;
    bool linear;
    int index;
};

// Worked out by hand from the index rule: inside from limit - 1 on, modulus 255, and the
// progressive mapping floor(4 * sqrt(count rounded to float)).
const IndexCase kIndexCases[] = {
    {0, 100, true, 0},
    {98, 100, true, 98},
    {99, 100, true, 255},   // left the radius only at the last allowed test
    {100, 100, true, 255},  // never left
    {254, 1000, true, 254},
    {255, 1000, true, 0},   // period 255: never the inside index
    {256, 1000, true, 1},
    {0, 0, true, 0},        // limit 0: nothing is inside
    {0, 1, true, 255},
    {0, 2, true, 0},
    {1, 2, true, 255},
    {0, 20000, false, 0},
    {1, 20000, false, 4},
    {2, 20000, false, 5},
    {100, 20000, false, 40},
    {10000, 20000, false, 145},
    // 4294967294 rounds to 2^32 as a float: 4 * 65536 = 262144, 4 mod 255; the exact root
    // would give 262143, 3.
    {4294967294u, 0, false, 4},
};

template <class Count>
void CheckIndexCases()
{
    for (const IndexCase& c : kIndexCases) {
        SCOPED_TRACE("count " + std::to_string(c.count) + " limit " + std::to_string(c.limit) +
                     (c.linear ? " linear" : " progressive"));
        Scene scene;
        scene.linear = c.linear;
        KernelClient client(scene);
        const scalar::ColourIndexFromCount<Count> toIndex(static_cast<Count>(c.limit), &client);
        EXPECT_EQ(toIndex(static_cast<Count>(c.count)), c.index);
        // The mapping is asked for every escaped pixel, and only for those.
        EXPECT_EQ(client.calls.linearColouring, c.index == 255 ? 0 : 1);
    }
}

TEST(ColourIndexFromCount, MapsCountsWith32BitCounters) { CheckIndexCases<uint32_t>(); }

TEST(ColourIndexFromCount, MapsCountsWith64BitCounters) { CheckIndexCases<uint64_t>(); }

TEST(ColourIndexFromCount, LimitZeroOf64BitCountersLeavesHugeCountsOutside)
{
    Scene scene;
    KernelClient client(scene);
    const scalar::ColourIndexFromCount<uint64_t> toIndex(0, &client);
    EXPECT_EQ(toIndex(UINT64_MAX - 1), static_cast<uint8_t>((UINT64_MAX - 1) % 255));
    EXPECT_EQ(toIndex(UINT64_MAX), 255);
}

} // namespace

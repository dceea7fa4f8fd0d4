#include "pe/PeRangeMap.h"

#include <gtest/gtest.h>

namespace {

std::vector<int> LabelPerByte(const TPeRangeMap &map)
{
    std::vector<int> labels;
    uint64_t next = 0;
    for (const TPeRange &range : map.Resolve()) {
        EXPECT_EQ(range.Begin, next);
        for (uint64_t k = range.Begin; k < range.End; ++k)
            labels.push_back(range.Label);
        next = range.End;
    }
    EXPECT_EQ(next, map.Size());
    return labels;
}

TEST(PeRangeMap, DeepestClaimWinsAndTheFirstAmongEquals)
{
    TPeRangeMap map(10);
    map.Claim(0, 8, 1, 1);
    map.Claim(2, 4, 2, 2);
    map.Claim(3, 6, 3, 2);  // overlaps label 2 at byte 3: label 2 came first
    map.Claim(7, 50, 4, 1); // past the end: clipped; byte 7 stays 1
    map.Claim(5, 5, 5, 3);  // empty: dropped
    EXPECT_EQ(LabelPerByte(map), (std::vector<int>{1, 1, 2, 2, 3, 3, 1, 1, 4, 4}));
}

TEST(PeRangeMap, NoClaimsIsOneUnclaimedRange)
{
    EXPECT_EQ(LabelPerByte(TPeRangeMap(3)), (std::vector<int>{0, 0, 0}));
    EXPECT_TRUE(TPeRangeMap(0).Resolve().empty());
}

TEST(PeRangeMap, ManyOverlappingClaimsResolveQuickly)
{
    // Every claim cuts the gaps the ones before it left: quadratic work would take minutes.
    TPeRangeMap map(1u << 20);
    for (int k = 0; k < 100000; ++k)
        map.Claim(uint64_t(k) * 7, (1u << 20) - uint64_t(k), k + 1, 1 + k % 3);
    uint64_t total = 0;
    for (const TPeRange &range : map.Resolve())
        total += range.End - range.Begin;
    EXPECT_EQ(total, 1u << 20);
}

} // namespace

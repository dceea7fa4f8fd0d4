#include "pe/PeRangeMap.h"

#include <algorithm>
#include <iterator>
#include <map>

void TPeRangeMap::Claim(uint64_t Begin, uint64_t End, int Label, int Depth)
{
    End = std::min(End, FSize);
    if (Begin >= End)
        return;
    FClaims.push_back({Begin, End, Label, Depth, FClaims.size()});
}

std::vector<TPeRange> TPeRangeMap::Resolve() const
{
    std::vector<const TClaim *> order;
    order.reserve(FClaims.size());
    for (const TClaim &claim : FClaims)
        order.push_back(&claim);
    std::sort(order.begin(), order.end(), [](const TClaim *a, const TClaim *b) {
        return a->Depth != b->Depth ? a->Depth > b->Depth : a->Order < b->Order;
    });

    // The bytes still free, as begin -> end. Each claim takes what is free of its range: a gap it
    // covers is removed, one it cuts is split at most once, so a file of many overlapping claims
    // costs n log n and not n squared.
    std::map<uint64_t, uint64_t> free;
    if (FSize > 0)
        free.emplace(0, FSize);
    std::vector<TPeRange> taken;
    for (const TClaim *claim : order) {
        auto gap = free.upper_bound(claim->Begin);
        if (gap != free.begin())
            --gap;
        while (gap != free.end() && gap->first < claim->End) {
            const uint64_t gapBegin = gap->first;
            const uint64_t gapEnd = gap->second;
            if (gapEnd <= claim->Begin) {
                ++gap;
                continue;
            }
            const uint64_t begin = std::max(gapBegin, claim->Begin);
            const uint64_t end = std::min(gapEnd, claim->End);
            taken.push_back({begin, end, claim->Label});
            gap = free.erase(gap);
            if (gapBegin < begin)
                free.emplace(gapBegin, begin);
            if (end < gapEnd)
                gap = free.emplace(end, gapEnd).first;
        }
    }
    for (const auto &[begin, end] : free)
        taken.push_back({begin, end, 0});
    std::sort(taken.begin(), taken.end(),
              [](const TPeRange &a, const TPeRange &b) { return a.Begin < b.Begin; });
    return taken;
}

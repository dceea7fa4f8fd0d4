#pragma once
// One label per byte. Parts of a file (or of an image in memory) claim ranges under a label of some
// depth; where claims overlap, the deepest wins and among equals the first. Resolving gives disjoint
// ranges that together cover [0, Size) exactly, the bytes nobody claimed under the root label 0, so
// the labels' sizes always add up to the whole.

#include <cstddef>
#include <cstdint>
#include <vector>

struct TPeRange
{
    uint64_t Begin = 0;
    uint64_t End = 0;
    int Label = 0;
};

class TPeRangeMap
{
public:
    explicit TPeRangeMap(uint64_t Size) : FSize(Size) {}

    uint64_t Size() const { return FSize; }
    // [Begin, End) is clipped to [0, Size); an empty claim is dropped.
    void Claim(uint64_t Begin, uint64_t End, int Label, int Depth);
    // Sorted by Begin, disjoint, covering [0, Size); neighbours may share a label.
    std::vector<TPeRange> Resolve() const;

private:
    struct TClaim
    {
        uint64_t Begin;
        uint64_t End;
        int Label;
        int Depth;
        size_t Order;
    };
    uint64_t FSize;
    std::vector<TClaim> FClaims;
};

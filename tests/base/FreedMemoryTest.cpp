// Memory freed below a block still in use stays with the process until it is given back: the
// resident size must fall when it is (Linux only, where it is read from /proc).
#include "base/FreedMemory.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace {

long long ResidentBytes()
{
#ifdef _WIN32
    return -1; // no /proc, and no sysconf for its page size
#else
    std::FILE *statm = std::fopen("/proc/self/statm", "r");
    if (!statm)
        return -1;
    long long size = 0;
    long long resident = -1;
    if (std::fscanf(statm, "%lld %lld", &size, &resident) != 2)
        resident = -1;
    std::fclose(statm);
    return resident < 0 ? -1 : resident * sysconf(_SC_PAGESIZE);
#endif
}

TEST(FreedMemory, WhatWasFreedBelowABlockInUseGoesBackToTheSystem)
{
    if (ResidentBytes() <= 0)
        GTEST_SKIP() << "no /proc/self/statm on this system";
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "AddressSanitizer's allocator keeps what was freed in its quarantine";
#endif
    constexpr size_t Blocks = 200'000;
    constexpr size_t BlockSize = 500;
    std::vector<std::unique_ptr<char[]>> blocks(Blocks);
    for (std::unique_ptr<char[]> &block : blocks) {
        block.reset(new char[BlockSize]);
        std::memset(block.get(), 1, BlockSize);
    }
    // The last block keeps the freed ones from being given back by the allocator itself.
    const std::unique_ptr<char[]> last(new char[BlockSize]);
    std::memset(last.get(), 1, BlockSize);
    blocks.clear();
    blocks.shrink_to_fit();
    const long long freed = ResidentBytes();
    ReleaseFreedMemory();
    const long long released = ResidentBytes();
    EXPECT_LT(released, freed - (long long)(Blocks * BlockSize / 2))
        << freed / (1 << 20) << " MB before, " << released / (1 << 20) << " MB after";
}

} // namespace

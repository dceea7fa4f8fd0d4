// quillon-mapgen: writes a synthetic detailed MAP file, for benchmarks and for trying the tools on
// project sizes that no sample has.
//   quillon-mapgen [--win64] FILE [UNITS [SYMBOLS]] [--next-build]

#include "SyntheticMap.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

// --next-build writes the next build of the same project (units removed, grown, shrunk and added),
// for trying comparisons and budgets.

int main(int argc, char **argv)
{
    TSyntheticMapOptions options;
    if (argc > 1 && std::strcmp(argv[1], "--win64") == 0) {
        options.Win64 = true;
        --argc;
        ++argv;
    }
    if (argc > 1 && std::strcmp(argv[argc - 1], "--next-build") == 0) {
        options.NextBuild = true;
        --argc;
    }
    if (argc < 2) {
        std::fprintf(stderr, "usage: quillon-mapgen [--win64] FILE [UNITS [SYMBOLS]] [--next-build]\n");
        return 64;
    }
    if (argc > 2)
        options.Units = std::atoi(argv[2]);
    if (argc > 3)
        options.Symbols = std::atoll(argv[3]);
    TSyntheticMapInfo info;
    if (!WriteSyntheticMap(QString::fromLocal8Bit(argv[1]), options, info)) {
        std::fprintf(stderr, "quillon-mapgen: cannot write %s\n", argv[1]);
        return 1;
    }
    std::printf("%s: %lld bytes, %d units, %lld symbols\n", argv[1], static_cast<long long>(info.Bytes),
                info.Units, static_cast<long long>(info.Symbols));
    return 0;
}

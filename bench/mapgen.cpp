// quillon-mapgen: writes a synthetic detailed MAP file, for benchmarks and for trying the tools on
// project sizes that no sample has.
//   quillon-mapgen FILE [UNITS [SYMBOLS]]

#include "SyntheticMap.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: quillon-mapgen FILE [UNITS [SYMBOLS]]\n");
        return 64;
    }
    TSyntheticMapOptions options;
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

#pragma once
// Synthetic detailed MAP files of any size with the shape the linker writes: a segment table with
// the "H" length suffix, dotted unit names (some nested in others, as System and System.Classes),
// publics by name and by value with generics, nested braces, metadata entries, overloads and
// symbols sharing an address, line-number sections and bound form resources.

#include <QString>

struct TSyntheticMapOptions
{
    int Units = 3000;
    qint64 Symbols = 1'500'000;
    // Index of a unit that gets FeaturedSymbols symbols instead of its share (-1: none).
    int FeaturedUnit = -1;
    int FeaturedSymbols = 1000;
    // Units that get a line-number section, one in N.
    int LineNumberEvery = 4;
    unsigned Seed = 1;
    // The 64-bit linker's shape: offsets with 16 hexadecimal digits, ALIGN= instead of ACBP=.
    bool Win64 = false;
    // The next build of the same project, for comparisons: of the units numbered n, those with
    // n % 10 == 3 are gone, those with n % 10 == 5 grow by GrowthSymbols symbols of 64 bytes, those
    // with n % 10 == 7 lose their last symbol (when they have two or more), and max(1, Units / 50)
    // units are added after the others; every other unit keeps its symbols and size.
    bool NextBuild = false;
    int GrowthSymbols = 5;
};

struct TSyntheticMapInfo
{
    qint64 Bytes = 0;
    qint64 Symbols = 0;
    int Units = 0;
    QString FeaturedUnitName;
    QString FirstUnitName;
    QString LastUnitName;
};

// Writes the file; raises nothing, returns false when it cannot be written.
bool WriteSyntheticMap(const QString &fileName, const TSyntheticMapOptions &options, TSyntheticMapInfo &info);

// Writes the file once for the benchmarks: a stamp beside it marks it complete, and later runs reuse
// it. Written by a forked child, so that the generator's memory never counts in the caller's size.
// Ends the process with a message when the file cannot be written.
void WriteSyntheticMapOnce(const QString &fileName, const TSyntheticMapOptions &options);

// The unit name the generator gives unit Index (the same for every file of the same unit count).
QString SyntheticUnitName(int index);

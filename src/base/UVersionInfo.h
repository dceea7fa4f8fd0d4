#pragma once
// Version numbers of a program file and the running program's own version texts. The only file that
// carries a version here is the running program, whose version is the one compiled in.

#include <QString>
#include <cstdint>

struct TFileVersionNumbers
{
    std::uint16_t Major = 0;
    std::uint16_t Minor = 0;
    std::uint16_t Release = 0;
    std::uint16_t Build = 0;
};

// True and the numbers when the file carries a version; false and all zero otherwise.
bool GetFileVersionNumbers(const QString &fileName, TFileVersionNumbers &numbers);
// "%d.%d.%d.%d" when full, "%d.%d" otherwise; "?.?.???" for a file without a version.
QString FileVersionString(const QString &fileName, bool full);
// Short version of the running program, for example "1.4".
QString ApplicationVersion();
// Full version of the running program, for example "1.4.0.0", computed once and cached.
QString ApplicationFullVersion();

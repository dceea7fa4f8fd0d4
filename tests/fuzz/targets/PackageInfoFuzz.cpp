#include "FuzzTarget.h"

#include "units/PackageInfo.h"

#include <cstdlib>

// The PACKAGEINFO resource of an executable: read, or refused with its reason.
QUILLON_FUZZ_TARGET(PackageInfo)
{
    try {
        const TPackageInfo info = ReadPackageInfo(std::span<const uint8_t>(data, size));
        if (info.Contains.size() > size / 2)
            std::abort();
    } catch (const EPackageInfoError &e) {
        if (e.Message().isEmpty())
            std::abort();
    }
}

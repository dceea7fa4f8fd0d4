#include "FuzzTarget.h"

#include "units/DcuUses.h"

#include <cstdlib>

// A compiled unit file: read whole, and read as the beginning of a longer file. Either fails with
// its reason or yields lists of named units.
QUILLON_FUZZ_TARGET(DcuUses)
{
    const std::span<const uint8_t> bytes(data, size);
    for (const qint64 fileSize : {qint64(-1), qint64(size) + 100}) {
        try {
            const TDcuUses uses = ReadDcuUses(bytes, fileSize);
            for (const auto *list : {&uses.Lists.Interface, &uses.Lists.Implementation})
                for (const TUsedUnit &used : *list)
                    if (used.Name.isEmpty())
                        std::abort();
        } catch (const EDcuNeedsMore &) {
            if (fileSize < 0)
                std::abort();
        } catch (const EDcuFormatError &e) {
            if (e.Message().isEmpty())
                std::abort();
        }
    }
}

#include "FuzzTarget.h"

#include "units/SourceUses.h"

#include <cstdlib>

// A Delphi source with its uses clauses, comments and directives; every include names the input
// itself, so nesting is bounded by the reader alone.
QUILLON_FUZZ_TARGET(SourceUses)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const TSourceUses uses =
        ReadSourceUses(text, [&](const QString &) { return std::optional<QString>(text); });
    for (const auto *list : {&uses.Lists.Interface, &uses.Lists.Implementation})
        for (const TUsedUnit &used : *list)
            if (used.Name.isEmpty())
                std::abort();
}

#include "FuzzTarget.h"

#include "base/Exception.h"
#include "base/Strings.h"

// HexToInt64, StrField and TryTextToFloat on the same text; the first byte picks the field.
QUILLON_FUZZ_TARGET(StringFunctions)
{
    if (size == 0)
        return;
    const qsizetype field = data[0] % 40;
    const QString text = FuzzInputAsUtf16(data + 1, size - 1);
    (void)HexToInt64(text);
    (void)StrField(text, QChar(u' '), field);
    (void)StrField(text, text.isEmpty() ? QChar(u';') : text.at(0), field);
    double value = 0;
    (void)TryTextToFloat(text, value);
}

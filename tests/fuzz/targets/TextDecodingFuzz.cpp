#include "FuzzTarget.h"

#include "base/UCharsetConvert.h"

QUILLON_FUZZ_TARGET(TextDecoding)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const TStringEncoding encoding = DetectEncoding(bytes);
    const QString text = BytesToText(bytes, size % 2 == 0);
    // No encoding turns one byte into more than two UTF-16 code units.
    if (text.size() > 2 * qsizetype(size) + 2)
        __builtin_trap();
    (void)DecodeText(bytes, encoding, false);
}

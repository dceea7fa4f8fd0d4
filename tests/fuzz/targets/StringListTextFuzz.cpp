#include "FuzzTarget.h"

#include "base/XLists.h"

QUILLON_FUZZ_TARGET(StringListText)
{
    const QString text = FuzzInputAsUtf16(data, size);
    TXStringList list;
    list.SetText(text);
    // Joining the lines again and splitting once more gives the same lines.
    TXStringList again;
    again.SetText(list.Text());
    if (again.Count() != list.Count())
        __builtin_trap();
    for (int i = 0; i < list.Count(); ++i)
        if (list.Get(i) != again.Get(i))
            __builtin_trap();
}

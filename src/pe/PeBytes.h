#pragma once
// The file's bytes read little-endian with every offset checked: a read past the end raises
// EPeFormatError with the name of what was being read, never touches memory outside the file.

#include "pe/PeFormatError.h"
#include "pe/PeSource.h"

#include <cstdint>
#include <span>
#include <string>

class TPeBytes
{
public:
    explicit TPeBytes(const TPeSource &Source) : FSource(Source) {}

    uint64_t Size() const { return FSource.Size(); }
    bool Has(uint64_t Offset, uint64_t Count) const { return Offset <= Size() && Count <= Size() - Offset; }
    // The bytes [Offset, Offset + Count); raises naming What when they are not all in the file.
    std::span<const uint8_t> Span(uint64_t Offset, uint64_t Count, const char *What) const
    {
        if (!Has(Offset, Count))
            throw EPeFormatError(std::string(What) + " lies past the end of the file");
        return {FSource.Load(Offset, Count), size_t(Count)};
    }
    uint16_t U16(uint64_t Offset, const char *What) const { return uint16_t(Little(Offset, 2, What)); }
    uint32_t U32(uint64_t Offset, const char *What) const { return uint32_t(Little(Offset, 4, What)); }
    uint64_t U64(uint64_t Offset, const char *What) const { return Little(Offset, 8, What); }

private:
    uint64_t Little(uint64_t Offset, int Count, const char *What) const
    {
        const std::span<const uint8_t> bytes = Span(Offset, uint64_t(Count), What);
        uint64_t value = 0;
        for (int k = Count - 1; k >= 0; --k)
            value = (value << 8) | bytes[size_t(k)];
        return value;
    }

    const TPeSource &FSource;
};

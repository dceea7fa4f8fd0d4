#include "units/PackageInfo.h"

using namespace Qt::Literals::StringLiterals;

namespace {

class TPackageInfoCursor
{
public:
    explicit TPackageInfoCursor(std::span<const uint8_t> bytes) : FBytes(bytes) {}

    uint8_t Byte()
    {
        Need(1);
        return FBytes[FPos++];
    }
    uint32_t U32()
    {
        Need(4);
        const uint32_t value = uint32_t(FBytes[FPos]) | uint32_t(FBytes[FPos + 1]) << 8 |
                               uint32_t(FBytes[FPos + 2]) << 16 | uint32_t(FBytes[FPos + 3]) << 24;
        FPos += 4;
        return value;
    }
    // Each entry takes at least two bytes: a count beyond that cannot be true.
    uint32_t Count(const QString &what)
    {
        const size_t at = FPos;
        const uint32_t count = U32();
        if (count > (FBytes.size() - FPos) / 2)
            throw EPackageInfoError(
                u"a count of %1 %2 at offset %3 that the resource cannot hold"_s.arg(count).arg(what).arg(
                    at));
        return count;
    }
    QString ZeroTerminated()
    {
        const size_t start = FPos;
        while (FPos < FBytes.size() && FBytes[FPos] != 0)
            ++FPos;
        if (FPos == FBytes.size())
            throw EPackageInfoError(u"a name at offset %1 runs to the end of the resource"_s.arg(start));
        const QString name =
            QString::fromUtf8(reinterpret_cast<const char *>(FBytes.data() + start), qsizetype(FPos - start));
        ++FPos;
        return name;
    }

private:
    void Need(size_t count) const
    {
        if (count > FBytes.size() - FPos)
            throw EPackageInfoError(u"the resource ends at offset %1 inside an entry"_s.arg(FPos));
    }

    std::span<const uint8_t> FBytes;
    size_t FPos = 0;
};

} // namespace

TPackageInfo ReadPackageInfo(std::span<const uint8_t> Bytes)
{
    TPackageInfoCursor cursor(Bytes);
    TPackageInfo info;
    info.Flags = cursor.U32();
    for (uint32_t i = 0, n = cursor.Count(u"required packages"_s); i < n; ++i) {
        cursor.Byte(); // hash
        info.Requires << cursor.ZeroTerminated();
    }
    for (uint32_t i = 0, n = cursor.Count(u"units"_s); i < n; ++i) {
        TPackageUnit unit;
        unit.Flags = cursor.Byte();
        cursor.Byte(); // hash
        unit.Name = cursor.ZeroTerminated();
        info.Contains.push_back(unit);
    }
    return info;
}

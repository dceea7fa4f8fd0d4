#include "units/DcuUses.h"

#include "base/FileSystemAccess.h"

#include <algorithm>
#include <array>
#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace {

// The compilers in the order their formats grew; a layout rule names the first one it holds for.
enum TLevel : int {
    D2 = 2,
    D3,
    D4,
    D5,
    D6,
    D7,
    D2005 = 9,
    D2006 = 10,
    D2009 = 12,
    D2010 = 14,
    DXE = 15,
};

struct TCompiler
{
    int Level = 0;
    QString Name;
    QString Platform;
};

constexpr uint8_t TagInterfaceUses = 0x64;
constexpr uint8_t TagImplementationUses = 0x65;
constexpr uint8_t TagDllImports = 0x68;
constexpr uint8_t TagUsesEnd = 0x63;
constexpr uint8_t TagUnitFlags = 0x96;
constexpr uint8_t TagSigned = 0x9E;

QString Hex(qint64 value, int digits = 2)
{
    return u"0x"_s + QString::number(value, 16).toUpper().rightJustified(digits, u'0');
}

QString FirstBytesText(std::span<const uint8_t> bytes)
{
    QString text;
    for (size_t i = 0; i < std::min<size_t>(4, bytes.size()); ++i)
        text += (i ? u" "_s : QString()) + QString::number(bytes[i], 16).rightJustified(2, u'0');
    return text;
}

// The magic numbers of the compilers before the structured first bytes, all Win32.
std::optional<TCompiler> MagicCompiler(uint32_t magic)
{
    struct TMagic
    {
        uint32_t Magic;
        int Level;
        const char16_t *Name;
    };
    static constexpr std::array<TMagic, 10> magics{{
        {0x50505348, D2, u"Delphi 2"},
        {0x44518641, D3, u"Delphi 3"},
        {0x4768A6D8, D4, u"Delphi 4"},
        {0xF21F148B, D5, u"Delphi 5"},
        {0x0E0000DD, D6, u"Delphi 6"},
        {0x0F0000DF, D7, u"Delphi 7"},
        {0x1100000D, D2005, u"Delphi 2005"},
        {0x12000023, D2006, u"Delphi 2006 or 2007"},
        {0x14000039, D2009, u"Delphi 2009"},
        {0x15000045, D2010, u"Delphi 2010"},
    }};
    for (const TMagic &m : magics)
        if (m.Magic == magic)
            return TCompiler{m.Level, QString::fromUtf16(m.Name), u"Win32"_s};
    return std::nullopt;
}

// From XE on: byte 0 the format family, byte 1 the platform, byte 2 zero, byte 3 the compiler.
std::optional<TCompiler> StructuredCompiler(std::span<const uint8_t> first)
{
    static const QString names[] = {
        u"Delphi XE"_s,          u"Delphi XE2"_s,           u"Delphi XE3"_s,        u"Delphi XE4"_s,
        u"Delphi XE5"_s,         u"Delphi XE6"_s,           u"Delphi XE7"_s,        u"Delphi XE8"_s,
        u"Delphi 10 Seattle"_s,  u"Delphi 10.1 Berlin"_s,   u"Delphi 10.2 Tokyo"_s, u"Delphi 10.3 Rio"_s,
        u"Delphi 10.4 Sydney"_s, u"Delphi 11 Alexandria"_s, u"Delphi 12 Athens"_s,  u"Delphi 13"_s};
    constexpr uint8_t FirstCompiler = 0x16;
    constexpr uint8_t FirstOfNewFamily = 0x1B; // XE6 began the 0x4D family
    const uint8_t compiler = first[3];
    if (first[2] != 0 || compiler < FirstCompiler || compiler >= FirstCompiler + std::size(names))
        return std::nullopt;
    if (first[0] != (compiler < FirstOfNewFamily ? 0x4B : 0x4D))
        return std::nullopt;
    QString platform;
    switch (first[1]) {
    case 0x03:
        platform = u"Win32"_s;
        break;
    case 0x23:
        platform = u"Win64"_s;
        break;
    case 0x04:
        platform = u"macOS 32-bit"_s;
        break;
    default:
        platform = u"platform "_s + Hex(first[1]);
    }
    return TCompiler{DXE + (compiler - FirstCompiler), names[compiler - FirstCompiler], platform};
}

class TDcuCursor
{
public:
    TDcuCursor(std::span<const uint8_t> bytes, qint64 fileSize, int level)
        : FBytes(bytes), FFileSize(fileSize), FLevel(level)
    {}

    size_t Position() const { return FPos; }
    void Seek(size_t position) { FPos = position; }

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
    // The low bits of the first byte give the length: 0 one byte, 01 two, 011 three, 0111 four,
    // 1111 a u32 follows (and a second one when the high nibble is set, for 64-bit values).
    void SkipPacked()
    {
        const uint8_t first = Byte();
        if ((first & 0x01) == 0)
            return;
        if ((first & 0x03) == 0x01)
            return Skip(1);
        if ((first & 0x07) == 0x03)
            return Skip(2);
        if ((first & 0x0F) == 0x07)
            return Skip(3);
        Skip((first & 0xF0) ? 8 : 4);
    }
    // A length byte and the bytes; from 2009 on a length of 0xFF is followed by a u32 length.
    uint64_t NameLength()
    {
        const uint64_t length = Byte();
        return FLevel >= D2009 && length == 0xFF ? U32() : length;
    }
    std::span<const uint8_t> Name()
    {
        const uint64_t length = NameLength();
        Need(length);
        const auto name = FBytes.subspan(FPos, size_t(length));
        FPos += size_t(length);
        return name;
    }
    // Names are ASCII but for the rare unit named in other letters: those alone need decoding.
    QString NameText(std::span<const uint8_t> name) const
    {
        const auto *chars = reinterpret_cast<const char *>(name.data());
        const bool ascii = std::all_of(name.begin(), name.end(), [](uint8_t c) { return c < 0x80; });
        return FLevel >= D2009 && !ascii ? QString::fromUtf8(chars, qsizetype(name.size()))
                                         : QString::fromLatin1(chars, qsizetype(name.size()));
    }
    void Skip(uint64_t count)
    {
        Need(count);
        FPos += size_t(count);
    }

private:
    void Need(uint64_t count) const
    {
        if (FPos <= FBytes.size() && count <= FBytes.size() - FPos) [[likely]]
            return;
        NotThere();
    }
    // Out of the way of the reads, which every record makes many of.
    [[noreturn, gnu::noinline, gnu::cold]] void NotThere() const
    {
        if (FFileSize > qint64(FBytes.size()))
            throw EDcuNeedsMore(u"more of the file is needed"_s);
        throw EDcuFormatError(u"the file ends inside a record (offset %1)"_s.arg(FPos));
    }

    std::span<const uint8_t> FBytes;
    qint64 FFileSize;
    int FLevel;
    size_t FPos = 0;
};

bool IsUnitName(std::span<const uint8_t> name)
{
    if (name.empty() || name[0] == '.' || (name[0] >= '0' && name[0] <= '9'))
        return false;
    return std::all_of(name.begin(), name.end(), [](uint8_t c) {
        return c >= 0x80 || c == '_' || c == '.' || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') ||
               (c >= 'a' && c <= 'z');
    });
}

class TDcuUsesReader
{
public:
    TDcuUsesReader(std::span<const uint8_t> bytes, qint64 fileSize, const TCompiler &compiler)
        : FCursor(bytes, fileSize, compiler.Level), FLevel(compiler.Level)
    {}

    TUsesLists Read()
    {
        ReadHeader();
        ReadRecords();
        // Before 2009 the lists are stored last name first.
        if (FLevel < D2009) {
            std::reverse(FLists.Interface.begin(), FLists.Interface.end());
            std::reverse(FLists.Implementation.begin(), FLists.Implementation.end());
        }
        return std::move(FLists);
    }

private:
    // The magic and size (checked by the caller), a DOS date-time, then per compiler a stamp and
    // one or two bytes, the unit's name and two packed integers.
    void ReadHeader()
    {
        FCursor.Seek(12);
        if (FLevel >= D3)
            FCursor.U32();
        FCursor.Byte();
        if (FLevel >= D7)
            FCursor.Byte();
        if (FLevel >= D2005)
            FLists.UnitName = FCursor.NameText(FCursor.Name());
        if (FLevel >= D2009) {
            FCursor.SkipPacked();
            FCursor.SkipPacked();
        }
    }

    void ReadRecords()
    {
        for (;;) {
            const size_t at = FCursor.Position();
            const uint8_t tag = FCursor.Byte();
            switch (tag) {
            case TagUnitFlags:
                FCursor.SkipPacked();
                if (FLevel >= D2006)
                    FCursor.SkipPacked();
                if (FLevel >= D4)
                    FCursor.SkipPacked();
                break;
            case 0x70: // source files: .pas/.inc, .obj, .dfm/.res, another kind
            case 0x71:
            case 0x72:
            case 0x73:
                SkipSourceFile();
                break;
            case 0x76:
                if (FLevel < D2010)
                    throw UnknownRecord(tag, at);
                SkipSourceFile();
                break;
            case TagSigned:
                FCursor.SkipPacked();
                break;
            case TagInterfaceUses:
                FLists.Interface.push_back(ReadUsedUnit(false, at));
                break;
            case TagImplementationUses:
                FLists.Implementation.push_back(ReadUsedUnit(false, at));
                break;
            case TagDllImports:
                ReadUsedUnit(true, at);
                break;
            // The declarations begin: the lists are complete.
            case 0x26:
            case 0x34:
            case 0x35:
                return;
            default:
                throw UnknownRecord(tag, at);
            }
        }
    }

    void SkipSourceFile()
    {
        FCursor.Name();
        FCursor.U32();
        FCursor.SkipPacked();
    }

    TUsedUnit ReadUsedUnit(bool dll, size_t at)
    {
        const auto name = FCursor.Name();
        if (!dll && !IsUnitName(name))
            throw EDcuFormatError(u"a uses record at offset %1 holds no unit name"_s.arg(at));
        SkipUsedUnitStamps(dll);
        TUsedUnit used{FCursor.NameText(name), {}, false, false};
        for (;;) {
            const size_t subAt = FCursor.Position();
            const uint8_t tag = FCursor.Byte();
            if (tag == TagUsesEnd)
                return used;
            used.Imports = true;
            switch (tag) {
            case 0x66: // a type: name and a u32
            case 0x67: // a value: name and a u32
                FCursor.Skip(FCursor.NameLength());
                FCursor.Skip(4);
                break;
            case 0x6E:
                FCursor.Skip(FCursor.NameLength());
                FCursor.SkipPacked();
                FCursor.Skip(4);
                break;
            case 0x9F:
                if (FLevel >= D2005)
                    FCursor.U32();
                break;
            default:
                throw EDcuFormatError(u"the uses record of %1 holds an unknown entry %2 at offset %3"_s.arg(
                    used.Name, Hex(tag), QString::number(subAt)));
            }
        }
    }

    // What stands between a used unit's name and its imports differs by compiler; the DLL records
    // of 2009 and later were checked on real files (a u32 where units have a packed integer).
    void SkipUsedUnitStamps(bool dll)
    {
        if (dll && FLevel >= D2009) {
            FCursor.SkipPacked();
            FCursor.U32();
            FCursor.SkipPacked();
            return;
        }
        if (FLevel >= D2005 && !dll)
            FCursor.SkipPacked();
        if (FLevel >= D2006)
            FCursor.SkipPacked();
        else
            FCursor.U32();
        if (FLevel == D7)
            FCursor.U32();
        if (FLevel >= D2009)
            FCursor.SkipPacked();
    }

    static EDcuFormatError UnknownRecord(uint8_t tag, size_t at)
    {
        return EDcuFormatError(
            u"a record this reader does not know (%1) at offset %2"_s.arg(Hex(tag)).arg(at));
    }

    TDcuCursor FCursor;
    int FLevel;
    TUsesLists FLists;
};

TCompiler CompilerOf(std::span<const uint8_t> bytes)
{
    if (bytes.size() < 4)
        throw EDcuFormatError(u"the file is too short for a compiled unit"_s);
    const uint32_t magic =
        uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 | uint32_t(bytes[3]) << 24;
    if (auto compiler = MagicCompiler(magic))
        return *compiler;
    if (auto compiler = StructuredCompiler(bytes.first(4)))
        return *compiler;
    throw EDcuFormatError(u"an unknown compiler version (first bytes %1)"_s.arg(FirstBytesText(bytes)));
}

} // namespace

TDcuUses ReadDcuUses(std::span<const uint8_t> Bytes, qint64 FileSize)
{
    const TCompiler compiler = CompilerOf(Bytes);
    const qint64 length = FileSize < 0 ? qint64(Bytes.size()) : FileSize;
    TDcuCursor header(Bytes, length, compiler.Level);
    header.Seek(4);
    const uint32_t stored = header.U32();
    if (stored != length)
        throw EDcuFormatError(
            u"the header gives a size of %1 bytes, the file holds %2"_s.arg(stored).arg(length));
    TDcuUsesReader reader(Bytes, length, compiler);
    return TDcuUses{compiler.Name, compiler.Platform, reader.Read()};
}

TDcuUses ReadDcuUsesFile(const QString &FileName)
{
    // The lists lie near the start and most units' fit in the first read, made into the stack;
    // a unit whose lists go further is read again in doubling lengths, never more than its size.
    constexpr qint64 FirstRead = 16 * 1024;
    TReadOnlyFile file(FileName);
    if (!file.IsOpen())
        throw EDcuFormatError(u"cannot be read (%1)"_s.arg(file.Error()));
    const qint64 size = file.Size();
    const auto read = [&file, size](uint8_t *into, qint64 count) {
        if (file.ReadAt(reinterpret_cast<char *>(into), count, 0) != count)
            throw EDcuFormatError(u"changed while it was read (%1 bytes expected)"_s.arg(size));
        return std::span<const uint8_t>(into, size_t(count));
    };
    std::array<uint8_t, FirstRead> first;
    try {
        return ReadDcuUses(read(first.data(), std::min(size, FirstRead)), size);
    } catch (const EDcuNeedsMore &) {
    }
    // Ends at the latest with the whole file, where the reader raises EDcuFormatError, not this.
    std::vector<uint8_t> bytes;
    for (qint64 length = 2 * FirstRead;; length *= 2) {
        bytes.resize(size_t(std::min(size, length)));
        try {
            return ReadDcuUses(read(bytes.data(), qint64(bytes.size())), size);
        } catch (const EDcuNeedsMore &) {
        }
    }
}

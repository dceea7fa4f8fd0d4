#include "pe/PeImage.h"

#include "pe/PeBytes.h"
#include "pe/PeSource.h"

#include <algorithm>
#include <set>
#include <unordered_map>

namespace {

// Bounds on what a hostile file can make the reader walk.
constexpr uint32_t MaxSections = 96; // the loader's own limit
constexpr size_t MaxResources = 65536;
constexpr size_t MaxImportDescriptors = 65536;
constexpr size_t MaxThunks = 1u << 20;
constexpr size_t MaxImportName = 4096;

bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
               return lower(x) == lower(y);
           });
}

std::string LowerAscii(std::string_view s)
{
    std::string lower(s);
    for (char &c : lower)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    return lower;
}

const char *PredefinedResourceType(uint32_t id)
{
    switch (id) {
    case 1:
        return "CURSOR";
    case 2:
        return "BITMAP";
    case 3:
        return "ICON";
    case 4:
        return "MENU";
    case 5:
        return "DIALOG";
    case 6:
        return "STRING";
    case 7:
        return "FONTDIR";
    case 8:
        return "FONT";
    case 9:
        return "ACCELERATOR";
    case 10:
        return "RCDATA";
    case 11:
        return "MESSAGETABLE";
    case 12:
        return "GROUP_CURSOR";
    case 14:
        return "GROUP_ICON";
    case 16:
        return "VERSION";
    case 17:
        return "DLGINCLUDE";
    case 19:
        return "PLUGPLAY";
    case 20:
        return "VXD";
    case 21:
        return "ANICURSOR";
    case 22:
        return "ANIICON";
    case 23:
        return "HTML";
    case 24:
        return "MANIFEST";
    default:
        return nullptr;
    }
}

// Text to show for bytes that should be ASCII: anything else becomes '?', so names stay valid UTF-8.
std::string PrintableAscii(std::span<const uint8_t> bytes)
{
    std::string text;
    for (const uint8_t b : bytes)
        text += (b >= 0x20 && b < 0x7F) ? char(b) : '?';
    return text;
}

void AppendUtf8(std::string &out, uint32_t code)
{
    if (code < 0x80) {
        out += char(code);
    } else if (code < 0x800) {
        out += char(0xC0 | (code >> 6));
        out += char(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += char(0xE0 | (code >> 12));
        out += char(0x80 | ((code >> 6) & 0x3F));
        out += char(0x80 | (code & 0x3F));
    } else {
        out += char(0xF0 | (code >> 18));
        out += char(0x80 | ((code >> 12) & 0x3F));
        out += char(0x80 | ((code >> 6) & 0x3F));
        out += char(0x80 | (code & 0x3F));
    }
}

// Resource names are UTF-16; a lone surrogate becomes U+FFFD.
std::string Utf16ToUtf8(std::span<const uint8_t> bytes)
{
    std::string out;
    const size_t count = bytes.size() / 2;
    for (size_t k = 0; k < count; ++k) {
        uint32_t unit = uint32_t(bytes[2 * k]) | uint32_t(bytes[2 * k + 1]) << 8;
        if (unit >= 0xD800 && unit < 0xDC00 && k + 1 < count) {
            const uint32_t low = uint32_t(bytes[2 * k + 2]) | uint32_t(bytes[2 * k + 3]) << 8;
            if (low >= 0xDC00 && low < 0xE000) {
                AppendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
                ++k;
                continue;
            }
        }
        AppendUtf8(out, unit >= 0xD800 && unit < 0xE000 ? 0xFFFD : unit);
    }
    return out;
}

} // namespace

class TPeImage::TReader
{
public:
    explicit TReader(TPeImage &Image) : FImage(Image), FBytes(*Image.FSource) {}

    void Read()
    {
        ReadHeaders();
        ReadSections();
        ReadResources();
        ReadImports();
        ReadBaseRelocations();
        ReadCertificateAndOverlay();
    }

private:
    void ReadHeaders()
    {
        if (FBytes.Size() < 2 || FBytes.U16(0, "the DOS header") != 0x5A4D)
            throw EPeFormatError("no executable: it does not begin with \"MZ\"");
        const uint32_t peOffset = FBytes.U32(0x3C, "the DOS header");
        if (FBytes.U32(peOffset, "the PE signature") != 0x00004550)
            throw EPeFormatError("no PE executable: the PE signature is missing");
        const uint64_t coff = uint64_t(peOffset) + 4;
        FImage.FMachine = FBytes.U16(coff, "the file header");
        FSectionCount = FBytes.U16(coff + 2, "the file header");
        const uint16_t optionalSize = FBytes.U16(coff + 16, "the file header");
        const uint64_t optional = coff + 20;
        FBytes.Span(optional, optionalSize, "the optional header");
        const uint16_t magic = FBytes.U16(optional, "the optional header");
        if (magic != 0x10B && magic != 0x20B)
            throw EPeFormatError("the optional header is neither PE32 nor PE32+");
        const bool plus = magic == 0x20B;
        FImage.FFormat = plus ? TPeFormat::PE32Plus : TPeFormat::PE32;
        const uint64_t directories = optional + (plus ? 112 : 96);
        if (optionalSize < directories - optional)
            throw EPeFormatError("the optional header is too short");
        FImage.FImageBase = plus ? FBytes.U64(optional + 24, "the optional header")
                                 : FBytes.U32(optional + 28, "the optional header");
        FImage.FSizeOfImage = FBytes.U32(optional + 56, "the optional header");
        FImage.FSizeOfHeaders = FBytes.U32(optional + 60, "the optional header");
        const uint32_t directoryCount = FBytes.U32(directories - 4, "the optional header");
        const uint64_t room = (optionalSize - (directories - optional)) / 8;
        const uint64_t count = std::min<uint64_t>({directoryCount, room, FImage.FDirectories.size()});
        for (uint64_t k = 0; k < count; ++k) {
            FImage.FDirectories[k].Rva = FBytes.U32(directories + 8 * k, "a data directory");
            FImage.FDirectories[k].Size = FBytes.U32(directories + 8 * k + 4, "a data directory");
        }
        FSectionTable = optional + optionalSize;
    }

    void ReadSections()
    {
        if (FSectionCount > MaxSections)
            throw EPeFormatError("the file header names " + std::to_string(FSectionCount) +
                                 " sections, more than a PE file may have");
        FBytes.Span(FSectionTable, uint64_t(FSectionCount) * 40, "the section table");
        for (uint32_t k = 0; k < FSectionCount; ++k) {
            const uint64_t at = FSectionTable + 40 * uint64_t(k);
            TPeSection section;
            std::span<const uint8_t> name = FBytes.Span(at, 8, "the section table");
            name = name.first(size_t(std::find(name.begin(), name.end(), 0) - name.begin()));
            section.Name = PrintableAscii(name);
            section.VirtualSize = FBytes.U32(at + 8, "the section table");
            section.VirtualAddress = FBytes.U32(at + 12, "the section table");
            section.RawSize = FBytes.U32(at + 16, "the section table");
            section.RawOffset = FBytes.U32(at + 20, "the section table");
            section.Characteristics = FBytes.U32(at + 36, "the section table");
            section.FileSize = RawSizeInFile(section);
            FImage.FSections.push_back(section);
        }
    }

    // A last section's raw size is rounded up to the file alignment, and some linkers cut the file
    // at the real end of the data: up to one 512-byte block short is a finished file, more is a
    // truncated one.
    uint64_t RawSizeInFile(const TPeSection &section) const
    {
        if (section.RawSize == 0)
            return 0;
        const uint64_t end = uint64_t(section.RawOffset) + section.RawSize;
        if (end <= FBytes.Size())
            return section.RawSize;
        if (section.RawOffset < FBytes.Size() && end - FBytes.Size() < 512)
            return FBytes.Size() - section.RawOffset;
        throw EPeFormatError("the file is truncated: the data of section \"" + section.Name +
                             "\" ends past the end of the file");
    }

    // The bytes of [Rva, Rva + Size) in the file; raises naming What when they are not there.
    std::span<const uint8_t> AtRva(uint64_t Rva, uint64_t Size, const char *What) const
    {
        const std::optional<uint64_t> offset = FImage.FileOffsetOfRva(Rva, Size);
        if (!offset)
            throw EPeFormatError(std::string(What) + " lies outside the file's data");
        return FBytes.Span(*offset, Size, What);
    }
    uint16_t U16AtRva(uint64_t Rva, const char *What) const
    {
        const auto b = AtRva(Rva, 2, What);
        return uint16_t(b[0] | b[1] << 8);
    }
    uint32_t U32AtRva(uint64_t Rva, const char *What) const
    {
        const auto b = AtRva(Rva, 4, What);
        return uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
    }
    uint64_t U64AtRva(uint64_t Rva, const char *What) const
    {
        return uint64_t(U32AtRva(Rva, What)) | uint64_t(U32AtRva(Rva + 4, What)) << 32;
    }

    void ReadResources()
    {
        const TPeDataDirectory &directory = FImage.FDirectories[pdResource];
        if (directory.Rva == 0 || directory.Size == 0)
            return;
        FResourceBase = directory.Rva;
        ReadResourceDirectory(0, 0, {});
    }

    struct TResourcePath
    {
        std::string Type;
        std::string Name;
    };

    std::string ResourceEntryName(uint32_t field, int level)
    {
        if ((field & 0x80000000u) == 0) {
            if (level == 0) {
                const char *predefined = PredefinedResourceType(field);
                return predefined ? std::string(predefined)
                                  : std::string(1, '#').append(std::to_string(field));
            }
            return std::to_string(field);
        }
        const uint64_t at = FResourceBase + (field & 0x7FFFFFFFu);
        const uint16_t length = U16AtRva(at, "a resource name");
        FImage.FResourceDirectory.push_back({at, 2 + 2 * uint64_t(length)});
        return Utf16ToUtf8(AtRva(at + 2, 2 * uint64_t(length), "a resource name"));
    }

    void ReadResourceDirectory(uint32_t offset, int level, const TResourcePath &path)
    {
        // Each table is read once: a tree that points back at a table of its own would never end,
        // and one that shares tables would multiply its entries.
        if (!FResourceTables.insert(offset).second)
            throw EPeFormatError("the resource tree refers to one of its tables twice");
        const uint64_t at = FResourceBase + offset;
        const uint32_t count =
            uint32_t(U16AtRva(at + 12, "a resource table")) + U16AtRva(at + 14, "a resource table");
        AtRva(at, 16 + 8 * uint64_t(count), "a resource table");
        FImage.FResourceDirectory.push_back({at, 16 + 8 * uint64_t(count)});
        for (uint32_t k = 0; k < count; ++k) {
            const uint32_t nameField = U32AtRva(at + 16 + 8 * k, "a resource table");
            const uint32_t dataField = U32AtRva(at + 20 + 8 * k, "a resource table");
            TResourcePath entry = path;
            const std::string name = ResourceEntryName(nameField, level);
            if (level == 0)
                entry.Type = name;
            else if (level == 1)
                entry.Name = name;
            const bool table = (dataField & 0x80000000u) != 0;
            if (table != (level < 2))
                throw EPeFormatError("the resource tree is not three levels deep (type, name, language)");
            if (table)
                ReadResourceDirectory(dataField & 0x7FFFFFFFu, level + 1, entry);
            else
                ReadResourceData(dataField, entry,
                                 level == 2 && (nameField & 0x80000000u) == 0 ? nameField : 0);
        }
    }

    void ReadResourceData(uint32_t offset, const TResourcePath &path, uint32_t language)
    {
        if (FImage.FResources.size() >= MaxResources)
            throw EPeFormatError("the resource tree holds more than " + std::to_string(MaxResources) +
                                 " entries");
        const uint64_t at = FResourceBase + offset;
        FImage.FResourceDirectory.push_back({at, 16});
        TPeResource resource;
        resource.Type = path.Type;
        resource.Name = path.Name;
        resource.Language = language;
        resource.Data.Rva = U32AtRva(at, "a resource data entry");
        resource.Data.Size = U32AtRva(at + 4, "a resource data entry");
        if (resource.Data.Size > 0) {
            const std::optional<uint64_t> file =
                FImage.FileOffsetOfRva(resource.Data.Rva, resource.Data.Size);
            if (!file)
                throw EPeFormatError("the data of resource " + path.Type + " \"" + path.Name +
                                     "\" lies outside the file's data");
            resource.File = {*file, resource.Data.Size};
            static constexpr uint8_t formSignature[] = {'T', 'P', 'F', '0'};
            const auto data =
                FBytes.Span(*file, std::min<uint64_t>(resource.Data.Size, 4), "a resource's data");
            resource.Form = resource.Type == "RCDATA" && data.size() >= 4 &&
                            std::equal(data.begin(), data.begin() + 4, formSignature);
        }
        FImage.FResources.push_back(std::move(resource));
    }

    std::string ImportName(uint64_t Rva)
    {
        const TPeSection *section = FImage.SectionOfRva(Rva);
        std::string name;
        for (uint64_t at = Rva;; ++at) {
            if (name.size() >= MaxImportName ||
                (section && at >= uint64_t(section->VirtualAddress) + section->FileSize))
                throw EPeFormatError("an imported name does not end");
            const uint8_t c = AtRva(at, 1, "an imported name")[0];
            if (c == 0)
                return name;
            name += c;
        }
    }

    // A lookup or address table: its thunks up to the zero one, and the hint/name entry of each
    // import by name.
    void ReadThunks(uint64_t Rva, TPeImport &import)
    {
        if (Rva == 0 || !FThunkTables.insert(Rva).second)
            return;
        const bool plus = FImage.FFormat == TPeFormat::PE32Plus;
        const uint64_t width = plus ? 8 : 4;
        const uint64_t ordinalFlag = plus ? 0x8000000000000000ull : 0x80000000ull;
        for (uint64_t at = Rva;; at += width) {
            if (++FThunkCount > MaxThunks)
                throw EPeFormatError("the import table holds more than " + std::to_string(MaxThunks) +
                                     " entries");
            const uint64_t thunk = plus ? U64AtRva(at, "an import table") : U32AtRva(at, "an import table");
            if (thunk == 0) {
                import.Parts.push_back({Rva, at + width - Rva});
                return;
            }
            // The address table of a bound import holds addresses, not name entries: only entries
            // that lie in the image's data are read.
            if ((thunk & ordinalFlag) == 0 && thunk < FImage.FSizeOfImage &&
                FImage.FileOffsetOfRva(thunk, 3)) {
                const uint64_t nameEnd = thunk + 2 + ImportName(thunk + 2).size() + 1;
                import.Parts.push_back({thunk, nameEnd + (nameEnd - thunk) % 2 - thunk});
            }
        }
    }

    void ReadImports()
    {
        const TPeDataDirectory &directory = FImage.FDirectories[pdImport];
        if (directory.Rva == 0)
            return;
        std::unordered_map<std::string, size_t> byName;
        uint64_t at = directory.Rva;
        for (size_t k = 0;; ++k, at += 20) {
            if (k >= MaxImportDescriptors)
                throw EPeFormatError("the import table holds more than " +
                                     std::to_string(MaxImportDescriptors) + " DLL entries");
            const std::span<const uint8_t> descriptor = AtRva(at, 20, "the import table");
            if (std::all_of(descriptor.begin(), descriptor.end(), [](uint8_t b) { return b == 0; }))
                break;
            const uint32_t lookup = U32AtRva(at, "the import table");
            const uint32_t nameRva = U32AtRva(at + 12, "the import table");
            const uint32_t address = U32AtRva(at + 16, "the import table");
            const std::string dll = ImportName(nameRva);
            auto [entry, added] = byName.emplace(LowerAscii(dll), FImage.FImports.size());
            if (added)
                FImage.FImports.push_back({dll, {}});
            TPeImport &import = FImage.FImports[entry->second];
            import.Parts.push_back({nameRva, dll.size() + 1});
            ReadThunks(lookup, import);
            ReadThunks(address, import);
        }
        FImage.FImportDirectory = TPeRvaRange{directory.Rva, at + 20 - directory.Rva};
    }

    void ReadBaseRelocations()
    {
        const TPeDataDirectory &directory = FImage.FDirectories[pdBaseRelocation];
        if (directory.Rva == 0 || directory.Size == 0)
            return;
        AtRva(directory.Rva, directory.Size, "the base relocation table");
        FImage.FBaseRelocations = TPeRvaRange{directory.Rva, directory.Size};
    }

    void ReadCertificateAndOverlay()
    {
        const TPeDataDirectory &certificate = FImage.FDirectories[pdCertificate];
        if (certificate.Rva != 0 && certificate.Size != 0) {
            FBytes.Span(certificate.Rva, certificate.Size, "the certificate table");
            FImage.FCertificate = TPeFileRange{certificate.Rva, certificate.Size};
        }
        uint64_t end = std::min<uint64_t>(FImage.FSizeOfHeaders, FBytes.Size());
        for (const TPeSection &section : FImage.FSections)
            if (section.FileSize > 0)
                end = std::max(end, uint64_t(section.RawOffset) + section.FileSize);
        uint64_t overlayEnd = FBytes.Size();
        // A signed file's certificate table is its last part; what follows the sections before it
        // is the overlay.
        if (FImage.FCertificate && FImage.FCertificate->Offset >= end &&
            FImage.FCertificate->Offset + FImage.FCertificate->Size == FBytes.Size())
            overlayEnd = FImage.FCertificate->Offset;
        if (end < overlayEnd)
            FImage.FOverlay = TPeFileRange{end, overlayEnd - end};
    }

    TPeImage &FImage;
    TPeBytes FBytes;
    uint32_t FSectionCount = 0;
    uint64_t FSectionTable = 0;
    uint64_t FResourceBase = 0;
    std::set<uint32_t> FResourceTables;
    std::set<uint64_t> FThunkTables;
    size_t FThunkCount = 0;
};

TPeImage TPeImage::LoadFile(const std::string &FileName)
{
    return Read(std::make_shared<TPeFileSource>(FileName));
}

TPeImage TPeImage::Parse(std::vector<uint8_t> Bytes)
{
    if (Bytes.size() > MaxFileSize)
        throw EPeFormatError("is larger than a PE file can be (4 GB)");
    return Read(std::make_shared<TPeMemorySource>(std::move(Bytes)));
}

TPeImage TPeImage::Read(std::shared_ptr<const TPeSource> Source)
{
    TPeImage image;
    image.FSource = std::move(Source);
    TReader(image).Read();
    return image;
}

std::span<const uint8_t> TPeImage::FileBytes(uint64_t Offset, uint64_t Size) const
{
    return TPeBytes(*FSource).Span(Offset, Size, "the data asked for");
}

const TPeResource *TPeImage::FindResource(std::string_view Type, std::string_view Name) const
{
    for (const TPeResource &resource : FResources)
        if (EqualIgnoringAsciiCase(resource.Type, Type) && EqualIgnoringAsciiCase(resource.Name, Name))
            return &resource;
    return nullptr;
}

std::optional<std::span<const uint8_t>> TPeImage::ResourceBytes(std::string_view Type,
                                                                std::string_view Name) const
{
    const TPeResource *resource = FindResource(Type, Name);
    if (!resource)
        return std::nullopt;
    return FileBytes(resource->File.Offset, resource->File.Size);
}

const TPeSection *TPeImage::SectionOfRva(uint64_t Rva) const
{
    for (const TPeSection &section : FSections)
        if (Rva >= section.VirtualAddress && Rva - section.VirtualAddress < section.MemorySize())
            return &section;
    return nullptr;
}

std::optional<uint64_t> TPeImage::FileOffsetOfRva(uint64_t Rva, uint64_t Size) const
{
    if (Rva < FSizeOfHeaders && Size <= FSizeOfHeaders - Rva && Rva + Size <= FileSize())
        return Rva;
    for (const TPeSection &section : FSections) {
        if (Rva < section.VirtualAddress)
            continue;
        const uint64_t into = Rva - section.VirtualAddress;
        if (into < section.MemorySize() && into <= section.FileSize && Size <= section.FileSize - into)
            return section.RawOffset + into;
    }
    return std::nullopt;
}

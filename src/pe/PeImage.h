#pragma once
// A Windows PE file (PE32 or PE32+: .exe, .dll, .bpl) read from its bytes: the headers, the section
// table, the data directories, the resource tree, the imports by DLL, the base relocations, the
// certificate table and the overlay. Every offset and count is checked against the file; a file
// that cannot be read raises EPeFormatError with the reason. The image holds its source: a file
// is read only where the reader or a caller looks.

#include "pe/PeFormatError.h"
#include "pe/PeSource.h"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

enum class TPeFormat { PE32, PE32Plus };

struct TPeFileRange
{
    uint64_t Offset = 0;
    uint64_t Size = 0;
};

// A range of the image in memory, as a relative virtual address.
struct TPeRvaRange
{
    uint64_t Rva = 0;
    uint64_t Size = 0;
};

struct TPeSection
{
    std::string Name; // as stored, up to 8 characters
    uint32_t VirtualAddress = 0;
    uint32_t VirtualSize = 0;
    uint32_t RawOffset = 0;
    uint32_t RawSize = 0;  // as stored
    uint64_t FileSize = 0; // of the raw data in the file: RawSize, less a final partial file block
    uint32_t Characteristics = 0;
    // The section's bytes in memory: its virtual size, or its raw size when the virtual size is 0.
    uint64_t MemorySize() const { return VirtualSize != 0 ? VirtualSize : RawSize; }
};

struct TPeDataDirectory
{
    uint32_t Rva = 0; // for the certificate table a file offset
    uint32_t Size = 0;
};

enum TPeDirectoryIndex {
    pdExport = 0,
    pdImport = 1,
    pdResource = 2,
    pdCertificate = 4,
    pdBaseRelocation = 5,
};

struct TPeResource
{
    std::string Type; // "RCDATA", "ICON", ... for the predefined types, a custom type's stored name,
                      // "#N" for an unknown type number
    std::string Name; // the stored name, or the number in decimal
    uint32_t Language = 0;
    TPeRvaRange Data;
    TPeFileRange File; // where Data lies in the file
    // RCDATA whose data is a binary form ("TPF0").
    bool Form = false;
};

// What one DLL's imports take: its name, its lookup and address tables and the hint/name entries,
// over every import descriptor that names it (Delphi writes one per importing unit).
struct TPeImport
{
    std::string Dll; // as first written
    std::vector<TPeRvaRange> Parts;
};

class TPeImage
{
public:
    // Raises EPeFormatError when the file cannot be read or is no PE file.
    static TPeImage LoadFile(const std::string &FileName);
    static TPeImage Parse(std::vector<uint8_t> Bytes);

    // Files larger than this are refused: a PE image's offsets are 32 bits.
    static constexpr uint64_t MaxFileSize = 0xFFFFFFFFull;

    uint64_t FileSize() const { return FSource->Size(); }
    // The file's bytes [Offset, Offset + Size); raises EPeFormatError when they are not all in the
    // file or cannot be read. Valid as long as the image.
    std::span<const uint8_t> FileBytes(uint64_t Offset, uint64_t Size) const;
    TPeFormat Format() const { return FFormat; }
    const char *FormatName() const { return FFormat == TPeFormat::PE32 ? "PE32" : "PE32+"; }
    uint16_t Machine() const { return FMachine; }
    uint64_t ImageBase() const { return FImageBase; }
    uint32_t SizeOfHeaders() const { return FSizeOfHeaders; }
    uint32_t SizeOfImage() const { return FSizeOfImage; }
    const std::vector<TPeSection> &Sections() const { return FSections; }
    const TPeDataDirectory &Directory(int Index) const { return FDirectories[size_t(Index)]; }

    const std::vector<TPeResource> &Resources() const { return FResources; }
    // The directory tables, their entries, the name strings and the data entries of the resource tree.
    const std::vector<TPeRvaRange> &ResourceDirectory() const { return FResourceDirectory; }
    const std::vector<TPeImport> &Imports() const { return FImports; }
    // The import descriptors, their terminator included.
    const std::optional<TPeRvaRange> &ImportDirectory() const { return FImportDirectory; }
    const std::optional<TPeRvaRange> &BaseRelocations() const { return FBaseRelocations; }
    const std::optional<TPeFileRange> &Certificate() const { return FCertificate; }
    // The bytes after the last section's raw data (the certificate table aside).
    const std::optional<TPeFileRange> &Overlay() const { return FOverlay; }

    // The first resource of the type and name, in any language; names and custom types compare
    // ignoring ASCII case, a numbered name is given in decimal. Type is a predefined type's name
    // ("RCDATA") or a custom type's.
    const TPeResource *FindResource(std::string_view Type, std::string_view Name) const;
    // That resource's data: FindResource(Type, Name)'s bytes in the file, e.g. the PACKAGEINFO
    // list as ResourceBytes("RCDATA", "PACKAGEINFO"). Valid as long as the image.
    std::optional<std::span<const uint8_t>> ResourceBytes(std::string_view Type, std::string_view Name) const;

    // The section whose memory holds Rva; null when none does.
    const TPeSection *SectionOfRva(uint64_t Rva) const;
    // The file offset of [Rva, Rva + Size) when all of it lies in the file within one section's raw
    // data (or the headers).
    std::optional<uint64_t> FileOffsetOfRva(uint64_t Rva, uint64_t Size) const;

private:
    class TReader;
    friend class TReader;

    static TPeImage Read(std::shared_ptr<const TPeSource> Source);

    std::shared_ptr<const TPeSource> FSource;
    TPeFormat FFormat = TPeFormat::PE32;
    uint16_t FMachine = 0;
    uint64_t FImageBase = 0;
    uint32_t FSizeOfHeaders = 0;
    uint32_t FSizeOfImage = 0;
    std::vector<TPeSection> FSections;
    std::array<TPeDataDirectory, 16> FDirectories{};
    std::vector<TPeResource> FResources;
    std::vector<TPeRvaRange> FResourceDirectory;
    std::vector<TPeImport> FImports;
    std::optional<TPeRvaRange> FImportDirectory;
    std::optional<TPeRvaRange> FBaseRelocations;
    std::optional<TPeFileRange> FCertificate;
    std::optional<TPeFileRange> FOverlay;
};

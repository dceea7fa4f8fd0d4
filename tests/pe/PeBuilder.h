#pragma once
// Small hand-made PE files for the reader's tests and fuzz seeds: headers, sections at file and
// section alignment, a three-level resource tree and an import table, each built from a few
// values so that a test shows what it is about.

#include <array>
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

class TPeBuilder
{
public:
    struct TSection
    {
        std::string Name;
        uint32_t Rva = 0;
        uint32_t VirtualSize = 0;
        std::vector<uint8_t> Raw;
    };
    // A resource type or name: a number or a string.
    using TResourceId = std::variant<uint32_t, std::string>;
    struct TResource
    {
        TResourceId Type;
        TResourceId Name;
        std::vector<uint8_t> Data;
        uint32_t Language = 0x409;
    };
    struct TImport
    {
        std::string Dll;
        std::vector<std::string> Functions;
    };

    bool Plus = false;
    uint32_t SizeOfHeaders = 0x400;
    std::vector<TSection> Sections;
    std::array<std::array<uint32_t, 2>, 16> Directories{};
    std::vector<uint8_t> Trailer; // appended after the last section

    // A section at the next free address; returns its index.
    size_t AddSection(const std::string &Name, std::vector<uint8_t> Raw, uint32_t VirtualSize = 0);
    // A .rsrc section holding the resources, and the resource directory pointing at it.
    size_t AddResources(const std::vector<TResource> &Resources);
    // An .idata section holding the imports, and the import directory pointing at it.
    size_t AddImports(const std::vector<TImport> &Imports);

    uint32_t NextRva() const;
    std::vector<uint8_t> Build() const;
};

std::vector<uint8_t> Bytes(const std::string &Text);

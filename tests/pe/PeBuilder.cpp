#include "PeBuilder.h"

#include <map>

namespace {

constexpr uint32_t FileAlignment = 0x200;
constexpr uint32_t SectionAlignment = 0x1000;

uint32_t Align(uint32_t value, uint32_t alignment)
{
    return (value + alignment - 1) / alignment * alignment;
}

void Put(std::vector<uint8_t> &out, size_t at, uint64_t value, int width)
{
    if (out.size() < at + size_t(width))
        out.resize(at + size_t(width));
    for (int k = 0; k < width; ++k)
        out[at + size_t(k)] = uint8_t(value >> (8 * k));
}

void Append(std::vector<uint8_t> &out, uint64_t value, int width)
{
    Put(out, out.size(), value, width);
}

} // namespace

std::vector<uint8_t> Bytes(const std::string &Text)
{
    return {Text.begin(), Text.end()};
}

uint32_t TPeBuilder::NextRva() const
{
    uint32_t rva = SectionAlignment;
    for (const TSection &section : Sections)
        rva = std::max(
            rva, Align(section.Rva + std::max<uint32_t>(section.VirtualSize, uint32_t(section.Raw.size())),
                       SectionAlignment));
    return rva;
}

size_t TPeBuilder::AddSection(const std::string &Name, std::vector<uint8_t> Raw, uint32_t VirtualSize)
{
    TSection section{Name, NextRva(), VirtualSize ? VirtualSize : uint32_t(Raw.size()), std::move(Raw)};
    Sections.push_back(std::move(section));
    return Sections.size() - 1;
}

size_t TPeBuilder::AddResources(const std::vector<TResource> &Resources)
{
    const uint32_t base = NextRva();
    // type -> name -> resources, numbers after names as the format sorts them
    using TKey = std::pair<int, std::string>;
    auto key = [](const TResourceId &id) {
        return id.index() == 1 ? TKey{0, std::get<1>(id)} : TKey{1, std::to_string(std::get<0>(id))};
    };
    std::map<TKey, std::map<TKey, std::vector<const TResource *>>> tree;
    for (const TResource &resource : Resources)
        tree[key(resource.Type)][key(resource.Name)].push_back(&resource);

    std::vector<uint8_t> raw;
    std::vector<std::pair<size_t, std::string>> namePatches; // entry offset, name
    std::vector<std::pair<size_t, const TResource *>> dataPatches;
    auto table = [&](size_t count) {
        const size_t at = raw.size();
        raw.resize(at + 16 + 8 * count);
        Put(raw, at + 14, count, 2);
        return at;
    };
    auto setId = [&](size_t entry, const TKey &id) {
        if (id.first == 0)
            namePatches.push_back({entry, id.second});
        else
            Put(raw, entry, std::stoul(id.second), 4);
    };
    const size_t root = table(tree.size());
    size_t typeIndex = 0;
    for (const auto &[type, names] : tree) {
        const size_t typeEntry = root + 16 + 8 * typeIndex++;
        setId(typeEntry, type);
        const size_t nameTable = table(names.size());
        Put(raw, typeEntry + 4, 0x80000000u | nameTable, 4);
        size_t nameIndex = 0;
        for (const auto &[name, languages] : names) {
            const size_t nameEntry = nameTable + 16 + 8 * nameIndex++;
            setId(nameEntry, name);
            const size_t languageTable = table(languages.size());
            Put(raw, nameEntry + 4, 0x80000000u | languageTable, 4);
            for (size_t k = 0; k < languages.size(); ++k) {
                const size_t entry = languageTable + 16 + 8 * k;
                Put(raw, entry, languages[k]->Language, 4);
                dataPatches.push_back({entry, languages[k]});
            }
        }
    }
    for (const auto &[entry, name] : namePatches) {
        Put(raw, entry, 0x80000000u | raw.size(), 4);
        Append(raw, name.size(), 2);
        for (const char c : name)
            Append(raw, uint8_t(c), 2);
    }
    std::vector<size_t> dataEntries;
    for (const auto &[entry, resource] : dataPatches) {
        raw.resize(Align(uint32_t(raw.size()), 4));
        Put(raw, entry + 4, raw.size(), 4);
        dataEntries.push_back(raw.size());
        raw.resize(raw.size() + 16);
    }
    for (size_t k = 0; k < dataPatches.size(); ++k) {
        raw.resize(Align(uint32_t(raw.size()), 8));
        Put(raw, dataEntries[k], base + raw.size(), 4);
        Put(raw, dataEntries[k] + 4, dataPatches[k].second->Data.size(), 4);
        raw.insert(raw.end(), dataPatches[k].second->Data.begin(), dataPatches[k].second->Data.end());
    }
    Directories[2] = {base, uint32_t(raw.size())};
    return AddSection(".rsrc", std::move(raw));
}

size_t TPeBuilder::AddImports(const std::vector<TImport> &Imports)
{
    const uint32_t base = NextRva();
    const int width = Plus ? 8 : 4;
    std::vector<uint8_t> raw((Imports.size() + 1) * 20);
    for (size_t k = 0; k < Imports.size(); ++k) {
        const TImport &import = Imports[k];
        const size_t descriptor = 20 * k;
        std::vector<uint32_t> hints;
        for (const std::string &function : import.Functions) {
            raw.resize(Align(uint32_t(raw.size()), 2));
            hints.push_back(base + uint32_t(raw.size()));
            Append(raw, 0, 2);
            raw.insert(raw.end(), function.begin(), function.end());
            raw.push_back(0);
        }
        Put(raw, descriptor + 12, base + raw.size(), 4);
        raw.insert(raw.end(), import.Dll.begin(), import.Dll.end());
        raw.push_back(0);
        for (const size_t field : {size_t(0), size_t(16)}) {
            raw.resize(Align(uint32_t(raw.size()), 8));
            Put(raw, descriptor + field, base + raw.size(), 4);
            for (const uint32_t hint : hints)
                Append(raw, hint, width);
            Append(raw, 0, width);
        }
    }
    Directories[1] = {base, uint32_t((Imports.size() + 1) * 20)};
    return AddSection(".idata", std::move(raw));
}

std::vector<uint8_t> TPeBuilder::Build() const
{
    std::vector<uint8_t> out(SizeOfHeaders);
    out[0] = 'M';
    out[1] = 'Z';
    const size_t pe = 0x80;
    Put(out, 0x3C, pe, 4);
    Put(out, pe, 0x00004550, 4);
    const size_t coff = pe + 4;
    Put(out, coff, Plus ? 0x8664 : 0x14C, 2);
    Put(out, coff + 2, Sections.size(), 2);
    const uint16_t optionalSize = Plus ? 240 : 224;
    Put(out, coff + 16, optionalSize, 2);
    const size_t optional = coff + 20;
    Put(out, optional, Plus ? 0x20B : 0x10B, 2);
    if (Plus)
        Put(out, optional + 24, 0x140000000ull, 8);
    else
        Put(out, optional + 28, 0x400000, 4);
    Put(out, optional + 32, SectionAlignment, 4);
    Put(out, optional + 36, FileAlignment, 4);
    Put(out, optional + 56, NextRva(), 4);
    Put(out, optional + 60, SizeOfHeaders, 4);
    const size_t directories = optional + (Plus ? 112 : 96);
    Put(out, directories - 4, 16, 4);
    for (size_t k = 0; k < 16; ++k) {
        Put(out, directories + 8 * k, Directories[k][0], 4);
        Put(out, directories + 8 * k + 4, Directories[k][1], 4);
    }
    size_t table = optional + optionalSize;
    uint32_t raw = SizeOfHeaders;
    for (const TSection &section : Sections) {
        for (size_t k = 0; k < section.Name.size() && k < 8; ++k)
            out[table + k] = uint8_t(section.Name[k]);
        Put(out, table + 8, section.VirtualSize, 4);
        Put(out, table + 12, section.Rva, 4);
        const uint32_t rawSize = Align(uint32_t(section.Raw.size()), FileAlignment);
        Put(out, table + 16, rawSize, 4);
        Put(out, table + 20, rawSize ? raw : 0, 4);
        raw += rawSize;
        table += 40;
    }
    out.resize(SizeOfHeaders);
    for (const TSection &section : Sections) {
        out.insert(out.end(), section.Raw.begin(), section.Raw.end());
        out.resize(Align(uint32_t(out.size()), FileAlignment));
    }
    out.insert(out.end(), Trailer.begin(), Trailer.end());
    return out;
}

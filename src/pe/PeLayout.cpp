#include "pe/PeLayout.h"

#include <algorithm>

namespace {

constexpr const char *ResourceDirectoryName = "[resource directory]";
constexpr const char *ImportDirectoryName = "[import directory]";
constexpr const char *BaseRelocationsName = "[base relocations]";

} // namespace

TPeLayout::TPeLayout(const TPeImage &Image)
    : FImage(Image), FFile(Image.FileSize()),
      FVm(std::max<uint64_t>(Image.SizeOfImage(), Image.SizeOfHeaders()))
{
    FLabels.push_back({-1, "", TPeNodeKind::Part, 0, {}});
    ClaimStructure();
    ClaimResources();
    ClaimImports();
}

int TPeLayout::SectionLabel(size_t SectionIndex) const
{
    return SectionIndex < FSectionLabels.size() ? FSectionLabels[SectionIndex] : -1;
}

int TPeLayout::Label(int Parent, const std::string &Name, TPeNodeKind Kind)
{
    const auto [entry, added] = FChildren.emplace(std::make_pair(Parent, Name), int(FLabels.size()));
    if (added)
        FLabels.push_back({Parent, Name, Kind, FLabels[size_t(Parent)].Depth + 1, {}});
    return entry->second;
}

void TPeLayout::ClaimFile(uint64_t Offset, uint64_t Size, int Label)
{
    FFile.Claim(Offset, Offset + Size, Label, FLabels[size_t(Label)].Depth);
}

void TPeLayout::ClaimVm(uint64_t Rva, uint64_t Size, int Label)
{
    FVm.Claim(Rva, Rva + Size, Label, FLabels[size_t(Label)].Depth);
}

void TPeLayout::ClaimRva(uint64_t Rva, uint64_t Size, int Label)
{
    const uint64_t end = Rva + Size;
    if (Rva < FImage.SizeOfHeaders()) {
        const uint64_t headersEnd = std::min<uint64_t>(end, FImage.SizeOfHeaders());
        ClaimFile(Rva, headersEnd - Rva, Label);
        ClaimVm(Rva, headersEnd - Rva, Label);
    }
    for (const TPeSection &section : FImage.Sections()) {
        const uint64_t begin = section.VirtualAddress;
        const uint64_t from = std::max(Rva, begin);
        const uint64_t memoryTo = std::min(end, begin + section.MemorySize());
        if (from >= memoryTo)
            continue;
        ClaimVm(from, memoryTo - from, Label);
        const uint64_t fileTo = std::min(memoryTo, begin + section.FileSize);
        if (from < fileTo)
            ClaimFile(section.RawOffset + (from - begin), fileTo - from, Label);
    }
}

int TPeLayout::LabelBelowSectionOf(uint64_t Rva, const std::string &Name, TPeNodeKind Kind)
{
    const TPeSection *section = FImage.SectionOfRva(Rva);
    const int parent = section ? FSectionLabels[size_t(section - FImage.Sections().data())] : FHeaders;
    return Label(parent, Name, Kind);
}

void TPeLayout::ClaimStructure()
{
    FHeaders = Label(0, "Headers");
    ClaimFile(0, FImage.SizeOfHeaders(), FHeaders);
    ClaimVm(0, FImage.SizeOfHeaders(), FHeaders);
    for (const TPeSection &section : FImage.Sections()) {
        // Two sections of one name stay two nodes.
        std::string name = section.Name;
        while (FChildren.count({0, name}))
            name += "'";
        const int label = Label(0, name, TPeNodeKind::Section);
        FSectionLabels.push_back(label);
        ClaimFile(section.RawOffset, section.FileSize, label);
        ClaimVm(section.VirtualAddress, section.MemorySize(), label);
    }
    if (FImage.Overlay())
        ClaimFile(FImage.Overlay()->Offset, FImage.Overlay()->Size, Label(0, "Overlay"));
    if (FImage.Certificate())
        ClaimFile(FImage.Certificate()->Offset, FImage.Certificate()->Size, Label(0, "Certificate"));
    if (FImage.BaseRelocations())
        ClaimRva(FImage.BaseRelocations()->Rva, FImage.BaseRelocations()->Size,
                 LabelBelowSectionOf(FImage.BaseRelocations()->Rva, BaseRelocationsName));
}

void TPeLayout::ClaimResources()
{
    for (const TPeRvaRange &part : FImage.ResourceDirectory())
        ClaimRva(part.Rva, part.Size, LabelBelowSectionOf(part.Rva, ResourceDirectoryName));
    for (const TPeResource &resource : FImage.Resources()) {
        const int type = LabelBelowSectionOf(resource.Data.Rva, resource.Type);
        const int name = Label(type, resource.Name, resource.Form ? TPeNodeKind::Form : TPeNodeKind::Part);
        ClaimRva(resource.Data.Rva, resource.Data.Size, name);
    }
}

void TPeLayout::ClaimImports()
{
    if (FImage.ImportDirectory())
        ClaimRva(FImage.ImportDirectory()->Rva, FImage.ImportDirectory()->Size,
                 LabelBelowSectionOf(FImage.ImportDirectory()->Rva, ImportDirectoryName));
    for (const TPeImport &import : FImage.Imports())
        for (const TPeRvaRange &part : import.Parts)
            ClaimRva(part.Rva, part.Size, LabelBelowSectionOf(part.Rva, import.Dll));
}

namespace {

void SortBySize(std::vector<TPeSizeNode> &nodes)
{
    std::stable_sort(nodes.begin(), nodes.end(), [](const TPeSizeNode &a, const TPeSizeNode &b) {
        if ((a.Kind == TPeNodeKind::Padding) != (b.Kind == TPeNodeKind::Padding))
            return b.Kind == TPeNodeKind::Padding;
        if (a.FileSize != b.FileSize)
            return a.FileSize > b.FileSize;
        return a.VmSize > b.VmSize;
    });
}

} // namespace

TPeSizeNode TPeLayout::Tree() const
{
    std::vector<uint64_t> ownFile(FLabels.size());
    std::vector<uint64_t> ownVm(FLabels.size());
    for (const TPeRange &range : FFile.Resolve())
        ownFile[size_t(range.Label)] += range.End - range.Begin;
    for (const TPeRange &range : FVm.Resolve())
        ownVm[size_t(range.Label)] += range.End - range.Begin;

    std::vector<TPeSizeNode> nodes(FLabels.size());
    for (size_t k = 0; k < FLabels.size(); ++k) {
        nodes[k].Name = FLabels[k].Name;
        nodes[k].Kind = FLabels[k].Kind;
        nodes[k].Owner = FLabels[k].Owner;
    }
    // Children were labelled after their parents: walking back folds each subtree into its parent.
    for (size_t k = FLabels.size(); k-- > 0;) {
        TPeSizeNode &node = nodes[k];
        // Children were handed up last to first.
        std::reverse(node.Children.begin(), node.Children.end());
        if (!node.Children.empty() && (ownFile[k] > 0 || ownVm[k] > 0)) {
            TPeSizeNode padding{PaddingName, ownFile[k], ownVm[k], TPeNodeKind::Padding, {}, {}};
            node.Children.push_back(std::move(padding));
        } else if (node.Children.empty()) {
            node.FileSize = ownFile[k];
            node.VmSize = ownVm[k];
        }
        for (const TPeSizeNode &child : node.Children) {
            node.FileSize += child.FileSize;
            node.VmSize += child.VmSize;
        }
        if (k > 0)
            SortBySize(node.Children);
        if (k == 0)
            break;
        if (node.FileSize > 0 || node.VmSize > 0 || node.Kind == TPeNodeKind::Section)
            nodes[size_t(FLabels[k].Parent)].Children.push_back(std::move(node));
    }
    return std::move(nodes[0]);
}

#pragma once
// Every byte of a PE file under one label, as a tree whose nodes carry their bytes in the file and
// in memory. The file's own structure is claimed on construction: "Headers", one node per section
// (the resources by type and name, the imports by DLL, the base relocations below theirs),
// "Overlay" and "Certificate". A caller that knows more (the units of a MAP file) claims ranges of
// the image below a section before asking for the tree. In every node the children add up to the
// node exactly; bytes a node holds that no child claims are its "[padding]".

#include "pe/PeImage.h"
#include "pe/PeRangeMap.h"

#include <map>
#include <string>
#include <utility>
#include <vector>

enum class TPeNodeKind { Part, Section, Unit, Form, Padding };

struct TPeSizeNode
{
    std::string Name;
    uint64_t FileSize = 0;
    uint64_t VmSize = 0;
    TPeNodeKind Kind = TPeNodeKind::Part;
    // The unit that owns a form, when known.
    std::string Owner;
    std::vector<TPeSizeNode> Children;
};

class TPeLayout
{
public:
    static constexpr const char *PaddingName = "[padding]";

    explicit TPeLayout(const TPeImage &Image);

    // The label of a section's node; -1 for an index out of range.
    int SectionLabel(size_t SectionIndex) const;
    // The child of Parent named Name, made on first use with Kind.
    int Label(int Parent, const std::string &Name, TPeNodeKind Kind = TPeNodeKind::Part);
    void SetOwner(int Label, const std::string &Owner) { FLabels[size_t(Label)].Owner = Owner; }
    // Claims [Rva, Rva + Size) of the image for Label: its bytes in memory, and in the file where
    // they have raw data.
    void ClaimRva(uint64_t Rva, uint64_t Size, int Label);

    // The whole file: its size is the file's, its memory size the image's.
    TPeSizeNode Tree() const;

private:
    struct TLabel
    {
        int Parent;
        std::string Name;
        TPeNodeKind Kind;
        int Depth;
        std::string Owner;
    };
    void ClaimFile(uint64_t Offset, uint64_t Size, int Label);
    void ClaimVm(uint64_t Rva, uint64_t Size, int Label);
    // A label below the section that holds Rva (the headers' node when no section does).
    int LabelBelowSectionOf(uint64_t Rva, const std::string &Name, TPeNodeKind Kind = TPeNodeKind::Part);
    void ClaimStructure();
    void ClaimResources();
    void ClaimImports();

    const TPeImage &FImage;
    std::vector<TLabel> FLabels;
    std::map<std::pair<int, std::string>, int> FChildren;
    std::vector<int> FSectionLabels;
    int FHeaders = -1;
    TPeRangeMap FFile;
    TPeRangeMap FVm;
};

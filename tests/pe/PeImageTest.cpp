#include "pe/PeImage.h"
#include "PeBuilder.h"
#include "PeTreeChecks.h"
#include "pe/PeLayout.h"

#include <gtest/gtest.h>

namespace {

std::vector<uint8_t> FormData()
{
    return Bytes("TPF0\x06TForm1\x05"
                 "Form1\x00\x00");
}

// A small Delphi-like program: code, data, a BSS without file bytes, imports, resources with a
// form, and an overlay.
TPeBuilder SampleProgram(bool plus)
{
    TPeBuilder builder;
    builder.Plus = plus;
    builder.AddSection("CODE", std::vector<uint8_t>(0x300, 0xC3));
    builder.AddSection("DATA", std::vector<uint8_t>(0x80, 1));
    builder.AddSection("BSS", {}, 0x2000);
    builder.AddImports({{"kernel32.dll", {"GetProcAddress", "ExitProcess"}},
                        {"user32.dll", {"MessageBoxA"}},
                        {"KERNEL32.DLL", {"Sleep"}}});
    builder.AddResources({{10u, std::string("TFORM1"), FormData()},
                          {10u, std::string("PACKAGEINFO"), Bytes("\x01\x00\x00\x00")},
                          {3u, 1u, std::vector<uint8_t>(0x2E8, 7)},
                          {3u, 1u, std::vector<uint8_t>(0x10, 8), 0x407},
                          {std::string("PNG"), std::string("LOGO"), Bytes("\x89PNG")}});
    builder.Trailer = Bytes("overlay data");
    return builder;
}

class PeImageFormats : public ::testing::TestWithParam<bool>
{
};

TEST_P(PeImageFormats, ReadsHeadersSectionsResourcesImportsAndOverlay)
{
    const std::vector<uint8_t> bytes = SampleProgram(GetParam()).Build();
    const TPeImage image = TPeImage::Parse(bytes);
    EXPECT_STREQ(image.FormatName(), GetParam() ? "PE32+" : "PE32");
    EXPECT_EQ(image.ImageBase(), GetParam() ? 0x140000000ull : 0x400000ull);
    ASSERT_EQ(image.Sections().size(), 5u);
    EXPECT_EQ(image.Sections()[2].Name, "BSS");
    EXPECT_EQ(image.Sections()[2].FileSize, 0u);
    EXPECT_EQ(image.Sections()[2].MemorySize(), 0x2000u);

    ASSERT_EQ(image.Resources().size(), 5u);
    const TPeResource *form = image.FindResource("rcdata", "tform1");
    ASSERT_NE(form, nullptr);
    EXPECT_TRUE(form->Form);
    EXPECT_FALSE(image.FindResource("RCDATA", "PACKAGEINFO")->Form);
    const auto info = image.ResourceBytes("RCDATA", "PACKAGEINFO");
    ASSERT_TRUE(info.has_value());
    EXPECT_EQ(std::vector<uint8_t>(info->begin(), info->end()), Bytes("\x01\x00\x00\x00"));
    EXPECT_FALSE(image.ResourceBytes("RCDATA", "DVCLAL").has_value());
    EXPECT_EQ(image.FindResource("ICON", "1")->Data.Size, 0x2E8u);
    EXPECT_NE(image.FindResource("PNG", "LOGO"), nullptr);

    // One DLL imported by two descriptors in two spellings is one import.
    ASSERT_EQ(image.Imports().size(), 2u);
    EXPECT_EQ(image.Imports()[0].Dll, "kernel32.dll");
    EXPECT_EQ(image.Imports()[1].Dll, "user32.dll");

    ASSERT_TRUE(image.Overlay().has_value());
    EXPECT_EQ(image.Overlay()->Size, 12u);
    EXPECT_EQ(image.Overlay()->Offset + 12, bytes.size());
    EXPECT_FALSE(image.Certificate().has_value());
}

TEST_P(PeImageFormats, EveryByteHasOneLabelAndChildrenAddUp)
{
    const std::vector<uint8_t> bytes = SampleProgram(GetParam()).Build();
    const TPeImage image = TPeImage::Parse(bytes);
    const TPeSizeNode tree = TPeLayout(image).Tree();
    EXPECT_EQ(tree.FileSize, bytes.size());
    EXPECT_EQ(tree.VmSize, image.SizeOfImage());
    ExpectChildrenAddUp(tree);

    std::vector<std::string> top;
    for (const TPeSizeNode &part : tree.Children)
        top.push_back(part.Name);
    EXPECT_EQ(top, (std::vector<std::string>{"Headers", "CODE", "DATA", "BSS", ".idata", ".rsrc", "Overlay",
                                             "[padding]"}));
    const TPeSizeNode *bss = Child(tree, "BSS");
    EXPECT_EQ(bss->FileSize, 0u);
    EXPECT_EQ(bss->VmSize, 0x2000u);
    EXPECT_EQ(Child(tree, "Overlay")->VmSize, 0u);
    EXPECT_EQ(Child(tree, "Headers")->FileSize, 0x400u);

    const TPeSizeNode *rsrc = Child(tree, ".rsrc");
    const TPeSizeNode *icons = Child(*rsrc, "ICON");
    ASSERT_NE(icons, nullptr);
    // Both languages of icon 1 together.
    EXPECT_EQ(Child(*icons, "1")->FileSize, 0x2E8u + 0x10u);
    EXPECT_EQ(Child(*Child(*rsrc, "RCDATA"), "TFORM1")->Kind, TPeNodeKind::Form);
    EXPECT_NE(Child(*rsrc, "[resource directory]"), nullptr);
    EXPECT_NE(Child(*rsrc, "PNG"), nullptr);
    // The section's bytes past its data up to the file alignment.
    EXPECT_EQ(rsrc->Children.back().Name, "[padding]");

    const TPeSizeNode *idata = Child(tree, ".idata");
    EXPECT_NE(Child(*idata, "kernel32.dll"), nullptr);
    EXPECT_NE(Child(*idata, "user32.dll"), nullptr);
    EXPECT_NE(Child(*idata, "[import directory]"), nullptr);
}

INSTANTIATE_TEST_SUITE_P(PE32AndPE32Plus, PeImageFormats, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool> &info) {
                             return info.param ? "PE32Plus" : "PE32";
                         });

TEST(PeImage, SignedFileKeepsItsCertificateApartFromTheOverlay)
{
    TPeBuilder builder = SampleProgram(false);
    std::vector<uint8_t> unsignedBytes = builder.Build();
    builder.Trailer.resize(builder.Trailer.size() + 4, 0); // the table begins 8-byte aligned
    builder.Trailer.insert(builder.Trailer.end(), 0x40, 0xCE);
    const uint32_t tableOffset = uint32_t(unsignedBytes.size() + 4);
    builder.Directories[4] = {tableOffset, 0x40};
    const std::vector<uint8_t> bytes = builder.Build();
    const TPeImage image = TPeImage::Parse(bytes);
    ASSERT_TRUE(image.Certificate().has_value());
    EXPECT_EQ(image.Certificate()->Offset, tableOffset);
    EXPECT_EQ(image.Overlay()->Size, 16u);
    const TPeSizeNode tree = TPeLayout(image).Tree();
    EXPECT_EQ(Child(tree, "Certificate")->FileSize, 0x40u);
    EXPECT_EQ(tree.FileSize, bytes.size());
}

TEST(PeImage, CallersClaimUnitsBelowASection)
{
    const std::vector<uint8_t> bytes = SampleProgram(false).Build();
    const TPeImage image = TPeImage::Parse(bytes);
    TPeLayout layout(image);
    const uint32_t code = image.Sections()[0].VirtualAddress;
    layout.ClaimRva(code, 0x100, layout.Label(layout.SectionLabel(0), "System", TPeNodeKind::Unit));
    layout.ClaimRva(code + 0x100, 0x80, layout.Label(layout.SectionLabel(0), "Unit1", TPeNodeKind::Unit));
    const uint32_t bss = image.Sections()[2].VirtualAddress;
    layout.ClaimRva(bss, 0x1000, layout.Label(layout.SectionLabel(2), "System", TPeNodeKind::Unit));
    const TPeSizeNode tree = layout.Tree();
    ExpectChildrenAddUp(tree);
    const TPeSizeNode *codeNode = Child(tree, "CODE");
    EXPECT_EQ(Child(*codeNode, "System")->FileSize, 0x100u);
    EXPECT_EQ(Child(*codeNode, "Unit1")->Kind, TPeNodeKind::Unit);
    EXPECT_EQ(Child(*codeNode, "[padding]")->FileSize, 0x400u - 0x180u);
    const TPeSizeNode *bssNode = Child(tree, "BSS");
    EXPECT_EQ(Child(*bssNode, "System")->VmSize, 0x1000u);
    EXPECT_EQ(Child(*bssNode, "System")->FileSize, 0u);
    EXPECT_EQ(Child(*bssNode, "[padding]")->VmSize, 0x1000u);
}

void Patch32(std::vector<uint8_t> &bytes, size_t at, uint32_t value)
{
    for (int k = 0; k < 4; ++k)
        bytes[at + size_t(k)] = uint8_t(value >> (8 * k));
}

size_t SectionHeader(const std::vector<uint8_t> &, int index)
{
    return 0x80 + 24 + 224 + 40 * size_t(index);
}

struct TDamage
{
    const char *Name;
    void (*Apply)(std::vector<uint8_t> &bytes);
    const char *Message;
};

class PeImageDamage : public ::testing::TestWithParam<TDamage>
{
};

TEST_P(PeImageDamage, IsRefusedWithItsReason)
{
    std::vector<uint8_t> bytes = SampleProgram(false).Build();
    GetParam().Apply(bytes);
    try {
        TPeImage::Parse(bytes);
        FAIL() << "no error";
    } catch (const EPeFormatError &error) {
        EXPECT_NE(std::string(error.what()).find(GetParam().Message), std::string::npos) << error.what();
    }
}

const TDamage Damages[] = {
    {"NotMZ", [](std::vector<uint8_t> &b) { b[0] = 'X'; }, "does not begin with \"MZ\""},
    {"PEOffsetPastEnd", [](std::vector<uint8_t> &b) { Patch32(b, 0x3C, 0xFFFFFFF0); }, "the PE signature"},
    {"NoPESignature", [](std::vector<uint8_t> &b) { b[0x80] = 'N'; }, "PE signature is missing"},
    {"BadMagic", [](std::vector<uint8_t> &b) { b[0x80 + 24] = 0x77; }, "neither PE32 nor PE32+"},
    {"TooManySections", [](std::vector<uint8_t> &b) { b[0x80 + 6] = 0xFF; }, "more than a PE file may have"},
    {"SectionDataPastEnd", [](std::vector<uint8_t> &b) { Patch32(b, SectionHeader(b, 1) + 20, 0x7FFFFF00); },
     "the file is truncated"},
    {"Truncated", [](std::vector<uint8_t> &b) { b.resize(b.size() - 0x400); }, "the file is truncated"},
    {"ResourceTableLoops",
     [](std::vector<uint8_t> &b) {
         // The root's first entry points back at the root.
         const uint32_t raw = uint32_t(b[SectionHeader(b, 4) + 20] | b[SectionHeader(b, 4) + 21] << 8);
         Patch32(b, raw + 20, 0x80000000u);
     },
     "refers to one of its tables twice"},
    {"ResourceDataOutside",
     [](std::vector<uint8_t> &b) {
         // The last data entry sits just before the first data, which is 8-aligned after it.
         const uint32_t raw = uint32_t(b[SectionHeader(b, 4) + 20] | b[SectionHeader(b, 4) + 21] << 8);
         for (uint32_t at = raw;; at += 4)
             if (b[at] == 'T' && b[at + 1] == 'P' && b[at + 2] == 'F') {
                 // the form's data entry is the first data entry: find it by its size field
                 for (uint32_t entry = raw; entry < at; entry += 4)
                     if (b[entry] == uint8_t(FormData().size()) && b[entry + 1] == 0 && b[entry + 2] == 0 &&
                         b[entry + 3] == 0 && entry >= raw + 4)
                         Patch32(b, entry - 4, 0x7FFF0000u);
                 return;
             }
     },
     "lies outside the file's data"},
    {"ImportNameNeverEnds",
     [](std::vector<uint8_t> &b) {
         // The first DLL's name field points at the last byte of the section.
         const uint32_t rva = uint32_t(b[SectionHeader(b, 3) + 12] | b[SectionHeader(b, 3) + 13] << 8);
         const uint32_t raw = uint32_t(b[SectionHeader(b, 3) + 20] | b[SectionHeader(b, 3) + 21] << 8);
         b[raw + 0x1FF] = 'x';
         Patch32(b, raw + 12, rva + 0x1FF);
     },
     "an imported name"},
    {"CertificatePastEnd",
     [](std::vector<uint8_t> &b) {
         Patch32(b, 0x80 + 24 + 96 + 32, uint32_t(b.size()));
         Patch32(b, 0x80 + 24 + 96 + 36, 8);
     },
     "the certificate table lies past the end"},
};

INSTANTIATE_TEST_SUITE_P(Cases, PeImageDamage, ::testing::ValuesIn(Damages),
                         [](const ::testing::TestParamInfo<TDamage> &info) { return info.param.Name; });

TEST(PeImage, EveryPrefixOfAFileIsReadOrRefusedCleanly)
{
    const std::vector<uint8_t> bytes = SampleProgram(true).Build();
    for (size_t size = 0; size <= bytes.size(); size += 7) {
        try {
            const TPeImage image = TPeImage::Parse({bytes.begin(), bytes.begin() + ptrdiff_t(size)});
            EXPECT_EQ(TPeLayout(image).Tree().FileSize, size);
        } catch (const EPeFormatError &) {
        }
    }
}

TEST(PeImage, MissingFileIsAnError)
{
    EXPECT_THROW(TPeImage::LoadFile("/nonexistent/App.exe"), EPeFormatError);
}

} // namespace

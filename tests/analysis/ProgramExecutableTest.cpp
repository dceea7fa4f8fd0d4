#include "analysis/ProgramExecutable.h"

#include "analysis/MapText.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

QString Corpus(const char *path)
{
    return QStringLiteral(QUILLON_CORPUS_DIR) + u'/' + QString::fromUtf8(path);
}

QStringList NamedByProgram(const TPackageInfo &info)
{
    QStringList names;
    for (const TPackageUnit &unit : info.Contains)
        if (unit.NamedByProgram())
            names << unit.Name;
    return names;
}

// The segment table of a corpus MAP file; none for an executable without one.
std::optional<TMapSegments> SegmentsOf(const char *map)
{
    if (!map)
        return std::nullopt;
    return TMapSegments::Parse(TMapText::LoadFromFile(Corpus(map)));
}

std::span<const uint8_t> Span(const QByteArray &bytes)
{
    return {reinterpret_cast<const uint8_t *>(bytes.constData()), size_t(bytes.size())};
}

} // namespace

TEST(ProgramExecutableTest, PackageInfoOfCorpusExecutables)
{
    struct TCase
    {
        const char *Exe;
        const char *Map;
        size_t Units;
        const char *NamedByProgram;
    };
    // The units without the implicit flag are the program, System, SysInit and the .dpr's uses,
    // in the resource's own order.
    const TCase cases[] = {
        {"d7-circuit/Project1.exe", "d7-circuit/Project1.map", 70,
         "Project1 System SysInit Forms Unit4 Unit1 Unit3 Unit2 MatrixAlg ComplexAlg"},
        {"d7-exp2dbf-tiny/Exp2dbf.exe", "d7-exp2dbf-tiny/Exp2dbf.map", 10, nullptr},
        {"dxe-dcpcrypt/Project1.exe", "dxe-dcpcrypt/Project1.map", 107, nullptr},
        {"d12-exe-koerper-win64/Win64/Release/Project1.exe", nullptr, 104, nullptr},
    };
    if (!QDir(QUILLON_CORPUS_DIR).exists())
        GTEST_SKIP() << "no corpus at " << QUILLON_CORPUS_DIR;
    for (const TCase &c : cases) {
        SCOPED_TRACE(c.Exe);
        const std::optional<TMapSegments> segments = SegmentsOf(c.Map);
        const TProgramExecutable program = ReadProgramExecutable(Corpus(c.Exe), segments ? &*segments : nullptr);
        EXPECT_EQ(program.Problem.toStdString(), "");
        ASSERT_TRUE(program.PackageInfo);
        EXPECT_EQ(program.PackageInfo->Contains.size(), c.Units);
        if (c.NamedByProgram) {
            EXPECT_EQ(NamedByProgram(*program.PackageInfo).join(u' ').toStdString(), c.NamedByProgram);
        }
    }
}

// The whole-file view's rule decides, with its warning: code and data segments against their
// sections. The corpus pairs of another build differ in code; a data segment of another length
// (the code alike) is refused as well.
TEST(ProgramExecutableTest, AnotherBuildOrNoExecutable)
{
    if (!QDir(QUILLON_CORPUS_DIR).exists())
        GTEST_SKIP() << "no corpus at " << QUILLON_CORPUS_DIR;
    TMapSegments otherData = *SegmentsOf("d7-circuit/Project1.map");
    for (TMapSegment &segment : otherData.Segments)
        if (segment.Class == u"DATA"_s)
            segment.Length += 4;
    struct TCase
    {
        const char *Exe;
        TMapSegments Segments;
        const char *Problem;
    };
    const TCase cases[] = {
        {"d2005-bank-large/bank.exe", *SegmentsOf("d2005-bank-large/bank.map"),
         "its section CODE holds 2233556 bytes, the MAP file's segment .text 2210168 bytes"},
        {"d10-cefclient/Win32/Debug/cefclient.exe", *SegmentsOf("d10-cefclient/Win32/Debug/cefclient.map"),
         "its section .text holds"},
        {"d7-circuit/Project1.exe", otherData, "its section DATA holds"},
        {"d7-circuit/Project1.exe", TMapSegments{}, "the MAP file has no segment table"},
    };
    for (const TCase &c : cases) {
        SCOPED_TRACE(c.Exe);
        const TProgramExecutable other = ReadProgramExecutable(Corpus(c.Exe), &c.Segments);
        EXPECT_FALSE(other.PackageInfo);
        EXPECT_EQ(other.Problem, ExecutableMismatch(TPeImage::LoadFile(Corpus(c.Exe).toStdString()), c.Segments,
                                                    Corpus(c.Exe)));
        EXPECT_TRUE(other.Problem.contains(u"comes from another build"_s)) << other.Problem.toStdString();
        EXPECT_TRUE(other.Problem.contains(QString::fromUtf8(c.Problem))) << other.Problem.toStdString();
    }
    const TProgramExecutable notPe = ReadProgramExecutable(Corpus("d7-circuit/Project1.map"), nullptr);
    EXPECT_FALSE(notPe.PackageInfo);
    EXPECT_FALSE(notPe.Problem.isEmpty());
    EXPECT_EQ(ExecutableBesideMap(Corpus("d7-circuit/Project1.map")), Corpus("d7-circuit/Project1.exe"));
    EXPECT_EQ(ExecutableBesideMap(Corpus("d6-c2500emu/Project1.map")), QString());
}

TEST(ProgramExecutableTest, PackageInfoOfHandMadeResources)
{
    // Flags, one required package (hash, name), two units (flags, hash, name).
    const QByteArray sound = QByteArray::fromHex("000010cc"
                                                 "01000000"
                                                 "07") +
                             "rtl" + QByteArray(1, 0) +
                             QByteArray::fromHex("02000000"
                                                 "0100") +
                             "P" + QByteArray(1, 0) + QByteArray::fromHex("1000") + "Vcl.Forms" +
                             QByteArray(1, 0);
    const TPackageInfo info = ReadPackageInfo(Span(sound));
    EXPECT_EQ(info.Flags, 0xCC100000u);
    EXPECT_EQ(info.Requires.join(u' ').toStdString(), "rtl");
    ASSERT_EQ(info.Contains.size(), 2u);
    EXPECT_TRUE(info.Contains[0].NamedByProgram());
    EXPECT_FALSE(info.Contains[1].NamedByProgram());
    EXPECT_EQ(info.Contains[1].Name.toStdString(), "Vcl.Forms");

    struct TCase
    {
        const char *Name;
        QByteArray Bytes;
        const char *Message;
    };
    const TCase cases[] = {
        {"short", QByteArray::fromHex("0000"), "the resource ends at offset 0 inside an entry"},
        {"huge count", QByteArray::fromHex("00000000ffffff7f") + QByteArray(8, 'x'),
         "a count of 2147483647 required packages at offset 4 that the resource cannot hold"},
        {"name without its end", QByteArray::fromHex("0000000001000000") + "\x01rtl",
         "a name at offset 9 runs to the end of the resource"},
    };
    for (const TCase &c : cases) {
        SCOPED_TRACE(c.Name);
        try {
            ReadPackageInfo(Span(c.Bytes));
            ADD_FAILURE() << "no error";
        } catch (const EPackageInfoError &e) {
            EXPECT_EQ(e.Message().toStdString(), c.Message);
        }
    }
}

#include "analysis/WholeFile.h"

#include "analysis/ExecutableMatch.h"

#include <QFile>
#include <QFileInfo>

namespace {

using namespace Qt::Literals::StringLiterals;

void ClaimUnits(const TPeImage &image, const TMapSegments &segments, TPeLayout &layout)
{
    for (const TMapSegmentRow &row : segments.Rows) {
        const TMapSegment *segment = segments.First(row.Number);
        const TPeSection *base = segment ? SectionOfMapSegment(image, segment->Name) : nullptr;
        if (!base || row.Length <= 0)
            continue;
        const uint64_t rva = uint64_t(base->VirtualAddress) + uint64_t(row.Start);
        const TPeSection *section = image.SectionOfRva(rva);
        if (!section)
            continue;
        const int sectionLabel = layout.SectionLabel(size_t(section - image.Sections().data()));
        layout.ClaimRva(rva, uint64_t(row.Length),
                        layout.Label(sectionLabel, row.Unit.toStdString(), TPeNodeKind::Unit));
    }
}

void SetFormOwners(TPeSizeNode &node, const QHash<QString, QString> &owners)
{
    for (TPeSizeNode &child : node.Children) {
        if (child.Kind == TPeNodeKind::Form) {
            const auto owner = owners.constFind(QString::fromStdString(child.Name).toUpper());
            if (owner != owners.constEnd())
                child.Owner = owner->toStdString();
        }
        SetFormOwners(child, owners);
    }
}

} // namespace

TPeImage ReadExecutable(const QString &FileName)
{
    try {
        return TPeImage::LoadFile(QFile::encodeName(FileName).toStdString());
    } catch (const EPeFormatError &error) {
        throw EExecutableError(
            u"The executable \"%1\" cannot be read: %2."_s.arg(FileName, QString::fromUtf8(error.what())));
    } catch (const std::bad_alloc &) {
        throw EExecutableError(
            u"The executable \"%1\" cannot be read: it does not fit in memory."_s.arg(FileName));
    }
}

TWholeFile BuildWholeFile(const TPeImage &Image, const QString &FileName, const TMapSegments *Segments,
                          const QHash<QString, QString> &FormOwners)
{
    TPeLayout layout(Image);
    if (Segments)
        ClaimUnits(Image, *Segments, layout);
    TWholeFile file;
    file.FileName = QFileInfo(FileName).absoluteFilePath();
    file.Size = qint64(Image.FileSize());
    file.Format = QString::fromLatin1(Image.FormatName());
    file.Root = layout.Tree();
    file.Root.Name = QFileInfo(FileName).fileName().toStdString();
    file.HasUnits = Segments != nullptr;
    SetFormOwners(file.Root, FormOwners);
    return file;
}

TExecutableChoice TExecutableChoice::FromText(const QString &Text)
{
    if (Text.compare(u"none"_s, Qt::CaseInsensitive) == 0)
        return {None, {}};
    return {Named, Text};
}

std::optional<TWholeFile> WholeFileOfMap(const TExecutableChoice &Choice, const QString &MapFileName,
                                         const TMapSegments &Segments,
                                         const QHash<QString, QString> &FormOwners, QString &Warning)
{
    Warning.clear();
    if (Choice.Mode == TExecutableChoice::None)
        return std::nullopt;
    const QString exe =
        Choice.Mode == TExecutableChoice::Named ? Choice.FileName : ExecutableBesideMap(MapFileName);
    if (exe.isEmpty())
        return std::nullopt;
    if (!QFileInfo(exe).isFile())
        throw EExecutableError(u"The executable \"%1\" does not exist."_s.arg(exe));
    const TPeImage image = ReadExecutable(exe);
    Warning = ExecutableMismatch(image, Segments, exe);
    if (!Warning.isEmpty())
        return std::nullopt;
    return BuildWholeFile(image, exe, &Segments, FormOwners);
}

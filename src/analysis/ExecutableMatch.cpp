#include "analysis/ExecutableMatch.h"

#include "analysis/ProjectFiles.h"
#include "base/UFileUtils.h"

#include <QFileInfo>

namespace {

using namespace Qt::Literals::StringLiterals;

const QString Extensions[] = {u".exe"_s, u".dll"_s, u".bpl"_s};

QString Mismatch(const QString &exe, const QString &what)
{
    return u"The executable \"%1\" comes from another build than the MAP file (%2); it is not used."_s.arg(
        exe, what);
}

// Empty when the segment of the class and its section have the same length.
QString SegmentMismatch(const TPeImage &image, const TMapSegments &segments, const QString &segmentClass,
                        const QString &exe)
{
    const TMapSegment *segment = segments.OfClass(segmentClass);
    if (!segment)
        return {};
    const TPeSection *section = SectionOfMapSegment(image, segment->Name);
    if (!section)
        return Mismatch(exe, u"it has no section for the MAP file's segment %1"_s.arg(segment->Name));
    if (qint64(section->VirtualSize) == segment->Length)
        return {};
    return Mismatch(exe, u"its section %1 holds %2 bytes, the MAP file's segment %3 %4 bytes"_s.arg(
                             QString::fromStdString(section->Name), QString::number(section->VirtualSize),
                             segment->Name, QString::number(segment->Length)));
}

} // namespace

QString ExecutableBesideMap(const QString &MapFileName)
{
    for (const QString &extension : Extensions) {
        const QString path = ResolveWindowsPath(PathChangeExt(MapFileName, extension));
        if (!path.isEmpty() && QFileInfo(path).isFile())
            return path;
    }
    return {};
}

bool IsExecutableFileName(const QString &Path)
{
    for (const QString &extension : Extensions)
        if (Path.endsWith(extension, Qt::CaseInsensitive))
            return true;
    return false;
}

const TPeSection *SectionOfMapSegment(const TPeImage &Image, const QString &SegmentName)
{
    const std::string name = SegmentName.toStdString();
    const std::string older = SegmentName == u".text"_s   ? "CODE"
                              : SegmentName == u".data"_s ? "DATA"
                              : SegmentName == u".bss"_s  ? "BSS"
                                                          : "";
    for (const TPeSection &section : Image.Sections())
        if (QString::fromStdString(section.Name).compare(SegmentName, Qt::CaseInsensitive) == 0 ||
            (!older.empty() && section.Name == older))
            return &section;
    return nullptr;
}

QString ExecutableMismatch(const TPeImage &Image, const TMapSegments &Segments, const QString &ExeFileName)
{
    if (!Segments.OfClass(u"CODE"_s))
        return Mismatch(ExeFileName, u"the MAP file has no segment table"_s);
    QString problem = SegmentMismatch(Image, Segments, u"CODE"_s, ExeFileName);
    if (problem.isEmpty())
        problem = SegmentMismatch(Image, Segments, u"DATA"_s, ExeFileName);
    return problem;
}

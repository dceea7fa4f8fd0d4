#include "analysis/ProgramExecutable.h"

#include "base/UFileUtils.h"
#include "pe/PeFormatError.h"
#include "pe/PeImage.h"

#include <QDir>
#include <QFileInfo>

using namespace Qt::Literals::StringLiterals;

TProgramExecutable ReadProgramExecutable(const QString &FileName, qint64 CodeSegmentLength)
{
    TProgramExecutable program;
    program.FileName = FileName;
    try {
        const TPeImage image = TPeImage::LoadFile(QFile::encodeName(FileName).toStdString());
        const TPeSection *code = SectionOfMapSegment(image, u".text"_s);
        if (CodeSegmentLength > 0 && (!code || code->VirtualSize != CodeSegmentLength)) {
            program.Problem =
                u"%1 is not the build the MAP file describes: its code section is %2 bytes long, "
                u"the MAP's %3"_s.arg(FileName)
                    .arg(code ? qint64(code->VirtualSize) : 0)
                    .arg(CodeSegmentLength);
            return program;
        }
        const auto bytes = image.ResourceBytes("RCDATA", "PACKAGEINFO");
        if (!bytes) {
            program.Problem = u"%1 holds no PACKAGEINFO resource"_s.arg(FileName);
            return program;
        }
        program.PackageInfo = ReadPackageInfo(*bytes);
    } catch (const EPeFormatError &e) {
        program.Problem = u"%1: %2"_s.arg(FileName, QString::fromUtf8(e.what()));
    } catch (const EPackageInfoError &e) {
        program.Problem = u"%1: the PACKAGEINFO resource cannot be read: %2"_s.arg(FileName, e.Message());
    }
    return program;
}

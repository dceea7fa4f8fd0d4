#include "analysis/ProgramExecutable.h"

#include "pe/PeFormatError.h"
#include "pe/PeImage.h"

#include <QFile>

using namespace Qt::Literals::StringLiterals;

TProgramExecutable ReadProgramExecutable(const QString &FileName, const TMapSegments *Segments)
{
    TProgramExecutable program;
    program.FileName = FileName;
    try {
        const TPeImage image = TPeImage::LoadFile(QFile::encodeName(FileName).toStdString());
        if (Segments) {
            program.Problem = ExecutableMismatch(image, *Segments, FileName);
            if (!program.Problem.isEmpty())
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

#include "FuzzFiles.h"
#include "FuzzTarget.h"

#include "analysis/ProjectFiles.h"
#include "base/Exception.h"
#include "base/XLists.h"

// The project file's unit clauses, then the form resources looked up through them.
QUILLON_FUZZ_TARGET(ProjectFile)
{
    WriteFuzzFile(QStringLiteral("Fuzz.dpr"), data, size);
    const QString current = QDir::currentPath();
    TXStringList units;
    try {
        BuildProjectUnitPaths(FuzzFolder() + QStringLiteral("Fuzz.map"), units, [](const QString &) {});
        QStringList formLines;
        for (int i = 0; i < units.Count(); ++i)
            formLines << units.Get(i).section(u'=', 0, 0) + QStringLiteral(".dfm");
        (void)BuildFormResourceList(formLines, units);
    } catch (const Exception &) {
        // A reported error is a handled outcome; only crashes and hangs are findings.
    }
    QDir::setCurrent(current);
}

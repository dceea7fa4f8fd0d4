#pragma once
// The whole executable as a tree of its parts with their bytes in the file and in memory: the
// headers, each section, the overlay and the certificate; below the sections the units of the MAP
// file (their code, data, BSS and TLS rows), the resources by type and name (forms with the unit
// that owns them) and the imports by DLL. Children add up to their node exactly.

#include "analysis/MapSegments.h"
#include "base/Exception.h"
#include "pe/PeImage.h"
#include "pe/PeLayout.h"

#include <QHash>
#include <QString>

#include <optional>

// The executable cannot be read, or is no PE file: the message names the file and the reason.
QUILLON_DECLARE_EXCEPTION(EExecutableError, Exception)

struct TWholeFile
{
    QString FileName; // absolute
    qint64 Size = 0;
    QString Format; // "PE32" or "PE32+"
    TPeSizeNode Root;
    // The MAP file's units are placed in the sections.
    bool HasUnits = false;
};

// Raises EExecutableError.
TPeImage ReadExecutable(const QString &FileName);

// The tree of the image; with the MAP's segments, its units below their sections. FormOwners maps
// a form class in capitals to its unit.
TWholeFile BuildWholeFile(const TPeImage &Image, const QString &FileName, const TMapSegments *Segments,
                          const QHash<QString, QString> &FormOwners);

// Which executable a run reads beside its MAP file.
struct TExecutableChoice
{
    enum TMode { Beside, Named, None };
    TMode Mode = Beside;
    QString FileName; // for Named
    // "none" switches the executable off, any other text names it.
    static TExecutableChoice FromText(const QString &Text);
};

// The whole file of a MAP's build: none when switched off or when no executable lies beside the
// MAP, and none with Warning set when the executable comes from another build. Raises
// EExecutableError when the chosen executable cannot be read.
std::optional<TWholeFile> WholeFileOfMap(const TExecutableChoice &Choice, const QString &MapFileName,
                                         const TMapSegments &Segments,
                                         const QHash<QString, QString> &FormOwners, QString &Warning);

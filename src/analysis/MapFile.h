#pragma once
// What one pass over a detailed MAP file finds: the code segment length, the code units of the
// detailed segment map, the public symbols by value and the bound form resources. The rules of the
// format (which lines count, which fields are read) live here; what the analysis makes of the
// values lives in TMapAnalysis.

#include "analysis/CompareDataList.h"
#include "analysis/MapText.h"
#include "analysis/ReadProgress.h"

#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <vector>

// One "S=.text" line of the detailed segment map.
struct TMapUnitLine
{
    qsizetype Line = 0; // line number from 0
    QString Name;       // field 15 without its first two characters ("M=")
    QString SizeField;  // field 2, hexadecimal digits as written
    QString StartField; // the address as written
    qint64 Start = 0;   // offset of the unit in the code segment; -1 when not hexadecimal
};

struct TMapFile
{
    // Scans the text once. Reads no sizes yet: converting them can fail and belongs to the run.
    // Progress, when given, hears how far the scan is and may cancel it (EAnalysisCancelled).
    static TMapFile Parse(const TMapText &text, TReadProgress *progress = nullptr);

    // The length of the " 0001:" segment line, the linker's "H" suffix ignored; 0 without such a
    // line among the first twelve, -1 when its length is not hexadecimal.
    qint64 CodeSegmentLength = 0;
    std::vector<TMapUnitLine> Units;
    // True when the unit section ends at a "Publics by Name" line and the "Publics by Value" header
    // follows it: only then are there symbol lines to read.
    bool HasPublicsByValue = false;
    // The " 0001:" lines of the publics by value: address and name, in file order. Under a header
    // with a trailing "Rva+Base" column each line ends in the address plus the image base, which is
    // not part of the name.
    std::vector<TSymbolItem> Symbols;
    // The first symbol line (from 0) whose "Rva+Base" column is missing or not hexadecimal; -1 when
    // every one could be read.
    qsizetype UnreadableSymbolLine = -1;
    // The last line that is not blank begins with "Program entry point at", as in every MAP file
    // the linker finished writing.
    bool EndsWithEntryPoint = false;
    // Lines ending with ".dfm", from the last line of the file back to the first "Bound " line that
    // also ends with ".dfm".
    QStringList FormResourceLines;
};

// The start of the text after the first ":" up to the next blank, read as hexadecimal: the address
// part of a segment map or symbol line.
qint64 MapLineAddress(QByteArrayView line);
QByteArrayView MapLineAddressText(QByteArrayView line);

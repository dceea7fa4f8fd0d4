#pragma once
// The segment table at the top of a detailed MAP file and every row of its detailed segment map,
// of all classes (CODE, ICODE, DATA, BSS, TLS): where each unit's code and data lie, by segment
// number and offset. The code rows the unit grid shows are read by TMapFile; these serve the
// whole-file view, which places every row in the executable's sections.

#include "analysis/MapText.h"

#include <QString>

#include <vector>

// " 0001:00401000 000BD1FCH .text                   CODE"
struct TMapSegment
{
    int Number = 0;
    qint64 Start = 0; // as written: an offset, or an address (later compilers)
    qint64 Length = 0;
    QString Name;
    QString Class;
};

// " 0002:00000000 000000A8 C=DATA     S=.data    G=DGROUP   M=System   ACBP=A9"
struct TMapSegmentRow
{
    int Number = 0;
    qint64 Start = 0; // from the start of the segment's first section
    qint64 Length = 0;
    QString Class;
    QString Segment;
    QString Unit;
};

struct TMapSegments
{
    // Reads the lines up to the end of the detailed segment map; a line that does not read as a
    // table line or a row is passed over.
    static TMapSegments Parse(const TMapText &Text);

    // The first segment of the class ("CODE", "DATA"); null when there is none.
    const TMapSegment *OfClass(const QString &Class) const;
    // The first segment of the number: the one its rows' offsets start from.
    const TMapSegment *First(int Number) const;

    std::vector<TMapSegment> Segments;
    std::vector<TMapSegmentRow> Rows;
};

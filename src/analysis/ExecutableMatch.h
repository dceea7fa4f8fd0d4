#pragma once
// The executable that belongs to a MAP file. The linker writes App.map beside App.exe (or .dll,
// .bpl); the two belong to one build only when the MAP's code segment is as long as the code
// section in memory and its data segment as long as the data section (the PE time stamp is no
// help: older linkers write a fixed one).

#include "analysis/MapSegments.h"
#include "pe/PeImage.h"

#include <QString>

// The MAP file's name with .exe, .dll or .bpl beside it, in any letter case; empty when there is none.
QString ExecutableBesideMap(const QString &MapFileName);

// True when the path's extension is .exe, .dll or .bpl in any letter case.
bool IsExecutableFileName(const QString &Path);

// The section that holds the MAP's segment of the name: the same name in any letter case, or CODE,
// DATA and BSS, which older linkers wrote for .text, .data and .bss. Null when there is none.
const TPeSection *SectionOfMapSegment(const TPeImage &Image, const QString &SegmentName);

// Empty when the executable belongs to the MAP; otherwise the warning for the user.
QString ExecutableMismatch(const TPeImage &Image, const TMapSegments &Segments, const QString &ExeFileName);

#pragma once
// The uses lists of a compiled unit (.dcu) file: the compiler and platform from its first bytes,
// then the interface and implementation lists with, per used unit, whether anything is imported
// from it. Only the records before the declarations are read. The input is hostile: every read is
// bounds-checked, and a compiler or a layout this reader does not know is an error, never a guess.

#include "base/Exception.h"
#include "units/UsesList.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <span>

QUILLON_DECLARE_EXCEPTION(EDcuFormatError, Exception)

struct TDcuUses
{
    QString Compiler; // "Delphi 7", "Delphi 11 Alexandria"
    QString Platform; // "Win32", "Win64", "macOS 32-bit", "platform 0x14"
    TUsesLists Lists; // in source order (the older compilers store them reversed)
};

// Raises EDcuFormatError naming the offset and what was found there. FileSize is the length of the
// whole file when Bytes holds only its beginning: reading past Bytes then raises EDcuNeedsMore.
TDcuUses ReadDcuUses(std::span<const uint8_t> Bytes, qint64 FileSize = -1);

QUILLON_DECLARE_EXCEPTION(EDcuNeedsMore, Exception)

// Reads the file's beginning, and all of it when the lists reach further. Raises EDcuFormatError,
// also for a file that cannot be read.
TDcuUses ReadDcuUsesFile(const QString &FileName);

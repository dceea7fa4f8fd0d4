#pragma once
// The whole executable in the tool's formats: the tree of its parts with their bytes in the file
// and in memory and their share of the file.

#include "analysis/WholeFile.h"
#include "cli/BufferedWriter.h"

#include <string>

enum class TReportFormat;

// {"path", "size", "format", "parts": [{"name", "file_size", "vm_size", "children": [...]}]};
// unit nodes carry "unit": true, forms "form": true and their "owner" when known.
std::string WholeFileJson(const TWholeFile &File);

// The tree as a table for people (indented, with a total line) or as CSV (one row per node in tree
// order: depth, name, kind, file_size, vm_size, percent), down to Depth levels (0: every level).
class TWholeFileWriter : public TBufferedWriter
{
public:
    TWholeFileWriter(QIODevice &Output, TReportFormat Format, int Depth)
        : TBufferedWriter(Output), FFormat(Format), FDepth(Depth)
    {}
    void WriteFile(const TWholeFile &File);

private:
    void TableRows(const TPeSizeNode &Node, int Level);
    void CsvRows(const TPeSizeNode &Node, int Level);
    QString Percent(uint64_t Size) const;

    const TReportFormat FFormat;
    const int FDepth;
    double FPercentFactor = 0;
    qsizetype FNameWidth = 0;
};

// The report of an executable without its MAP file: {"file": {...}}.
class TJsonFileWriter : public TBufferedWriter
{
public:
    using TBufferedWriter::TBufferedWriter;
    void WriteFile(const TWholeFile &File);
};

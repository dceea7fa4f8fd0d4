#include "analysis/MapFile.h"

#include "base/Strings.h"

#include <algorithm>
#include <iterator>

namespace {

using namespace Qt::Literals::StringLiterals;

bool BeginsWith(QByteArrayView line, QByteArrayView prefix)
{
    return line.startsWith(prefix);
}

bool EndsWith(QByteArrayView line, QByteArrayView suffix)
{
    return line.endsWith(suffix);
}

bool IsAscii(QByteArrayView bytes)
{
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return quint8(c) < 0x80; });
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// HexToInt64 reads UTF-16 units; short ASCII fields are widened on the stack.
qint64 MarkedHexValue(QByteArrayView digits)
{
    char16_t wide[32];
    if (digits.size() > qsizetype(std::size(wide)) || !IsAscii(digits))
        return HexToInt64(QString::fromUtf8(digits));
    std::copy(digits.begin(), digits.end(), wide);
    return HexToInt64(QStringView(wide, digits.size()));
}

// Plain hexadecimal digits (every address of millions of symbol lines) are read here, as
// HexToInt64 reads them; a field with anything else (markers it skips, characters it refuses)
// goes to HexToInt64 itself.
qint64 HexValue(QByteArrayView digits)
{
    quint64 value = 0;
    for (const char c : digits) {
        const int digit = HexDigit(c);
        if (digit < 0)
            return MarkedHexValue(digits);
        value = (value << 4) | unsigned(digit);
    }
    return qint64(value);
}

// Field N of the line split at every single blank: a leading blank gives an empty field 0 and runs
// of blanks give empty fields.
QByteArrayView Field(QByteArrayView line, int n)
{
    qsizetype start = 0;
    for (int k = 0; k < n; ++k) {
        const qsizetype blank = line.indexOf(' ', start);
        if (blank < 0)
            return {};
        start = blank + 1;
    }
    const qsizetype blank = line.indexOf(' ', start);
    return line.sliced(start, (blank < 0 ? line.size() : blank) - start);
}

QByteArrayView TrimControls(QByteArrayView s)
{
    qsizetype from = 0;
    qsizetype to = s.size();
    while (from < to && quint8(s[from]) <= 32)
        ++from;
    while (to > from && quint8(s[to - 1]) <= 32)
        --to;
    return s.sliced(from, to - from);
}

// Case-insensitive ".dfm" at the end, as the library's text comparison decides it.
bool EndsWithDfmText(QByteArrayView line)
{
    // Nearly every line ends in another ASCII character, which no comparison takes for "m".
    if (line.size() < 4 || (quint8(line.back()) < 0x80 && line.back() != 'm' && line.back() != 'M'))
        return false;
    const QByteArrayView tail = line.last(4);
    if (IsAscii(tail))
        return tail.compare(".dfm", Qt::CaseInsensitive) == 0;
    return StrEndsWithText(QString::fromUtf8(line), u".dfm");
}

// Mended: real MAP files write the length with the linker's "H" suffix, which the plain
// hexadecimal reading refuses, so the last symbol of every such file would lose its end.
qint64 CodeSegmentLengthOf(QByteArrayView line)
{
    QString length = StrBetween(StrAfterChar(QString::fromUtf8(line), u':'), u" ", u" .text");
    if (length.endsWith(u'H') || length.endsWith(u'h'))
        length.chop(1);
    return HexToInt64(length);
}

TMapUnitLine UnitLine(QByteArrayView line, qsizetype index)
{
    TMapUnitLine unit;
    unit.Line = index;
    unit.Name = QString::fromUtf8(Field(line, 15)).mid(2);
    unit.SizeField = QString::fromUtf8(Field(line, 2));
    unit.StartField = QString::fromUtf8(MapLineAddressText(line));
    unit.Start = MapLineAddress(line);
    return unit;
}

bool IsHexDigits(QByteArrayView text)
{
    return !text.isEmpty() && std::all_of(text.begin(), text.end(), [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
    });
}

// The first three blanks in a row from Pos on, as indexOf("   ", Pos) finds them.
qsizetype TripleBlankIndex(QByteArrayView line, qsizetype pos)
{
    for (qsizetype i = line.indexOf(' ', pos); i >= 0 && i + 2 < line.size(); i = line.indexOf(' ', i + 1))
        if (line[i + 1] == ' ' && line[i + 2] == ' ')
            return i;
    return -1;
}

// False when the line should end in an "Rva+Base" column and does not.
bool SymbolLine(QByteArrayView line, const char *textStart, bool rvaBase, TSymbolItem &item)
{
    item = TSymbolItem();
    const QByteArrayView address = MapLineAddressText(line);
    item.Data = address.isNull() ? 0 : HexValue(address);
    // The line begins with " 0001:" and the address holds no blank: the first three blanks in a
    // row lie after it.
    const qsizetype gap =
        TripleBlankIndex(line, address.isNull() ? 0 : address.data() + address.size() - line.data());
    if (gap < 0)
        return !rvaBase;
    QByteArrayView name = TrimControls(line.sliced(gap + 3));
    if (rvaBase) {
        const qsizetype blank = name.lastIndexOf(' ');
        if (blank < 0 || !IsHexDigits(name.sliced(blank + 1)))
            return false;
        name = TrimControls(name.first(blank));
    }
    item.NameOffset = quint32(name.data() - textStart);
    item.NameLength = quint32(name.size());
    return true;
}

enum class TSection { Units, PublicsByName, PublicsByValue, Done };

QByteArrayView LastNonBlankLine(QByteArrayView text)
{
    qsizetype end = text.size();
    while (end > 0 && quint8(text[end - 1]) <= 32)
        --end;
    qsizetype start = end;
    while (start > 0 && text[start - 1] != '\n' && text[start - 1] != '\r')
        --start;
    return text.sliced(start, end - start);
}

} // namespace

QByteArrayView MapLineAddressText(QByteArrayView line)
{
    const qsizetype from = line.indexOf(':') + 1;
    const qsizetype blank = line.indexOf(' ', from);
    return blank < 0 ? QByteArrayView() : line.sliced(from, blank - from);
}

qint64 MapLineAddress(QByteArrayView line)
{
    const QByteArrayView text = MapLineAddressText(line);
    return text.isNull() ? 0 : HexValue(text);
}

TMapFile TMapFile::Parse(const TMapText &text, TReadProgress *progress)
{
    TMapFile map;
    const char *textStart = text.Bytes().constData();
    const qint64 textSize = text.Bytes().size();
    TMapLineReader reader(text.Bytes());
    QByteArrayView line;
    bool seekSegment = true;
    bool rvaBase = false;
    TSection section = TSection::Units;
    std::vector<QByteArrayView> formLines;

    while (reader.Next(line)) {
        const qsizetype index = reader.Index();
        if (progress && index % TReadProgress::ReportInterval == 0)
            progress->Report(line.data() - textStart, textSize);
        if (seekSegment) {
            if (BeginsWith(line, " 0001:") && EndsWith(line, "CODE")) {
                map.CodeSegmentLength = CodeSegmentLengthOf(line);
                seekSegment = false;
            } else if (BeginsWith(line, "Detailed") || index > 10) {
                seekSegment = false;
            }
        }
        // The bound resources are searched from the end back to a "Bound " line that ends with
        // ".dfm"; going forwards that line discards what was collected before it.
        if (EndsWithDfmText(line)) {
            if (BeginsWith(line, "Bound "))
                formLines.clear();
            else
                formLines.push_back(line);
        }
        if (index == 0)
            continue;
        switch (section) {
        case TSection::Units:
            if (line.indexOf("Publics by Name") > 0)
                section = TSection::PublicsByName;
            else if (line.indexOf("S=.text") >= 0)
                map.Units.push_back(UnitLine(line, index));
            break;
        case TSection::PublicsByName:
            if (BeginsWith(line, "  Address") && line.indexOf("Publics by Value") >= 0) {
                section = TSection::PublicsByValue;
                map.HasPublicsByValue = true;
                // Room for a symbol per 32 bytes left, about what they take: the table is not
                // copied while it grows, and room never written costs no memory.
                map.Symbols.reserve(size_t(text.Bytes().size() - (line.data() - textStart)) / 32);
                rvaBase = line.indexOf("Rva+Base") >= 0;
            }
            break;
        case TSection::PublicsByValue:
            if (BeginsWith(line, "Line numbers"))
                section = TSection::Done;
            else if (BeginsWith(line, " 0001:")) {
                TSymbolItem item;
                if (SymbolLine(line, textStart, rvaBase, item))
                    map.Symbols.push_back(item);
                else if (map.UnreadableSymbolLine < 0)
                    map.UnreadableSymbolLine = index;
            }
            break;
        case TSection::Done:
            break;
        }
    }

    if (progress)
        progress->Report(textSize, textSize);
    map.EndsWithEntryPoint =
        TrimControls(LastNonBlankLine(text.Bytes())).startsWith("Program entry point at");
    map.FormResourceLines.reserve(qsizetype(formLines.size()));
    for (auto it = formLines.rbegin(); it != formLines.rend(); ++it)
        map.FormResourceLines.append(QString::fromUtf8(*it));
    return map;
}

#include "cli/OutputText.h"

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

// Names are nearly always ASCII, which goes straight from the UTF-16 text without a conversion.
void AppendJsonString(std::string &Out, const QString &Text)
{
    static const char hex[] = "0123456789abcdef";
    const auto appendByte = [&Out](quint8 c) {
        if (c == '"' || c == '\\') {
            Out += '\\';
            Out += char(c);
        } else if (c < 0x20) {
            const char escaped[] = {'\\', 'u', '0', '0', hex[c >> 4], hex[c & 15]};
            Out.append(escaped, sizeof escaped);
        } else {
            Out += char(c);
        }
    };
    Out += '"';
    const bool ascii = std::all_of(Text.begin(), Text.end(), [](QChar c) { return c.unicode() < 0x80; });
    if (ascii) {
        for (const QChar c : Text)
            appendByte(quint8(c.unicode()));
    } else {
        for (const char c : Text.toUtf8())
            appendByte(quint8(c));
    }
    Out += '"';
}

QByteArray JsonString(const QString &Text)
{
    std::string result;
    AppendJsonString(result, Text);
    return QByteArray(result.data(), qsizetype(result.size()));
}

QString CsvField(const QString &Text)
{
    if (!Text.contains(u',') && !Text.contains(u'"') && !Text.contains(u'\n') && !Text.contains(u'\r'))
        return Text;
    QString quoted = Text;
    quoted.replace(u'"', u"\"\""_s);
    return u'"' + quoted + u'"';
}

QString Thousands(qint64 Value)
{
    // Unsigned, so that the smallest 64-bit value keeps its digits.
    const quint64 magnitude = Value < 0 ? 0 - quint64(Value) : quint64(Value);
    QString digits = QString::number(magnitude);
    for (qsizetype at = digits.size() - 3; at > 0; at -= 3)
        digits.insert(at, u',');
    return Value < 0 ? u'-' + digits : digits;
}

QString SignedThousands(qint64 Value)
{
    return Value > 0 ? u'+' + Thousands(Value) : Thousands(Value);
}

QString MarkdownCell(const QString &Text)
{
    // Generic names ("TList<T>") would be taken as HTML tags, "operator*" as emphasis.
    static const QString Marks = u"\\`*_<>[]|~&"_s;
    QString cell;
    cell.reserve(Text.size());
    for (const QChar c : Text) {
        if (Marks.contains(c))
            cell += u'\\';
        cell += c;
    }
    return cell;
}

QString MarkdownCodeCell(const QString &Text)
{
    // Within a code span a backslash is itself; only the table's bar escape holds there.
    QString cell = Text;
    return cell.replace(u'|', u"\\|"_s).replace(u'`', u'\'');
}

QString CutName(const QString &Name, qsizetype Width)
{
    if (Name.size() <= Width || Width < 2)
        return Name;
    // The end tells names apart ("Vendor.Framework.Component.Unit4"): it keeps the larger part.
    qsizetype head = (Width - 1) / 3;
    qsizetype tail = Width - 1 - head;
    if (head > 0 && Name[head - 1].isHighSurrogate())
        --head, ++tail;
    if (Name[Name.size() - tail].isLowSurrogate())
        --tail;
    return Name.left(head) + u'\u2026' + Name.right(tail);
}

QString NameCell(const QString &Name, qsizetype Width)
{
    if (Name.size() <= Width)
        return Name.leftJustified(Width);
    return Name + u'\n' + QString(Width, u' ');
}

#include "analysis/MapSegments.h"

#include <QList>

namespace {

using namespace Qt::Literals::StringLiterals;

QList<QByteArrayView> Words(QByteArrayView line)
{
    QList<QByteArrayView> words;
    qsizetype k = 0;
    while (k < line.size()) {
        while (k < line.size() && quint8(line[k]) <= ' ')
            ++k;
        const qsizetype start = k;
        while (k < line.size() && quint8(line[k]) > ' ')
            ++k;
        if (k > start)
            words.append(line.sliced(start, k - start));
    }
    return words;
}

bool Hex(QByteArrayView text, qint64 &value)
{
    if (text.endsWith('H') || text.endsWith('h'))
        text.chop(1);
    if (text.isEmpty() || text.size() > 16)
        return false;
    bool ok = false;
    value = qint64(text.toULongLong(&ok, 16));
    return ok && value >= 0;
}

// "0002:00001C84" as segment number and offset.
bool Address(QByteArrayView text, int &number, qint64 &start)
{
    const qsizetype colon = text.indexOf(':');
    qint64 segment = 0;
    if (colon <= 0 || !Hex(text.first(colon), segment) || segment > 0xFFFF ||
        !Hex(text.sliced(colon + 1), start))
        return false;
    number = int(segment);
    return true;
}

QString After(QByteArrayView word, QByteArrayView prefix)
{
    return word.startsWith(prefix) ? QString::fromUtf8(word.sliced(prefix.size())) : QString();
}

} // namespace

TMapSegments TMapSegments::Parse(const TMapText &Text)
{
    TMapSegments map;
    TMapLineReader reader(Text.Bytes());
    QByteArrayView line;
    bool detailed = false;
    while (reader.Next(line)) {
        if (line.indexOf("Publics by Name") >= 0 || line.startsWith("Line numbers"))
            break;
        if (line.startsWith("Detailed map of segments")) {
            detailed = true;
            continue;
        }
        const QList<QByteArrayView> words = Words(line);
        TMapSegmentRow row;
        if (words.size() < 4 || !Address(words[0], row.Number, row.Start) || !Hex(words[1], row.Length))
            continue;
        if (!detailed) {
            map.Segments.push_back({row.Number, row.Start, row.Length, QString::fromUtf8(words[2]),
                                    QString::fromUtf8(words[3])});
            continue;
        }
        for (const QByteArrayView word : words.sliced(2)) {
            if (word.startsWith("C="))
                row.Class = After(word, "C=");
            else if (word.startsWith("S="))
                row.Segment = After(word, "S=");
            else if (word.startsWith("M="))
                row.Unit = After(word, "M=");
        }
        if (!row.Unit.isEmpty())
            map.Rows.push_back(std::move(row));
    }
    return map;
}

const TMapSegment *TMapSegments::OfClass(const QString &Class) const
{
    for (const TMapSegment &segment : Segments)
        if (segment.Class == Class)
            return &segment;
    return nullptr;
}

const TMapSegment *TMapSegments::First(int Number) const
{
    for (const TMapSegment &segment : Segments)
        if (segment.Number == Number)
            return &segment;
    return nullptr;
}

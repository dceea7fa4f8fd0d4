#include "cli/OutputText.h"

using namespace Qt::Literals::StringLiterals;

QByteArray JsonString(const QString &Text)
{
    const QByteArray utf8 = Text.toUtf8();
    QByteArray result;
    result.reserve(utf8.size() + 2);
    result.append('"');
    for (const char c : utf8) {
        switch (c) {
        case '"':
            result.append("\\\"");
            break;
        case '\\':
            result.append("\\\\");
            break;
        default:
            if (quint8(c) < 0x20)
                result.append(QByteArray("\\u00") + QByteArray::number(quint8(c), 16).rightJustified(2, '0'));
            else
                result.append(c);
        }
    }
    result.append('"');
    return result;
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

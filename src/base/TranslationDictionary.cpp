#include "base/TranslationDictionary.h"

#include <QFile>

namespace {

std::optional<QString> Unescaped(const QString &field)
{
    QString text;
    text.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        const QChar c = field.at(i);
        if (c != u'\\') {
            text += c;
            continue;
        }
        if (++i == field.size())
            return std::nullopt;
        switch (field.at(i).unicode()) {
        case u'r':
            text += u'\r';
            break;
        case u'n':
            text += u'\n';
            break;
        case u't':
            text += u'\t';
            break;
        case u'\\':
            text += u'\\';
            break;
        default:
            return std::nullopt;
        }
    }
    return text;
}

} // namespace

std::optional<TTranslationDictionary> TTranslationDictionary::Parse(const QByteArray &text, QString *error)
{
    TTranslationDictionary dictionary;
    const QStringList lines = QString::fromUtf8(text).split(u'\n');
    for (qsizetype number = 0; number < lines.size(); ++number) {
        QString line = lines.at(number);
        if (line.endsWith(u'\r'))
            line.chop(1);
        if (line.trimmed().isEmpty() || line.startsWith(u'#'))
            continue;
        const qsizetype tab = line.indexOf(u'\t');
        const std::optional<QString> original = tab > 0 ? Unescaped(line.left(tab)) : std::nullopt;
        const std::optional<QString> translation = tab > 0 ? Unescaped(line.mid(tab + 1)) : std::nullopt;
        if (!original || !translation || translation->isEmpty() || dictionary.FEntries.contains(*original)) {
            if (error)
                *error =
                    QStringLiteral("line %1 of the dictionary cannot be read: %2").arg(number + 1).arg(line);
            return std::nullopt;
        }
        dictionary.FEntries.insert(*original, *translation);
    }
    return dictionary;
}

std::optional<TTranslationDictionary> TTranslationDictionary::Load(const QString &fileName, QString *error)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("%1 cannot be read: %2").arg(fileName, file.errorString());
        return std::nullopt;
    }
    return Parse(file.readAll(), error);
}

std::optional<QString> TTranslationDictionary::Lookup(const QString &text) const
{
    const auto it = FEntries.constFind(text);
    if (it == FEntries.constEnd())
        return std::nullopt;
    return *it;
}

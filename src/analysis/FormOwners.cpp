#include "analysis/FormOwners.h"

#include "analysis/ProjectFiles.h"
#include "base/UFileUtils.h"
#include "base/XLists.h"

namespace {

using namespace Qt::Literals::StringLiterals;

// Enough of a form file for its first object line or its binary header.
constexpr qint64 HeadSize = 1024;

} // namespace

QString FormClassOf(const QByteArray &Head)
{
    if (Head.startsWith("TPF0")) {
        qsizetype at = 4;
        // An inherited or inline form's header carries a flags byte (0xF0 | flags) first.
        if (at < Head.size() && (quint8(Head[at]) & 0xF0) == 0xF0)
            ++at;
        if (at >= Head.size())
            return {};
        const qsizetype length = quint8(Head[at]);
        if (length == 0 || at + 1 + length > Head.size())
            return {};
        return QString::fromLatin1(Head.mid(at + 1, length));
    }
    const qsizetype end = Head.indexOf('\n');
    const QString line = QString::fromUtf8(end < 0 ? Head : Head.left(end)).trimmed();
    const QStringList words = line.split(u' ', Qt::SkipEmptyParts);
    if (words.size() < 3 ||
        !(words[0] == u"object"_s || words[0] == u"inherited"_s || words[0] == u"inline"_s))
        return {};
    return words.last();
}

QHash<QString, QString> FormOwnersOf(const QStringList &FormResourceLines, const TXStringList &ProjectUnits)
{
    QHash<QString, QString> owners;
    for (const QString &line : FormResourceLines) {
        QString path = line;
        if (!line.contains(u'\\') && !line.contains(u'/')) {
            const int unit = ProjectUnits.IndexOfName(PathChangeExt(line, QString()));
            if (unit >= 0)
                path = PathChangeExt(ProjectUnits.GetValueFromIndex(unit), u".dfm"_s);
        }
        const QString local = ResolveWindowsPath(path);
        if (local.isEmpty())
            continue;
        const QString formClass = FormClassOf(LoadBytesFromFile(local, 0, HeadSize));
        if (!formClass.isEmpty())
            owners.insert(formClass.toUpper(), PathChangeExt(PathFileName(path), QString()));
    }
    return owners;
}

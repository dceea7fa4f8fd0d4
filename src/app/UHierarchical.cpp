#include "app/UHierarchical.h"

THierarchicalWriter &THierarchicalWriter::AddNode(const QString &name, qint64 value)
{
    return AddNode(name, QString::number(value));
}

THierarchicalWriter &TStringsHierarchicalWriter::AddNode(const QString &name, const QString &text)
{
    return MakeChild(ChildCount(), name, text);
}

THierarchicalWriter &TStringsHierarchicalWriter::InsertNode(int index, const QString &name,
                                                            const QString &text)
{
    return MakeChild(qBound(0, index, ChildCount()), name, text);
}

void TStringsHierarchicalWriter::SetAttribute(const QString &name, const QString &value)
{
    if (!FAttributes)
        FAttributes = std::make_unique<QList<TAttribute>>();
    const QString key = AttributeName(name);
    for (TAttribute &attribute : *FAttributes) {
        if (attribute.first == key) {
            attribute.second = value;
            return;
        }
    }
    FAttributes->append({key, value});
}

QList<TStringsHierarchicalWriter::TAttribute> TStringsHierarchicalWriter::Attributes() const
{
    return FAttributes ? *FAttributes : QList<TAttribute>();
}

int TStringsHierarchicalWriter::ChildCount() const
{
    return FChildren ? int(FChildren->size()) : 0;
}

TStringsHierarchicalWriter &TStringsHierarchicalWriter::Child(int index) const
{
    return *FChildren->at(size_t(index));
}

std::unique_ptr<TStringsHierarchicalWriter> TStringsHierarchicalWriter::NewNode() const
{
    return std::make_unique<TStringsHierarchicalWriter>();
}

TStringsHierarchicalWriter &TStringsHierarchicalWriter::MakeChild(int index, const QString &name,
                                                                  const QString &text)
{
    if (!FChildren)
        FChildren = std::make_unique<std::vector<std::unique_ptr<TStringsHierarchicalWriter>>>();
    std::unique_ptr<TStringsHierarchicalWriter> child = NewNode();
    child->FParent = this;
    child->FName = NodeName(name);
    child->FText = text;
    TStringsHierarchicalWriter &result = *child;
    FChildren->insert(FChildren->begin() + index, std::move(child));
    return result;
}

namespace {

bool IsXMLNameChar(QChar c)
{
    return c.isLetterOrNumber() || c == u'_' || c == u'-' || c == u'.' || c == u':' || c.unicode() == 0xB7;
}

bool IsXMLNameStartChar(QChar c)
{
    return c.isLetter() || c == u'_' || c == u':';
}

// A character reference ("&#233;", "&#xE9;" without the x) is kept: after "#" only hexadecimal
// digits may come before the closing semicolon.
bool IsCharacterReference(const QString &text, qsizetype ampersand)
{
    if (ampersand + 1 >= text.size() || text.at(ampersand + 1) != u'#')
        return false;
    for (qsizetype i = ampersand + 2; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u';')
            return true;
        const bool hexDigit =
            (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
        if (!hexDigit)
            return false;
    }
    return false;
}

void WriteNode(const TStringsHierarchicalWriter &node, const QString &name, QString &out)
{
    out += u'<' + name;
    for (const auto &[attributeName, value] : node.Attributes())
        out += u' ' + attributeName + QStringLiteral("=\"") + TXMLHierarchicalWriter::EscapeXML(value) + u'"';
    if (node.ChildCount() == 0 && node.Text().isEmpty()) {
        out += QStringLiteral("/>");
        return;
    }
    out += u'>' + TXMLHierarchicalWriter::EscapeXML(node.Text());
    for (int i = 0; i < node.ChildCount(); ++i) {
        const TStringsHierarchicalWriter &child = node.Child(i);
        if (child.Visible())
            WriteNode(child, child.Name(), out);
    }
    out += QStringLiteral("</") + name + u'>';
}

} // namespace

QByteArray TXMLHierarchicalWriter::ToXML() const
{
    QString body;
    WriteNode(*this, Name().isEmpty() ? QStringLiteral("root") : Name(), body);
    return QByteArrayLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n") + body.toUtf8();
}

QString TXMLHierarchicalWriter::EscapeXML(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        const char16_t code = c.unicode();
        if (code < 32 && code != u'\n' && code != u'\r')
            continue;
        switch (code) {
        case u'"':
            out += QStringLiteral("&quot;");
            break;
        case u'\'':
            out += QStringLiteral("&#39;");
            break;
        case u'<':
            out += QStringLiteral("&lt;");
            break;
        case u'>':
            out += QStringLiteral("&gt;");
            break;
        case u'&':
            out += IsCharacterReference(text, i) ? QStringLiteral("&") : QStringLiteral("&amp;");
            break;
        default:
            out += c;
        }
    }
    return out;
}

QString TXMLHierarchicalWriter::ValidXMLName(const QString &name)
{
    if (name.isEmpty())
        return QStringLiteral("NODE");
    QString result = name;
    for (QChar &c : result) {
        if (!IsXMLNameChar(c))
            c = u'_';
    }
    if (result.startsWith(u':'))
        result.prepend(QStringLiteral("Unknown_ns"));
    else if (!IsXMLNameStartChar(result.at(0)))
        result.prepend(u'_');
    else if (result.startsWith(QStringLiteral("xml"), Qt::CaseInsensitive))
        result.prepend(u'_');
    const qsizetype firstColon = result.indexOf(u':');
    for (qsizetype i = firstColon + 1; firstColon >= 0 && i < result.size(); ++i) {
        if (result.at(i) == u':')
            result[i] = u'_';
    }
    return result;
}

QString TXMLHierarchicalWriter::AttributeName(const QString &name) const
{
    if (name == QStringLiteral("xml:lang") || name == QStringLiteral("xml:space"))
        return name;
    return ValidXMLName(name);
}

std::unique_ptr<TStringsHierarchicalWriter> TXMLHierarchicalWriter::NewNode() const
{
    return std::make_unique<TXMLHierarchicalWriter>();
}

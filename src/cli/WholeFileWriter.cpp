#include "cli/WholeFileWriter.h"

#include "base/UFormat.h"
#include "cli/CliOptions.h"
#include "cli/OutputText.h"

#include <QFileInfo>

using namespace Qt::Literals::StringLiterals;

namespace {

QString NodeName(const TPeSizeNode &node)
{
    QString name = QString::fromStdString(node.Name);
    if (node.Kind == TPeNodeKind::Form && !node.Owner.empty())
        name += u" (form of %1)"_s.arg(QString::fromStdString(node.Owner));
    return name;
}

const char *KindName(TPeNodeKind kind)
{
    switch (kind) {
    case TPeNodeKind::Section:
        return "section";
    case TPeNodeKind::Unit:
        return "unit";
    case TPeNodeKind::Form:
        return "form";
    case TPeNodeKind::Padding:
        return "padding";
    case TPeNodeKind::Part:
        break;
    }
    return "part";
}

void AppendNodes(std::string &out, const std::vector<TPeSizeNode> &nodes)
{
    out += '[';
    for (const TPeSizeNode &node : nodes) {
        if (out.back() != '[')
            out += ',';
        out += "{\"name\":";
        AppendJsonString(out, QString::fromStdString(node.Name));
        out +=
            ",\"file_size\":" + std::to_string(node.FileSize) + ",\"vm_size\":" + std::to_string(node.VmSize);
        if (node.Kind == TPeNodeKind::Unit)
            out += ",\"unit\":true";
        if (node.Kind == TPeNodeKind::Form) {
            out += ",\"form\":true";
            if (!node.Owner.empty()) {
                out += ",\"owner\":";
                AppendJsonString(out, QString::fromStdString(node.Owner));
            }
        }
        out += ",\"children\":";
        AppendNodes(out, node.Children);
        out += '}';
    }
    out += ']';
}

qsizetype NameWidth(const TPeSizeNode &node, int level, int depth)
{
    qsizetype width = 2 * (level - 1) + NodeName(node).size();
    if (depth == 0 || level < depth)
        for (const TPeSizeNode &child : node.Children)
            width = std::max(width, NameWidth(child, level + 1, depth));
    return width;
}

} // namespace

std::string WholeFileJson(const TWholeFile &File)
{
    std::string out = "{\"path\":";
    AppendJsonString(out, File.FileName);
    out += ",\"size\":" + std::to_string(File.Size) + ",\"format\":";
    AppendJsonString(out, File.Format);
    out += ",\"parts\":";
    AppendNodes(out, File.Root.Children);
    out += '}';
    return out;
}

QString TWholeFileWriter::Percent(uint64_t Size) const
{
    return Format(u"%.2f"_s, {double(Size) * FPercentFactor});
}

void TWholeFileWriter::WriteFile(const TWholeFile &File)
{
    FPercentFactor = File.Size > 0 ? 100.0 / double(File.Size) : 0;
    if (FFormat == TReportFormat::Csv) {
        Write("depth,name,kind,file_size,vm_size,percent\n");
        for (const TPeSizeNode &part : File.Root.Children)
            CsvRows(part, 1);
        return;
    }
    FNameWidth = 24;
    for (const TPeSizeNode &part : File.Root.Children)
        FNameWidth = std::max(FNameWidth, NameWidth(part, 1, FDepth));
    WriteText(u"%1 (%2)\n"_s.arg(File.FileName, File.Format));
    WriteText(NameCell(u"Part"_s, FNameWidth) + u"  "_s + u"File size"_s.rightJustified(13) + u"  "_s +
              u"Memory size"_s.rightJustified(13) + u"  "_s + u"% of file"_s.rightJustified(9) + u'\n');
    const QString rule = QString(FNameWidth + 43, u'-') + u'\n';
    WriteText(rule);
    for (const TPeSizeNode &part : File.Root.Children)
        TableRows(part, 1);
    WriteText(rule);
    WriteText(NameCell(u"Total"_s, FNameWidth) + u"  "_s +
              Thousands(qint64(File.Root.FileSize)).rightJustified(13) + u"  "_s +
              Thousands(qint64(File.Root.VmSize)).rightJustified(13) + u"  "_s +
              (Percent(File.Root.FileSize) + u" %"_s).rightJustified(9) + u'\n');
}

void TWholeFileWriter::TableRows(const TPeSizeNode &Node, int Level)
{
    QString line = NameCell(QString(2 * (Level - 1), u' ') + NodeName(Node), FNameWidth) + u"  "_s +
                   Thousands(qint64(Node.FileSize)).rightJustified(13) + u"  "_s +
                   Thousands(qint64(Node.VmSize)).rightJustified(13) + u"  "_s +
                   (Percent(Node.FileSize) + u" %"_s).rightJustified(9);
    WriteText(line + u'\n');
    if (FDepth == 0 || Level < FDepth)
        for (const TPeSizeNode &child : Node.Children)
            TableRows(child, Level + 1);
}

void TWholeFileWriter::CsvRows(const TPeSizeNode &Node, int Level)
{
    WriteText(QStringList{QString::number(Level), CsvField(QString::fromStdString(Node.Name)),
                          QString::fromLatin1(KindName(Node.Kind)), QString::number(Node.FileSize),
                          QString::number(Node.VmSize), Percent(Node.FileSize)}
                  .join(u',') +
              u'\n');
    if (FDepth == 0 || Level < FDepth)
        for (const TPeSizeNode &child : Node.Children)
            CsvRows(child, Level + 1);
}

void TJsonFileWriter::WriteFile(const TWholeFile &File)
{
    Write("{\"file\":");
    const std::string file = WholeFileJson(File);
    Write(QByteArrayView(file.data(), qsizetype(file.size())));
    Write("}\n");
}

// quillon-cli uses: one file's uses lists, from a compiled unit (.dcu) or a source.

#include "cli/BufferedWriter.h"
#include "cli/CommandSupport.h"
#include "cli/Commands.h"
#include "cli/OutputText.h"
#include "units/DcuUses.h"
#include "units/SourceUses.h"

#include <QFileInfo>

using namespace Qt::Literals::StringLiterals;

namespace {

struct TFileUses
{
    TUsesLists Lists;
    QString Compiler; // empty for a source
    QString Platform;
};

class TUsesWriter : public TBufferedWriter
{
public:
    using TBufferedWriter::TBufferedWriter;

    void Json(const TFileUses &uses)
    {
        const auto optional = [](const QString &text) {
            return text.isEmpty() ? QByteArray("null") : JsonString(text);
        };
        Write("{\"unit\":" + JsonString(uses.Lists.UnitName) + ",\"compiler\":" + optional(uses.Compiler) +
              ",\"platform\":" + optional(uses.Platform) + ",\"interface\":");
        List(uses.Lists.Interface);
        Write(",\"implementation\":");
        List(uses.Lists.Implementation);
        Write("}\n");
    }

    void Table(const TFileUses &uses)
    {
        WriteText(uses.Lists.UnitName + u'\n');
        if (!uses.Compiler.isEmpty())
            WriteText(u"compiled by %1 for %2\n"_s.arg(uses.Compiler, uses.Platform));
        Section(uses.Lists.IsProgram ? u"uses"_s : u"interface"_s, uses.Lists.Interface);
        if (!uses.Lists.IsProgram)
            Section(u"implementation"_s, uses.Lists.Implementation);
    }

private:
    void List(const std::vector<TUsedUnit> &list)
    {
        Write("[");
        for (size_t i = 0; i < list.size(); ++i)
            Write((i ? ",{\"name\":" : "{\"name\":") + JsonString(list[i].Name) +
                  ",\"imports\":" + (list[i].Imports ? "true" : "false") +
                  (list[i].Conditional ? ",\"conditional\":true" : "") + "}");
        Write("]");
    }

    void Section(const QString &title, const std::vector<TUsedUnit> &list)
    {
        WriteText(u"\n%1 (%2):\n"_s.arg(title).arg(list.size()));
        for (const TUsedUnit &used : list) {
            QString note;
            if (!used.Imports)
                note = u"initialization only"_s;
            if (used.Conditional)
                note = u"conditional"_s;
            WriteText((u"  "_s + NameCell(used.Name, 40) + u"  "_s + note).trimmed().prepend(u"  "_s) +
                      u'\n');
        }
    }
};

} // namespace

int RunUses(TCliOptions options)
{
    const QString &file = options.MapFile;
    TFileUses uses;
    try {
        if (QFileInfo(file).suffix().compare(u"dcu"_s, Qt::CaseInsensitive) == 0) {
            const TDcuUses dcu = ReadDcuUsesFile(file);
            uses = {dcu.Lists, dcu.Compiler, dcu.Platform};
            if (uses.Lists.UnitName.isEmpty())
                uses.Lists.UnitName = QFileInfo(file).completeBaseName();
        } else {
            const TSourceUses source = ReadSourceUsesFile(file);
            for (const QString &note : source.Notes)
                PrintWarning(file + u": "_s + note);
            uses.Lists = source.Lists;
        }
    } catch (const EDcuFormatError &e) {
        PrintError(file + u": "_s + e.Message());
        return QFileInfo(file).isReadable() ? ecMapMalformed : ecMapUnreadable;
    } catch (const ESourceUsesError &e) {
        PrintError(u"cannot read \"%1\": %2"_s.arg(file, e.Message()));
        return ecMapUnreadable;
    }
    if (const int refused = TCommandOutput::Refuse(options.OutputFile, {StartFolderPath(options.MapFile)});
        refused != ecSuccess)
        return refused;
    TCommandOutput output;
    if (!output.Open(options.OutputFile))
        return ecOutputFailed;
    TUsesWriter writer(output.Device());
    if (options.Format == TReportFormat::Json)
        writer.Json(uses);
    else
        writer.Table(uses);
    return output.Finish(writer) ? ecSuccess : ecOutputFailed;
}

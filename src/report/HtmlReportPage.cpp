#include "report/HtmlReportPage.h"

#include "report/ScriptDataDevice.h"

#include <QCryptographicHash>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

QByteArray PagePart(const QString &name)
{
    QFile file(u":/report/"_qs + name);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("The report page resource %s is missing", qPrintable(name));
    return file.readAll();
}

// A Content-Security-Policy source that admits exactly this inline text.
QByteArray HashSource(const QByteArray &text)
{
    return "sha256-" + QCryptographicHash::hash(text, QCryptographicHash::Sha256).toBase64();
}

QByteArray FactsJson(const THtmlReportFacts &facts)
{
    QJsonObject object{{u"map_date"_qs, facts.MapDate}, {u"version"_qs, facts.Version}};
    if (!facts.Grouping.isEmpty())
        object.insert(u"grouping"_qs, facts.Grouping);
    return EscapeScriptData(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

} // namespace

THtmlReportPage::THtmlReportPage(const THtmlReportFacts &Facts)
{
    Q_INIT_RESOURCE(Report);
    const QByteArray page = PagePart(u"ReportPage.html"_qs);
    const QByteArray style = PagePart(u"ReportPage.css"_qs);
    const QByteArray script = PagePart(u"ReportPage.js"_qs);
    const qsizetype data = page.indexOf("@DATA@");
    Q_ASSERT(data >= 0);
    // The facts come from outside (a path may hold anything), so they go in last, where no
    // marker is looked for in them.
    FHead = page.left(data)
                .replace("@SCRIPT_HASH@", HashSource(script))
                .replace("@STYLE_HASH@", HashSource(style))
                .replace("@STYLE@", style)
                .replace("@REPORT@", FactsJson(Facts));
    const qsizetype graph = page.indexOf("@GRAPH@", data);
    Q_ASSERT(graph > data);
    FMiddle = page.mid(data + 6, graph - data - 6);
    FTail = page.mid(graph + 7).replace("@SCRIPT@", script);
}

// The HTML report in a real browser: headless Chromium opens the page from a file:// address and
// hands back its document once the page's work is done.

#include "CliRun.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QRegularExpression>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrl>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

namespace {

QString Chromium()
{
    return QStandardPaths::findExecutable(u"chromium"_qs);
}

// One headless Chromium opening a page (the fragment already encoded); the document is the page's
// after it has loaded and its timers have run.
class TChromiumPage
{
public:
    TChromiumPage(const QString &page, const QString &fragment)
    {
        FProcess.start(Chromium(),
                       {u"--headless"_qs, u"--no-sandbox"_qs, u"--disable-gpu"_qs,
                        u"--disable-background-networking"_qs, u"--disable-component-update"_qs,
                        u"--disable-sync"_qs, u"--no-first-run"_qs, u"--user-data-dir="_qs + FProfile.path(),
                        u"--window-size=1280,900"_qs, u"--virtual-time-budget=10000"_qs, u"--dump-dom"_qs,
                        QUrl::fromLocalFile(page).toString(QUrl::FullyEncoded) + fragment});
    }

    QString Document()
    {
        EXPECT_TRUE(FProcess.waitForFinished(120000)) << FProcess.arguments().last().toStdString();
        return QString::fromUtf8(FProcess.readAllStandardOutput());
    }

private:
    QTemporaryDir FProfile;
    QProcess FProcess;
};

QString OpenInChromium(const QString &page, const QString &fragment = QString())
{
    return TChromiumPage(page, fragment).Document();
}

QString SearchFragment(const QString &text)
{
    return u"#search="_qs + QString::fromLatin1(QUrl::toPercentEncoding(text));
}

QJsonObject ParseJson(const QByteArray &json)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
    return document.object();
}

// The data the page embeds, read from the file as the page reads it.
QJsonObject EmbeddedData(const QString &page)
{
    QFile file(page);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray html = file.readAll();
    const QByteArray opening = R"(<script type="application/json" id="quillon-data">)";
    const qsizetype from = html.indexOf(opening) + opening.size();
    const qsizetype to = html.indexOf("</script>", from);
    EXPECT_TRUE(from >= opening.size() && to > from);
    return ParseJson(html.mid(from, to - from));
}

// The unit graph the page embeds beside the data; null when no uses were found.
QJsonValue EmbeddedGraph(const QString &page)
{
    QFile file(page);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray html = file.readAll();
    const QByteArray opening = R"(<script type="application/json" id="quillon-graph">)";
    const qsizetype from = html.indexOf(opening) + opening.size();
    const qsizetype to = html.indexOf("</script>", from);
    EXPECT_TRUE(from >= opening.size() && to > from);
    const QByteArray text = html.mid(from, to - from);
    return text == "null" ? QJsonValue(QJsonValue::Null) : QJsonValue(ParseJson(text));
}

struct TSearchResult
{
    qint64 Matches = 0; // units and symbols whose own name holds the text
    qint64 Units = 0;   // units that match or hold a match
    qint64 Bytes = 0;   // their code size
};

TSearchResult Search(const QJsonObject &report, const QString &text)
{
    TSearchResult result;
    const QString needle = text.toLower();
    const std::function<qint64(const QJsonArray &)> matchesIn = [&](const QJsonArray &nodes) {
        qint64 found = 0;
        for (const QJsonValue node : nodes)
            found +=
                node["name"].toString().toLower().contains(needle) + matchesIn(node["children"].toArray());
        return found;
    };
    QSet<QString> unitNames;
    for (const QJsonValue unit : report["units"].toArray()) {
        unitNames << unit["name"].toString();
        const qint64 found =
            unit["name"].toString().toLower().contains(needle) + matchesIn(unit["symbols"].toArray());
        result.Matches += found;
        if (found) {
            ++result.Units;
            result.Bytes += unit["code_size"].toInteger();
        }
    }
    // The parts of the executable are found too, but for a unit's node in a code section: the unit
    // stands there itself.
    const QSet<QString> codeSections{u"CODE"_qs, u".text"_qs, u".itext"_qs};
    const std::function<qint64(const QJsonArray &, bool)> partMatches = [&](const QJsonArray &nodes, bool inCode) {
        qint64 found = 0;
        for (const QJsonValue node : nodes) {
            const QJsonArray children = node["children"].toArray();
            const bool unitItself =
                inCode && node["unit"].toBool() && children.isEmpty() && unitNames.contains(node["name"].toString());
            if (!unitItself)
                found += node["name"].toString().toLower().contains(needle);
            found += partMatches(children, false);
        }
        return found;
    };
    for (const QJsonValue part : report["file"]["parts"].toArray()) {
        result.Matches += part["name"].toString().toLower().contains(needle);
        result.Matches += partMatches(part["children"].toArray(), codeSections.contains(part["name"].toString()));
    }
    return result;
}

void ExpectNoFaults(const QString &dom, const QString &what)
{
    EXPECT_FALSE(dom.isEmpty()) << what.toStdString() << ": Chromium gave no document";
    EXPECT_FALSE(dom.contains(u"id=\"script-error\""_qs)) << what.toStdString() << ": " << dom.toStdString();
    EXPECT_FALSE(dom.contains(u"id=\"csp-violation\""_qs)) << what.toStdString() << ": " << dom.toStdString();
    EXPECT_TRUE(dom.contains(QRegularExpression(u"<body[^>]* data-ready=\"\\d+ \\d+ \\d+\""_qs)))
        << what.toStdString() << ": the page never got ready";
}

// Text as the document shows it, from the serialised document.
QString Unescaped(QString text)
{
    return text.replace(u"&lt;"_qs, u"<"_qs)
        .replace(u"&gt;"_qs, u">"_qs)
        .replace(u"&nbsp;"_qs, u"\u00a0"_qs)
        .replace(u"&amp;"_qs, u"&"_qs);
}

QString MatchCount(const QString &dom)
{
    return Unescaped(
        QRegularExpression(u"<output id=\"match-count\"[^>]*>([^<]*)</output>"_qs).match(dom).captured(1));
}

QStringList Captures(const QString &dom, const QString &pattern)
{
    QStringList found;
    for (const QRegularExpressionMatch &match : QRegularExpression(pattern).globalMatch(dom))
        found << Unescaped(match.captured(1));
    return found;
}

// The labels of the treemap's top tiles, the table's unit rows.
QStringList TopTiles(const QString &dom)
{
    return Captures(
        dom, u"<div class=\"tm-node[^\"]*\"[^>]*data-depth=\"1\"[^>]*><span class=\"tm-label\">([^<]*)<"_qs);
}
qsizetype UnitRows(const QString &dom)
{
    return Captures(dom, u"<tr data-id=\"(\\d+)\" class=\"unit"_qs).size();
}

// The Why linked panel as shown: its summary, then each section's caption and rows ("Unit|detail").
struct TWhyPanel
{
    bool Hidden = true;
    QString Summary;
    std::vector<std::pair<QString, QStringList>> Sections;
};

TWhyPanel WhyPanel(const QString &dom)
{
    TWhyPanel panel;
    const QRegularExpressionMatch aside = QRegularExpression(
        u"<aside id=\"why\"([^>]*)>(.*?)</aside>"_qs, QRegularExpression::DotMatchesEverythingOption).match(dom);
    if (!aside.hasMatch())
        return panel;
    panel.Hidden = aside.captured(1).contains(u"hidden"_qs);
    const QString body = aside.captured(2);
    panel.Summary = Unescaped(QRegularExpression(u"<p id=\"why-summary\"[^>]*>([^<]*)</p>"_qs).match(body).captured(1));
    const QRegularExpression section(u"<h3>([^<]*)</h3><(?:ol|ul)[^>]*>(.*?)</(?:ol|ul)>"_qs,
                                     QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpression row(
        u"<li>(?:<button[^>]*>|<span class=\"unit-name\">)([^<]*)</(?:button|span)><span class=\"why-detail\">([^<]*)</span></li>"_qs);
    for (const QRegularExpressionMatch &match : section.globalMatch(body)) {
        QStringList rows;
        for (const QRegularExpressionMatch &item : row.globalMatch(match.captured(2)))
            rows << Unescaped(item.captured(1)) + u'|' + Unescaped(item.captured(2));
        panel.Sections.emplace_back(Unescaped(match.captured(1)), rows);
    }
    return panel;
}

QString Fact(const QString &dom, const QString &term)
{
    return Unescaped(
        QRegularExpression(u"<dt>"_qs + term + u"</dt><dd>([^<]*)</dd>"_qs).match(dom).captured(1));
}

// Writes the HTML and the JSON report of a MAP file; the JSON is returned, parsed.
QJsonObject WriteReports(const QString &map, const QString &page, const QStringList &options = {})
{
    const TCliResult html =
        RunCli(QStringList{u"report"_qs, map, u"--format"_qs, u"html"_qs, u"--output"_qs, page} + options);
    EXPECT_EQ(html.ExitCode, 0) << map.toStdString() << html.Err.toStdString();
    const TCliResult json =
        RunCli(QStringList{u"report"_qs, map, u"--format"_qs, u"json"_qs, u"--symbols"_qs} + options);
    EXPECT_EQ(json.ExitCode, 0) << map.toStdString() << json.Err.toStdString();
    return ParseJson(json.Out);
}

class HtmlReportTest : public testing::Test
{
protected:
    void SetUp() override
    {
        if (Chromium().isEmpty())
            GTEST_SKIP() << "chromium is not installed (scripts/ensure-deps.sh installs it)";
        ASSERT_TRUE(FFolder.isValid());
    }
    QString Page(const QString &name) const { return FFolder.filePath(name); }

private:
    QTemporaryDir FFolder;
};

} // namespace

TEST_F(HtmlReportTest, TheSampleShowsItsDataSearchesAndZooms)
{
    const QString page = Page(u"sample.html"_qs);
    const QJsonObject json = WriteReports(SampleMapFile, page, {u"--search-dir"_qs, SampleFolder});
    EXPECT_EQ(EmbeddedData(page), json) << "the page embeds the JSON report";

    const QString whole = OpenInChromium(page);
    ExpectNoFaults(whole, u"no search"_qs);
    EXPECT_EQ(UnitRows(whole), json["units"].toArray().size());
    EXPECT_EQ(Fact(whole, u"Total code size"_qs), u"8,648 bytes"_qs);
    EXPECT_EQ(Fact(whole, u"Quillon"_qs), u"1.0"_qs);
    EXPECT_EQ(Fact(whole, u"Grouped by"_qs), u"address"_qs);
    EXPECT_TRUE(MatchCount(whole).isEmpty());
    QStringList unitNames;
    for (const QJsonValue unit : json["units"].toArray())
        unitNames << unit["name"].toString();
    EXPECT_EQ(TopTiles(whole).join(u'|').toStdString(), unitNames.join(u'|').toStdString())
        << "the whole program shows its units, largest first";

    // Searching ignores case and finds names at every depth; the table keeps what holds a match.
    const QString searched = OpenInChromium(page, SearchFragment(u"FORM"_qs));
    ExpectNoFaults(searched, u"search"_qs);
    const TSearchResult expected = Search(json, u"form"_qs);
    ASSERT_GT(expected.Matches, 0);
    EXPECT_EQ(MatchCount(searched), u"%1 matches · %2 bytes in %3 units holding them"_qs.arg(expected.Matches)
                                        .arg(QLocale(QLocale::English).toString(expected.Bytes))
                                        .arg(expected.Units));
    EXPECT_EQ(UnitRows(searched), expected.Units);
    EXPECT_TRUE(searched.contains(u"<input id=\"search\""_qs));
    EXPECT_TRUE(searched.contains(u"T<mark>Form</mark>Main"_qs)) << "matches are marked, parents opened";
    EXPECT_TRUE(searched.contains(QRegularExpression(u"<div class=\"tm-node hit\""_qs)));
    EXPECT_TRUE(searched.contains(QRegularExpression(u"<div class=\"tm-node dim\""_qs)));

    // Zooming into a unit shows its classes instead of the units.
    const QString zoomed = OpenInChromium(page, u"#zoom=System.Classes"_qs);
    ExpectNoFaults(zoomed, u"zoom"_qs);
    QStringList classes;
    for (const QJsonValue unit : json["units"].toArray())
        if (unit["name"].toString() == u"System.Classes")
            for (const QJsonValue symbol : unit["symbols"].toArray())
                classes << symbol["name"].toString();
    // Tiles too small for their name go without a label.
    const QStringList tiles = TopTiles(zoomed);
    EXPECT_GE(tiles.size(), 6);
    EXPECT_EQ(tiles.join(u'|').toStdString(), classes.mid(0, tiles.size()).join(u'|').toStdString());
    EXPECT_TRUE(zoomed.contains(u"aria-current=\"location\">System.Classes</button>"_qs));
}

// With the executable of the build, the treemap's root is the whole file; the units stand in their
// code section and keep their symbols, and the links of a page without the executable still work.
TEST_F(HtmlReportTest, TheWholeFileIsTheTreemapsRoot)
{
    const QString map = QStringLiteral(QUILLON_CORPUS_DIR "/d7-circuit/Project1.map");
    if (!QFileInfo(map).isFile())
        GTEST_SKIP() << "no corpus at " << QUILLON_CORPUS_DIR;
    const QString page = Page(u"circuit.html"_qs);
    const QJsonObject json = WriteReports(map, page);
    EXPECT_EQ(EmbeddedData(page), json);
    const QJsonArray parts = json["file"]["parts"].toArray();
    ASSERT_FALSE(parts.isEmpty());

    const QString whole = OpenInChromium(page);
    ExpectNoFaults(whole, u"whole file"_qs);
    EXPECT_EQ(Fact(whole, u"File size"_qs), u"850,944 bytes (PE32)"_qs);
    EXPECT_TRUE(whole.contains(u"aria-current=\"location\">Project1.exe</button>"_qs));
    std::vector<std::pair<qint64, QString>> bySize;
    for (const QJsonValue part : parts)
        if (part["file_size"].toInteger() > 0)
            bySize.emplace_back(-part["file_size"].toInteger(), part["name"].toString());
    std::stable_sort(bySize.begin(), bySize.end(),
                     [](const auto &a, const auto &b) { return a.first < b.first; });
    QStringList expected;
    for (const auto &[negativeSize, name] : bySize)
        expected << name;
    const QStringList tiles = TopTiles(whole);
    EXPECT_GE(tiles.size(), 4);
    EXPECT_EQ(tiles.join(u'|').toStdString(), expected.mid(0, tiles.size()).join(u'|').toStdString())
        << "the file's parts, largest first";
    EXPECT_EQ(UnitRows(whole), json["units"].toArray().size()) << "the unit table stays below";

    QStringList classes;
    for (const QJsonValue unit : json["units"].toArray())
        if (unit["name"].toString() == u"Unit1")
            for (const QJsonValue symbol : unit["symbols"].toArray())
                classes << symbol["name"].toString();
    ASSERT_FALSE(classes.isEmpty());
    for (const QString &fragment : {u"#zoom=CODE/Unit1"_qs, u"#zoom=Unit1"_qs}) {
        const QString zoomed = OpenInChromium(page, fragment);
        ExpectNoFaults(zoomed, fragment);
        EXPECT_TRUE(zoomed.contains(QRegularExpression(
            u"Project1.exe</button><span class=\"sep\">›</span><button type=\"button\" data-id=\"\\d+\">CODE</button>"
            u"<span class=\"sep\">›</span><button type=\"button\" data-id=\"\\d+\" aria-current=\"location\">Unit1</button>"_qs)))
            << fragment.toStdString();
        const QStringList unitTiles = TopTiles(zoomed);
        EXPECT_FALSE(unitTiles.isEmpty());
        EXPECT_EQ(unitTiles.join(u'|').toStdString(), classes.mid(0, unitTiles.size()).join(u'|').toStdString());
    }

    // Without the executable the page is as before: the units at the root.
    const QString unitsOnly = Page(u"circuit-units.html"_qs);
    WriteReports(map, unitsOnly, {u"--exe"_qs, u"none"_qs});
    const QString plain = OpenInChromium(unitsOnly);
    ExpectNoFaults(plain, u"no executable"_qs);
    EXPECT_TRUE(plain.contains(u"aria-current=\"location\">All units</button>"_qs));
    EXPECT_TRUE(Fact(plain, u"File size"_qs).isEmpty());
}

// The embedded graph is the one quillon-cli graph gives; a page without any uses read embeds none
// and shows no panel.
TEST_F(HtmlReportTest, TheEmbeddedGraphIsTheCommandLinesGraph)
{
    const QString folder = QStringLiteral(QUILLON_CORPUS_DIR "/d7-circuit");
    if (!QFileInfo(folder).isDir())
        GTEST_SKIP() << "no corpus at " << QUILLON_CORPUS_DIR;
    const QString page = Page(u"graph.html"_qs);
    WriteReports(folder + u"/Project1.map"_qs, page, {u"--search-dir"_qs, folder});
    const QJsonObject graph = EmbeddedGraph(page).toObject();
    const TCliResult cli = RunCli({u"graph"_qs, folder + u"/Project1.map"_qs, u"--search-dir"_qs, folder,
                                   u"--format"_qs, u"json"_qs});
    ASSERT_EQ(cli.ExitCode, 0) << cli.Err.toStdString();
    const QJsonObject expected = ParseJson(cli.Out);
    const QJsonArray names = graph["names"].toArray();
    ASSERT_EQ(names.size(), expected["units"].toArray().size());
    EXPECT_EQ(names[graph["root"].toInt()].toString(), expected["root"].toString());
    const QStringList kinds{u"interface"_qs, u"implementation"_qs, u"program"_qs};
    const QStringList origins{u"dcu"_qs, u"source"_qs, u"exe"_qs};
    QSet<QString> upper;
    for (const QJsonValue unit : graph["upper"].toArray())
        upper << names[unit.toInt()].toString();
    int edges = 0;
    for (const QJsonValue unit : expected["units"].toArray()) {
        const QString name = unit["name"].toString();
        const auto at = std::find(names.begin(), names.end(), QJsonValue(name));
        ASSERT_NE(at, names.end()) << name.toStdString();
        const int index = int(at - names.begin());
        EXPECT_EQ(graph["code"][index].toInteger(), unit["code_size"].toInteger()) << name.toStdString();
        EXPECT_EQ(graph["known"][index].toInt() == 1, unit["uses_known"].toBool()) << name.toStdString();
        EXPECT_EQ(graph["retained"][index].toInteger(), unit["retained_size"].toInteger(0)) << name.toStdString();
        QStringList page, cliUses;
        for (const QJsonValue edge : graph["uses"][index].toArray()) {
            const int code = edge.toInt();
            page << names[code / 64].toString() + u' ' + kinds[code & 3] + u' ' + origins[(code >> 2) & 3] +
                        (code & 16 ? u" imports"_qs : u""_qs) + (code & 32 ? u" conditional"_qs : u""_qs);
        }
        for (const QJsonValue edge : unit["uses"].toArray())
            cliUses << edge["name"].toString() + u' ' + edge["kind"].toString() + u' ' + edge["from"].toString() +
                           (edge["imports"].toBool() ? u" imports"_qs : u""_qs) +
                           (edge["conditional"].toBool() ? u" conditional"_qs : u""_qs);
        EXPECT_EQ(page.join(u", "_qs).toStdString(), cliUses.join(u", "_qs).toStdString()) << name.toStdString();
        edges += int(cliUses.size());
    }
    EXPECT_GT(edges, 50);
    EXPECT_TRUE(upper.contains(u"Unit1"_qs)) << "Unit4 has unknown uses outside what Unit1 keeps alive";

    // No project file, no search folder, no executable: nothing to tell, no panel.
    QTemporaryDir dir;
    QFile::copy(SampleMapFile, dir.filePath(u"Alone.map"_qs));
    const QString alone = Page(u"alone.html"_qs);
    WriteReports(dir.filePath(u"Alone.map"_qs), alone);
    EXPECT_TRUE(EmbeddedGraph(alone).isNull());
    const TWhyPanel panel = WhyPanel(OpenInChromium(alone, u"#zoom=Main"_qs));
    EXPECT_TRUE(panel.Hidden);
}

// The panel of a unit the page opens says what quillon-cli why says: its chains, its direct users,
// what it keeps alive and whether that is an upper bound; its units lead to their own.
TEST_F(HtmlReportTest, TheWhyLinkedPanelAnswersAsWhyDoes)
{
    const QString folder = QStringLiteral(QUILLON_CORPUS_DIR "/d7-circuit");
    if (!QFileInfo(folder).isDir())
        GTEST_SKIP() << "no corpus at " << QUILLON_CORPUS_DIR;
    const QString map = folder + u"/Project1.map"_qs;
    const QString page = Page(u"why.html"_qs);
    WriteReports(map, page, {u"--search-dir"_qs, folder});
    // The program, units with one and two chains, an upper bound, a dominated unit, an unreachable one.
    const QStringList units{u"Project1"_qs, u"Unit1"_qs, u"Unit4"_qs, u"jpeg"_qs, u"Grids"_qs, u"Types"_qs,
                            u"SysUtils"_qs};
    std::vector<std::unique_ptr<TChromiumPage>> browsers;
    for (const QString &unit : units)
        browsers.push_back(std::make_unique<TChromiumPage>(page, u"#zoom="_qs + unit));
    const QLocale english(QLocale::English);
    const auto edgeText = [](const QJsonValue &edge) {
        QString text = edge["kind"].toString() + u", "_qs + edge["from"].toString();
        if (edge["conditional"].toBool())
            text += u", conditional"_qs;
        if (!edge["imports"].toBool())
            text += u", initialization only"_qs;
        return text;
    };
    for (size_t i = 0; i < size_t(units.size()); ++i) {
        const std::string unit = units[qsizetype(i)].toStdString();
        const TCliResult why = RunCli({u"why"_qs, map, units[qsizetype(i)], u"--search-dir"_qs, folder,
                                       u"--paths"_qs, u"3"_qs, u"--format"_qs, u"json"_qs});
        ASSERT_EQ(why.ExitCode, 0) << unit << why.Err.toStdString();
        const QJsonObject answer = ParseJson(why.Out);
        const QString dom = browsers[i]->Document();
        ExpectNoFaults(dom, units[qsizetype(i)]);
        const TWhyPanel panel = WhyPanel(dom);
        EXPECT_FALSE(panel.Hidden) << unit;

        std::vector<std::pair<QString, QStringList>> expected;
        const QJsonArray chains = answer["chains"].toArray();
        for (qsizetype c = 0; c < chains.size(); ++c) {
            QStringList rows;
            for (const QJsonValue step : chains[c].toArray())
                rows << step["name"].toString() + u'|' +
                            (step.toObject().contains(u"kind"_qs) ? edgeText(step) : u"the program"_qs);
            expected.emplace_back(c == 0 ? u"Shortest chain from the program"_qs : u"Chain %1"_qs.arg(c + 1), rows);
        }
        QStringList users;
        for (const QJsonValue user : answer["used_by"].toArray())
            users << user["name"].toString() + u'|' + edgeText(user);
        expected.emplace_back(u"Used directly by (%1)"_qs.arg(users.size()), users);
        const QJsonArray keeps = answer["keeps"].toArray();
        const bool upper = answer["upper_bound"].toBool();
        const QString retained = english.toString(answer["retained_size"].toInteger());
        if (!keeps.isEmpty()) {
            QStringList kept;
            for (const QJsonValue k : keeps)
                kept << k["name"].toString() + u'|' + english.toString(k["code_size"].toInteger()) + u" bytes"_qs;
            expected.emplace_back(u"Keeps alive (%1 bytes%2)"_qs.arg(
                                      retained, upper ? u", an upper bound: units of unknown uses may use some of them"_qs
                                                      : QString()),
                                  kept);
        }
        ASSERT_EQ(panel.Sections.size(), expected.size()) << unit << ": " << panel.Summary.toStdString();
        for (size_t s = 0; s < expected.size(); ++s) {
            EXPECT_EQ(panel.Sections[s].first.toStdString(), expected[s].first.toStdString()) << unit;
            EXPECT_EQ(panel.Sections[s].second.join(u" / "_qs).toStdString(),
                      expected[s].second.join(u" / "_qs).toStdString())
                << unit << ": " << expected[s].first.toStdString();
        }
        const QString head = units[qsizetype(i)] + u": "_qs + english.toString(answer["code_size"].toInteger()) +
                             u" bytes of code. "_qs;
        if (chains.isEmpty())
            EXPECT_TRUE(panel.Summary.startsWith(head + u"No chain from the program is known"_qs))
                << panel.Summary.toStdString();
        else
            EXPECT_EQ(panel.Summary.toStdString(),
                      (head + u"Removing it saves %1%2 bytes in %3."_qs.arg(
                                  upper ? u"up to "_qs : QString(), retained,
                                  keeps.size() == 1 ? u"1 unit"_qs : u"%1 units"_qs.arg(keeps.size())))
                          .toStdString());
    }
    // The chains' units are links to the units of the table.
    const QString dom = OpenInChromium(page, u"#zoom=jpeg"_qs);
    EXPECT_TRUE(dom.contains(QRegularExpression(u"<button type=\"button\" class=\"unit-link\" data-unit=\"\\d+\" "
                                                u"title=\"Go to Unit2\">Unit2</button>"_qs)))
        << dom.toStdString();
}

TEST_F(HtmlReportTest, HostileNamesStayText)
{
    QTemporaryDir dir;
    const QString map = dir.filePath(u"Hostile.map"_qs);
    QFile file(map);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(
        "\r\n Start         Length     Name                   Class\r\n"
        " 0001:00401000 00000100H .text                   CODE\r\n\r\nDetailed map of segments\r\n\r\n"
        " 0001:00000000 00000080 C=CODE     S=.text    G=(none)   M=</script><img/src=x/onerror=alert(1)> "
        "ACBP=A9\r\n"
        " 0001:00000080 00000080 C=CODE     S=.text    G=(none)   M=Plain    ACBP=A9\r\n"
        "\r\n\r\n  Address             Publics by Name\r\n\r\n"
        "\r\n\r\n  Address             Publics by Value\r\n\r\n"
        " 0001:00000080       Plain.<img src=x onerror=alert(1)>\r\n"
        " 0001:000000A0       Plain.</script><script>alert(1)</script>\r\n"
        " 0001:000000C0       Plain.TForm.<b onmouseover=alert(1)>Create\r\n"
        " 0001:000000E0       Plain.TForm.<!--<script>\r\n");
    file.close();
    const QString page = Page(u"hostile.html"_qs);
    const QJsonObject json = WriteReports(map, page);
    EXPECT_EQ(EmbeddedData(page), json);

    const QString dom = OpenInChromium(page, SearchFragment(u"<"_qs));
    ExpectNoFaults(dom, u"hostile names"_qs);
    const TSearchResult expected = Search(json, u"<"_qs);
    EXPECT_GE(expected.Matches, 5);
    EXPECT_TRUE(MatchCount(dom).startsWith(QString::number(expected.Matches) + u" matches"_qs))
        << MatchCount(dom).toStdString();
    EXPECT_EQ(UnitRows(dom), 2);
    // No element came from a name: every name is shown as text (and marked where it matched).
    for (const char *tag : {"<img", "<b ", "<script>alert"})
        EXPECT_FALSE(dom.contains(QString::fromLatin1(tag))) << tag << " became an element";
    EXPECT_TRUE(dom.contains(u"<mark>&lt;</mark>img src=x onerror=alert(1)&gt;"_qs)) << dom.toStdString();
    EXPECT_TRUE(
        dom.contains(u"<mark>&lt;</mark>/script&gt;<mark>&lt;</mark>img/src=x/onerror=alert(1)&gt;"_qs));
}

TEST_F(HtmlReportTest, EveryCorpusFileOpensWithItsDataAndAWorkingSearch)
{
    QDirIterator it(QUILLON_CORPUS_DIR, {u"*.map"_qs}, QDir::Files, QDirIterator::Subdirectories);
    if (!it.hasNext())
        GTEST_SKIP() << "no corpus at " << QUILLON_CORPUS_DIR;
    struct TCorpusPage
    {
        QString Map;
        QString Html;
        QJsonObject Json;
        QString Search;
        std::unique_ptr<TChromiumPage> Browser;
    };
    std::vector<TCorpusPage> pages;
    while (it.hasNext()) {
        TCorpusPage page;
        page.Map = it.next();
        page.Html = Page(u"corpus%1.html"_qs.arg(pages.size()));
        page.Json = WriteReports(page.Map, page.Html, {u"--search-dir"_qs, QFileInfo(page.Map).path()});
        EXPECT_EQ(EmbeddedData(page.Html), page.Json) << page.Map.toStdString();

        // The search text is the first routine of the largest unit, upper-cased.
        const QJsonObject largest = page.Json["units"].toArray().first().toObject();
        QJsonArray level = largest["symbols"].toArray();
        while (!level.isEmpty()) {
            page.Search = level.first().toObject()["name"].toString();
            level = level.first().toObject()["children"].toArray();
        }
        if (page.Search.isEmpty())
            page.Search = largest["name"].toString();
        pages.push_back(std::move(page));
    }
    // The browsers mostly wait: a few run side by side.
    constexpr size_t SideBySide = 4;
    for (size_t i = 0; i < pages.size(); ++i) {
        TCorpusPage &page = pages[i];
        if (i % SideBySide == 0)
            for (size_t k = i; k < std::min(i + SideBySide, pages.size()); ++k)
                pages[k].Browser =
                    std::make_unique<TChromiumPage>(pages[k].Html, SearchFragment(pages[k].Search.toUpper()));
        const std::string map = page.Map.toStdString();
        const QString dom = page.Browser->Document();
        page.Browser.reset();
        ExpectNoFaults(dom, page.Map);
        const TSearchResult expected = Search(page.Json, page.Search);
        EXPECT_GT(expected.Matches, 0) << map;
        EXPECT_TRUE(MatchCount(dom).startsWith(QString::number(expected.Matches) + u" match"_qs))
            << map << ": " << page.Search.toStdString() << ": " << MatchCount(dom).toStdString();
        EXPECT_EQ(UnitRows(dom), expected.Units) << map;
        EXPECT_EQ(Fact(dom, u"Units"_qs).remove(u','), QString::number(page.Json["units"].toArray().size()))
            << map;
    }
}

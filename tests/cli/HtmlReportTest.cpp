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
    for (const QJsonValue unit : report["units"].toArray()) {
        const qint64 found =
            unit["name"].toString().toLower().contains(needle) + matchesIn(unit["symbols"].toArray());
        result.Matches += found;
        if (found) {
            ++result.Units;
            result.Bytes += unit["code_size"].toInteger();
        }
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

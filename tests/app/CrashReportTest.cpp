#include "app/UCrashReport.h"
#include "app/UCrashTools.h"
#include "base/Exception.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <QStringList>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

namespace {

// Every element of the report as "path/Name" or "path/Name=text" for elements holding only text.
QStringList ElementPaths(const QByteArray &xml)
{
    QStringList paths;
    QStringList stack;
    QXmlStreamReader reader(xml);
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement()) {
            stack << reader.name().toString();
            paths << stack.join(u'/');
        } else if (reader.isCharacters() && !reader.isWhitespace()) {
            paths.last() += u'=' + reader.text().toString();
        } else if (reader.isEndElement()) {
            stack.removeLast();
        }
    }
    EXPECT_FALSE(reader.hasError()) << reader.errorString().toStdString();
    return paths;
}

std::exception_ptr Chained()
{
    try {
        try {
            try {
                throw EInOutError(QStringLiteral("disk"));
            } catch (...) {
                std::throw_with_nested(EConvertError(QStringLiteral("'$ZZ' is not a valid integer value")));
            }
        } catch (...) {
            std::throw_with_nested(EAssertionFailed(QStringLiteral("outer")));
        }
    } catch (...) {
        return std::current_exception();
    }
}

class CrashReportTest : public ::testing::Test
{
protected:
    void SetUp() override { InitCrashReporters(); }
    void TearDown() override { FreeCrashReporters(); }
};

TEST_F(CrashReportTest, HoldsVersionAndTheFourSectionsInOrder)
{
    const QByteArray xml = CrashReportXML(std::make_exception_ptr(EConvertError(QStringLiteral("bad"))));
    ASSERT_TRUE(
        xml.startsWith("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<root><Root><Version>1.00</Version>"));
    EXPECT_EQ(xml.count('\n'), 1);

    QStringList sections;
    for (const QString &path : ElementPaths(xml)) {
        if (path.count(u'/') == 2)
            sections << path.section(u'/', 2).section(u'=', 0, 0);
    }
    EXPECT_EQ(sections,
              QStringList({"Version", "Exception", "Application", "OperatingSystem", "UserSession"}));
}

TEST_F(CrashReportTest, ExceptionSectionNamesClassAndMessageWithTicksLast)
{
    const QStringList paths =
        ElementPaths(CrashReportXML(std::make_exception_ptr(EConvertError(QStringLiteral("bad")))));
    const QString exception = QStringLiteral("root/Root/Exception/");
    QStringList children;
    for (const QString &path : paths) {
        if (path.startsWith(exception))
            children << path.mid(exception.size()).section(u'=', 0, 0);
    }
    EXPECT_EQ(children, QStringList({"DateTime", "Class", "Message", "ExceptAddr", "Ticks"}));
    EXPECT_TRUE(paths.contains(exception + QStringLiteral("Class=EConvertError")));
    EXPECT_TRUE(paths.contains(exception + QStringLiteral("Message=bad")));
    const QString dateTime = paths.filter(exception + QStringLiteral("DateTime=")).value(0);
    EXPECT_TRUE(QRegularExpression(QStringLiteral("=\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{3}$"))
                    .match(dateTime)
                    .hasMatch())
        << dateTime.toStdString();
    EXPECT_EQ(paths.filter(QRegularExpression(QStringLiteral("/Exception/ExceptAddr=[0-9A-F]{8}$"))).size(),
              1);
}

TEST_F(CrashReportTest, InnerExceptionsNestAndTheInnermostHoldsTheTicks)
{
    const QStringList paths = ElementPaths(CrashReportXML(Chained()));
    const QString first = QStringLiteral("root/Root/Exception/InnerException");
    const QString second = first + QStringLiteral("/InnerException");
    EXPECT_TRUE(paths.contains(QStringLiteral("root/Root/Exception/Class=EAssertionFailed")));
    EXPECT_TRUE(paths.contains(first + QStringLiteral("/Class=EConvertError")));
    EXPECT_TRUE(paths.contains(first + QStringLiteral("/Message='$ZZ' is not a valid integer value")));
    EXPECT_TRUE(paths.contains(second + QStringLiteral("/Class=EInOutError")));
    EXPECT_TRUE(paths.contains(second + QStringLiteral("/Message=disk")));
    EXPECT_EQ(paths.filter(QStringLiteral("/Ticks=")).size(), 1);
    EXPECT_TRUE(
        paths.filter(QStringLiteral("/Ticks=")).value(0).startsWith(second + QStringLiteral("/Ticks=")));
}

TEST_F(CrashReportTest, MessageIsEscapedAndKeepsCharacterReferences)
{
    const QByteArray xml =
        CrashReportXML(std::make_exception_ptr(Exception(QStringLiteral("a<b & c\td caf&#233;"))));
    EXPECT_TRUE(xml.contains("<Message>a&lt;b &amp; cd caf&#233;</Message>")) << xml.constData();
}

TEST_F(CrashReportTest, ApplicationAndSessionSectionsDescribeThisProcess)
{
    const QStringList paths =
        ElementPaths(CrashReportXML(std::make_exception_ptr(EAbort(QStringLiteral("x")))));
    EXPECT_TRUE(paths.contains(QStringLiteral("root/Root/Application/ExeName=") +
                               QCoreApplication::applicationFilePath()));
    EXPECT_TRUE(
        paths.filter(QRegularExpression(QStringLiteral("^root/Root/Application/FileSize=\\d+$"))).size() ==
        1);
    EXPECT_TRUE(paths
                    .filter(QRegularExpression(
                        QStringLiteral("^root/Root/Application/FileDate=\\d\\d/\\d\\d/\\d{4}")))
                    .size() == 1);
    EXPECT_TRUE(
        paths.filter(QRegularExpression(QStringLiteral("^root/Root/UserSession/TSESession=[YN]$"))).size() ==
        1);
    EXPECT_TRUE(paths.filter(QStringLiteral("root/Root/UserSession/Paths/Temp=")).size() == 1);
}

TEST_F(CrashReportTest, AReportDoesNotCarryAnEarlierException)
{
    CrashReportXML(std::make_exception_ptr(EConvertError(QStringLiteral("first"))));
    const QByteArray xml = CrashReportXML(std::make_exception_ptr(EConvertError(QStringLiteral("second"))));
    EXPECT_EQ(xml.count("<Exception>"), 1);
    EXPECT_FALSE(xml.contains("first"));
}

} // namespace

#include "app/UHierarchical.h"

#include <gtest/gtest.h>

namespace {

// Test names keep letters and digits only, so that every case has a readable, stable name.
std::string Printable(const char16_t *text)
{
    std::string name;
    for (const QChar c : QString::fromUtf16(text))
        name += c.unicode() < 128 && c.isLetterOrNumber() ? char(c.unicode()) : '_';
    return name;
}

struct TEscapeCase
{
    const char16_t *Text;
    const char16_t *Escaped;
};

void PrintTo(const TEscapeCase &c, std::ostream *os)
{
    *os << Printable(c.Text);
}

class EscapeXMLTest : public ::testing::TestWithParam<TEscapeCase>
{
};

TEST_P(EscapeXMLTest, EscapesMarkupAndDropsControlCharacters)
{
    EXPECT_EQ(TXMLHierarchicalWriter::EscapeXML(QString::fromUtf16(GetParam().Text)),
              QString::fromUtf16(GetParam().Escaped));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, EscapeXMLTest,
    ::testing::Values(TEscapeCase{u"a<b>c", u"a&lt;b&gt;c"},
                      TEscapeCase{u"\"q\" 'a'", u"&quot;q&quot; &#39;a&#39;"},
                      TEscapeCase{u"tab\there", u"tabhere"}, TEscapeCase{u"cr\r\nlf", u"cr\r\nlf"},
                      TEscapeCase{u"\x01\x0b\x0c\x1f!", u"!"},
                      TEscapeCase{u"Tom & Jerry", u"Tom &amp; Jerry"},
                      TEscapeCase{u"caf&#233;", u"caf&#233;"}, TEscapeCase{u"&#E9;", u"&#E9;"},
                      TEscapeCase{u"&#x41;", u"&amp;#x41;"}, TEscapeCase{u"&#12", u"&amp;#12"},
                      TEscapeCase{u"&amp;", u"&amp;amp;"}, TEscapeCase{u"&", u"&amp;"}));

struct TNameCase
{
    const char16_t *Name;
    const char16_t *Valid;
};

void PrintTo(const TNameCase &c, std::ostream *os)
{
    *os << Printable(c.Name);
}

class ValidXMLNameTest : public ::testing::TestWithParam<TNameCase>
{
};

TEST_P(ValidXMLNameTest, MakesAValidName)
{
    EXPECT_EQ(TXMLHierarchicalWriter::ValidXMLName(QString::fromUtf16(GetParam().Name)),
              QString::fromUtf16(GetParam().Valid));
}

INSTANTIATE_TEST_SUITE_P(Cases, ValidXMLNameTest,
                         ::testing::Values(TNameCase{u"Exception", u"Exception"}, TNameCase{u"", u"NODE"},
                                           TNameCase{u"two words", u"two_words"}, TNameCase{u"1st", u"_1st"},
                                           TNameCase{u"-x", u"_-x"}, TNameCase{u":ns", u"Unknown_ns:ns"},
                                           TNameCase{u"xmlThing", u"_xmlThing"}, TNameCase{u"XMLa", u"_XMLa"},
                                           TNameCase{u"a:b:c", u"a:b_c"}, TNameCase{u"Élan", u"Élan"}));

TEST(XMLHierarchicalWriterTest, WritesNodesAttributesAndTextWithoutLayout)
{
    TXMLHierarchicalWriter document;
    THierarchicalWriter &root = document.AddNode(QStringLiteral("Root"));
    root.SetAttribute(QStringLiteral("kind"), QStringLiteral("a\"b"));
    root.SetAttribute(QStringLiteral("xml:lang"), QStringLiteral("fr"));
    root.AddNode(QStringLiteral("Count"), qint64(-42));
    root.AddNode(QStringLiteral("Empty"));
    root.AddNode(QStringLiteral("bad name"), QStringLiteral("x<y"));
    root.InsertNode(0, QStringLiteral("First"), QStringLiteral("1"));

    EXPECT_EQ(document.ToXML(),
              QByteArrayLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
                                "<root><Root kind=\"a&quot;b\" xml:lang=\"fr\"><First>1</First>"
                                "<Count>-42</Count><Empty/><bad_name>x&lt;y</bad_name>"
                                "</Root></root>"));
}

TEST(XMLHierarchicalWriterTest, EncodesTextAsUtf8AndReplacesAnAttributeValue)
{
    TXMLHierarchicalWriter document;
    THierarchicalWriter &node = document.AddNode(QStringLiteral("Message"), QStringLiteral("Détectée"));
    node.SetAttribute(QStringLiteral("a"), QStringLiteral("1"));
    node.SetAttribute(QStringLiteral("a"), QStringLiteral("2"));

    EXPECT_TRUE(document.ToXML().endsWith(
        QStringLiteral("<root><Message a=\"2\">Détectée</Message></root>").toUtf8()));
}

} // namespace

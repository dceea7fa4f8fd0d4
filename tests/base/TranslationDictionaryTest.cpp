// The dictionary of an interface language and the text service with it.
#include "base/TranslationDictionary.h"
#include "base/UMultiLang.h"

#include <gtest/gtest.h>

namespace {

TEST(TranslationDictionary, ReadsEntriesWithEscapesAndSkipsCommentsAndEmptyLines)
{
    const auto dictionary =
        TTranslationDictionary::Parse("# a comment\n\nOui\tYes\r\nDeux\\r\\nlignes\tTwo\\r\\nlines\n"
                                      "Tab\\tand \\\\\tTab\\tand \\\\\n");
    ASSERT_TRUE(dictionary);
    EXPECT_EQ(dictionary->Count(), 3);
    EXPECT_EQ(dictionary->Lookup("Oui"), "Yes");
    EXPECT_EQ(dictionary->Lookup("Deux\r\nlignes"), "Two\r\nlines");
    EXPECT_EQ(dictionary->Lookup("Tab\tand \\"), "Tab\tand \\");
    EXPECT_FALSE(dictionary->Lookup("Non"));
}

TEST(TranslationDictionary, ALineThatCannotBeReadIsNamed)
{
    for (const char *text : {"Oui Yes\n", "Oui\t\n", "\tYes\n", "Oui\tY\\es\n", "Oui\tYes\nOui\tYeah\n"}) {
        QString error;
        EXPECT_FALSE(TTranslationDictionary::Parse(text, &error)) << text;
        EXPECT_TRUE(error.startsWith("line ")) << error.toStdString();
    }
    QString error;
    EXPECT_FALSE(TTranslationDictionary::Load("/no/such/dictionary", &error));
    EXPECT_TRUE(error.contains("/no/such/dictionary"));
}

TEST(TranslationDictionary, TheServiceTranslatesTheProgramsTextsOnlyOutsideTheMarkerModes)
{
    auto dictionary = TTranslationDictionary::Parse("Erreur\tError\nFichier %s absent\tFile %s missing\n"
                                                    "Deux %s\tTwo %d\n");
    ASSERT_TRUE(dictionary);
    SelectDictionary(std::make_shared<const TTranslationDictionary>(std::move(*dictionary)));
    EXPECT_EQ(Translate("Erreur"), "Error");
    EXPECT_EQ(Translate("!Erreur"), "Erreur") << "already translated";
    EXPECT_EQ(Translate("Erreur", dtConfiguration), "Erreur");
    EXPECT_EQ(Translate("Autre"), "Autre");
    EXPECT_EQ(TranslateFmt("Fichier %s absent", {"a.map"}), "File a.map missing");
    EXPECT_EQ(TranslateFmt("Deux %s", {"x"}), "TRNERR:Deux x") << "a translation without the placeholders";
    SetMultiLangModes(false, true);
    EXPECT_EQ(Translate("Erreur"), "[#Erreur#]");
    SetMultiLangModes(false, false);
    SelectDictionary(nullptr);
    EXPECT_EQ(Translate("Erreur"), "Erreur");
}

} // namespace

#include "base/UMultiLang.h"

#include <gtest/gtest.h>

namespace {

// Restores the plain modes after each test: the flags are process-wide.
class Translation : public ::testing::Test
{
protected:
    void TearDown() override
    {
        SetMultiLangModes(false, false);
        SetInterfaceLanguage(1036);
    }
};

TEST_F(Translation, PlainModeRemovesOnlyTheAlreadyTranslatedMark)
{
    SetMultiLangModes(false, false);
    EXPECT_EQ(Translate(QString()), QString());
    EXPECT_EQ(Translate(QStringLiteral("!Déjà traduit")), QStringLiteral("Déjà traduit"));
    EXPECT_EQ(Translate(QStringLiteral("Erreur")), QStringLiteral("Erreur"));
    EXPECT_EQ(TranslateIf(QStringLiteral("!x"), {false, dtApplication}), QStringLiteral("!x"));
    EXPECT_EQ(TranslateIf(QStringLiteral("!x"), {true, dtConfiguration}), QStringLiteral("x"));
}

TEST_F(Translation, DebugMarkersEncloseTheTextUnchanged)
{
    SetMultiLangModes(false, true);
    EXPECT_EQ(Translate(QStringLiteral("Erreur")), QStringLiteral("[#Erreur#]"));
    EXPECT_EQ(Translate(QStringLiteral("!Ok")), QStringLiteral("[#!Ok#]"));
    EXPECT_EQ(Translate(QString()), QString());
}

TEST_F(Translation, DevelopmentEnvironmentPadsByHalfTheLength)
{
    SetMultiLangModes(true, false);
    EXPECT_EQ(Translate(QStringLiteral("Erreur")), QStringLiteral("[Erreur   ]"));
    EXPECT_EQ(Translate(QStringLiteral("Oui")), QStringLiteral("[Oui ]"));
    EXPECT_EQ(Translate(QStringLiteral("!Erreur")), QStringLiteral("!Erreur"));
}

TEST_F(Translation, EnglishIsChosenByTheLowByteOfTheLanguage)
{
    for (int english : {1033, 2057, 3081}) {
        SetInterfaceLanguage(english);
        EXPECT_TRUE(InterfaceIsEnglish()) << english;
    }
    for (int other : {1036, 0}) {
        SetInterfaceLanguage(other);
        EXPECT_FALSE(InterfaceIsEnglish()) << other;
    }
}

TEST_F(Translation, FormatWithTheMarkersChecksThePlaceholders)
{
    SetMultiLangModes(false, true);
    EXPECT_EQ(TranslateFmt(QStringLiteral("File %s has %d units"), {QStringLiteral("a.map"), 3}),
              QStringLiteral("TRNERR:File a.map has 3 units"));
    EXPECT_EQ(TranslateFmt(QStringLiteral("File %0:s has %1:d units"), {QStringLiteral("a.map"), 3}),
              QStringLiteral("[#File a.map has 3 units#]"));
    EXPECT_EQ(TranslateFmt(QStringLiteral("!Done %s"), {QStringLiteral("x")}), QStringLiteral("Done x"));
}

TEST_F(Translation, PlainFormatIsFilledIn)
{
    EXPECT_EQ(TranslateFmt(QStringLiteral("The file \"%s\" does not exist"), {QStringLiteral("a.map")}),
              QStringLiteral("The file \"a.map\" does not exist"));
}

TEST(PlaceholderCheck, CountsDistinctSpecifiersAndIndexes)
{
    const struct
    {
        const char *untranslated;
        const char *translated;
        bool matches;
    } cases[] = {
        {"no placeholder", "anything", true},
        {"%s", "[#%s#]", true},
        {"%s %s", "%s %s", false},         // one placeholder used twice needs an index
        {"%0:s %0:s", "%0:S", true},       // equal ignoring case counts once
        {"%0:s %1:d", "%1:d %0:s", true},  // order does not matter
        {"%0:s %1:d", "%0:s", false},      // a placeholder lost
        {"%0:s", "%0:d", false},           // a different specifier
        {"100%% of %0:s", "%0:s", true},   // "%%" is no placeholder
    };
    for (const auto &c : cases)
        EXPECT_EQ(PlaceholdersMatch(QString::fromUtf8(c.untranslated), QString::fromUtf8(c.translated)), c.matches)
            << c.untranslated << " / " << c.translated;
}

} // namespace

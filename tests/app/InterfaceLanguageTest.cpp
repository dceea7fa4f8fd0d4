// The interface follows the system's language: French as written for a French locale, the English
// dictionary for any other.
#include "AppTestSupport.h"

#include "app/FCrashReport.h"
#include "app/InterfaceLanguageChoice.h"
#include "base/TranslationDictionary.h"
#include "base/UMultiLang.h"
#include "controls/ModalDialogAnswer.h"
#include "controls/UStdMessageDlg.h"

#include <QPushButton>
#include <QScopeGuard>
#include <QTest>

#include <gtest/gtest.h>

namespace {

struct TDialogTexts
{
    QString Caption;
    QStringList Buttons;
};

// The caption and the buttons of the next question, and its answer by Enter; saved as a picture.
TDialogTexts AskAndAnswer(const QString &picture, bool &answer)
{
    TDialogTexts texts;
    AnswerNextModal<TStdMessageDlg>([&texts, picture](TStdMessageDlg *dialog) {
        texts.Caption = dialog->windowTitle();
        for (const QPushButton *button : dialog->Buttons())
            texts.Buttons << button->text();
        dialog->grab().save(QStringLiteral(QUILLON_BINARY_DIR "/") + picture);
        QTest::keyClick(dialog->focusWidget(), Qt::Key_Return);
    });
    answer = ConfirmMessage(QStringLiteral("!Analyse App.map again?"));
    return texts;
}

TEST(InterfaceLanguage, AFrenchLocaleKeepsTheTextsAsWrittenAnyOtherGetsEnglish)
{
    const auto restore = qScopeGuard([] {
        SelectDictionary(nullptr);
        SetInterfaceLanguage(1033);
    });
    struct TCase
    {
        QLocale Locale;
        const char *Picture;
        TDialogTexts Question;
        const char *Error;
        const char *CrashTitle;
        const char *QuitButton;
    } cases[] = {
        {QLocale(QLocale::French, QLocale::France),
         "quillon-question-fr.png",
         {"Confirmation", {"Oui", "Non"}},
         "Erreur",
         "Rapport d'erreur",
         "Quitter"},
        {QLocale(QLocale::French, QLocale::Canada),
         "quillon-question-fr-ca.png",
         {"Confirmation", {"Oui", "Non"}},
         "Erreur",
         "Rapport d'erreur",
         "Quitter"},
        {QLocale(QLocale::English, QLocale::UnitedStates),
         "quillon-question-en.png",
         {"Confirmation", {"Yes", "No"}},
         "Error",
         "Error report",
         "Quit"},
        {QLocale(QLocale::German, QLocale::Germany),
         "quillon-question-de.png",
         {"Confirmation", {"Yes", "No"}},
         "Error",
         "Error report",
         "Quit"},
    };
    for (const TCase &c : cases) {
        const std::string name = c.Locale.name().toStdString();
        ASSERT_TRUE(SelectInterfaceLanguage(c.Locale).isEmpty()) << name;
        EXPECT_TRUE(InterfaceIsEnglish()) << name << ": the grid's menus stay English";
        bool answer = false;
        const TDialogTexts asked = AskAndAnswer(QString::fromLatin1(c.Picture), answer);
        EXPECT_EQ(asked.Caption, c.Question.Caption) << name;
        EXPECT_EQ(asked.Buttons, c.Question.Buttons) << name;
        EXPECT_TRUE(answer) << name << ": the first button is the yes, in any language";

        QString caption;
        QString button;
        AnswerNextModal<TStdMessageDlg>([&](TStdMessageDlg *dialog) {
            caption = dialog->windowTitle();
            button = dialog->Buttons().value(0)->text();
            dialog->reject();
        });
        ShowErrorMessage(QStringLiteral("!MAP File \"App.map\" not available."));
        EXPECT_EQ(caption, c.Error) << name;
        EXPECT_EQ(button, c.Locale.language() == QLocale::French ? "Ok" : "OK") << name;

        TCrashReportForm form;
        form.Prepare(QStringLiteral("Access violation"), QStringLiteral("EAccessViolation"), QString());
        EXPECT_EQ(form.windowTitle(), c.CrashTitle) << name;
        EXPECT_EQ(form.BBQuit()->text(), c.QuitButton) << name;
    }
}

TEST(InterfaceLanguage, TheEnglishDictionaryIsReadableAndCoversTheDialogsTexts)
{
    QString problem;
    const auto english = TTranslationDictionary::Load(EnglishDictionaryResource, &problem);
    if (!english) {
        // The resource is registered by the choice of the language.
        SelectInterfaceLanguage(QLocale(QLocale::English));
        SelectDictionary(nullptr);
    }
    const auto loaded = TTranslationDictionary::Load(EnglishDictionaryResource, &problem);
    ASSERT_TRUE(loaded) << problem.toStdString();
    for (const char *text :
         {"Erreur", "Confirmation", "Oui", "Non", "Ok", "Erreur Détectée :", "Rapport d'erreur",
          "Consulter les détails...", "Envoyer le rapport...", "Quitter", "Largeur Automatique",
          "Largeur Minimale", "Largeur Personnalisée..."})
        EXPECT_TRUE(loaded->Lookup(QString::fromUtf8(text))) << text;
}

} // namespace

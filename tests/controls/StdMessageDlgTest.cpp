#include "controls/UStdMessageDlg.h"

#include "ModalDialogAnswer.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>
#include <QTest>
#include <gtest/gtest.h>

namespace {

QSize Screen()
{
    return QGuiApplication::primaryScreen()->size();
}
int WidthCap()
{
    return Screen().width() * 90 / 128;
}

// A dialog laid out as ShowStdMessage lays it out, without showing it.
struct LaidOutDialog
{
    TStdMessageDlg Dialog;
    LaidOutDialog(const QString &message, const QStringList &buttons)
    {
        Dialog.SetMessage(message);
        Dialog.Setup(buttons);
    }
    // As the dialog measures it: the drawn extent, a pixel wider than the advance in some fonts.
    int TextWidth() const
    {
        return QFontMetrics(Dialog.font())
            .boundingRect(QRect(0, 0, 32000, 0), Qt::TextExpandTabs, Dialog.DisplayText())
            .width();
    }
};

TEST(StdMessageDlg, ClientWidthFollowsButtonsAndText)
{
    LaidOutDialog oneButton(QStringLiteral("Court."), {QStringLiteral("Ok")});
    ASSERT_LT(oneButton.TextWidth(), 112);
    EXPECT_EQ(oneButton.Dialog.width(), 112 + 68);
    ASSERT_EQ(oneButton.Dialog.Buttons().size(), 1);
    EXPECT_EQ(oneButton.Dialog.Buttons()[0]->width(), 96);
    EXPECT_EQ(oneButton.Dialog.IconName(), QStringLiteral("png_information_blue_32"));
    EXPECT_EQ(oneButton.Dialog.ScrollBox(), nullptr);

    LaidOutDialog twoButtons(QStringLiteral("Court."), {QStringLiteral("Oui"), QStringLiteral("Non")});
    EXPECT_EQ(twoButtons.Dialog.width(), 276);
    const auto &buttons = twoButtons.Dialog.Buttons();
    ASSERT_EQ(buttons.size(), 2);
    EXPECT_LT(buttons[0]->x(), buttons[1]->x());
    // gap = min(32, (276 - 32 - 192) div 3) = 17, x0 = 276 - 2 * 113 + 8: the right margin is 17 - 8.
    EXPECT_EQ(buttons[0]->x(), 58);
    EXPECT_EQ(twoButtons.Dialog.width() - (buttons[1]->x() + buttons[1]->width()), 9);
    EXPECT_EQ(buttons[0]->y(), twoButtons.Dialog.ButtonTop() + 7);
    EXPECT_EQ(twoButtons.Dialog.ButtonTop(), twoButtons.Dialog.height() - 36);

    const QString medium(40, QLatin1Char('m'));
    LaidOutDialog wider(medium, {QStringLiteral("Ok")});
    ASSERT_GT(wider.TextWidth(), 112);
    ASSERT_LT(wider.TextWidth() + 68, WidthCap());
    EXPECT_EQ(wider.Dialog.width(), wider.TextWidth() + 68);
}

TEST(StdMessageDlg, LongLineWrapsInsideTheCappedWidth)
{
    QStringList words;
    for (int i = 0; i < 80; ++i)
        words << QStringLiteral("mot%1").arg(i);
    LaidOutDialog dialog(words.join(QLatin1Char(' ')), {QStringLiteral("Ok")});
    EXPECT_EQ(dialog.Dialog.width(), WidthCap());
    EXPECT_EQ(dialog.Dialog.ScrollBox(), nullptr);
    EXPECT_TRUE(dialog.Dialog.TextLabel()->wordWrap());
    EXPECT_GT(dialog.Dialog.height(), 32 + 60) << "wrapped lines make the dialog taller";
    EXPECT_EQ(dialog.Dialog.TextLabel()->geometry(),
              QRect(56, 12, WidthCap() - 68, dialog.Dialog.height() - 60));
}

TEST(StdMessageDlg, TallTextScrolls)
{
    QStringList lines;
    for (int i = 0; i < 200; ++i)
        lines << QStringLiteral("ligne %1").arg(i);
    LaidOutDialog dialog(lines.join(QLatin1Char('\n')), {QStringLiteral("Ok")});
    QScrollArea *box = dialog.Dialog.ScrollBox();
    ASSERT_NE(box, nullptr);
    const int grown =
        Screen().height() - 128 + dialog.Dialog.style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 8;
    EXPECT_EQ(dialog.Dialog.height(), grown);
    EXPECT_EQ(box->geometry(), QRect(54, 12, dialog.Dialog.width() - 66, grown - 60));
    EXPECT_EQ(box->widget(), dialog.Dialog.TextLabel());
    EXPECT_FALSE(dialog.Dialog.TextLabel()->wordWrap());
    EXPECT_GT(dialog.Dialog.TextLabel()->height(), grown);
}

TEST(StdMessageDlg, LineWiderThanMeasurableIsCut)
{
    LaidOutDialog dialog(QString(6000, QLatin1Char('W')), {QStringLiteral("Ok")});
    ASSERT_NE(dialog.Dialog.ScrollBox(), nullptr);
    EXPECT_EQ(dialog.Dialog.TextLabel()->contentsRect(),
              QRect(2, 0, 32000, dialog.Dialog.TextLabel()->height()));
    EXPECT_TRUE(dialog.Dialog.TextLabel()->text().endsWith(QChar(0x2026)));
}

TEST(StdMessageDlg, AlreadyTranslatedMessageLosesItsMark)
{
    LaidOutDialog dialog(QStringLiteral("!Fichier « a.map » absent."), {QStringLiteral("Ok")});
    EXPECT_EQ(dialog.Dialog.DisplayText(), QStringLiteral("Fichier « a.map » absent."));
    EXPECT_EQ(dialog.Dialog.TextLabel()->text(), dialog.Dialog.DisplayText());
}

TEST(StdMessageDlg, CopyKeysPutTheDisplayedTextOnTheClipboard)
{
    struct Case
    {
        Qt::Key Key;
        Qt::KeyboardModifiers Modifiers;
        bool Copies;
    };
    for (const Case &c :
         {Case{Qt::Key_C, Qt::ControlModifier, true}, Case{Qt::Key_Insert, Qt::ControlModifier, true},
          Case{Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier, false},
          Case{Qt::Key_C, Qt::NoModifier, false}}) {
        QGuiApplication::clipboard()->setText(QStringLiteral("avant"));
        LaidOutDialog dialog(QStringLiteral("!Texte affiché"), {QStringLiteral("Ok")});
        QTest::keyClick(dialog.Dialog.Buttons()[0], c.Key, c.Modifiers);
        EXPECT_EQ(QGuiApplication::clipboard()->text(),
                  c.Copies ? QStringLiteral("Texte affiché") : QStringLiteral("avant"))
            << c.Key << " " << int(c.Modifiers);
    }
}

TEST(StdMessageDlg, ResultIsThePressedButtonsCaption)
{
    AnswerNextModal<TStdMessageDlg>([](TStdMessageDlg *dialog) { dialog->Buttons()[1]->click(); });
    EXPECT_EQ(ShowStdMessage(QStringLiteral("Titre"), QStringLiteral("Choisir"), QString(),
                             {QStringLiteral("Un"), QStringLiteral("Deux"), QStringLiteral("Trois")}),
              QStringLiteral("Deux"));

    AnswerNextModal<TStdMessageDlg>([](TStdMessageDlg *dialog) { QTest::keyClick(dialog, Qt::Key_Escape); });
    EXPECT_EQ(
        ShowStdMessage(QStringLiteral("Titre"), QStringLiteral("Choisir"), QString(), {QStringLiteral("Un")}),
        QString());
}

// Keys go where a user's keys go: to the widget with the focus. A dialog the key did not close is
// closed by the dialog itself, which answers nothing. Enter presses the first button and, in a
// choice, Escape the last, as the platform's message boxes do.
TEST(StdMessageDlg, EnterPressesTheFirstButtonAndEscapeTheLastOfAChoice)
{
    struct Case
    {
        const char *Name;
        Qt::Key Key;
        Qt::KeyboardModifiers Modifiers;
        QStringList Buttons;
        QString Expected;
    };
    const Case cases[] = {
        {"Return", Qt::Key_Return, Qt::NoModifier, {"Ok"}, "Ok"},
        {"keypad Enter", Qt::Key_Enter, Qt::KeypadModifier, {"Ok"}, "Ok"},
        {"Space", Qt::Key_Space, Qt::NoModifier, {"Ok"}, "Ok"},
        {"Escape on a lone button", Qt::Key_Escape, Qt::NoModifier, {"Ok"}, ""},
        {"Return on a choice", Qt::Key_Return, Qt::NoModifier, {"Oui", "Non"}, "Oui"},
        {"keypad Enter on a choice", Qt::Key_Enter, Qt::KeypadModifier, {"Oui", "Non"}, "Oui"},
        {"Escape on a choice", Qt::Key_Escape, Qt::NoModifier, {"Oui", "Non"}, "Non"},
        {"Escape on three buttons", Qt::Key_Escape, Qt::NoModifier, {"Un", "Deux", "Trois"}, "Trois"},
    };
    for (const Case &c : cases) {
        AnswerNextModal<TStdMessageDlg>([&c](TStdMessageDlg *dialog) {
            QWidget *const focused = dialog->focusWidget() ? dialog->focusWidget() : dialog;
            QTest::keyClick(focused, c.Key, c.Modifiers);
            if (dialog->isVisible())
                dialog->reject();
        });
        EXPECT_EQ(ShowStdMessage(QStringLiteral("Erreur"), QStringLiteral("Message"), QString(), c.Buttons),
                  c.Expected)
            << c.Name;
    }
}

TEST(StdMessageDlg, ConfirmIsTrueOnlyForOui)
{
    struct Case
    {
        const char *Name;
        std::function<void(TStdMessageDlg *)> Answer;
        bool Expected;
    };
    const Case cases[] = {
        {"Oui", [](TStdMessageDlg *d) { d->Buttons()[0]->click(); }, true},
        {"Non", [](TStdMessageDlg *d) { d->Buttons()[1]->click(); }, false},
        {"Escape", [](TStdMessageDlg *d) { QTest::keyClick(d->Buttons()[0], Qt::Key_Escape); }, false},
        {"close box", [](TStdMessageDlg *d) { d->close(); }, false},
    };
    for (const Case &c : cases) {
        QString caption;
        QString icon;
        AnswerNextModal<TStdMessageDlg>([&](TStdMessageDlg *d) {
            caption = d->windowTitle();
            icon = d->IconName();
            c.Answer(d);
        });
        EXPECT_EQ(ConfirmMessage(QStringLiteral("Enregistrer ?"), 1), c.Expected) << c.Name;
        EXPECT_EQ(caption, QStringLiteral("Confirmation"));
        EXPECT_EQ(icon, QStringLiteral("png_SaveQuestion"));
    }
}

// With the translation markers shown, the buttons read "[#Oui#]" but the answer is still the caption given.
TEST(StdMessageDlg, ResultIgnoresHowCaptionsAreDisplayed)
{
    SetMultiLangModes(false, true);
    QString caption, button;
    AnswerNextModal<TStdMessageDlg>([&](TStdMessageDlg *d) {
        caption = d->windowTitle();
        button = d->Buttons()[0]->text();
        d->Buttons()[0]->click();
    });
    const bool confirmed = ConfirmMessage(QStringLiteral("Continuer ?"));
    SetMultiLangModes(false, false);
    EXPECT_TRUE(confirmed);
    EXPECT_EQ(caption, QStringLiteral("[#Confirmation#]"));
    EXPECT_EQ(button, QStringLiteral("[#Oui#]"));
}

TEST(StdMessageDlg, ConfirmKindChoosesTheIcon)
{
    const std::pair<quint8, const char *> kinds[] = {{0, "png_question_green_32"},
                                                     {1, "png_SaveQuestion"},
                                                     {2, "png_ExitQuestion"},
                                                     {7, "png_question_green_32"}};
    for (const auto &[kind, expected] : kinds) {
        QString icon;
        AnswerNextModal<TStdMessageDlg>([&](TStdMessageDlg *d) {
            icon = d->IconName();
            d->reject();
        });
        ConfirmMessage(QStringLiteral("?"), kind);
        EXPECT_EQ(icon, QString::fromLatin1(expected)) << int(kind);
    }
}

TEST(StdMessageDlg, ErrorMessageFmtShowsTheFormattedText)
{
    QString caption, text, icon;
    QStringList buttons;
    AnswerNextModal<TStdMessageDlg>([&](TStdMessageDlg *d) {
        caption = d->windowTitle();
        text = d->DisplayText();
        icon = d->IconName();
        for (QPushButton *button : d->Buttons())
            buttons << button->text();
        d->Buttons()[0]->click();
    });
    ShowErrorMessageFmt(QStringLiteral("MAP File \"%s\" not available."), {QStringLiteral("a.map")});
    EXPECT_EQ(caption, QStringLiteral("Erreur"));
    EXPECT_EQ(text, QStringLiteral("MAP File \"a.map\" not available."));
    EXPECT_EQ(icon, QStringLiteral("png_error_red_32"));
    EXPECT_EQ(buttons, QStringList{QStringLiteral("Ok")});
}

TEST(StdMessageDlg, ButtonBandIsTinted)
{
    LaidOutDialog dialog(QStringLiteral("Texte"), {QStringLiteral("Ok")});
    const QImage shot = dialog.Dialog.grab().toImage();
    const QRgb band = ColorToQRgb(BlendColors(clWindow, clBtnFace, 0.66));
    const int top = dialog.Dialog.ButtonTop();
    EXPECT_EQ(shot.pixel(2, top), band);
    EXPECT_EQ(shot.pixel(2, shot.height() - 1), band);
    EXPECT_EQ(shot.pixel(2, top - 2), band);
    EXPECT_EQ(shot.pixel(2, top - 1), ColorToQRgb(clWindow))
        << "the line above the band keeps the window colour";
    EXPECT_NE(shot.pixel(12 + 5, 12 + 16), ColorToQRgb(clWindow)) << "the icon is drawn at (12, 12)";
}

TEST(StdMessageDlg, BlendColorsMixesWith20FractionBits)
{
    struct Case
    {
        TColor A, B;
        double T;
        TColor Expected;
    };
    for (const Case &c : {Case{RGBColor(10, 20, 30), RGBColor(250, 120, 0), 0, RGBColor(10, 20, 30)},
                          Case{RGBColor(10, 20, 30), RGBColor(250, 120, 0), 1, RGBColor(250, 120, 0)},
                          // 255 + (0 - 255) * 0.66 = 86.7, truncated toward the lower value
                          Case{RGBColor(255, 0, 100), RGBColor(0, 255, 100), 0.66, RGBColor(86, 168, 100)}})
        EXPECT_EQ(BlendColors(c.A, c.B, c.T), c.Expected) << c.T;
    EXPECT_EQ(BlendColors(clBtnFace, clBlack, 0), ColorToRGB(clBtnFace)) << "system colours are resolved";
}

} // namespace

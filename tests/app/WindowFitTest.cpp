// The window opens wholly on its screen, at its designed place and at a stored one, and lays its
// header band out inside itself: on Linux's offscreen screen and under Wine with Windows' fonts.
#include "MainWindowFixture.h"

#include "app/FMain.h"
#include "app/WindowFit.h"
#include "controls/CGradient.h"
#include "controls/UFormStorage.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QLineEdit>
#include <QScreen>
#include <QSettings>

#include <gtest/gtest.h>

namespace {

TEST(FittedFrameTest, MovesAsLittleAsItMustAndShrinksOnlyToTheMinimum)
{
    const QRect screen(0, 0, 1100, 760);
    const QSize minimum(680, 200);
    struct TCase
    {
        const char *Name;
        QRect Frame;
        QRect Available;
        QRect Expected;
    };
    const TCase cases[] = {
        {"on the screen: unchanged", {100, 50, 700, 600}, screen, {100, 50, 700, 600}},
        {"beyond the right edge: moved left", {496, 130, 680, 618}, screen, {420, 130, 680, 618}},
        {"beyond the bottom: moved up", {10, 500, 700, 400}, screen, {10, 360, 700, 400}},
        {"above and left of the screen: moved in", {-50, -20, 700, 400}, screen, {0, 0, 700, 400}},
        {"taller than the screen: cut to it", {10, 10, 700, 900}, screen, {10, 0, 700, 760}},
        {"wider than the screen and its minimum: the left edge stays on it",
         {300, 10, 900, 400},
         QRect(0, 0, 600, 760),
         {0, 10, 680, 400}},
        {"on a second screen right of the first",
         {2500, 100, 700, 400},
         QRect(1920, 0, 1280, 1024),
         {2500, 100, 700, 400}},
        {"beyond the second screen's right edge",
         {3000, 100, 700, 400},
         QRect(1920, 0, 1280, 1024),
         {2500, 100, 700, 400}},
        {"no screen to fit into: unchanged", {496, 130, 680, 618}, QRect(), {496, 130, 680, 618}},
    };
    for (const TCase &c : cases)
        EXPECT_EQ(FittedFrame(c.Frame, c.Available, minimum), c.Expected) << c.Name;
}

class WindowFitTest : public MainWindowFixture
{
protected:
    static QRect Available() { return QGuiApplication::primaryScreen()->availableGeometry(); }

    // Every control of the header band inside the band, none over another, the band across the
    // window's client area.
    void ExpectHeaderBandInside()
    {
        QWidget *band = FWindow->Gradient1();
        EXPECT_EQ(band->geometry(), QRect(0, 0, FWindow->width(), band->height()));
        QList<QWidget *> shown;
        for (QWidget *control : band->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
            if (control->isVisibleTo(FWindow.get()))
                shown << control;
        for (const QWidget *control : shown) {
            const std::string name = control->objectName().toStdString();
            EXPECT_TRUE(band->rect().contains(control->geometry()))
                << name << " at " << control->x() << "," << control->y() << " size " << control->width()
                << "x" << control->height() << " in a band of " << band->width() << "x" << band->height();
            EXPECT_FALSE(control->geometry().isEmpty()) << name;
        }
        EXPECT_GE(shown.size(), 9) << "labels, fields, buttons, checkboxes and the filter";
        // A label wider in the system's font than in the designed one once lay under its field.
        for (qsizetype i = 0; i < shown.size(); ++i)
            for (qsizetype j = i + 1; j < shown.size(); ++j)
                EXPECT_FALSE(shown[i]->geometry().intersects(shown[j]->geometry()))
                    << shown[i]->objectName().toStdString() << " and "
                    << shown[j]->objectName().toStdString();
        // The filter field takes the rest of the checkboxes' row: enough of it to type into.
        EXPECT_GE(FWindow->EDFilter()->width(), 60);
    }

    void ExpectOnTheScreen()
    {
        EXPECT_TRUE(Available().contains(FWindow->frameGeometry()))
            << "frame at " << FWindow->frameGeometry().x() << "," << FWindow->frameGeometry().y() << " size "
            << FWindow->frameGeometry().width() << "x" << FWindow->frameGeometry().height();
    }

    static void StorePlacement(const QRect &rectangle)
    {
        QSettings settings(QStringLiteral("Brackwell"), QStringLiteral("Quillon"));
        settings.setValue(QStringLiteral("NormPos"), QStringLiteral("%1,%2,%3,%4")
                                                         .arg(rectangle.left())
                                                         .arg(rectangle.top())
                                                         .arg(rectangle.left() + rectangle.width())
                                                         .arg(rectangle.top() + rectangle.height()));
        settings.setValue(QStringLiteral("PixelsPerInch"),
                          QString::number(TFormPlacement::ScreenPixelsPerInch()));
    }
};

TEST_F(WindowFitTest, TheDesignedWindowOpensOnTheScreenWithItsHeaderBandInside)
{
    OpenWindow();
    ExpectOnTheScreen();
    EXPECT_EQ(FWindow->size(), QSize(664, 579)) << "the designed size, which the test's screen has room for";
    ExpectHeaderBandInside();
}

TEST_F(WindowFitTest, AStoredPlacementBeyondTheScreenComesBackWhole)
{
    const QRect available = Available();
    StorePlacement(QRect(available.right() - 200, available.top() + 10, 700, 420));
    OpenWindow();
    ExpectOnTheScreen();
    EXPECT_EQ(FWindow->size(), QSize(700, 420)) << "only moved";
    ExpectHeaderBandInside();
}

TEST_F(WindowFitTest, AStoredPlacementSmallerThanTheMinimumKeepsTheControlsInside)
{
    StorePlacement(QRect(Available().topLeft() + QPoint(20, 20), QSize(300, 100)));
    OpenWindow();
    EXPECT_EQ(FWindow->size(), FWindow->minimumSize());
    ExpectOnTheScreen();
    ExpectHeaderBandInside();
}

// Under Wine a stand-in font once moved the fields' text out of sight: they held it but drew nothing.
TEST_F(WindowFitTest, TheHeaderBandFieldsDrawTheirText)
{
    OpenWindow();
    FWindow->FEMapFile()->SetFileName(SampleMap());
    FWindow->DEFilePath()->setText(QFileInfo(SampleMap()).path());
    for (QLineEdit *field : {static_cast<QLineEdit *>(FWindow->FEMapFile()),
                             static_cast<QLineEdit *>(FWindow->DEFilePath())}) {
        field->clearFocus();
        const QImage picture = field->grab().toImage();
        // The text's part of the field: inside the frame, left of the button.
        const QRect text = field->contentsRect().adjusted(2, 2, -field->textMargins().right(), -2);
        int dark = 0;
        for (int y = text.top(); y <= text.bottom(); ++y)
            for (int x = text.left(); x <= text.right(); ++x)
                dark += qGray(picture.pixel(x, y)) < 128;
        EXPECT_GT(dark, 50) << field->objectName().toStdString() << " shows \"" << field->text().toStdString()
                            << "\" with " << dark << " dark pixels";
    }
}

} // namespace

// The size bars: their geometry, and the pixels the real grid shows.
#include "AppTestSupport.h"

#include "app/ColorLightness.h"
#include "app/FMain.h"
#include "app/UnitColumnPainting.h"
#include "controls/CDirectoryEdit.h"
#include "controls/CFileComboEdit.h"
#include "controls/UGradientPaint.h"
#include "controls/UTimer97.h"

#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <map>

namespace {

TEST(UnitBarRectTest, LengthIsTheShareOfTheCellRoundedHalfToEven)
{
    struct TCase
    {
        QRect Cell;
        float Ratio;
        QRect Bar;
    } cases[] = {
        {QRect(10, 20, 120, 20), 1.0f, QRect(13, 22, 113, 15)}, // 3 pixels left, 4 right
        {QRect(10, 20, 120, 20), 0.5f, QRect(13, 22, 56, 15)},  // 56.5 rounds down to even
        {QRect(10, 20, 122, 20), 0.5f, QRect(13, 22, 58, 15)},  // 57.5 rounds up to even
        {QRect(10, 20, 120, 20), 0.0f, QRect(13, 22, 1, 15)},   // never less than one pixel
        {QRect(10, 20, 120, 20), 1e-6f, QRect(13, 22, 1, 15)},
        {QRect(10, 20, 120, 20), 2.0f, QRect(13, 22, 113, 15)}, // never outside the cell
        {QRect(10, 20, 120, 20), -1.0f, QRect(13, 22, 1, 15)},
        {QRect(10, 20, 120, 20), std::numeric_limits<float>::quiet_NaN(), QRect(13, 22, 1, 15)},
        {QRect(0, 0, 5, 20), 1.0f, QRect(3, 2, 1, 15)},
    };
    for (const TCase &c : cases)
        EXPECT_EQ(UnitBarRect(c.Cell, c.Ratio), c.Bar)
            << c.Ratio << " in a cell " << c.Cell.width() << " wide";
}

TEST(SymbolBarColorTest, DependsOnTheLevel)
{
    EXPECT_EQ(SymbolBarColor(1), 0xC0F0C0);
    EXPECT_EQ(SymbolBarColor(2), 0xC0C0F0);
    EXPECT_EQ(SymbolBarColor(3), 0xE0C0E0);
    EXPECT_EQ(SymbolBarColor(7), 0xE0C0E0);
}

// A project with a unit of twice the size of the other, and a one-byte symbol.
class BarPixelsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        CreateTimer97Handler(std::make_unique<TFakeTime>());
        WriteMapFile(FFolder.filePath(QStringLiteral("Bars.map")),
                     {{"BigUnit", 0xF000}, {"HalfUnit", 0x7800}},
                     {{0, "BigUnit.Tiny"}, {1, "BigUnit.Rest"}, {0xF000, "HalfUnit.Work"}}, 0x17800);
        FWindow = std::make_unique<TQuillonMain>(QStringList{QStringLiteral("quillon")});
        for (int column = 1; column <= 3; ++column) {
            TITreeViewColumn *hooked = FWindow->VGUnits()->Column(column);
            hooked->OnDrawNodeContent = [this, column, paint = hooked->OnDrawNodeContent](
                                            TITreeView *sender, QPainter &canvas, const QRect &cell,
                                            TITreeNode *node, int index, TITreeViewNodeStates states) {
                FCells[column][node] = cell;
                paint(sender, canvas, cell, node, index, states);
            };
        }
        FWindow->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(FWindow.get()));
        FWindow->FEMapFile()->SetFileName(FFolder.filePath(QStringLiteral("Bars.map")));
        FWindow->DEFilePath()->setText(FFolder.path() + u'/');
        TMessageCatcher projectFileMissing;
        QTest::mouseClick(FWindow->BBGo(), Qt::LeftButton);
        EXPECT_TRUE(WaitForRun(*FWindow));
    }
    void TearDown() override
    {
        FWindow.reset();
        FreeTimer97Handler();
    }

    TITreeNode *Unit(int index) { return FWindow->VGUnits()->Items().Root()->Item(index); }

    // Paints the grid and returns the image; the cell rectangles are those of this paint.
    QImage Paint()
    {
        for (auto &cells : FCells)
            cells.clear();
        return FWindow->VGUnits()->grab().toImage();
    }

    // The columns of the cell's top bar row that show the frame colour.
    QList<int> FrameColumns(const QImage &image, const QRect &cell, TColor frame)
    {
        QList<int> columns;
        for (int x = cell.left(); x <= cell.right(); ++x)
            if (image.pixel(x, cell.top() + 2) == ColorToQRgb(frame))
                columns << x - cell.left();
        return columns;
    }

    static TColor Frame(TColor base) { return ChangeLightness(base, -0.05f); }

    TTemporarySettings FSettings;
    QTemporaryDir FFolder;
    std::unique_ptr<TQuillonMain> FWindow;
    std::map<const TITreeNode *, QRect> FCells[4];
};

TEST_F(BarPixelsTest, LargestUnitSpansTheCellLessThreeLeftAndFourRight)
{
    ASSERT_EQ(Unit(0)->Text(), QStringLiteral("BigUnit"));
    const QImage image = Paint();
    const QRect cell = FCells[1].at(Unit(0));
    const QList<int> frame = FrameColumns(image, cell, Frame(UnitCodeBarColor));
    ASSERT_FALSE(frame.isEmpty());
    EXPECT_EQ(frame.first(), 3);
    EXPECT_EQ(frame.last(), cell.width() - 5);
    EXPECT_EQ(frame.size(), cell.width() - 7);
}

TEST_F(BarPixelsTest, HalfSizeUnitGetsHalfTheLength)
{
    const QImage image = Paint();
    const QRect cell = FCells[1].at(Unit(1));
    const QList<int> frame = FrameColumns(image, cell, Frame(UnitCodeBarColor));
    const int expected = int(std::nearbyint((cell.width() - 7) * 0.5));
    EXPECT_EQ(frame.size(), expected);
    EXPECT_EQ(frame.first(), 3);
}

TEST_F(BarPixelsTest, BarIsAQuadraticGradientInsideItsFrame)
{
    const QImage image = Paint();
    const QRect bar = UnitBarRect(FCells[1].at(Unit(0)), 1.0f);
    const int x = bar.left() + 2;
    EXPECT_EQ(image.pixel(x, bar.bottom()), ColorToQRgb(Frame(UnitCodeBarColor)));
    EXPECT_EQ(image.pixel(x, bar.bottom() - 1),
              ColorToQRgb(Lerp32(ChangeLightness(UnitCodeBarColor, 0.1f), UnitCodeBarColor,
                                 QuadraticRamp(bar.height() - 2, bar.height() - 1))));
    EXPECT_EQ(image.pixel(x, bar.top() + 1),
              ColorToQRgb(Lerp32(ChangeLightness(UnitCodeBarColor, 0.1f), UnitCodeBarColor,
                                 QuadraticRamp(1, bar.height() - 1))));
}

TEST_F(BarPixelsTest, SelectedRowBarIsDarker)
{
    FWindow->VGUnits()->SetSelectedNode(Unit(0));
    const QImage image = Paint();
    const QRect cell = FCells[1].at(Unit(0));
    const TColor darker = ChangeLightness(UnitCodeBarColor, -0.5f);
    EXPECT_EQ(FrameColumns(image, cell, Frame(darker)).size(), cell.width() - 7);
    EXPECT_TRUE(FrameColumns(image, cell, Frame(UnitCodeBarColor)).isEmpty());
    EXPECT_LT(qGray(image.pixel(cell.left() + cell.width() / 2, cell.top() + 5)),
              qGray(ColorToQRgb(UnitCodeBarColor)));
}

TEST_F(BarPixelsTest, TinySymbolStillGetsOnePixel)
{
    Unit(0)->SetExpanded(true);
    const TITreeNode *tiny = nullptr;
    for (int i = 0; i < Unit(0)->Count(); ++i)
        if (Unit(0)->Item(i)->Tag() == 1)
            tiny = Unit(0)->Item(i);
    ASSERT_NE(tiny, nullptr);
    const QImage image = Paint();
    EXPECT_EQ(FrameColumns(image, FCells[1].at(tiny), Frame(SymbolBarColor(1))), QList<int>{3});
}

// The painters set their own text colour: with "Unit" out of sight nothing else does, and the numbers
// of the row after a selected one would be white on white, those of the selected row dark on dark.
class NumbersWithoutTheUnitColumn : public BarPixelsTest, public ::testing::WithParamInterface<bool>
{
};

TEST_P(NumbersWithoutTheUnitColumn, KeepTheTextColourOfTheirRow)
{
    TITreeView &grid = *FWindow->VGUnits();
    if (GetParam()) {
        grid.Column(0)->SetWidth(grid.Column(0)->MinWidth());
    } else {
        grid.Column(4)->SetWidth(600);
        grid.SetHorzScrollPosition(grid.Column(0)->Width() + 1);
    }
    grid.SetSelectedNode(Unit(0));
    FWindow->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(FWindow.get()));
    grid.setFocus();
    const QImage image = Paint();
    // The text lies inside the cell, clear of its grid lines.
    const auto grays = [&](const TITreeNode *node) {
        const QRect cell = FCells[2].at(node);
        QList<int> values;
        for (int y = cell.top() + 2; y < cell.bottom() - 2; ++y)
            for (int x = cell.left() + 1; x < cell.right() - 2; ++x)
                values << qGray(image.pixel(x, y));
        return values;
    };
    const QList<int> unselected = grays(Unit(1));
    const QList<int> selected = grays(Unit(0));
    EXPECT_LT(*std::min_element(unselected.begin(), unselected.end()), 100) << "dark text on white";
    EXPECT_GT(*std::max_element(selected.begin(), selected.end()), 230) << "light text on the highlight";
    EXPECT_EQ(grid.CellTextColor(true, 2), ColorToQRgb(clHighlightText));
}

INSTANTIATE_TEST_SUITE_P(Cases, NumbersWithoutTheUnitColumn, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool> &info) {
                             return std::string(info.param ? "Narrowed" : "ScrolledOut");
                         });

TEST_F(BarPixelsTest, UnitWithoutFormHasNoFormBar)
{
    const QImage image = Paint();
    const QRect cell = FCells[3].at(Unit(0));
    EXPECT_TRUE(FrameColumns(image, cell, Frame(UnitDFMBarColor)).isEmpty());
    EXPECT_EQ(Unit(0)->Data(), 0);
}

} // namespace

// The treemap control offscreen: cells by size and colour, names that fit, the highlight drawn over
// the picture, zooming in (children asked for lazily) and back out, tooltips and hit testing.
#include "ManualClock.h"
#include "controls/CTreemapView.h"
#include "controls/UColors.h"
#include "tree/TreeGridModel.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <set>

namespace {

QRgb Opaque(QRgb color)
{
    return color | 0xFF000000u;
}

// A model shaped as the analysis leaves it: root-level units with a placeholder child, replaced by
// their symbol rows only when somebody asks through the expanding hook.
class TreemapFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Model.OnExpanding = [this](TTreeGridModel *, TITreeNode *node, bool &allow) {
            allow = true;
            Asked.push_back(node->Text());
            if (node->Count() == 1 && node->GetFirstChild()->Text() == "$" && BuildSymbols)
                BuildSymbols(node);
        };
        View = std::make_unique<TTreemapView>();
        View->SetClock(Clock);
        View->resize(400, 300);
        View->OnNodeClick = [this](TTreemapView *, TITreeNode *node) { Clicked.push_back(node); };
    }

    TITreeNode *AddUnit(const QString &text, qint64 size, bool withSymbols = true)
    {
        TITreeNode *const node = Model.Items().AddRoot();
        node->SetText(text);
        node->SetTag(size);
        if (withSymbols)
            node->AddChild("$");
        return node;
    }
    static TITreeNode *Add(TITreeNode *parent, const QString &text, qint64 size)
    {
        TITreeNode *const node = parent->AddChild(text);
        node->SetTag(size);
        return node;
    }
    // UnitA's symbols: a class of two methods and a routine, adding up to the unit's size.
    void UseSymbolsOfUnitA()
    {
        BuildSymbols = [](TITreeNode *unit) {
            unit->DeleteChildren();
            TITreeNode *const form = Add(unit, "TFormA", 450);
            Add(form, "Create", 300);
            Add(form, "Paint", 150);
            Add(unit, "Helper", 150);
        };
    }
    void AddThreeUnits()
    {
        UnitA = AddUnit("UnitA", 600);
        UnitB = AddUnit("UnitB", 300);
        UnitC = AddUnit("UnitC", 100);
        UseSymbolsOfUnitA();
    }
    void ShowThreeUnits()
    {
        AddThreeUnits();
        View->SetModel(&Model);
    }

    void Show()
    {
        View->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(View.get()));
    }
    QImage Grabbed() { return View->grab().toImage(); }
    QPoint Inside(const TITreeNode *node) { return View->CellRect(node).bottomRight() - QPoint(3, 3); }

    void Move(QPoint p)
    {
        QMouseEvent e(QEvent::MouseMove, p, View->mapToGlobal(p), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(View.get(), &e);
    }
    void Click(QPoint p, Qt::MouseButton button = Qt::LeftButton)
    {
        View->repaint();
        Move(p);
        QTest::mousePress(View.get(), button, Qt::NoModifier, p);
        QTest::mouseRelease(View.get(), button, Qt::NoModifier, p);
        Clock->Advance(1000);
    }

    TTreeGridModel Model;
    std::function<void(TITreeNode *)> BuildSymbols;
    QStringList Asked;
    std::vector<TITreeNode *> Clicked;
    std::shared_ptr<TManualClock> Clock = std::make_shared<TManualClock>();
    std::unique_ptr<TTreemapView> View;
    TITreeNode *UnitA = nullptr, *UnitB = nullptr, *UnitC = nullptr;
};

// ---- cells

class TreemapCells : public TreemapFixture
{
};

TEST_F(TreemapCells, AreasFollowTheSizesAndEachCellHasItsColourAtItsPlace)
{
    ShowThreeUnits();
    Show();
    const QImage image = Grabbed();
    const QRect map = View->MapRect();
    const double mapArea = double(map.width()) * map.height();
    for (TITreeNode *unit : {UnitA, UnitB, UnitC}) {
        const QRect cell = View->CellRect(unit);
        ASSERT_FALSE(cell.isEmpty()) << unit->Text().toStdString();
        EXPECT_TRUE(map.contains(cell)) << unit->Text().toStdString();
        // Within the rounding of each edge to a pixel.
        const double expected = mapArea * double(unit->Tag()) / 1000;
        EXPECT_NEAR(double(cell.width()) * cell.height(), expected, cell.width() + cell.height())
            << unit->Text().toStdString();
        EXPECT_EQ(Opaque(image.pixel(Inside(unit))), Opaque(View->CellColor(unit)))
            << unit->Text().toStdString();
    }
    // Units of different names differ in colour; the cells tile the map without overlap.
    EXPECT_NE(View->CellColor(UnitA), View->CellColor(UnitB));
    EXPECT_FALSE(View->CellRect(UnitA).intersects(View->CellRect(UnitB)));
    EXPECT_FALSE(View->CellRect(UnitB).intersects(View->CellRect(UnitC)));
}

TEST_F(TreemapCells, CellsBelowAPixelAreNeitherDrawnNorHit)
{
    AddUnit("Huge", 10'000'000);
    TITreeNode *const empty = AddUnit("Empty", 0);
    std::vector<TITreeNode *> crumbs;
    for (int i = 0; i < 3000; ++i)
        crumbs.push_back(AddUnit(QStringLiteral("Crumb%1").arg(i), 1));
    View->SetModel(&Model);
    Show();
    EXPECT_TRUE(View->CellRect(empty).isEmpty());
    int drawn = 0;
    for (TITreeNode *crumb : crumbs) {
        const QRect cell = View->CellRect(crumb);
        if (cell.isEmpty())
            continue;
        ++drawn;
        EXPECT_GE(cell.width(), 1);
        EXPECT_GE(cell.height(), 1);
    }
    // 3,000 bytes of 10 million fill about 36 pixels of the map: few of them show.
    EXPECT_LT(drawn, 60);
    EXPECT_EQ(View->CellCount(), drawn + 1);
    // A share too small for two decimals is not shown as none.
    EXPECT_EQ(View->NodeHint(crumbs.front()), "Crumb0\n1 byte, < 0.01 % of the code");
}

TEST_F(TreemapCells, WhatTheGridHidesIsFadedInPlaceAndComesBackWhenShown)
{
    ShowThreeUnits();
    Show();
    const QRect before = View->CellRect(UnitB);
    // As a filter leaves the grid: UnitB hidden; UnitA's class shown, its routine hidden.
    UnitB->SetHidden(true);
    View->RequestRepaint();
    QImage image = Grabbed();
    EXPECT_EQ(View->CellRect(UnitB), before);
    const QRgb fadedB = Opaque(image.pixel(Inside(UnitB)));
    EXPECT_NE(fadedB, Opaque(View->CellColor(UnitB)));
    EXPECT_GT(qGray(fadedB), qGray(Opaque(View->CellColor(UnitB))));
    EXPECT_EQ(Opaque(image.pixel(Inside(UnitC))), Opaque(View->CellColor(UnitC)));

    ASSERT_TRUE(View->ZoomInto(UnitA));
    TITreeNode *const create = UnitA->GetFirstChild()->GetFirstChild();
    TITreeNode *const helper = UnitA->GetLastChild();
    helper->SetHidden(true);
    View->RequestRepaint();
    image = Grabbed();
    EXPECT_NE(Opaque(image.pixel(Inside(helper))), Opaque(View->CellColor(helper)));
    EXPECT_EQ(Opaque(image.pixel(Inside(create))), Opaque(View->CellColor(create)));

    helper->SetHidden(false);
    View->RequestRepaint();
    image = Grabbed();
    EXPECT_EQ(Opaque(image.pixel(Inside(helper))), Opaque(View->CellColor(helper)));
}

TEST_F(TreemapCells, ChildrenOfAUnitThatFallShortLeaveTheRestToTheUnit)
{
    UnitA = AddUnit("UnitA", 1000);
    BuildSymbols = [](TITreeNode *unit) {
        unit->DeleteChildren();
        Add(unit, "Half", 500);
    };
    View->SetModel(&Model);
    ASSERT_TRUE(View->ZoomInto(UnitA));
    Show();
    const QRect half = View->CellRect(UnitA->GetFirstChild());
    const QRect map = View->MapRect();
    EXPECT_NEAR(double(half.width()) * half.height(), double(map.width()) * map.height() / 2,
                half.width() + half.height());
}

struct CaptionCase
{
    const char *Name;
    QSize (*ViewSize)(int FontHeight); // the caption's height differs between systems' fonts
    enum { Whole, Elided, None } Expected;
};

void PrintTo(const CaptionCase &c, std::ostream *out)
{
    *out << c.Name;
}

class TreemapCaptions : public TreemapFixture, public ::testing::WithParamInterface<CaptionCase>
{
};

TEST_P(TreemapCaptions, NamesShowWhereTheyFit)
{
    const QString name = QStringLiteral("Vcl.Controls.Forms.Dialogs");
    TITreeNode *const unit = AddUnit(name, 100);
    View->SetModel(&Model);
    View->resize(GetParam().ViewSize(View->fontMetrics().height()));
    const QString caption = View->CellCaption(unit);
    switch (GetParam().Expected) {
    case CaptionCase::Whole:
        EXPECT_EQ(caption, name);
        break;
    case CaptionCase::Elided:
        EXPECT_TRUE(caption.endsWith(QChar(0x2026))) << caption.toStdString();
        EXPECT_TRUE(name.startsWith(caption.chopped(1))) << caption.toStdString();
        break;
    case CaptionCase::None:
        EXPECT_EQ(caption, QString());
        break;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, TreemapCaptions,
    ::testing::Values(CaptionCase{"Wide", [](int) { return QSize(400, 200); }, CaptionCase::Whole},
                      CaptionCase{"Narrow", [](int) { return QSize(80, 200); }, CaptionCase::Elided},
                      // below the crumb bar, one pixel less than a caption needs
                      CaptionCase{"Flat", [](int height) { return QSize(400, 2 * height + 9); },
                                  CaptionCase::None},
                      CaptionCase{"Slim", [](int) { return QSize(14, 200); }, CaptionCase::None}),
    [](const auto &info) { return std::string(info.param.Name); });

// ---- highlight

class TreemapHighlight : public TreemapFixture
{
};

TEST_F(TreemapHighlight, IsDrawnOverThePictureWithoutRenderingItAgain)
{
    ShowThreeUnits();
    Show();
    const QRgb highlight = Opaque(ColorToQRgb(clHighlight));
    const QPoint corner = View->CellRect(UnitB).topLeft();
    EXPECT_NE(Opaque(Grabbed().pixel(corner)), highlight);

    View->SetHighlightedNode(UnitB);
    EXPECT_FALSE(View->Dirty());
    EXPECT_EQ(Opaque(Grabbed().pixel(corner)), highlight);
    EXPECT_NE(Opaque(View->BackBuffer().pixel(corner)), highlight);

    View->SetHighlightedNode(nullptr);
    EXPECT_NE(Opaque(Grabbed().pixel(corner)), highlight);
}

TEST_F(TreemapHighlight, ASymbolIsShownByItsUnitAndANodeOutsideTheZoomZoomsOut)
{
    ShowThreeUnits();
    Show();
    ASSERT_TRUE(View->ZoomInto(UnitA));
    TITreeNode *const paint = UnitA->GetFirstChild()->Item(1);
    ASSERT_EQ(paint->Text(), "Paint");

    View->SetHighlightedNode(paint);
    EXPECT_EQ(View->ZoomNode(), UnitA);
    EXPECT_EQ(Opaque(Grabbed().pixel(View->CellRect(paint).topLeft())), Opaque(ColorToQRgb(clHighlight)));

    View->SetHighlightedNode(UnitB);
    EXPECT_EQ(View->ZoomNode(), nullptr);
    View->SetHighlightedNode(paint);
    EXPECT_EQ(View->ZoomNode(), nullptr);
    EXPECT_EQ(Opaque(Grabbed().pixel(View->CellRect(UnitA).topLeft())), Opaque(ColorToQRgb(clHighlight)));
}

// ---- zoom

class TreemapZoom : public TreemapFixture
{
};

TEST_F(TreemapZoom, AClickOnAUnitAsksForItsSymbolsAloneAndZoomsIntoThem)
{
    ShowThreeUnits();
    Show();
    // Nothing is asked for before a unit is opened.
    EXPECT_TRUE(Asked.isEmpty());
    Click(Inside(UnitA));
    EXPECT_EQ(Asked, QStringList{"UnitA"});
    EXPECT_EQ(View->ZoomNode(), UnitA);
    EXPECT_FALSE(UnitA->Expanded());
    EXPECT_EQ(View->CrumbTexts(), QStringList({"All units", "UnitA"}));
    ASSERT_EQ(Clicked, std::vector<TITreeNode *>{UnitA});
    TITreeNode *const form = UnitA->GetFirstChild();
    ASSERT_EQ(form->Text(), "TFormA");
    // Inside a unit its levels nest: the class holds its methods under its name.
    EXPECT_TRUE(View->CellNested(form));
    const QRect formCell = View->CellRect(form);
    for (TITreeNode *method = form->GetFirstChild(); method; method = method->NextSibling())
        EXPECT_TRUE(formCell.contains(View->CellRect(method))) << method->Text().toStdString();
    EXPECT_TRUE(View->CellRect(UnitB).isEmpty());
}

TEST_F(TreemapZoom, AClickOnALeafSelectsItWithoutZooming)
{
    ShowThreeUnits();
    Show();
    View->ZoomInto(UnitA);
    TITreeNode *const helper = UnitA->Item(1);
    Click(Inside(helper));
    EXPECT_EQ(View->ZoomNode(), UnitA);
    EXPECT_EQ(Clicked, std::vector<TITreeNode *>{helper});
    EXPECT_EQ(View->HighlightedNode(), helper);
}

struct BackCase
{
    const char *Name;
    std::function<void(TreemapFixture &, TTreemapView &)> GoBack;
};

void PrintTo(const BackCase &c, std::ostream *out)
{
    *out << c.Name;
}

class TreemapBack : public TreemapZoom, public ::testing::WithParamInterface<BackCase>
{
public:
    void RightClickAt(QPoint p) { Click(p, Qt::RightButton); }
    void ClickAt(QPoint p) { Click(p); }
};

TEST_P(TreemapBack, LeadsOneLevelUp)
{
    ShowThreeUnits();
    Show();
    ASSERT_TRUE(View->ZoomInto(UnitA));
    ASSERT_TRUE(View->ZoomInto(UnitA->GetFirstChild()));
    GetParam().GoBack(*this, *View);
    EXPECT_EQ(View->ZoomNode(), UnitA);
    GetParam().GoBack(*this, *View);
    EXPECT_EQ(View->ZoomNode(), nullptr);
    EXPECT_FALSE(View->CellRect(UnitC).isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Ways, TreemapBack,
    ::testing::Values(
        BackCase{"RightClick",
                 [](TreemapFixture &f, TTreemapView &v) {
                     static_cast<TreemapBack &>(f).RightClickAt(v.MapRect().center());
                 }},
        BackCase{"Backspace",
                 [](TreemapFixture &, TTreemapView &v) { QTest::keyClick(&v, Qt::Key_Backspace); }},
        BackCase{"Escape", [](TreemapFixture &, TTreemapView &v) { QTest::keyClick(&v, Qt::Key_Escape); }},
        BackCase{"Breadcrumb",
                 [](TreemapFixture &f, TTreemapView &v) {
                     // The crumb before the last: the text right of the separator's start.
                     const QStringList texts = v.CrumbTexts();
                     const QFontMetrics metrics = v.fontMetrics();
                     int x = 6;
                     for (int i = 0; i + 2 < texts.size(); ++i)
                         x += metrics.horizontalAdvance(texts[i]) + metrics.horizontalAdvance(" \u203A ");
                     static_cast<TreemapBack &>(f).ClickAt(QPoint(x + 2, v.CrumbBarRect().center().y()));
                 }}),
    [](const auto &info) { return std::string(info.param.Name); });

TEST_F(TreemapZoom, OutermostLevelEscapeAndBackspaceAreLeftToTheWindow)
{
    ShowThreeUnits();
    Show();
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(View.get(), &escape);
    EXPECT_FALSE(escape.isAccepted());
    EXPECT_FALSE(View->ZoomOut());
}

TEST_F(TreemapZoom, ARebuiltTreeKeepsTheZoomWhereTheUnitStillExists)
{
    ShowThreeUnits();
    Show();
    ASSERT_TRUE(View->ZoomInto(UnitA));
    View->SetHighlightedNode(UnitA->Item(1));
    Asked.clear();

    // A new run: every node is replaced, the units come back with their placeholder.
    Model.Clear();
    AddThreeUnits();
    View->repaint();
    EXPECT_EQ(View->ZoomNode(), UnitA);
    EXPECT_EQ(Asked, QStringList{"UnitA"});
    EXPECT_EQ(View->HighlightedNode(), UnitA->Item(1));

    // A run without the unit shows the root level; the next one with it does not zoom back.
    Model.Clear();
    AddUnit("UnitB", 300);
    View->repaint();
    EXPECT_EQ(View->ZoomNode(), nullptr);
    EXPECT_EQ(View->CrumbTexts(), QStringList{"All units"});
    EXPECT_FALSE(View->ZoomOut());
}

TEST_F(TreemapZoom, NothingIsAskedForWhileTheViewIsDisabled)
{
    ShowThreeUnits();
    Show();
    ASSERT_TRUE(View->ZoomInto(UnitA));
    View->setEnabled(false);
    Model.Clear();
    AddThreeUnits();
    Asked.clear();
    View->repaint();
    EXPECT_TRUE(Asked.isEmpty());
    View->setEnabled(true);
    View->repaint();
    EXPECT_EQ(Asked, QStringList{"UnitA"});
    EXPECT_EQ(View->ZoomNode(), UnitA);
}

TEST_F(TreemapZoom, EnterOpensTheFramedNodeAlsoWhenItIsAnAncestorOfTheHighlightedOne)
{
    ShowThreeUnits();
    Show();
    ASSERT_TRUE(View->ZoomInto(UnitA));
    TITreeNode *const paint = UnitA->GetFirstChild()->Item(1);
    View->SetHighlightedNode(paint);
    // Home: the whole map, where Paint is framed by its unit.
    QTest::keyClick(View.get(), Qt::Key_Home);
    ASSERT_EQ(View->ZoomNode(), nullptr);
    QTest::keyClick(View.get(), Qt::Key_Return);
    EXPECT_EQ(View->ZoomNode(), UnitA);
}

TEST_F(TreemapZoom, AUnitWithoutSymbolsIsNotZoomedInto)
{
    TITreeNode *const bare = AddUnit("Bare", 100, false);
    View->SetModel(&Model);
    Show();
    Click(Inside(bare));
    EXPECT_EQ(View->ZoomNode(), nullptr);
    EXPECT_EQ(Clicked, std::vector<TITreeNode *>{bare});
}

// ---- tooltips and hit testing

class TreemapHits : public TreemapFixture
{
};

TEST_F(TreemapHits, EveryCellIsFoundAtItsPlaceAndTellsItsNameSizeAndShare)
{
    ShowThreeUnits();
    Show();
    struct Expected
    {
        TITreeNode *Node;
        const char *Hint;
    };
    for (const Expected &e : {Expected{UnitA, "UnitA\n600 bytes, 60.00 % of the code"},
                              Expected{UnitB, "UnitB\n300 bytes, 30.00 % of the code"},
                              Expected{UnitC, "UnitC\n100 bytes, 10.00 % of the code"}}) {
        const QPoint p = Inside(e.Node);
        EXPECT_EQ(View->NodeAt(p), e.Node) << e.Hint;
        EXPECT_EQ(View->HintTextAt(p), e.Hint);
    }
    EXPECT_EQ(View->NodeAt(View->CrumbBarRect().center()), nullptr);

    View->ZoomInto(UnitA);
    View->repaint();
    TITreeNode *const form = UnitA->GetFirstChild();
    TITreeNode *const create = form->GetFirstChild();
    EXPECT_EQ(View->NodeAt(Inside(create)), create);
    // The title strip of a nested cell is its own.
    EXPECT_EQ(View->NodeAt(View->CellRect(form).topLeft() + QPoint(4, 4)), form);
    EXPECT_EQ(View->HintTextAt(Inside(create)), "UnitA.TFormA.Create\n300 bytes, 30.00 % of the code");
    EXPECT_EQ(View->HintTextAt(View->CrumbBarRect().topLeft() + QPoint(10, 8)), "Back to All units");
}

TEST_F(TreemapHits, HoveringFramesTheCellWithoutRendering)
{
    ShowThreeUnits();
    Show();
    View->repaint();
    const QPoint corner = View->CellRect(UnitC).topLeft();
    const QRgb before = Opaque(Grabbed().pixel(corner));
    Move(Inside(UnitC));
    EXPECT_FALSE(View->Dirty());
    EXPECT_EQ(Opaque(Grabbed().pixel(corner)), Opaque(ColorToQRgb(clWindowText)));
    Move(Inside(UnitA));
    EXPECT_EQ(Opaque(Grabbed().pixel(corner)), before);
}

TEST_F(TreemapHits, AModelThatGoesLeavesAnEmptyMap)
{
    ShowThreeUnits();
    Show();
    View->ZoomInto(UnitA);
    View->SetModel(nullptr);
    EXPECT_EQ(View->CellCount(), 0);
    EXPECT_EQ(View->NodeAt(View->MapRect().center()), nullptr);
    EXPECT_EQ(View->ZoomNode(), nullptr);
    Grabbed();
}

} // namespace

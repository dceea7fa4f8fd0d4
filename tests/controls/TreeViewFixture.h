#pragma once
// A shown, focused tree-grid on a manual clock, with three columns, and helpers to build small trees
// and to press, click and type at rows and headers.

#include "ManualClock.h"
#include "base/XLists.h"
#include "controls/CITVClassic.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTest>

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <vector>

// The fixture's column widths.
constexpr int NameWidth = 150;
constexpr int SizeWidth = 80;
constexpr int KindWidth = 80;

class TreeViewFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        View = std::make_unique<TITreeView>();
        View->SetClock(Clock);
        View->SetHotTrack(false);
        View->resize(400, 200);
        View->AddColumn("Name", NameWidth, Qt::AlignLeft, iskText);
        View->AddColumn("Size", SizeWidth, Qt::AlignRight, iskTag);
        View->AddColumn("Kind", KindWidth, Qt::AlignLeft, iskText);
        View->OnSelectionChanged = [this](TInteractiveTreeView *) { ++SelectionEvents; };
        View->show();
        View->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(View.get()));
        View->setFocus();
    }

    // A node under parent (a root-level node without one) with a tag and the kind text in column 2.
    TITreeNode *Add(TITreeNode *parent, const QString &text, qint64 tag = 0, const QString &kind = QString())
    {
        TITreeNode *const node = parent ? parent->AddChild(text) : View->Items().AddRoot();
        node->SetText(text);
        node->SetTag(tag);
        node->ColumnStrings()->Add(QString::number(tag));
        node->ColumnStrings()->Add(kind);
        return node;
    }
    std::vector<TITreeNode *> AddRoots(std::initializer_list<const char *> texts)
    {
        std::vector<TITreeNode *> nodes;
        for (const char *text : texts)
            nodes.push_back(Add(nullptr, text));
        return nodes;
    }

    // Renders if a repaint was requested, so that the areas match the tree.
    void Paint() { View->repaint(); }
    QImage Rendered()
    {
        Paint();
        return View->BackBuffer();
    }

    int RowTop(int row) const { return View->HeaderHeight() + row * View->RowHeight(); }
    QPoint RowPoint(int row, int x = 100) const { return QPoint(x, RowTop(row) + View->RowHeight() / 2); }
    QPoint HeaderPoint(int column) const
    {
        const TITVColumn *const c = View->Columns().Items(column);
        return QPoint(View->ColumnLeft(c) + c->Width() / 2, View->HeaderHeight() / 2);
    }
    QPoint HandlePoint(int column) const
    {
        const TITVColumn *const c = View->Columns().Items(column);
        return QPoint(View->ColumnLeft(c) + c->Width() - 1, View->HeaderHeight() / 2);
    }

    void Move(QPoint p, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QMouseEvent e(QEvent::MouseMove, p, View->mapToGlobal(p), Qt::NoButton, Buttons, modifiers);
        QApplication::sendEvent(View.get(), &e);
    }
    void Press(QPoint p, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
               Qt::MouseButton button = Qt::LeftButton)
    {
        Paint();
        Move(p, modifiers);
        Buttons |= button;
        QTest::mousePress(View.get(), button, modifiers, p);
    }
    void Release(QPoint p, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
                 Qt::MouseButton button = Qt::LeftButton)
    {
        Buttons &= ~button;
        QTest::mouseRelease(View.get(), button, modifiers, p);
    }
    void Click(QPoint p, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        Press(p, modifiers);
        Release(p, modifiers);
        Clock->Advance(1000);
    }
    void RightClick(QPoint p)
    {
        Press(p, Qt::NoModifier, Qt::RightButton);
        Release(p, Qt::NoModifier, Qt::RightButton);
    }
    void DoubleClick(QPoint p)
    {
        Press(p);
        Release(p);
        Paint();
        Buttons |= Qt::LeftButton;
        QTest::mouseDClick(View.get(), Qt::LeftButton, Qt::NoModifier, p);
        Release(p);
        Clock->Advance(1000);
    }
    void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(View.get(), key, modifiers);
    }

    // Row indexes of the selected displayed rows.
    std::vector<int> SelectedRows()
    {
        std::vector<int> rows;
        const TITreeNodeList &all = View->Rows();
        for (size_t i = 0; i < all.size(); ++i)
            if (all[i]->Selected())
                rows.push_back(int(i));
        return rows;
    }
    int SelectedRow() { return View->RowIndex(View->SelectedNode()); }

    std::shared_ptr<TManualClock> Clock = std::make_shared<TManualClock>();
    std::unique_ptr<TITreeView> View;
    Qt::MouseButtons Buttons;
    int SelectionEvents = 0;
};

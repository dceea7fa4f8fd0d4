#pragma once
// The program's real window, offscreen, on fake time and settings of its own, with the sample's MAP
// file at hand.
#include "AppTestSupport.h"

#include "app/FMain.h"
#include "app/FScanFilesAbort.h"
#include "controls/CDirectoryEdit.h"
#include "controls/CFileComboEdit.h"
#include "controls/UTimer97.h"

#include <QDragEnterEvent>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QUrl>

#include <gtest/gtest.h>

class MainWindowFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        auto time = std::make_unique<TFakeTime>();
        FTime = time.get();
        CreateTimer97Handler(std::move(time));
    }
    void TearDown() override
    {
        FScan.reset();
        FWindow.reset();
        FreeTimer97Handler();
        // A cursor left by one test would be taken for the next one's.
        EXPECT_EQ(QApplication::overrideCursor(), nullptr) << "the window left its wait cursor";
        while (QApplication::overrideCursor())
            QApplication::restoreOverrideCursor();
    }

    TQuillonMain &OpenWindow(const QStringList &arguments = {QStringLiteral("quillon")})
    {
        FScan.reset();
        FWindow = std::make_unique<TQuillonMain>(arguments);
        FScan = std::make_unique<TScanFilesAbort>(FWindow.get());
        FWindow->SetScanFilesAbort(FScan.get());
        FWindow->SetClock(std::shared_ptr<TICCClock>(FTime, [](TICCClock *) {}));
        FWindow->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(FWindow.get()));
        return *FWindow;
    }

    static QString SampleMap() { return SourceDir() + QStringLiteral("/examples/sample/SampleApp.map"); }
    TITreeView &Grid() { return *FWindow->VGUnits(); }
    // The widget Tab moves to from the given one.
    static QWidget *NextByTab(QWidget *widget)
    {
        QWidget *next = widget->nextInFocusChain();
        while (next != widget && !(next->isVisibleTo(widget->window()) && next->isEnabled() &&
                                   (next->focusPolicy() & Qt::TabFocus)))
            next = next->nextInFocusChain();
        return next;
    }
    int UnitCount() { return Grid().Items().RootCount(); }
    // A drag of the URLs entering the window at its middle; true when the window takes it.
    bool DragEnter(const QList<QUrl> &urls)
    {
        QMimeData data;
        data.setUrls(urls);
        QDragEnterEvent enter(FWindow->rect().center(), Qt::CopyAction, &data, Qt::LeftButton,
                              Qt::NoModifier);
        QCoreApplication::sendEvent(FWindow.get(), &enter);
        return enter.isAccepted();
    }

    QStringList RootTexts()
    {
        QStringList texts;
        for (const TITreeNode *node = Grid().Items().GetFirstNode(); node; node = node->NextSibling())
            texts << node->Text();
        return texts;
    }

    TITreeNode *Root(const QString &text)
    {
        for (TITreeNode *node = Grid().Items().GetFirstNode(); node; node = node->NextSibling())
            if (node->Text() == text)
                return node;
        return nullptr;
    }

    // The middle of the node's row in the grid's client coordinates.
    QPoint RowPoint(const TITreeNode *node, int x = 100)
    {
        Grid().grab();
        for (int y = 0; y < Grid().height(); ++y)
            if (Grid().RowAt(y) == node)
                return QPoint(x, y + Grid().RowHeight() / 2);
        ADD_FAILURE() << "row not displayed";
        return QPoint();
    }

    TFakeTime *FTime = nullptr;
    TTemporarySettings FSettings;
    std::unique_ptr<TQuillonMain> FWindow;
    std::unique_ptr<TScanFilesAbort> FScan;
};

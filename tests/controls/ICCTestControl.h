#pragma once
// A small interactive control for the base's tests: the test decides what Render registers, and
// every hook the base calls is written to a log.

#include "ManualClock.h"
#include "controls/CInteractiveCustomControl.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class TICCTestControl : public TInteractiveCustomControl
{
public:
    std::function<void(TICCTestControl &)> OnRender;
    int RenderCount = 0;
    std::vector<std::string> Log;
    bool RefuseDblClick = false;

    using TInteractiveCustomControl::AddCustomArea;

protected:
    void Render(QPainter &canvas, QImage &buffer) override
    {
        ++RenderCount;
        TInteractiveCustomControl::Render(canvas, buffer);
        if (OnRender)
            OnRender(*this);
    }
    void AreaMouseDown(TICCArea *area) override { Note("down", area); }
    void AreaClick(TICCArea *area) override { Note("click", area); }
    void AreaSlowClick(TICCArea *area) override { Note("slow", area); }
    void EmptyMouseDown() override { Log.push_back("empty"); }
    void AreaContextPopup(TICCArea *area, bool &) override { Note("context", area); }
    void EmptyContextPopup(bool &) override { Log.push_back("emptycontext"); }
    void AreaDblClick(TICCArea *area) override { Note("dbl", area); }
    void CanDblClick(bool &allow) override
    {
        if (RefuseDblClick)
            allow = false;
    }

private:
    void Note(const char *what, const TICCArea *area)
    {
        Log.push_back(std::string(what) + ":" + std::to_string(area->Kind()));
    }
};

// A square area that writes its mouse events, prefixed by its name, to a shared log.
class TICCRecordingArea : public TICCSquareArea
{
public:
    TICCRecordingArea(TInteractiveCustomControl *owner, const QRect &rect, int kind, std::string name,
                      std::vector<std::string> &log)
        : TICCSquareArea(owner, rect, kind), FName(std::move(name)), FLog(log)
    {}
    bool HandlesDblClick = false;

    void MouseEnter() override
    {
        Note("enter");
        TICCSquareArea::MouseEnter();
    }
    void MouseLeave() override
    {
        Note("leave");
        TICCSquareArea::MouseLeave();
    }
    void MouseDown(int x, int y) override
    {
        Note("down");
        TICCSquareArea::MouseDown(x, y);
    }
    void MouseUp(int x, int y) override
    {
        Note("up");
        TICCSquareArea::MouseUp(x, y);
    }
    void MiddleMouseDown(int, int) override { Note("middown"); }
    void Cancel() override
    {
        Note("cancel");
        TICCSquareArea::Cancel();
    }
    void ContextPopup(int, int, bool &) override { Note("context"); }
    void DblClick(bool &handled) override
    {
        Note("dbl");
        handled = HandlesDblClick;
    }

private:
    void Note(const char *what) { FLog.push_back(FName + ":" + what); }

    std::string FName;
    std::vector<std::string> &FLog;
};

// A shown, focused control on a manual clock, with mouse helpers.
class ICCFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Control = std::make_unique<TICCTestControl>();
        Control->SetClock(Clock);
        Control->resize(200, 150);
        Control->show();
        Control->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(Control.get()));
        Control->setFocus();
    }

    // Renders now if a repaint was requested, and composes.
    void Paint() { Control->repaint(); }

    // The control with areas from registrar, rendered.
    void RenderWith(std::function<void(TICCTestControl &)> registrar)
    {
        Control->OnRender = std::move(registrar);
        Control->RequestRepaint();
        Paint();
    }

    void Move(QPoint p)
    {
        QMouseEvent e(QEvent::MouseMove, p, Control->mapToGlobal(p), Qt::NoButton, Buttons, Qt::NoModifier);
        QApplication::sendEvent(Control.get(), &e);
    }
    // A move to the point comes first, as it does with a real mouse.
    void Press(QPoint p, Qt::MouseButton button = Qt::LeftButton)
    {
        Move(p);
        Buttons |= button;
        QTest::mousePress(Control.get(), button, Qt::NoModifier, p);
    }
    void Release(QPoint p, Qt::MouseButton button = Qt::LeftButton)
    {
        Buttons &= ~button;
        QTest::mouseRelease(Control.get(), button, Qt::NoModifier, p);
    }
    void DoubleClick(QPoint p)
    {
        Buttons |= Qt::LeftButton;
        QTest::mouseDClick(Control.get(), Qt::LeftButton, Qt::NoModifier, p);
    }
    // Press, double click and both releases, as the window system delivers a double click.
    void DoubleClickSequence(QPoint p)
    {
        Press(p);
        Release(p);
        DoubleClick(p);
        Release(p);
    }

    TICCRecordingArea *AddRecording(TICCTestControl &c, const QRect &rect, int kind, const char *name)
    {
        return c.AddCustomArea(std::make_unique<TICCRecordingArea>(&c, rect, kind, name, AreaLog));
    }

    std::vector<std::string> AreaLog;
    std::shared_ptr<TManualClock> Clock = std::make_shared<TManualClock>();
    std::unique_ptr<TICCTestControl> Control;
    Qt::MouseButtons Buttons;
};

#pragma once
// Where the keyboard focus goes when a run ends. Locking the window disables the controls the
// user pressed Go with, and Qt hands the focus on to the next field, the search folder, its whole
// text selected: the first letter typed to find a unit then replaced the folder. The focus returns
// where it was when that control stays usable during a run, and goes to the grid otherwise.

#include <QList>
#include <QPointer>
#include <QWidget>

class TRunFocus
{
public:
    // Before the window locks.
    void Remember();
    // After it is unlocked; locked: the controls the run disabled.
    void Restore(QWidget *grid, const QList<QWidget *> &locked);

private:
    QPointer<QWidget> FFocused;
};

#pragma once
// Answers the next modal dialog from inside its event loop, as a user would.

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <functional>

template <typename TDialog> void AnswerNextModal(std::function<void(TDialog *dialog)> answer)
{
    QTimer::singleShot(0, [answer] {
        auto *dialog = qobject_cast<TDialog *>(QApplication::activeModalWidget());
        if (dialog)
            answer(dialog);
    });
}

// Answers the first modal dialog of the type that opens within a minute: for a dialog that follows
// work on another thread, which the next event loop pass does not yet see.
template <typename TDialog> void AnswerModalWhenShown(std::function<void(TDialog *dialog)> answer, int triesLeft = 6000)
{
    QTimer::singleShot(10, [answer, triesLeft] {
        if (auto *dialog = qobject_cast<TDialog *>(QApplication::activeModalWidget()))
            answer(dialog);
        else if (triesLeft > 0)
            AnswerModalWhenShown<TDialog>(answer, triesLeft - 1);
    });
}

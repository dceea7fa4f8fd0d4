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

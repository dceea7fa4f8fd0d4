#include "app/QuillonApplication.h"

#include "app/ExceptionInfo.h"
#include "base/Exception.h"

#include <QMessageBox>

TQuillonApplication::TQuillonApplication(int &argc, char **argv) : QApplication(argc, argv) {}

bool TQuillonApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const EAbort &) {
        // The silent exception: it only ends the action that raised it.
    } catch (...) {
        DoException(std::current_exception());
    }
    return false;
}

void TQuillonApplication::DoException(const std::exception_ptr &exception)
{
    if (OnException) {
        OnException(exception);
        return;
    }
    QMessageBox::critical(activeWindow(), applicationName(), DescribeException(exception).Message);
}

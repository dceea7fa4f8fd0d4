#pragma once
// The application object: an exception that escapes an event handler ends up here instead of
// unwinding through the event loop.

#include <QApplication>

#include <exception>
#include <functional>

class TQuillonApplication : public QApplication
{
    Q_OBJECT

public:
    TQuillonApplication(int &argc, char **argv);

    bool notify(QObject *receiver, QEvent *event) override;

    // The application-wide handler of unexpected errors; without one, the message is shown.
    std::function<void(const std::exception_ptr &exception)> OnException;

protected:
    virtual void DoException(const std::exception_ptr &exception);
};

#include "app/TestFault.h"

#include "base/Exception.h"

#include <QObject>
#include <QTimer>

void ScheduleTestFault(QObject *context)
{
    const QString fault = qEnvironmentVariable("QUILLON_TEST_FAULT");
    if (fault == QLatin1String("access-violation")) {
        QTimer::singleShot(0, context, [] {
            // A volatile store through a volatile pointer, so that the compiler emits it as written:
            // with the pointer alone volatile, MinGW's GCC dropped the store and nothing faulted.
            volatile int *volatile target = nullptr;
            *target = 1;
        });
    } else if (fault == QLatin1String("exception")) {
        QTimer::singleShot(0, context, [] {
            throw Exception(QStringLiteral("Test fault asked for by QUILLON_TEST_FAULT"));
        });
    }
}

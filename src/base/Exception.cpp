#include "base/Exception.h"

#include <QFileInfo>

void RaiseAssertion(const QString &text, const char *file, int line)
{
    const QString message = text.isEmpty() ? QStringLiteral("Assertion failure") : text;
    throw EAssertionFailed(QStringLiteral("%1 (%2, line %3)")
                               .arg(message, QFileInfo(QString::fromLocal8Bit(file)).fileName())
                               .arg(line));
}

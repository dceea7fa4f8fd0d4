#include "app/LaunchOptions.h"

#include <QDir>

TLaunchOptions ParseLaunchOptions(const QStringList &arguments)
{
    TLaunchOptions options;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (i > 0 && argument == QLatin1String("--go")) {
            options.Go = true;
        } else if (i > 0 && argument == QLatin1String("--search-dir") && i + 1 < arguments.size()) {
            // Absolute now: a run changes the current folder to the project's.
            options.SearchDir = QDir::cleanPath(QDir::current().absoluteFilePath(arguments.at(++i))) + u'/';
        } else if (i > 0 && argument == QLatin1String("--baseline") && i + 1 < arguments.size()) {
            options.Baseline = QDir::cleanPath(QDir::current().absoluteFilePath(arguments.at(++i)));
        } else {
            options.Arguments << argument;
        }
    }
    return options;
}

#include "app/LaunchOptions.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

TLaunchOptions ParseLaunchOptions(const QStringList &arguments)
{
    TLaunchOptions options;
    QString opened;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (i > 0 && argument == QLatin1String("--go")) {
            options.Go = true;
        } else if (i > 0 && argument == QLatin1String("--search-dir") && i + 1 < arguments.size()) {
            // Absolute now: a run changes the current folder to the project's.
            options.SearchDir = QDir::cleanPath(QDir::current().absoluteFilePath(arguments.at(++i))) + u'/';
        } else if (i > 0 && argument == QLatin1String("--baseline") && i + 1 < arguments.size()) {
            options.Baseline = QDir::cleanPath(QDir::current().absoluteFilePath(arguments.at(++i)));
        } else if (i > 0 && argument == QLatin1String("--open")) {
            // The desktop's launcher passes nothing after it when started from the menu.
            if (i + 1 < arguments.size())
                opened = arguments.at(++i);
        } else {
            options.Arguments << argument;
        }
    }
    if (!opened.isEmpty()) {
        options.Arguments.insert(std::min<qsizetype>(1, options.Arguments.size()), opened);
        // A file that is not there leaves the stored MAP file in the field, which was not asked for.
        options.Go = options.Go || QFileInfo(opened).isFile();
    }
    return options;
}

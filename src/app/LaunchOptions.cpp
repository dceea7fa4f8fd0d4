#include "app/LaunchOptions.h"

#include "QuillonVersion.h"

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

TLaunchQuestion LaunchQuestionOf(int argc, const char *const *argv)
{
    for (int i = 1; i < argc; ++i) {
        const QByteArrayView argument(argv[i]);
        // What follows is the name of a file, whatever it looks like.
        if (argument == "--open" || argument == "--search-dir" || argument == "--baseline") {
            ++i;
            continue;
        }
        if (argument == "--help" || argument == "-h")
            return TLaunchQuestion::Help;
        if (argument == "--version")
            return TLaunchQuestion::Version;
    }
    return TLaunchQuestion::None;
}

QString LaunchVersionText()
{
    return QStringLiteral("quillon %1.%2.%3\n")
        .arg(QUILLON_VERSION_MAJOR)
        .arg(QUILLON_VERSION_MINOR)
        .arg(QUILLON_VERSION_PATCH);
}

QString LaunchHelpText()
{
    return QStringLiteral(R"help(Usage: quillon [FILE] [--search-dir DIR] [--go] [--baseline FILE]
       quillon --open FILE
       quillon --help | --version

quillon: the desktop program. It shows how much compiled code each unit of a
Delphi project contributes to its executable, read from the linker's detailed
MAP file: one row per unit (compiled size, share, form size, .dcu ratio), each
opening into its namespaces, classes and routines. quillon-cli(1) writes the
same analysis without a display.

Options:
  FILE               the MAP file field gets FILE with the extension ".map"; a
                     project or executable whose MAP file lies in an output
                     folder below it (Win32/Release...) has that one found
  --search-dir DIR   the folder field gets DIR: the .dcu files below it are
                     sized for the "Ratio DCU size" column
  --go               run the analysis as soon as the window shows
  --baseline FILE    compare with the build of the MAP file FILE: two more
                     columns show its sizes and the change
  --open FILE        FILE in the MAP file field, analysed at once when it
                     exists (the desktop entry opens MAP files this way)
  -h, --help         this text, without opening a window
  --version          the program's name and version, without opening a window
  Qt's own options (-platform, -style...) are taken as well.

Files:
  ~/.config/Brackwell/Quillon.conf
                     the window's placement and the last MAP file and folder
  ~/.local/share/Brackwell/Quillon/error.log
                     the log of unexpected errors (in the temporary folder
                     when that one cannot be written); the crash report,
                     report.xml, is written to the temporary folder

Exit codes:
  0   the window was closed, or the help or the version was printed
)help");
}

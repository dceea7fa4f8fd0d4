// quillon-cli: the analysis of the desktop program as a report, a comparison of two builds and a
// check of size budgets, for scripts and build pipelines.

#include "cli/CliOptions.h"
#include "cli/CommandSupport.h"
#include "cli/Commands.h"

#include <QCoreApplication>

#include <cstdio>

#ifdef Q_OS_WIN
#include <fcntl.h>
#include <io.h>
#endif

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
#ifdef Q_OS_WIN
    // A report and the messages are the same bytes on every system, as with --output: no "\r"
    // before each "\n".
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
#endif
    QString error;
    const std::optional<TCliOptions> options = TCliOptions::Parse(app.arguments().mid(1), error);
    if (!options) {
        PrintError(error);
        return ecUsage;
    }
    if (options->Help) {
        std::fputs(TCliOptions::HelpText(options->Command).toLocal8Bit().constData(), stdout);
        return ecSuccess;
    }
    if (options->Version) {
        std::fputs(TCliOptions::VersionText().toLocal8Bit().constData(), stdout);
        return ecSuccess;
    }
    switch (options->Command) {
    case TCliCommand::Report:
        return RunReport(*options);
    case TCliCommand::Diff:
        return RunDiff(*options);
    case TCliCommand::Check:
        return RunCheck(*options);
    case TCliCommand::Why:
        return RunWhy(*options);
    case TCliCommand::Uses:
        return RunUses(*options);
    case TCliCommand::Graph:
        return RunGraph(*options);
    case TCliCommand::None:
        break;
    }
    return ecUsage;
}

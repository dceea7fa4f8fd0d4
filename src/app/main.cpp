// quillon: the desktop program.
#include "app/FMain.h"
#include "app/FScanFilesAbort.h"
#include "app/InterfaceLanguageChoice.h"
#include "app/LaunchOptions.h"
#include "app/QuillonApplication.h"
#include "app/QuillonStartup.h"
#include "app/TestFault.h"
#include "app/UCrashLogging.h"
#include "base/FreedMemory.h"
#include "controls/CDirectoryEdit.h"

#include <QDir>
#include <QIcon>
#include <QStyleFactory>
#include <QTimer>

#include <cstdio>

int main(int argc, char **argv)
{
    // Answered before the application object, which needs a display.
    switch (LaunchQuestionOf(argc, argv)) {
    case TLaunchQuestion::Help:
        std::fputs(LaunchHelpText().toLocal8Bit().constData(), stdout);
        return 0;
    case TLaunchQuestion::Version:
        std::fputs(LaunchVersionText().toLocal8Bit().constData(), stdout);
        return 0;
    case TLaunchQuestion::None:
        break;
    }
    KeepLargeBlocksApart();
    TQuillonApplication application(argc, argv);
    TQuillonApplication::setOrganizationName(QStringLiteral("Brackwell"));
    TQuillonApplication::setApplicationName(QStringLiteral("Quillon"));
    // The look and the measures must not depend on the desktop theme.
    TQuillonApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    Q_INIT_RESOURCE(StandardIcons);
    // The desktop matches the window to its entry (quillon.desktop) by this name.
    TQuillonApplication::setDesktopFileName(QStringLiteral("quillon"));
    QIcon programIcon;
    for (const int size : {16, 32, 48, 64, 128, 256})
        programIcon.addFile(QStringLiteral(":/PROGRAM/quillon_%1").arg(size), QSize(size, size));
    TQuillonApplication::setWindowIcon(programIcon);

    const TQuillonStartup startup;
    // A dictionary that cannot be read leaves the texts as written: worth a line in the log only.
    if (const QString problem = SelectInterfaceLanguage(QLocale::system()); !problem.isEmpty())
        LogMessage(problem, QString());

    const TLaunchOptions options = ParseLaunchOptions(TQuillonApplication::arguments());
    TQuillonMain mainWindow(options.Arguments);
    TScanFilesAbort scanFilesAbort(&mainWindow);
    mainWindow.SetScanFilesAbort(&scanFilesAbort);
    mainWindow.show();
    // After the first show, which restores the stored fields and applies the preselected file.
    if (!options.SearchDir.isEmpty())
        mainWindow.DEFilePath()->setText(QDir::toNativeSeparators(options.SearchDir));
    if (options.Go)
        QTimer::singleShot(0, &mainWindow, &TQuillonMain::BBGoClick);
    if (!options.Baseline.isEmpty())
        QTimer::singleShot(0, &mainWindow,
                           [&mainWindow, &options] { mainWindow.SetBaseline(options.Baseline); });
    ScheduleTestFault(&mainWindow);
    return TQuillonApplication::exec();
}

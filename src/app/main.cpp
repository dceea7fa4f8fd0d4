// quillon: the desktop program.
#include "app/FMain.h"
#include "app/FScanFilesAbort.h"
#include "app/QuillonApplication.h"
#include "app/QuillonStartup.h"
#include "base/UMultiLang.h"

#include <QStyleFactory>

int main(int argc, char **argv)
{
    TQuillonApplication application(argc, argv);
    TQuillonApplication::setOrganizationName(QStringLiteral("Brackwell"));
    TQuillonApplication::setApplicationName(QStringLiteral("Quillon"));
    // The look and the measures must not depend on the desktop theme.
    TQuillonApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));

    const TQuillonStartup startup;
    SetInterfaceLanguage(1033);

    TQuillonMain mainWindow(TQuillonApplication::arguments());
    TScanFilesAbort scanFilesAbort(&mainWindow);
    mainWindow.SetScanFilesAbort(&scanFilesAbort);
    mainWindow.show();
    return TQuillonApplication::exec();
}

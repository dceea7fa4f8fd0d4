#include "app/QuillonStartup.h"

#include "app/UCrashLogging.h"
#include "app/UCrashReport.h"
#include "app/UCrashTools.h"
#include "base/Strings.h"
#include "base/UMultiLang.h"
#include "controls/UTimer97.h"

#include <QCoreApplication>

TQuillonStartup::TQuillonStartup()
{
    InitializeStringLibrary(QCoreApplication::applicationFilePath());
    InitCrashReporters();
    InitMultiLangModes();
    CreateTimer97Handler();
    InitCrashTools();
}

TQuillonStartup::~TQuillonStartup()
{
    FinalizeCrashTools();
    ClearLogTargets();
    FreeTimer97Handler();
    FreeCrashReporters();
}

#include "app/UCrashTools.h"

#include "app/ExceptionInfo.h"
#include "app/FCrashReport.h"
#include "app/QuillonApplication.h"
#include "app/SystemExceptions.h"
#include "app/UCrashLogging.h"
#include "app/UCrashReport.h"
#include "base/UVersionInfo.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdlib>

namespace {

bool CrashToolsInstalled = false;

QString ExecutablePath()
{
    return QCoreApplication::applicationFilePath();
}

} // namespace

bool ExecutablePathContains(const QString &text)
{
    return ExecutablePath().toLower().contains(text);
}

bool IsHelperProcess()
{
    static const QStringList helpers = {QStringLiteral("bwdocconv"), QStringLiteral("bwpdfconv"),
                                        QStringLiteral("bwrtfconv"), QStringLiteral("bwxlsconv"),
                                        QStringLiteral("bwhtmconv"), QStringLiteral("bwspooler")};
    return helpers.contains(QFileInfo(ExecutablePath()).fileName().toLower());
}

void InitCrashTools()
{
    if (ExecutablePathContains(QStringLiteral("bds")))
        return;
    InitErrorLog();
    if (!IsHelperProcess())
        LogRequest(QStringLiteral("APP"), QStringLiteral("Application Startup"),
                   ExecutablePath() + QStringLiteral(" v") + ApplicationFullVersion());
    if (auto *application = qobject_cast<TQuillonApplication *>(QCoreApplication::instance()))
        application->OnException = HandleApplicationException;
#ifdef Q_OS_WIN
    InstallSystemExceptionHandler();
#endif
    CrashToolsInstalled = true;
}

void FinalizeCrashTools()
{
    if (!CrashToolsInstalled)
        return;
    if (auto *application = qobject_cast<TQuillonApplication *>(QCoreApplication::instance()))
        application->OnException = nullptr;
    if (!IsHelperProcess())
        LogRequest(QStringLiteral("APP"), QStringLiteral("Application Shutdown"),
                   ExecutablePath() + QStringLiteral("\r\n"));
    CrashToolsInstalled = false;
}

QByteArray CrashReportXML(const std::exception_ptr &exception)
{
    InsertCrashReporter(std::make_unique<TExceptionCrashReporter>(exception));
    TXMLHierarchicalWriter document;
    WriteCrashReport(document.AddNode(QStringLiteral("Root")));
    // A later report must not carry this exception again.
    RemoveFirstCrashReporter();
    return document.ToXML();
}

QString CrashReportFileName()
{
    return QDir(QDir::tempPath()).filePath(QStringLiteral("report.xml"));
}

void HandleApplicationException(const std::exception_ptr &exception)
{
    LogException(exception, QString());
    CreateCrashReport(exception, true);
}

void CreateCrashReport(const std::exception_ptr &exception, bool endProcess)
{
    const QString reportFile = CrashReportFileName();
    QFile file(reportFile);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(CrashReportXML(exception));
    file.close();

    const TExceptionInfo info = DescribeException(exception);
    TCrashReportForm dialog;
    dialog.ShowReport(info.Message, info.ClassName, reportFile);
    if (endProcess)
        std::_Exit(1);
}

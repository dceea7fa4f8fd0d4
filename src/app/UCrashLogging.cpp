#include "app/UCrashLogging.h"

#include "app/ExceptionInfo.h"
#include "base/UCharsetConvert.h"
#include "base/UMultiLang.h"
#include "controls/UStdMessageDlg.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

#include <mutex>
#include <vector>

namespace {

struct TLogState
{
    std::mutex Lock;
    std::vector<TLogRequestProcedure> Targets;
    QString FileName;
};

TLogState &LogState()
{
    static TLogState state;
    return state;
}

QString WithTrailingSeparator(const QString &folder)
{
    return folder.endsWith(u'/') ? folder : folder + u'/';
}

} // namespace

void RegisterLogProcedure(TLogRequestProcedure procedure)
{
    LogState().Targets.push_back(std::move(procedure));
}

void LogRequest(const QString &category, const QString &text, const QString &data)
{
    for (const TLogRequestProcedure &target : LogState().Targets)
        target(category, text, data);
}

void ClearLogTargets()
{
    TLogState &state = LogState();
    const std::lock_guard<std::mutex> guard(state.Lock);
    state.Targets.clear();
    state.FileName.clear();
}

void SetLogFileName(const QString &path)
{
    TLogState &state = LogState();
    const std::lock_guard<std::mutex> guard(state.Lock);
    state.FileName = path;
}

QString LogFileName()
{
    TLogState &state = LogState();
    const std::lock_guard<std::mutex> guard(state.Lock);
    return state.FileName;
}

void LogToFile(const QString &category, const QString &text, const QString &data)
{
    // The format is fixed, whatever the user's locale says.
    QString line = QDateTime::currentDateTime().toString(QStringLiteral("dd/MM/yy - HH:mm:ss - ")) +
                   QCoreApplication::applicationFilePath() + QStringLiteral(" - ") + category +
                   QStringLiteral(" - ") + text;
    if (!data.isEmpty())
        line += QStringLiteral(" - ") + data;
    const QByteArray bytes = TextToAnsi(line) + QByteArrayLiteral("\r\n");

    TLogState &state = LogState();
    const std::lock_guard<std::mutex> guard(state.Lock);
    QFile file(state.FileName);
    if (state.FileName.isEmpty() || !file.open(QIODevice::WriteOnly | QIODevice::Append))
        return;
    file.write(bytes);
}

bool IsFolderWritable(const QString &folder)
{
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        return false;
    QFile dummy(WithTrailingSeparator(folder) + QStringLiteral("dummy.log"));
    if (dummy.exists())
        return dummy.open(QIODevice::ReadWrite);
    if (!dummy.open(QIODevice::WriteOnly) || dummy.write("a", 1) != 1)
        return false;
    dummy.close();
    return dummy.remove();
}

TErrorLogFolder ChooseErrorLogFolder(const QString &configured, const QStringList &fallbacks)
{
    TErrorLogFolder result;
    if (!configured.isEmpty()) {
        if (IsFolderWritable(configured))
            result.Folder = WithTrailingSeparator(configured);
        else
            result.ErrorText = QStringLiteral("Incorrect HKLM\\Software\\Brackwell\\ErrorLogPath");
    }
    for (qsizetype i = 0; result.Folder.isEmpty() && i < fallbacks.size(); ++i) {
        if (IsFolderWritable(fallbacks.at(i)) || i == fallbacks.size() - 1)
            result.Folder = WithTrailingSeparator(fallbacks.at(i));
    }
    return result;
}

void InitErrorLog()
{
#ifdef Q_OS_WIN
    // The organisation's own key: QSettings would read its "OrganizationDefaults" sub-key.
    const QSettings machine(QStringLiteral("HKEY_LOCAL_MACHINE\\Software\\Brackwell"),
                            QSettings::NativeFormat);
#else
    const QSettings machine(QSettings::SystemScope, QStringLiteral("Brackwell"));
#endif
    const QVariant configured = machine.value(QStringLiteral("ErrorLogPath"));
    const QString configuredFolder =
        configured.typeId() == QMetaType::QString ? configured.toString() : QString();

    const QString dataFolder = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
    if (!dataFolder.isEmpty())
        QDir().mkpath(dataFolder);
    const TErrorLogFolder choice = ChooseErrorLogFolder(configuredFolder, {dataFolder, QDir::tempPath()});
    SetLogFileName(choice.Folder + QStringLiteral("error.log"));
    // No target is registered yet: the user sees the message, the log does not.
    if (!choice.ErrorText.isEmpty())
        LogError(choice.ErrorText, QString());
    RegisterLogProcedure(LogToFile);
}

void LogError(const QString &text, const QString &data)
{
    LogRequest(QStringLiteral("ERR"), text, data);
    // Only the heading is the program's text: the message and its data are shown as they are.
    ShowErrorMessage(u'!' + Translate(QStringLiteral("Erreur Détectée :")) + QStringLiteral("\r\n") + text +
                     QStringLiteral("\r\n") + data);
}

void LogMessage(const QString &text, const QString &data)
{
    LogRequest(QStringLiteral("MSG"), text, data);
}

void LogException(const std::exception_ptr &exception, const QString &extra)
{
    const TExceptionInfo info = DescribeException(exception);
    LogRequest(QStringLiteral("EXC"), info.ClassName,
               extra.isEmpty() ? info.Message : info.Message + QStringLiteral("\r\n") + extra);
}

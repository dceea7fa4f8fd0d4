#include "app/CrashReportMail.h"

#include "app/UCrashLogging.h"
#include "base/Strings.h"
#include "base/UFileUtils.h"
#include "base/UMultiLang.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <QThread>
#include <QUrl>
#include <QWidget>

const QString CrashReportSupportAddress = QStringLiteral("support@brackwell.example");

namespace {

const QString BodyPrompt = QStringLiteral("**Saisissez ici vos details sur le contexte de l'erreur**");

#ifndef Q_OS_WIN
QString DesktopFileExec(const QString &desktopFile)
{
    QFile file(QStandardPaths::locate(QStandardPaths::ApplicationsLocation, desktopFile));
    if (desktopFile.isEmpty() || !file.open(QIODevice::ReadOnly | QIODevice::Text))
        return QString();
    bool inEntry = false;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.startsWith(u'['))
            inEntry = line == QStringLiteral("[Desktop Entry]");
        else if (inEntry && line.startsWith(QStringLiteral("Exec=")))
            return line.mid(5);
    }
    return QString();
}
#endif

bool ReportDialogOnScreen()
{
    const QWidgetList windows = QApplication::topLevelWidgets();
    return std::any_of(windows.cbegin(), windows.cend(), [](const QWidget *window) {
        return window->isVisible() && window->windowTitle() == Translate(QStringLiteral("Rapport d'erreur"));
    });
}

} // namespace

QString DefaultMailCommand()
{
#ifdef Q_OS_WIN
    const QSettings command(QStringLiteral("HKEY_CLASSES_ROOT\\mailto\\shell\\open\\command"),
                            QSettings::NativeFormat);
    return command.value(QStringLiteral("Default")).toString();
#else
    QProcess query;
    query.start(QStringLiteral("xdg-mime"), {QStringLiteral("query"), QStringLiteral("default"),
                                             QStringLiteral("x-scheme-handler/mailto")});
    if (!query.waitForFinished(3000) || query.exitCode() != 0)
        return QString();
    return DesktopFileExec(QString::fromUtf8(query.readAllStandardOutput()).trimmed());
#endif
}

QString MailProgramFromCommand(const QString &command)
{
    QString program;
    if (!command.startsWith(u'"')) {
        const qsizetype blank = command.indexOf(u' ');
        program = blank < 0 ? command : command.left(blank);
    } else {
        const qsizetype end = command.indexOf(QStringLiteral("\" "));
        program = end < 0 ? QString() : command.mid(1, end - 1);
    }
    if (!program.contains(u'%'))
        program = GetStoredFileName(program).toLower();
    return program;
}

bool IsMozillaMailer(const QString &program)
{
    return program.contains(QStringLiteral("mozilla")) || program.contains(QStringLiteral("thunderbird"));
}

QString ComposeParameter(const QString &exceptionClass, const QString &message, const QString &reportFile)
{
    const auto clean = [](const QString &text) {
        return RemoveAccents(text).replace(u'"', QStringLiteral("''"));
    };
    return QStringLiteral("-compose to=") + CrashReportSupportAddress + QStringLiteral(",subject=\"ERR : ") +
           clean(exceptionClass) + QStringLiteral("\",body=\"") + BodyPrompt +
           QStringLiteral("\r\n\r\nMessage de l'erreur : \r\n") + clean(message) +
           QStringLiteral("\",attachment=\"") + QUrl::fromLocalFile(reportFile).toString() + u'"';
}

QString MailtoAddress(const QString &exceptionClass, const QString &message, const QString &reportFile)
{
    const auto clean = [](const QString &text) { return RemoveAccents(text).replace(u'&', u'_'); };
    return QStringLiteral("mailto:") + CrashReportSupportAddress + QStringLiteral("?subject=ERR : ") +
           clean(exceptionClass) + QStringLiteral("&body=") + BodyPrompt +
           QStringLiteral("%0D%0A%0D%0A**Vérifiez que la pièce jointe ") + reportFile +
           QStringLiteral(" est bien présente**\r\n\r\nMessage de l'erreur : \r\n") + clean(message) +
           QStringLiteral("&attachment=\"") + reportFile + u'"';
}

void SendCrashReport(const QString &exceptionClass, const QString &message, const QString &reportFile)
{
    const QString program = MailProgramFromCommand(DefaultMailCommand());
    if (IsMozillaMailer(program)) {
        QProcess::startDetached(
            program, QProcess::splitCommand(ComposeParameter(exceptionClass, message, reportFile)));
        return;
    }
    QDesktopServices::openUrl(QUrl(MailtoAddress(exceptionClass, message, reportFile), QUrl::TolerantMode));
    // The mail program may take the focus for a while; wait until the dialog is back.
    for (int waits = 1; waits <= 20; ++waits) {
        QThread::msleep(250);
        if (ReportDialogOnScreen())
            break;
    }
    // Typing the attachment into the mailer's window is not possible on this system.
    if (program.contains(QStringLiteral("msimn.exe")) || program.contains(QStringLiteral("outlook.exe")))
        LogMessage(QStringLiteral("Keystrokes to the mail program skipped"), program);
}

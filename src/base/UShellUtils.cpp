#include "base/UShellUtils.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace {

// 1-based position where the program part ends, 0 when the text is one document.
qsizetype ProgramEnd(const QString &text)
{
    if (text.startsWith(QLatin1Char('"'))) {
        const qsizetype closing = text.indexOf(QLatin1Char('"'), 1);
        return closing < 0 ? 0 : closing + 2;
    }
    const qsizetype dot = text.indexOf(QLatin1Char('.'));
    const qsizetype blank = text.indexOf(QLatin1Char(' '), dot < 0 ? 0 : dot);
    return blank + 1;
}

QString Unquoted(const QString &program)
{
    if (program.size() >= 2 && program.startsWith(QLatin1Char('"')) && program.endsWith(QLatin1Char('"')))
        return program.mid(1, program.size() - 2);
    return program;
}

} // namespace

TShellRequest ShellRequestFor(const QString &text)
{
    if (QFileInfo(text).isDir())
        return {text, QString()};
    const qsizetype end = ProgramEnd(text);
    if (end <= 1)
        return {text, QString()};
    return {text.left(end - 1), text.mid(end)};
}

void ExecuteShellRequest(const TShellRequest &request)
{
    const QString program = Unquoted(request.FileName);
#ifdef Q_OS_WIN
    // The shell knows what opens a document, a folder, an address or a program.
    const QString target = program.contains(u"://") || program.startsWith(u"mailto:", Qt::CaseInsensitive)
                               ? program
                               : QDir::toNativeSeparators(program);
    ShellExecuteW(nullptr, L"open", reinterpret_cast<const wchar_t *>(target.utf16()),
                  request.Parameters.isEmpty()
                      ? nullptr
                      : reinterpret_cast<const wchar_t *>(request.Parameters.utf16()),
                  nullptr, SW_SHOWNORMAL);
#else
    if (!request.Parameters.isEmpty()) {
        QProcess::startDetached(program, QProcess::splitCommand(request.Parameters));
        return;
    }
    const QFileInfo file(program);
    if (file.isFile() && file.isExecutable())
        QProcess::startDetached(program, {});
    else
        QProcess::startDetached(QStringLiteral("xdg-open"), {program});
#endif
}

void ShellOpen(const QString &text, const TShellExecutor &execute)
{
    if (text.isEmpty())
        return;
    execute(ShellRequestFor(text));
}

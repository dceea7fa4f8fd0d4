#include "app/SystemExceptions.h"

#include "app/UCrashLogging.h"
#include "app/UCrashTools.h"
#include "base/Exception.h"

#include <QFileInfo>

#include <windows.h>

#include <atomic>
#include <cstdlib>

namespace {

QUILLON_DECLARE_EXCEPTION(EExternalException, Exception)
QUILLON_DECLARE_EXCEPTION(EAccessViolation, EExternalException)
QUILLON_DECLARE_EXCEPTION(EStackOverflow, EExternalException)
QUILLON_DECLARE_EXCEPTION(EIntDivByZero, EExternalException)
QUILLON_DECLARE_EXCEPTION(EPrivilege, EExternalException)

QString Address(quintptr address)
{
    return QStringLiteral("%1")
        .arg(quint64(address), int(2 * sizeof(void *)), 16, QLatin1Char('0'))
        .toUpper();
}

QString ModuleOf(const void *address)
{
    HMODULE module = nullptr;
    wchar_t path[MAX_PATH + 1];
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            static_cast<LPCWSTR>(address), &module))
        return QString();
    const DWORD length = GetModuleFileNameW(module, path, MAX_PATH);
    return length == 0 ? QString() : QFileInfo(QString::fromWCharArray(path, int(length))).fileName();
}

std::exception_ptr ExceptionFor(const EXCEPTION_RECORD &record)
{
    const QString at =
        QStringLiteral("at address %1 in module '%2'")
            .arg(Address(quintptr(record.ExceptionAddress)), ModuleOf(record.ExceptionAddress));
    switch (record.ExceptionCode) {
    case EXCEPTION_ACCESS_VIOLATION: {
        const bool write = record.NumberParameters >= 2 && record.ExceptionInformation[0] == 1;
        const quintptr target = record.NumberParameters >= 2 ? record.ExceptionInformation[1] : 0;
        return std::make_exception_ptr(EAccessViolation(
            QStringLiteral("Access violation %1. %2 of address %3")
                .arg(at, write ? QStringLiteral("Write") : QStringLiteral("Read"), Address(target))));
    }
    case EXCEPTION_STACK_OVERFLOW:
        return std::make_exception_ptr(EStackOverflow(QStringLiteral("Stack overflow ") + at));
    case EXCEPTION_INT_DIVIDE_BY_ZERO:
        return std::make_exception_ptr(EIntDivByZero(QStringLiteral("Division by zero ") + at));
    case EXCEPTION_PRIV_INSTRUCTION:
    case EXCEPTION_ILLEGAL_INSTRUCTION:
        return std::make_exception_ptr(EPrivilege(QStringLiteral("Privileged instruction ") + at));
    default:
        return std::make_exception_ptr(
            EExternalException(QStringLiteral("External exception %1 ")
                                   .arg(quint32(record.ExceptionCode), 8, 16, QLatin1Char('0'))
                                   .toUpper() +
                               at));
    }
}

LONG WINAPI UnhandledSystemException(EXCEPTION_POINTERS *pointers)
{
    static std::atomic<bool> handling = false;
    // A fault while the first one is reported: nothing more can be done safely.
    if (handling.exchange(true))
        std::_Exit(1);
    const EXCEPTION_RECORD &record = *pointers->ExceptionRecord;
    const std::exception_ptr exception = ExceptionFor(record);
    if (record.ExceptionCode == EXCEPTION_STACK_OVERFLOW) {
        // No stack is left for a dialog: the log line is all there is.
        LogException(exception, QString());
        std::_Exit(1);
    }
    HandleApplicationException(exception);
    std::_Exit(1);
}

} // namespace

void InstallSystemExceptionHandler()
{
    SetUnhandledExceptionFilter(UnhandledSystemException);
}

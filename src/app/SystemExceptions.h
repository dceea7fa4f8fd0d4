#pragma once
// Windows: the faults that the processor or the system raises (an access violation, a division by
// zero, a stack overflow) end the program as an exception nobody handled does: logged, reported in
// the crash report dialog, exit code 1.

#include <QtGlobal>

#ifdef Q_OS_WIN
void InstallSystemExceptionHandler();
#endif

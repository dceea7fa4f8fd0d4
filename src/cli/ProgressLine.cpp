#include "cli/ProgressLine.h"

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <unistd.h>
#endif

using namespace Qt::Literals::StringLiterals;

namespace {

// Back to the start of the line and clear it (the terminal's erase-to-end-of-line sequence).
constexpr char EraseLine[] = "\r\033[K";

} // namespace

bool StandardErrorIsTerminal()
{
#ifdef Q_OS_WIN
    // A console shows the sequences as text unless it is told to read them.
    const HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
    DWORD mode = 0;
    return GetConsoleMode(error, &mode) && SetConsoleMode(error, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING);
#else
    return isatty(STDERR_FILENO) != 0;
#endif
}

TProgressLine::TProgressLine(std::FILE *Stream, bool Enabled, TClock Clock)
    : FStream(Stream), FEnabled(Enabled), FClock(std::move(Clock))
{}

QString TProgressLine::Text(const TCollectFilesCounts &Counts)
{
    return u"scanning: %1 folders, %2 .dcu files"_s.arg(Counts.Folders).arg(Counts.Files);
}

void TProgressLine::Show(const TCollectFilesCounts &Counts)
{
    if (!FEnabled)
        return;
    const qint64 now = FClock();
    if (FDrawn && now - FLastDrawn < RedrawInterval)
        return;
    FDrawn = true;
    FLastDrawn = now;
    std::fprintf(FStream, "%s%s", EraseLine, Text(Counts).toLocal8Bit().constData());
    std::fflush(FStream);
}

void TProgressLine::Erase()
{
    if (!FDrawn)
        return;
    FDrawn = false;
    std::fputs(EraseLine, FStream);
    std::fflush(FStream);
}

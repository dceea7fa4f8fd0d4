#pragma once
// The scan's progress on a terminal: one line of counts, redrawn in place at most ten times a
// second and erased at the end, so that it never mixes with the report or a message.

#include "base/UFileUtils.h"

#include <QString>

#include <cstdio>
#include <functional>

// True when standard error is a terminal that understands the sequences the line is drawn with; on
// Windows a console, switched to those sequences here.
bool StandardErrorIsTerminal();

class TProgressLine
{
public:
    // Milliseconds from any fixed origin.
    using TClock = std::function<qint64()>;
    static constexpr qint64 RedrawInterval = 100;

    // A disabled line writes nothing (standard error is a file or a pipe).
    TProgressLine(std::FILE *Stream, bool Enabled, TClock Clock);
    ~TProgressLine() { Erase(); }
    TProgressLine(const TProgressLine &) = delete;
    TProgressLine &operator=(const TProgressLine &) = delete;

    // Draws the counts unless the last drawing is less than RedrawInterval old.
    void Show(const TCollectFilesCounts &Counts);
    // Removes the line, if one is drawn.
    void Erase();

    static QString Text(const TCollectFilesCounts &Counts);

private:
    std::FILE *FStream;
    bool FEnabled;
    TClock FClock;
    bool FDrawn = false;
    qint64 FLastDrawn = 0;
};

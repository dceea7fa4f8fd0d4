#pragma once
// Gives the memory freed by the program back to the system. The C library keeps what a large
// analysis freed for its next allocations: after a comparison was cleared, or a small MAP file
// followed a huge one, the process went on holding gigabytes it no longer used.

void ReleaseFreedMemory();

class QObject;

// Now, and again a moment later, once the window has painted its views anew: they drop what they
// kept of the rows that went as they paint. Context ends the second call when it goes first.
void ReleaseFreedMemorySoon(QObject *Context);

// Blocks of a quarter megabyte and more each get pages of their own, given back when freed. The C
// library otherwise raises that bound to the largest block freed so far (up to 32 MB): a run's
// arrays then went into the heap, where the few blocks that outlived them held their pages after
// the next run. (Windows' heap maps such blocks on its own.) Called once, at the start.
void KeepLargeBlocksApart();

#pragma once
// What a drag onto the window carries that the window can open: one local file.

#include <QString>

class QMimeData;

// The local file the drag carries; empty for several files, a folder, a remote address or text.
QString DraggedLocalFile(const QMimeData *data);

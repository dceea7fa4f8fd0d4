#include "app/DraggedFile.h"

#include <QFileInfo>
#include <QMimeData>
#include <QUrl>

QString DraggedLocalFile(const QMimeData *data)
{
    if (!data || !data->hasUrls())
        return {};
    const QList<QUrl> urls = data->urls();
    // Several files would each want the one MAP field: none is taken rather than a guess.
    if (urls.size() != 1 || !urls.first().isLocalFile())
        return {};
    const QString file = urls.first().toLocalFile();
    return QFileInfo(file).isFile() ? file : QString();
}

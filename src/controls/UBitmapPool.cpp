#include "controls/UBitmapPool.h"

#include <algorithm>

QImage TBitmapPool::Acquire(QSize size, QImage::Format format)
{
    const std::lock_guard guard(FLock);
    const auto same = std::find_if(FBitmaps.begin(), FBitmaps.end(), [&](const QImage &bitmap) {
        return bitmap.size() == size && bitmap.format() == format;
    });
    if (same == FBitmaps.end())
        return QImage(size, format);
    QImage bitmap = std::move(*same);
    FBitmaps.erase(same);
    return bitmap;
}

void TBitmapPool::Release(QImage bitmap)
{
    if (bitmap.isNull() || bitmap.hasAlphaChannel())
        return;
    if (static_cast<qint64>(bitmap.width()) * bitmap.height() >= MaxPixels)
        return;
    const std::lock_guard guard(FLock);
    if (static_cast<int>(FBitmaps.size()) < MaxBitmaps)
        FBitmaps.push_back(std::move(bitmap));
}

int TBitmapPool::Count() const
{
    const std::lock_guard guard(FLock);
    return static_cast<int>(FBitmaps.size());
}

TBitmapPool &TemporaryBitmapPool()
{
    static TBitmapPool pool;
    return pool;
}

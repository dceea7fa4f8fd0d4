#pragma once
// A small shared pool of temporary 32-bit bitmaps for painting, guarded by a lock.

#include <QImage>
#include <QSize>
#include <mutex>
#include <vector>

class TBitmapPool
{
public:
    static constexpr int MaxBitmaps = 4;
    static constexpr int MaxPixels = 65536;

    // A pooled bitmap of the same size and format if there is one, else a new one (a bitmap of another
    // size cannot be resized in place, so it stays pooled).
    QImage Acquire(QSize size, QImage::Format format);
    // Kept for reuse when opaque, smaller than MaxPixels and the pool is not full.
    void Release(QImage bitmap);
    int Count() const;

private:
    mutable std::mutex FLock;
    std::vector<QImage> FBitmaps;
};

TBitmapPool &TemporaryBitmapPool();

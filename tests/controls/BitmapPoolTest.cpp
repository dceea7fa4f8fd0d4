#include "controls/UBitmapPool.h"

#include <gtest/gtest.h>

namespace {

TEST(BitmapPool, KeepsOnlySmallOpaqueBitmapsUpToFour)
{
    struct Case
    {
        const char *Name;
        QSize Size;
        QImage::Format Format;
        bool Kept;
    };
    for (const Case &c : {Case{"small opaque", {100, 100}, QImage::Format_RGB32, true},
                          Case{"transparent", {100, 100}, QImage::Format_ARGB32, false},
                          Case{"65536 pixels", {256, 256}, QImage::Format_RGB32, false}}) {
        TBitmapPool pool;
        pool.Release(QImage(c.Size, c.Format));
        EXPECT_EQ(pool.Count(), c.Kept ? 1 : 0) << c.Name;
    }
    TBitmapPool full;
    for (int i = 0; i < 6; ++i)
        full.Release(QImage(10 + i, 10, QImage::Format_RGB32));
    EXPECT_EQ(full.Count(), TBitmapPool::MaxBitmaps);
}

TEST(BitmapPool, HandsBackAPooledBitmapOfTheSameSize)
{
    TBitmapPool pool;
    QImage first(20, 10, QImage::Format_RGB32);
    first.fill(qRgb(7, 8, 9));
    pool.Release(first);
    pool.Release(QImage(30, 10, QImage::Format_RGB32));

    const QImage again = pool.Acquire(QSize(20, 10), QImage::Format_RGB32);
    EXPECT_EQ(again.pixel(0, 0), qRgb(7, 8, 9));
    EXPECT_EQ(pool.Count(), 1);
    const QImage other = pool.Acquire(QSize(40, 40), QImage::Format_RGB32);
    EXPECT_EQ(other.size(), QSize(40, 40));
    EXPECT_EQ(pool.Count(), 1);
}

} // namespace

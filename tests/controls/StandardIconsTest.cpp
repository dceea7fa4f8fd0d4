#include "controls/UStandardIcons.h"

#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

TEST(StandardIcons, ProgramArchiveHoldsTheNamedIcons)
{
    struct Case
    {
        const char *Name;
        int Size;
    };
    for (const Case &c : {Case{"png_error_red_32", 32}, Case{"png_information_blue_32", 32},
                          Case{"png_question_green_32", 32}, Case{"png_SaveQuestion", 32},
                          Case{"png_ExitQuestion", 32}, Case{"sb_std_open", 16}}) {
        const QString name = QString::fromLatin1(c.Name);
        EXPECT_TRUE(HasStandardIcon(name)) << c.Name;
        const TStandardImagePtr icon = GetStandardIcon(name);
        ASSERT_NE(icon, nullptr) << c.Name;
        EXPECT_EQ(icon->Name(), name);
        EXPECT_EQ(icon->Width(), c.Size);
        EXPECT_EQ(icon->Height(), c.Size);
        EXPECT_EQ(GetStandardIcon(name), icon) << "the second request comes from the cache";
    }
    for (const char *missing : {"", "PNG_ERROR_RED_32", "png_unknown", "../icons/png_error_red_32"}) {
        EXPECT_FALSE(HasStandardIcon(QString::fromLatin1(missing))) << missing;
        EXPECT_EQ(GetStandardIcon(QString::fromLatin1(missing)), nullptr) << missing;
    }
}

// An archive of numbered one-pixel icons "icon0", "icon1", ...
class StandardIconCache : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(FFolder.isValid());
        QImage pixel(1, 1, QImage::Format_ARGB32);
        for (int i = 0; i < 70; ++i) {
            pixel.fill(qRgba(i, 0, 0, 255));
            ASSERT_TRUE(pixel.save(FFolder.filePath(Name(i)), "PNG"));
        }
    }
    static QString Name(int i) { return QStringLiteral("icon%1").arg(i); }
    void Load(TStandardIconStore &store, int from, int to)
    {
        for (int i = from; i <= to; ++i)
            ASSERT_NE(store.GetIcon(Name(i)), nullptr);
    }
    QTemporaryDir FFolder;
};

TEST_F(StandardIconCache, SixtyFourthIconPushesOutTheOldest)
{
    TStandardIconStore store(FFolder.path());
    const TStandardImagePtr oldest = store.GetIcon(Name(0));
    Load(store, 1, 63);
    const QStringList names = store.CachedNames();
    EXPECT_EQ(names.size(), 63);
    EXPECT_EQ(names.first(), Name(63));
    EXPECT_EQ(names.last(), Name(1));
    EXPECT_FALSE(names.contains(Name(0)));
    EXPECT_EQ(qRed(oldest->Image().pixel(0, 0)), 0) << "a caller keeps its image after it left the cache";
    EXPECT_NE(store.GetIcon(Name(0)), oldest) << "decoded anew";
}

TEST_F(StandardIconCache, OnlyIconsPast33MoveToTheFront)
{
    TStandardIconStore store(FFolder.path());
    Load(store, 0, 62);
    // icon29 sits at position 33, icon30 at position 32.
    ASSERT_EQ(store.CachedNames().indexOf(Name(29)), 33);
    store.GetIcon(Name(30));
    EXPECT_EQ(store.CachedNames().indexOf(Name(30)), 32);
    store.GetIcon(Name(29));
    EXPECT_EQ(store.CachedNames().indexOf(Name(29)), 0);
    EXPECT_EQ(store.CachedNames().size(), 63);
}

TEST(StandardIconStore, MissingArchiveYieldsNothing)
{
    TStandardIconStore store(QStringLiteral("/no/such/archive"));
    EXPECT_FALSE(store.HasIcon(QStringLiteral("png_error_red_32")));
    EXPECT_EQ(store.GetIcon(QStringLiteral("png_error_red_32")), nullptr);
}

} // namespace

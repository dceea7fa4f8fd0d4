#include "controls/UFormStorage.h"

#include <QCloseEvent>
#include <QLineEdit>
#include <QSettings>
#include <QTemporaryDir>
#include <QWidget>
#include <gtest/gtest.h>
#include <map>
#include <memory>

namespace {

// The main window's set-up: the storage first, then the two stored fields.
struct StoredForm
{
    QWidget Form;
    TFormStorage *Storage;
    QLineEdit *Folder;
    QLineEdit *MapFile;

    StoredForm()
    {
        Storage = new TFormStorage(&Form);
        Storage->SetUseRegistry(true);
        Storage->SetIniSection(QStringLiteral("\\Software\\Brackwell\\Quillon"));
        Storage->SetOptions(fpPosition);
        Storage->SetStoredProps({QStringLiteral("DEFilePath.Text"), QStringLiteral("FEMapFile.Text")});
        Folder = new QLineEdit(QStringLiteral("S:\\"), &Form);
        Folder->setObjectName(QStringLiteral("DEFilePath"));
        MapFile = new QLineEdit(&Form);
        MapFile->setObjectName(QStringLiteral("FEMapFile"));
        Form.setGeometry(100, 100, 400, 300);
    }
};

class FormStorage : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(FFolder.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, FFolder.path());
        ClearRegistry();
    }
    void TearDown() override { ClearRegistry(); }
    // Windows keeps native settings in the registry, which no path redirects: each test starts and
    // ends with the program's key empty (under Wine, the prefix of scripts/build-windows.sh).
    static void ClearRegistry()
    {
#ifdef Q_OS_WIN
        Stored()->clear();
#endif
    }
    static std::unique_ptr<QSettings> Stored()
    {
        return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                           QStringLiteral("Brackwell"), QStringLiteral("Quillon"));
    }
    static void Store(const std::map<QString, QString> &values)
    {
        auto settings = Stored();
        settings->clear();
        for (const auto &[name, value] : values)
            settings->setValue(name, value);
    }
    static QString NormPosQualified()
    {
        return QStringLiteral("NormPos") + TFormPlacement::ScreenQualifier();
    }
    static QString PixelsPerInch() { return QString::number(TFormPlacement::ScreenPixelsPerInch()); }

    QTemporaryDir FFolder;
};

TEST_F(FormStorage, CloseWritesEveryValueUnderTheProgramKey)
{
    StoredForm saved;
    saved.Form.show();
    saved.Form.setGeometry(10, 20, 790, 580);
    saved.Folder->setText(QStringLiteral("  D:\\Work "));
    EXPECT_TRUE(saved.Form.close());
    EXPECT_TRUE(saved.Storage->Saved());

    const auto settings = Stored();
    EXPECT_EQ(settings->value(QStringLiteral("NormPos")).toString(), QStringLiteral("10,20,800,600"));
    EXPECT_EQ(settings->value(NormPosQualified()).toString(), QStringLiteral("10,20,800,600"));
    EXPECT_EQ(settings->value(QStringLiteral("MinMaxPos")).toString(),
              settings->value(QStringLiteral("MinMaxPos") + TFormPlacement::ScreenQualifier()).toString());
    EXPECT_EQ(settings->value(QStringLiteral("FormVersion")).toString(), QStringLiteral("0"));
    EXPECT_EQ(settings->value(QStringLiteral("ShowCmd")).toString(), QStringLiteral("1"));
    EXPECT_EQ(settings->value(QStringLiteral("Flags")).toString(), QStringLiteral("0"));
    EXPECT_EQ(settings->value(QStringLiteral("PixelsPerInch")).toString(), PixelsPerInch());
    EXPECT_EQ(settings->value(QStringLiteral("Visible")).toString(), QStringLiteral("0"));
    EXPECT_EQ(settings->value(QStringLiteral("DEFilePath_Text")).toString(), QStringLiteral("D:\\Work"));
    EXPECT_EQ(settings->value(QStringLiteral("FEMapFile_Text")).toString(), QString())
        << "written even when empty";
}

TEST_F(FormStorage, FirstShowRestoresPlacementAndTrimmedTexts)
{
    Store({{QStringLiteral("NormPos"), QStringLiteral("10, 20, 800, 600")},
           {QStringLiteral("PixelsPerInch"), PixelsPerInch()},
           {QStringLiteral("DEFilePath_Text"), QStringLiteral(" D:\\Work ")}});
    StoredForm form;
    int restoredEvents = 0;
    form.Storage->OnRestorePlacement = [&](QObject *sender) {
        EXPECT_EQ(sender, form.Storage);
        ++restoredEvents;
    };
    form.Form.show();
    form.Form.hide();
    form.Form.show();
    EXPECT_EQ(restoredEvents, 1) << "only the first show restores";
    EXPECT_TRUE(form.Storage->Restored());
    EXPECT_EQ(form.Form.geometry(), QRect(10, 20, 790, 580));
    EXPECT_EQ(form.Folder->text(), QStringLiteral("D:\\Work"));
    EXPECT_EQ(form.MapFile->text(), QString()) << "a missing value leaves the field as designed";
}

// An earlier layout kept the values in a sub-key: they move up once, replacing what the key holds, and
// the next show restores them.
TEST_F(FormStorage, AdoptedSubSectionMovesUpOnceAndRestores)
{
    Store({{QStringLiteral("NormPos"), QStringLiteral("1, 2, 300, 200")},
           {QStringLiteral("Other"), QStringLiteral("kept")},
           {QStringLiteral("Former/NormPos"), QStringLiteral("10, 20, 800, 600")},
           {QStringLiteral("Former/PixelsPerInch"), PixelsPerInch()},
           {QStringLiteral("Former/DEFilePath_Text"), QStringLiteral("D:\\Work")}});
    StoredForm form;
    form.Storage->AdoptSubSection(QStringLiteral("Former"));
    {
        const auto settings = Stored();
        EXPECT_EQ(settings->childGroups(), QStringList());
        EXPECT_EQ(settings->value(QStringLiteral("NormPos")).toString(), QStringLiteral("10, 20, 800, 600"));
        EXPECT_EQ(settings->value(QStringLiteral("Other")).toString(), QStringLiteral("kept"));
    }
    form.Storage->AdoptSubSection(QStringLiteral("Former"));
    EXPECT_EQ(Stored()->value(QStringLiteral("NormPos")).toString(), QStringLiteral("10, 20, 800, 600"));
    form.Form.show();
    EXPECT_EQ(form.Form.geometry(), QRect(10, 20, 790, 580));
    EXPECT_EQ(form.Folder->text(), QStringLiteral("D:\\Work"));
}

TEST_F(FormStorage, NothingStoredKeepsTheDesign)
{
    StoredForm form;
    form.Form.show();
    EXPECT_EQ(form.Form.geometry(), QRect(100, 100, 400, 300));
    EXPECT_EQ(form.Folder->text(), QStringLiteral("S:\\"));
}

TEST_F(FormStorage, PlacementChoice)
{
    struct Case
    {
        const char *Name;
        std::map<QString, QString> Values;
        QRect Expected;
    };
    const QString otherPpi = QString::number(TFormPlacement::ScreenPixelsPerInch() + 24);
    const Case cases[] = {
        {"qualified first",
         {{QStringLiteral("NormPos"), QStringLiteral("1,2,301,202")},
          {NormPosQualified(), QStringLiteral("5,6,505,406")}},
         QRect(5, 6, 500, 400)},
        {"plain after a screen change",
         {{QStringLiteral("NormPos"), QStringLiteral("1,2,301,202")}},
         QRect(1, 2, 300, 200)},
        {"other density ignored",
         {{QStringLiteral("NormPos"), QStringLiteral("1,2,301,202")},
          {QStringLiteral("PixelsPerInch"), otherPpi}},
         QRect(100, 100, 400, 300)},
        {"empty rectangle ignored",
         {{QStringLiteral("NormPos"), QStringLiteral("300,2,300,202")}},
         QRect(100, 100, 400, 300)},
        {"runs of separators",
         {{QStringLiteral("NormPos"), QStringLiteral("20 ,,  30,250   120")}},
         QRect(20, 30, 230, 90)},
        {"maximised without fpState opens normal",
         {{QStringLiteral("NormPos"), QStringLiteral("1,2,301,202")},
          {QStringLiteral("ShowCmd"), QStringLiteral("3")}},
         QRect(1, 2, 300, 200)},
    };
    for (const Case &c : cases) {
        SetUp();
        Store(c.Values);
        StoredForm form;
        form.Form.show();
        EXPECT_EQ(form.Form.geometry(), c.Expected) << c.Name;
        EXPECT_FALSE(form.Form.isMaximized()) << c.Name;
    }
}

TEST_F(FormStorage, OlderStoredVersionIsNotRestored)
{
    Store({{QStringLiteral("FormVersion"), QStringLiteral("1")},
           {QStringLiteral("DEFilePath_Text"), QStringLiteral("D:\\")}});
    StoredForm form;
    form.Storage->SetVersion(2);
    form.Form.show();
    EXPECT_EQ(form.Folder->text(), QStringLiteral("S:\\"));
    EXPECT_TRUE(form.Storage->Restored());
}

TEST_F(FormStorage, StateOptionRestoresMaximised)
{
    Store({{QStringLiteral("ShowCmd"), QStringLiteral("3")}});
    StoredForm form;
    form.Storage->SetOptions(fpPosition | fpState);
    form.Form.show();
    EXPECT_TRUE(form.Form.isMaximized());
}

// A form that refuses to close.
class StubbornForm : public QWidget
{
protected:
    void closeEvent(QCloseEvent *event) override { event->ignore(); }
};

TEST_F(FormStorage, RefusedCloseSavesNothingAndDestructionSaves)
{
    auto form = std::make_unique<StubbornForm>();
    auto *storage = new TFormStorage(form.get());
    storage->SetUseRegistry(true);
    storage->SetIniSection(QStringLiteral("\\Software\\Brackwell\\Quillon"));
    form->show();
    EXPECT_FALSE(form->close());
    EXPECT_FALSE(Stored()->contains(QStringLiteral("NormPos")));
    form.reset();
    const auto settings = Stored();
    EXPECT_TRUE(settings->contains(QStringLiteral("NormPos")));
    EXPECT_EQ(settings->value(QStringLiteral("Visible")).toString(), QStringLiteral("1"));
}

TEST_F(FormStorage, IniFileKeepsTheFormsSection)
{
    const QString file = FFolder.filePath(QStringLiteral("placement.ini"));
    {
        QWidget form;
        auto *storage = new TFormPlacement(&form);
        storage->SetIniFileName(file);
        form.setGeometry(30, 40, 200, 100);
        form.show();
        storage->SaveState();
        EXPECT_EQ(storage->ReadString(QStringLiteral("NormPos"), QString()), QStringLiteral("30,40,230,140"));
    }
    QSettings ini(file, QSettings::IniFormat);
    EXPECT_EQ(ini.value(QStringLiteral("QWidget/NormPos")).toString(), QStringLiteral("30,40,230,140"));
}

TEST_F(FormStorage, DefaultNames)
{
    QWidget form;
    TFormPlacement storage(&form);
    EXPECT_EQ(storage.SectionPath(), QStringLiteral("QWidget"));
    storage.SetUseRegistry(true);
    EXPECT_TRUE(storage.DefaultStorageName().startsWith(QStringLiteral("Software\\Brackwell\\")));
    EXPECT_EQ(storage.SectionPath(), storage.DefaultStorageName() + QStringLiteral("\\QWidget"));
    storage.SetIniSection(QStringLiteral("\\Software\\Brackwell\\Quillon"));
    EXPECT_EQ(storage.SectionPath(), QStringLiteral("\\Software\\Brackwell\\Quillon"));
    storage.SetActive(false);
}

} // namespace

#include "controls/CDirectoryEdit.h"
#include "controls/CFileComboEdit.h"

#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <gtest/gtest.h>

namespace {

QColor TextColour(const QLineEdit &edit)
{
    return edit.palette().color(QPalette::Text);
}
QColor WindowText()
{
    return ColorToQColor(clWindowText);
}
const QColor Red(255, 0, 0);

// A shown, active window holding an edit and a second control to move the focus to.
template <typename TEdit> struct EditWindow
{
    QWidget Window;
    TEdit *Edit;
    QLineEdit *Other;
    EditWindow()
    {
        auto *layout = new QVBoxLayout(&Window);
        Edit = new TEdit(&Window);
        Other = new QLineEdit(&Window);
        layout->addWidget(Edit);
        layout->addWidget(Other);
        Window.resize(300, 80);
        Window.show();
        Window.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&Window));
    }
};

// Answers the dialog the edit is about to show once it runs.
void Answer(QFileDialog *dialog, const QString &choice)
{
    QTimer::singleShot(0, dialog, [dialog, choice] {
        if (choice.isEmpty()) {
            dialog->reject();
            return;
        }
        dialog->selectFile(choice);
        static_cast<QDialog *>(dialog)->accept();
    });
}

class FileEdits : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(FFolder.isValid());
        FExisting = FFolder.filePath(QStringLiteral("app.map"));
        QFile file(FExisting);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    QTemporaryDir FFolder;
    QString FExisting;
};

TEST_F(FileEdits, FileNameTurnsRedWhileNoFileHasIt)
{
    EditWindow<TFileComboEdit> w;
    w.Edit->setFocus();
    EXPECT_EQ(TextColour(*w.Edit), Red) << "an empty edit is red once it has had the focus";
    w.Edit->setText(FExisting.chopped(1));
    EXPECT_EQ(TextColour(*w.Edit), Red);
    QTest::keyClick(w.Edit, Qt::Key_End);
    QTest::keyClicks(w.Edit, QStringLiteral("p"));
    EXPECT_EQ(TextColour(*w.Edit), WindowText());
    EXPECT_EQ(w.Edit->ValidText(), FExisting);
    QTest::keyClick(w.Edit, Qt::Key_Backspace);
    EXPECT_EQ(TextColour(*w.Edit), Red);
    EXPECT_EQ(w.Edit->ValidText(), QString());
    w.Edit->setText(FFolder.path());
    EXPECT_EQ(TextColour(*w.Edit), Red) << "a folder is no file";
}

TEST_F(FileEdits, EnterAndTabNeverEnterTheText)
{
    EditWindow<TFileComboEdit> file;
    EditWindow<TDirectoryEdit> folder;
    for (QLineEdit *edit : {static_cast<QLineEdit *>(file.Edit), static_cast<QLineEdit *>(folder.Edit)}) {
        edit->window()->activateWindow();
        edit->setFocus();
        edit->setText(QStringLiteral("abc"));
        QTest::keyClick(edit, Qt::Key_Return);
        QTest::keyClick(edit, Qt::Key_Enter);
        QTest::keyClick(edit, Qt::Key_Tab);
        EXPECT_EQ(edit->text(), QStringLiteral("abc"));
    }
}

TEST_F(FileEdits, ButtonChoosesAFileAndLeavesTheFocusInTheEdit)
{
    EditWindow<TFileComboEdit> w;
    w.Other->setFocus();
    ASSERT_NE(w.Edit->Button(), nullptr);
    EXPECT_LE(w.Edit->Button()->geometry().right(), w.Edit->width());
    QString shownWith;
    w.Edit->OnDialogShow = [&](QFileDialog *dialog) {
        shownWith = dialog->selectedFiles().value(0);
        Answer(dialog, FExisting);
    };
    w.Edit->setText(FFolder.filePath(QStringLiteral("old.map")));
    w.Edit->Button()->click();
    EXPECT_EQ(shownWith, FFolder.filePath(QStringLiteral("old.map")));
    EXPECT_EQ(w.Edit->FileName(), FExisting);
    EXPECT_EQ(w.Edit->text(), QDir::toNativeSeparators(FExisting)) << "shown with the system's separators";
    EXPECT_EQ(TextColour(*w.Edit), WindowText());
    EXPECT_EQ(w.Window.focusWidget(), w.Edit);

    w.Edit->OnDialogShow = [](QFileDialog *dialog) { Answer(dialog, QString()); };
    w.Edit->Button()->click();
    EXPECT_EQ(w.Edit->FileName(), FExisting) << "cancelling keeps the text";
}

TEST_F(FileEdits, FolderBrowserStartFolder)
{
    struct Case
    {
        QString Text;
        QString InitialDir;
        QString Expected;
    };
    const QString existing = FFolder.path();
    for (const Case &c :
         {Case{QString(), QString(), QStringLiteral("\\")}, Case{QString(), existing, existing},
          Case{existing, QString(), existing}, Case{QStringLiteral("S:\\"), QString(), QStringLiteral("\\")},
          Case{QString(), QStringLiteral("/no/such/folder"), QStringLiteral("\\")}}) {
        TDirectoryEdit edit;
        edit.setText(c.Text);
        edit.SetInitialDir(c.InitialDir);
        EXPECT_EQ(edit.StartFolder(), c.Expected)
            << c.Text.toStdString() << " | " << c.InitialDir.toStdString();
    }
}

TEST_F(FileEdits, AltDownOpensTheBrowserAtTheRootForAMissingFolder)
{
    EditWindow<TDirectoryEdit> w;
    w.Edit->setText(QStringLiteral("S:\\"));
    w.Edit->setFocus();
    QString startedIn;
    w.Edit->OnDialogShow = [&](QFileDialog *dialog) {
        startedIn = dialog->directory().absolutePath();
        Answer(dialog, QString());
    };
    QTest::keyClick(w.Edit, Qt::Key_Down, Qt::AltModifier);
    EXPECT_EQ(startedIn, QDir::rootPath());
    EXPECT_EQ(w.Edit->text(), QStringLiteral("S:\\")) << "cancelled";

    w.Edit->OnDialogShow = [&](QFileDialog *dialog) { Answer(dialog, FFolder.path()); };
    QTest::keyClick(w.Edit, Qt::Key_Down, Qt::AltModifier);
    const QString chosen = QDir::toNativeSeparators(FFolder.path());
    EXPECT_EQ(w.Edit->text(), chosen) << "shown with the system's separators";

    w.Edit->SetMultipleDirs(true);
    QTest::keyClick(w.Edit, Qt::Key_Down, Qt::AltModifier);
    EXPECT_EQ(w.Edit->text(), chosen + QLatin1Char(';') + chosen);
}

} // namespace

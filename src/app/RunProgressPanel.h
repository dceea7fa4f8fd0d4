#pragma once
// The indication of a long analysis: how far through the MAP file the reader is, and the button that
// cancels the run. A panel of the main window over its grid, so the window can still be moved,
// resized and repainted while it shows; Escape anywhere in the window cancels too.

#include <QFrame>

#include <functional>

class QLabel;
class QProgressBar;
class QPushButton;

class TRunProgressPanel : public QFrame
{
    Q_OBJECT

public:
    explicit TRunProgressPanel(QWidget *parent = nullptr);

    // Starts over for a run of the named file: an empty bar and an armed button.
    void Reset(const QString &mapFileName);
    // Bytes of the text read out of Total; a Total of 0 means the file is still being loaded, and a
    // Done of Total that the symbols are being sorted.
    void SetProgress(qint64 Done, qint64 Total);
    // The file is read and its report is being written to FileName.
    void SetWriting(const QString &FileName);
    // True once the button was pressed (or Escape), until the next Reset.
    bool Cancelled() const;

    QLabel *LACaption() const { return FLACaption; }
    QProgressBar *PBRead() const { return FPBRead; }
    QPushButton *BBCancel() const { return FBBCancel; }

    std::function<void()> OnCancel;

private:
    void BBCancelClick();

    QString FFileName;
    QLabel *FLACaption = nullptr;
    QProgressBar *FPBRead = nullptr;
    QPushButton *FBBCancel = nullptr;
};

#pragma once
// Remembers a window's placement and chosen properties of its controls between runs, in QSettings
// (the per-user native store, or an INI file). Value names and text formats are those the program has
// always written: "FormVersion", "Flags", "ShowCmd", "PixelsPerInch", "MinMaxPos", "NormPos" (plain
// and qualified by the screen size), "Visible", "ActiveControl" and component + "_" + property.

#include <QObject>
#include <QPoint>
#include <QRect>
#include <QSettings>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <array>
#include <functional>
#include <memory>
#include <vector>

class QWidget;

enum TPlacementOption { fpState = 1, fpPosition = 2, fpActiveControl = 4 };
using TPlacementOptions = int;

enum TPlacementRegRoot { prCurrentUser, prLocalMachine, prCurrentConfig, prClassesRoot, prUsers, prDynData };

// Size and position limits of the window; 0 means not set.
struct TWinMinMaxInfo
{
    int MaxPosLeft = 0;
    int MaxPosTop = 0;
    int MaxSizeHeight = 0;
    int MaxSizeWidth = 0;
    int MaxTrackHeight = 0;
    int MaxTrackWidth = 0;
    int MinTrackHeight = 0;
    int MinTrackWidth = 0;
    bool IsZero() const;
    bool operator==(const TWinMinMaxInfo &) const = default;
};

// What the program knows of its window placement: the platform keeps no minimised or maximised
// positions, so they live here.
struct TWindowPlacement
{
    int Flags = 0;
    int ShowCmd = 1;
    QPoint MinPosition{-1, -1};
    QPoint MaxPosition{-1, -1};
    // left, top, right, bottom (right and bottom exclusive)
    QRect NormalPosition;
};

class TFormPlacement : public QObject
{
    Q_OBJECT
public:
    // Hooks the form's show, close and destruction: the first show restores, an accepted close saves, and
    // destruction saves when nothing was saved yet. Create it before the controls whose properties it
    // stores, so that it is destroyed (and saves) while they still exist.
    explicit TFormPlacement(QWidget *form);
    ~TFormPlacement() override;

    QWidget *Form() const { return FForm; }
    bool Active() const { return FActive; }
    void SetActive(bool value) { FActive = value; }
    QString IniFileName() const { return FIniFileName; }
    void SetIniFileName(const QString &value) { FIniFileName = value; }
    QString IniSection() const { return FIniSection; }
    void SetIniSection(const QString &value) { FIniSection = value; }
    TPlacementOptions Options() const { return FOptions; }
    void SetOptions(TPlacementOptions value) { FOptions = value; }
    bool UseRegistry() const { return FUseRegistry; }
    void SetUseRegistry(bool value) { FUseRegistry = value; }
    TPlacementRegRoot RegistryRoot() const { return FRegistryRoot; }
    void SetRegistryRoot(TPlacementRegRoot value) { FRegistryRoot = value; }
    int Version() const { return FVersion; }
    void SetVersion(int value) { FVersion = value; }
    bool PreventResize() const { return FPreventResize; }
    void SetPreventResize(bool value);
    TWinMinMaxInfo MinMaxInfo() const { return FMinMaxInfo; }
    void SetMinMaxInfo(const TWinMinMaxInfo &value);

    std::function<void(QObject *sender)> OnSavePlacement;
    std::function<void(QObject *sender)> OnRestorePlacement;

    void SaveState();
    void RestoreState();
    void UpdatePlacement();

    bool Restored() const { return FRestored; }
    bool Saved() const { return FSaved; }

    // Moves the values an earlier layout kept in the sub-key name of the section into the section,
    // replacing what is there, and removes the sub-key: it exists only when an earlier version wrote it
    // after the last move, so its values are the newer ones.
    void AdoptSubSection(const QString &name);

    QString ReadString(const QString &name, const QString &defaultValue);
    void WriteString(const QString &name, const QString &value);
    int ReadInteger(const QString &name, int defaultValue);
    void WriteInteger(const QString &name, int value);

    // The storage name used when IniFileName is empty: "Software\Brackwell\<program>" with the
    // registry, "<program>.INI" otherwise.
    QString DefaultStorageName() const;
    // The storage key and the group inside it that hold the values.
    QString SectionPath() const;
    // "(<width>x<height>)" of the primary screen.
    static QString ScreenQualifier();
    static int ScreenPixelsPerInch();
    // The placement record of the form as it stands.
    TWindowPlacement GetWindowPlacement() const;
    void SetWindowPlacement(const TWindowPlacement &placement);

protected:
    virtual void DoSavePlacement();
    virtual void DoRestorePlacement();
    virtual void SavePlacement();
    virtual void RestorePlacement();
    void WriteFormPlacement();
    void ReadFormPlacement(bool position, bool state);
    bool eventFilter(QObject *watched, QEvent *event) override;

    bool FRestored = false;

private:
    // Open only for one save, restore or single value access.
    void OpenStorage();
    void CloseStorage();
    QString ReadQualified(const QString &name);
    std::array<int, 4> ReadFourWords(const QString &name, std::array<int, 4> values, bool &found);
    void ApplySizeLimits();
    void FormShow();
    void FormCloseQuery(QEvent *event);
    void FormDestroy();
    void ReportException(const std::exception &error) const;
    QWidget *FindControl(const QString &name) const;

    QWidget *FForm;
    // Taken while the form is whole: its destruction saves after its own class is gone.
    QString FFormClassName;
    bool FActive = true;
    QString FIniFileName;
    QString FIniSection;
    TPlacementOptions FOptions = fpState | fpPosition;
    bool FUseRegistry = false;
    TPlacementRegRoot FRegistryRoot = prCurrentUser;
    int FVersion = 0;
    bool FPreventResize = false;
    TWinMinMaxInfo FMinMaxInfo;
    bool FSaved = false;
    bool FDestroying = false;
    bool FHadMaximizeButton = true;
    std::unique_ptr<QSettings> FStorage;
    TWindowPlacement FPlacement;
};

struct TStoredValue
{
    QString Name;
    QVariant Value;
    std::function<void(TStoredValue &value)> OnSave;
    std::function<void(TStoredValue &value)> OnRestore;
};

class TFormStorage : public TFormPlacement
{
    Q_OBJECT
public:
    using TFormPlacement::TFormPlacement;

    // Entries "Component.Property"; entries that do not split or whose component is not found among the
    // form's children are dropped when the values are saved or restored.
    QStringList StoredProps() const { return FStoredProps; }
    void SetStoredProps(const QStringList &value);
    std::vector<TStoredValue> &StoredValues() { return FStoredValues; }

protected:
    void SavePlacement() override;
    void RestorePlacement() override;

private:
    struct TStoredProp
    {
        QObject *Component;
        QString PropertyName;
    };

    std::vector<TStoredProp> ResolveStoredProps();
    void SaveStoredProps();
    void RestoreStoredProps();
    void SaveStoredValues();
    void RestoreStoredValues();

    QStringList FStoredProps;
    std::vector<TStoredValue> FStoredValues;
};

#pragma once
// The string list used everywhere: each item holds a string and a signed 64-bit datum whose low
// 32 bits are the item's "object". Unsorted, dupAccept and case-insensitive by default.

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

// The library's case-insensitive comparison: ASCII letters are folded directly; from the first
// position where either character is above 127 the rest of the common length is compared by the
// locale's case-insensitive collation. A shorter string with an equal prefix sorts first.
// Returns a negative, zero or positive value.
int CompareText(QStringView A, QStringView B);
inline int CompareText(const QString &A, const QString &B)
{
    return CompareText(QStringView(A), QStringView(B));
}

// Ordinal comparison of UTF-16 code units: the difference of the first differing units, else the
// difference of the lengths.
int CompareStr(QStringView A, QStringView B);
inline int CompareStr(const QString &A, const QString &B)
{
    return CompareStr(QStringView(A), QStringView(B));
}

enum TDuplicates { dupIgnore, dupAccept, dupError };

struct TXStringItem
{
    QString S;
    qint64 Data = 0;
};

// The object view of an item's datum: its low 32 bits.
using TXObject = quint32;

class TXStringList
{
public:
    using TNotifyEvent = std::function<void(TXStringList *Sender)>;
    using TStringFunction = std::function<QString(const QString &)>;

    TXStringList();
    virtual ~TXStringList();
    TXStringList(const TXStringList &) = delete;
    TXStringList &operator=(const TXStringList &) = delete;

    // Copies another list's items; from a TXStringList also its Sorted, Duplicates and
    // CaseSensitive settings. A null Source clears; the list itself is left alone.
    virtual void Assign(const TXStringList *Source);

    // Reading; an index outside 0..Count-1 raises "Index out of bounds: %d".
    virtual const QString &Get(int Index) const;
    virtual TXObject GetObject(int Index) const;
    qint64 GetData(int Index) const;
    const QString &Strings(int Index) const { return Get(Index); }
    TXObject Objects(int Index) const { return GetObject(Index); }
    qint64 Data(int Index) const { return GetData(Index); }

    int Count() const { return FCount; }
    int Capacity() const { return int(FItems.size()); }
    virtual void SetCapacity(int NewCapacity);

    // Every item followed by CR LF; an empty list gives the empty string.
    virtual QString Text() const;
    // Splits at CR LF, lone CR and lone LF; a U+0000 character ends the text.
    virtual void SetText(const QString &Value);

    virtual int IndexOf(const QString &S) const;
    virtual int IndexOfName(const QString &Name) const;
    virtual int IndexOfObject(TXObject Object) const;
    int IndexOfData(qint64 Value) const;
    // The text after the first "=" of item Index; empty for a negative index or without "=".
    QString GetValueFromIndex(int Index) const;
    // Binary search (lower bound) by CompareStrings; Index receives the insertion position.
    virtual bool Find(const QString &S, int &Index) const;

    // Adding and inserting.
    int AddData(const QString &S, qint64 Value);
    virtual int Add(const QString &S);
    virtual int AddObject(const QString &S, TXObject Object);
    virtual void AddStrings(const TXStringList *Source);
    void AddStrings(const QStringList &Source);
    void InsertData(int Index, const QString &S, qint64 Value);
    virtual void Insert(int Index, const QString &S);
    virtual void InsertObject(int Index, const QString &S, TXObject Object);

    // Changing.
    virtual void Put(int Index, const QString &S);
    virtual void PutObject(int Index, TXObject Object);
    void SetData(int Index, qint64 Value);
    virtual void Delete(int Index);
    virtual void Exchange(int Index1, int Index2);
    virtual void Clear();
    void ClearKeepCapacity();
    void LoadFromFile(const QString &FileName);
    void Pack();
    void TrimAll();
    void ApplyToAll(const TStringFunction &Function);
    QString Join(const QString &Separator, const QString &Quote = QString()) const;

    // Ordering.
    bool Sorted() const { return FSorted; }
    void SetSorted(bool Value);
    TDuplicates Duplicates() const { return FDuplicates; }
    void SetDuplicates(TDuplicates Value) { FDuplicates = Value; }
    bool CaseSensitive() const { return FCaseSensitive; }
    void SetCaseSensitive(bool Value);
    virtual void Sort();
    virtual int CompareStrings(QStringView A, QStringView B) const;

    QChar NameValueSeparator() const { return FNameValueSeparator; }
    void SetNameValueSeparator(QChar Value) { FNameValueSeparator = Value; }

    void BeginUpdate();
    void EndUpdate();
    int UpdateCount() const { return FUpdateCount; }

    // Read-only iteration over the items in use.
    const TXStringItem *begin() const { return FItems.data(); }
    const TXStringItem *end() const { return FItems.data() + FCount; }

    TNotifyEvent OnChange;

protected:
    // Fires OnChange unless an update is in progress.
    virtual void Changed();
    virtual void SetUpdateState(bool Updating);
    virtual void InsertItem(int Index, const QString &S, qint64 Value);
    void QuickSort(int L, int R);

private:
    // Runs Work between BeginUpdate and an EndUpdate that also happens when Work throws.
    template <typename TWork> void Updating(TWork &&Work);
    void CheckIndex(int Index) const;
    void Grow();
    void AppendRaw(QString S, qint64 Value);
    bool SameText(QStringView A, QStringView B) const;
    bool HasEqualItemBesides(int Index, const QString &S) const;
    int FindName(QStringView Key) const;
    bool KeepsOrderInPlace(int Index, const QString &S) const;

    // FItems.size() is the capacity; slots from FCount on hold empty strings.
    std::vector<TXStringItem> FItems;
    int FCount = 0;
    int FUpdateCount = 0;
    bool FSorted = false;
    bool FCaseSensitive = false;
    TDuplicates FDuplicates = dupAccept;
    QChar FNameValueSeparator = QLatin1Char('=');
};

// A new empty list with the defaults of a freshly created TXStringList.
std::unique_ptr<TXStringList> NewXStringList();

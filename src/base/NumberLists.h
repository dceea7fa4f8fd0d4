#pragma once
// Growable lists of numbers stored inline in one block, with no per-element allocation.

#include <QString>
#include <QtGlobal>
#include <vector>

// The common face of the number lists: a class name for messages and a checked Assign.
class TNumberList
{
public:
    virtual ~TNumberList() = default;
    virtual QString ClassName() const = 0;
    // Copies a compatible list; a null Source clears; an incompatible one raises EConvertError.
    virtual void Assign(const TNumberList *Source) = 0;
};

// Storage shared by the typed lists: Capacity slots, the first Count valid. Reading and writing
// an item do not test the index (debug builds assert), so callers stay inside Count.
template <typename T> class TNumberListOf : public TNumberList
{
public:
    int Count() const { return FCount; }
    int Capacity() const { return int(FItems.size()); }
    T Items(int Index) const
    {
        Q_ASSERT(unsigned(Index) < unsigned(FCount));
        return FItems[size_t(Index)];
    }
    void SetItems(int Index, T Value)
    {
        Q_ASSERT(unsigned(Index) < unsigned(FCount));
        FItems[size_t(Index)] = Value;
    }
    const T *begin() const { return FItems.data(); }
    const T *end() const { return FItems.data() + FCount; }

    // Reallocates to exactly NewCapacity slots; values beyond it are lost.
    void SetCapacity(int NewCapacity);
    // Grows the capacity when needed; new slots are zero.
    void SetCount(int NewCount);
    void Clear()
    {
        SetCount(0);
        SetCapacity(0);
    }

protected:
    // Appends with growth Capacity + Capacity div 4 + 8; returns the new value's index.
    int Append(T Value);
    void CopyFrom(const std::vector<T> &Values, int Count);
    template <typename U> void CopyConverted(const TNumberListOf<U> &Source);

    std::vector<T> FItems;
    int FCount = 0;
};

class TInt64List : public TNumberListOf<qint64>
{
public:
    QString ClassName() const override { return QStringLiteral("TInt64List"); }
    // From a TInt64List, or a TIntegerList with sign extension.
    void Assign(const TNumberList *Source) override;
    int Add(qint64 Value) { return Append(Value); }
};

class TIntegerList : public TNumberListOf<qint32>
{
public:
    QString ClassName() const override { return QStringLiteral("TIntegerList"); }
    // From a TIntegerList, or a TInt64List keeping the low 32 bits.
    void Assign(const TNumberList *Source) override;
    int Add(qint32 Value) { return Append(Value); }
    void Insert(int Index, qint32 Value);
    void Delete(int Index);
    void Exchange(int Index1, int Index2);
    void Move(int CurIndex, int NewIndex);
};

// Sized only through SetCount and SetCapacity.
class TDoubleList : public TNumberListOf<double>
{
public:
    QString ClassName() const override { return QStringLiteral("TDoubleList"); }
    void Assign(const TNumberList *Source) override;
};

extern template class TNumberListOf<qint64>;
extern template class TNumberListOf<qint32>;
extern template class TNumberListOf<double>;

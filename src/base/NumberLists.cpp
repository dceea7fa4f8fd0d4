#include "base/NumberLists.h"

#include "base/Exception.h"

#include <algorithm>

template <typename T> void TNumberListOf<T>::SetCapacity(int NewCapacity)
{
    if (NewCapacity == Capacity())
        return;
    QASSERT(NewCapacity >= 0);
    std::vector<T> Resized;
    Resized.reserve(size_t(NewCapacity));
    Resized.assign(FItems.begin(), FItems.begin() + std::min(NewCapacity, Capacity()));
    Resized.resize(size_t(NewCapacity), T(0));
    FItems.swap(Resized);
    FCount = std::min(FCount, NewCapacity);
}

template <typename T> void TNumberListOf<T>::SetCount(int NewCount)
{
    QASSERT(NewCount >= 0);
    if (NewCount > Capacity())
        SetCapacity(NewCount);
    // Slots past the old count may hold values left by a shrinking SetCount.
    if (NewCount > FCount)
        std::fill(FItems.begin() + FCount, FItems.begin() + NewCount, T(0));
    FCount = NewCount;
}

template <typename T> int TNumberListOf<T>::Append(T Value)
{
    if (FCount == Capacity())
        SetCapacity(Capacity() + Capacity() / 4 + 8);
    FItems[size_t(FCount)] = Value;
    return FCount++;
}

template <typename T> void TNumberListOf<T>::CopyFrom(const std::vector<T> &Values, int Count)
{
    std::vector<T>(Values.begin(), Values.begin() + Count).swap(FItems);
    FCount = Count;
}

template <typename T>
template <typename U>
void TNumberListOf<T>::CopyConverted(const TNumberListOf<U> &Source)
{
    std::vector<T> Converted;
    Converted.reserve(size_t(Source.Count()));
    for (const U Value : Source)
        Converted.push_back(T(Value));
    FItems.swap(Converted);
    FCount = Source.Count();
}

template class TNumberListOf<qint64>;
template class TNumberListOf<qint32>;
template class TNumberListOf<double>;

namespace {

[[noreturn]] void RaiseWrongClass(const TNumberList &Target, const char *Format)
{
    throw EConvertError(QString::fromLatin1(Format).arg(Target.ClassName()));
}

} // namespace

void TInt64List::Assign(const TNumberList *Source)
{
    if (Source == this)
        return;
    if (!Source)
        Clear();
    else if (const auto *Same = dynamic_cast<const TInt64List *>(Source))
        CopyFrom(Same->FItems, Same->FCount);
    else if (const auto *Narrow = dynamic_cast<const TIntegerList *>(Source))
        CopyConverted(*Narrow);
    else
        RaiseWrongClass(*this, "%1.Assign: got wrong class type !");
}

void TIntegerList::Assign(const TNumberList *Source)
{
    if (Source == this)
        return;
    if (!Source)
        Clear();
    else if (const auto *Same = dynamic_cast<const TIntegerList *>(Source))
        CopyFrom(Same->FItems, Same->FCount);
    else if (const auto *Wide = dynamic_cast<const TInt64List *>(Source))
        CopyConverted(*Wide);
    else
        RaiseWrongClass(*this, "%1.Assign : got wrong class type !");
}

// The index checks below guard memory: a wrong index would otherwise write outside the block.
void TIntegerList::Insert(int Index, qint32 Value)
{
    QASSERT(Index >= 0 && Index <= FCount);
    Append(0);
    std::move_backward(FItems.begin() + Index, FItems.begin() + FCount - 1, FItems.begin() + FCount);
    FItems[size_t(Index)] = Value;
}

void TIntegerList::Delete(int Index)
{
    QASSERT(Index >= 0 && Index < FCount);
    std::move(FItems.begin() + Index + 1, FItems.begin() + FCount, FItems.begin() + Index);
    --FCount;
}

void TIntegerList::Exchange(int Index1, int Index2)
{
    QASSERT(Index1 >= 0 && Index1 < FCount && Index2 >= 0 && Index2 < FCount);
    std::swap(FItems[size_t(Index1)], FItems[size_t(Index2)]);
}

void TIntegerList::Move(int CurIndex, int NewIndex)
{
    QASSERT(CurIndex >= 0 && CurIndex < FCount && NewIndex >= 0 && NewIndex < FCount);
    const auto Cur = FItems.begin() + CurIndex;
    const auto New = FItems.begin() + NewIndex;
    if (CurIndex < NewIndex)
        std::rotate(Cur, Cur + 1, New + 1);
    else
        std::rotate(New, Cur, Cur + 1);
}

void TDoubleList::Assign(const TNumberList *Source)
{
    if (Source == this)
        return;
    if (!Source)
        Clear();
    else if (const auto *Same = dynamic_cast<const TDoubleList *>(Source))
        CopyFrom(Same->FItems, Same->FCount);
    else
        RaiseWrongClass(*this, "%1.Assign : got wrong class type !");
}

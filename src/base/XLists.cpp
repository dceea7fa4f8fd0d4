#include "base/XLists.h"

#include "base/Exception.h"
#include "base/IndexQuickSort.h"
#include "base/UCharsetConvert.h"
#include "base/UFileUtils.h"

#include <QCollator>
#include <algorithm>
#include <climits>
#include <cstring>

namespace {

[[noreturn]] void RaiseIndexOutOfBounds(qint64 Index)
{
    throw Exception(QStringLiteral("Index out of bounds: %1").arg(Index));
}

[[noreturn]] void RaiseDuplicate()
{
    throw EStringListError(QStringLiteral("String list does not allow duplicates"));
}

qint64 ZeroExtended(TXObject Object)
{
    return qint64(quint64(Object));
}

char16_t FoldAscii(char16_t C)
{
    return (C >= u'a' && C <= u'z') ? char16_t(C - (u'a' - u'A')) : C;
}

// The locale's case-insensitive collation, made once per thread: building a collator is costly
// and sorting calls this for every pair that holds a non-ASCII character.
int LocaleCompareIgnoringCase(QStringView A, QStringView B)
{
    thread_local const QCollator Collator = [] {
        QCollator Made{QLocale()};
        Made.setCaseSensitivity(Qt::CaseInsensitive);
        return Made;
    }();
    return Collator.compare(A, B);
}

bool IsTrimmedAway(QChar C)
{
    return C.unicode() <= 32;
}

// Only the three common marks count here; without one the text is in the ANSI code page.
TStringEncoding EncodingByByteOrderMark(const QByteArray &Bytes)
{
    struct Mark
    {
        const char *Preamble;
        uint8_t CharSize;
        bool BigEndian;
    };
    static const Mark Marks[] = {{"\xEF\xBB\xBF", 1, false}, {"\xFF\xFE", 2, false}, {"\xFE\xFF", 2, true}};
    TStringEncoding Encoding;
    for (const Mark &M : Marks) {
        if (Bytes.startsWith(M.Preamble)) {
            Encoding.Kind = TStringEncoding::KindUnicode;
            Encoding.CharSize = M.CharSize;
            Encoding.BigEndian = M.BigEndian;
            Encoding.Preamble = M.Preamble;
            break;
        }
    }
    return Encoding;
}

QString TrimControlsAndBlanks(const QString &S)
{
    qsizetype First = 0;
    qsizetype Last = S.size();
    while (First < Last && IsTrimmedAway(S[First]))
        ++First;
    while (Last > First && IsTrimmedAway(S[Last - 1]))
        --Last;
    return (First == 0 && Last == S.size()) ? S : S.sliced(First, Last - First);
}

// The length of the identical start of two runs of code units, found four units at a time first:
// sorted symbol names share long prefixes.
qsizetype IdenticalPrefixLength(const char16_t *A, const char16_t *B, qsizetype Length)
{
    qsizetype I = 0;
    for (; I + 4 <= Length; I += 4) {
        quint64 BlockA;
        quint64 BlockB;
        std::memcpy(&BlockA, A + I, sizeof BlockA);
        std::memcpy(&BlockB, B + I, sizeof BlockB);
        if (BlockA != BlockB)
            break;
    }
    while (I < Length && A[I] == B[I])
        ++I;
    return I;
}

} // namespace

int CompareText(QStringView A, QStringView B)
{
    if (A.isEmpty())
        return B.isEmpty() ? 0 : -1;
    if (B.isEmpty())
        return 1;
    const qsizetype Common = std::min(A.size(), B.size());
    const char16_t *PA = A.utf16();
    const char16_t *PB = B.utf16();
    for (qsizetype I = IdenticalPrefixLength(PA, PB, Common); I < Common; ++I) {
        const char16_t CA = PA[I];
        const char16_t CB = PB[I];
        if (CA == CB)
            continue;
        if (CA > 127 || CB > 127) {
            // The locale decides the rest of the common length; equality there leaves the lengths.
            const int Outcome = LocaleCompareIgnoringCase(A.sliced(I, Common - I), B.sliced(I, Common - I));
            if (Outcome != 0)
                return Outcome < 0 ? -1 : 1;
            break;
        }
        const char16_t FA = FoldAscii(CA);
        const char16_t FB = FoldAscii(CB);
        if (FA != FB)
            return int(FA) - int(FB);
    }
    if (A.size() == B.size())
        return 0;
    return A.size() < B.size() ? -1 : 1;
}

int CompareStr(QStringView A, QStringView B)
{
    const qsizetype Common = std::min(A.size(), B.size());
    const char16_t *PA = A.utf16();
    const char16_t *PB = B.utf16();
    const qsizetype I = IdenticalPrefixLength(PA, PB, Common);
    if (I < Common)
        return int(PA[I]) - int(PB[I]);
    const qsizetype Difference = A.size() - B.size();
    return Difference < 0 ? -1 : (Difference > 0 ? 1 : 0);
}

template <typename TWork> void TXStringList::Updating(TWork &&Work)
{
    BeginUpdate();
    try {
        Work();
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

TXStringList::TXStringList() = default;

TXStringList::~TXStringList()
{
    OnChange = nullptr;
}

void TXStringList::Assign(const TXStringList *Source)
{
    if (Source == this)
        return;
    if (!Source) {
        Clear();
        return;
    }
    Clear();
    FSorted = Source->FSorted;
    FDuplicates = Source->FDuplicates;
    FCaseSensitive = Source->FCaseSensitive;
    Updating([&] {
        Clear();
        FNameValueSeparator = Source->FNameValueSeparator;
        AddStrings(Source);
    });
}

void TXStringList::CheckIndex(int Index) const
{
    if (unsigned(Index) >= unsigned(FCount))
        RaiseIndexOutOfBounds(Index);
}

const QString &TXStringList::Get(int Index) const
{
    CheckIndex(Index);
    return FItems[size_t(Index)].S;
}

TXObject TXStringList::GetObject(int Index) const
{
    CheckIndex(Index);
    return TXObject(quint64(FItems[size_t(Index)].Data));
}

qint64 TXStringList::GetData(int Index) const
{
    CheckIndex(Index);
    return FItems[size_t(Index)].Data;
}

void TXStringList::SetCapacity(int NewCapacity)
{
    if (NewCapacity < FCount)
        RaiseIndexOutOfBounds(NewCapacity);
    if (NewCapacity == Capacity())
        return;
    if (NewCapacity > Capacity()) {
        FItems.reserve(size_t(NewCapacity));
        FItems.resize(size_t(NewCapacity));
        return;
    }
    std::vector<TXStringItem> Resized;
    Resized.reserve(size_t(NewCapacity));
    std::move(FItems.begin(), FItems.begin() + FCount, std::back_inserter(Resized));
    Resized.resize(size_t(NewCapacity));
    FItems.swap(Resized);
}

void TXStringList::Grow()
{
    const qint64 Current = Capacity();
    SetCapacity(int(std::min<qint64>(Current + Current / 4 + 4, INT_MAX)));
    if (FCount == Capacity())
        throw EStringListError(QStringLiteral("List capacity out of bounds (%1)").arg(Current));
}

void TXStringList::AppendRaw(QString S, qint64 Value)
{
    if (FCount == Capacity())
        Grow();
    TXStringItem &Item = FItems[size_t(FCount)];
    Item.S = std::move(S);
    Item.Data = Value;
    ++FCount;
}

QString TXStringList::Text() const
{
    qsizetype Length = 0;
    for (const TXStringItem &Item : *this)
        Length += Item.S.size() + 2;
    QString Result;
    Result.reserve(Length);
    for (const TXStringItem &Item : *this) {
        Result += Item.S;
        Result += QLatin1String("\r\n");
    }
    return Result;
}

void TXStringList::SetText(const QString &Value)
{
    if (Value.isEmpty()) {
        Clear();
        return;
    }
    Updating([&] {
        Clear();
        const QChar *Position = Value.constData();
        const QChar *const End = Position + Value.size();
        while (Position < End && !Position->isNull()) {
            const QChar *const LineStart = Position;
            while (Position < End && *Position != u'\0' && *Position != u'\n' && *Position != u'\r')
                ++Position;
            AppendRaw(QString(LineStart, Position - LineStart), 0);
            if (Position < End && *Position == u'\r')
                ++Position;
            if (Position < End && *Position == u'\n')
                ++Position;
        }
        if (FSorted && FCount > 1)
            QuickSort(0, FCount - 1);
    });
}

bool TXStringList::SameText(QStringView A, QStringView B) const
{
    if (FCaseSensitive)
        return A == B;
    return A.size() == B.size() && CompareText(A, B) == 0;
}

int TXStringList::IndexOf(const QString &S) const
{
    if (FSorted) {
        int Index;
        return Find(S, Index) ? Index : -1;
    }
    for (int I = 0; I < FCount; ++I)
        if (SameText(FItems[size_t(I)].S, S))
            return I;
    return -1;
}

int TXStringList::IndexOfName(const QString &Name) const
{
    if (FSorted)
        return FindName(QString(Name + FNameValueSeparator));
    const qsizetype N = Name.size();
    for (int I = 0; I < FCount; ++I) {
        const QString &S = FItems[size_t(I)].S;
        if (S.size() > N && S[N] == FNameValueSeparator && CompareStrings(Name, QStringView(S).first(N)) == 0)
            return I;
    }
    return -1;
}

namespace {

// The binary search of a sorted list: Index becomes the lower bound of the items that CompareAt
// finds equal (0) to the key, or the insertion point; without duplicates the first equal item ends it.
template <typename CompareAt>
bool SortedSearch(int Count, TDuplicates Duplicates, int &Index, CompareAt &&compareAt)
{
    int L = 0;
    int H = Count - 1;
    bool Found = false;
    while (L <= H) {
        const int I = int((unsigned(L) + unsigned(H)) >> 1);
        const int Cmp = compareAt(I);
        if (Cmp < 0) {
            L = I + 1;
        } else {
            H = I - 1;
            if (Cmp == 0) {
                Found = true;
                if (Duplicates != dupAccept)
                    L = I;
            }
        }
    }
    Index = L;
    return Found;
}

} // namespace

int TXStringList::FindName(QStringView Key) const
{
    int Index = 0;
    const bool Found = SortedSearch(FCount, FDuplicates, Index, [this, Key](int I) {
        const QStringView Item(FItems[size_t(I)].S);
        return CompareStrings(Item.first(std::min(Item.size(), Key.size())), Key);
    });
    return Found ? Index : -1;
}

int TXStringList::IndexOfObject(TXObject Object) const
{
    return IndexOfData(ZeroExtended(Object));
}

int TXStringList::IndexOfData(qint64 Value) const
{
    for (int I = 0; I < FCount; ++I)
        if (FItems[size_t(I)].Data == Value)
            return I;
    return -1;
}

QString TXStringList::GetValueFromIndex(int Index) const
{
    if (Index < 0)
        return QString();
    const QString &S = Get(Index);
    const qsizetype Equals = S.indexOf(u'=');
    return Equals < 0 ? QString() : S.sliced(Equals + 1);
}

bool TXStringList::Find(const QString &S, int &Index) const
{
    return SortedSearch(FCount, FDuplicates, Index,
                        [this, &S](int I) { return CompareStrings(FItems[size_t(I)].S, S); });
}

int TXStringList::AddData(const QString &S, qint64 Value)
{
    int Index = FCount;
    if (!FSorted) {
        if (FDuplicates != dupAccept && IndexOf(S) >= 0) {
            if (FDuplicates == dupError)
                RaiseDuplicate();
            return FCount;
        }
    } else if (Find(S, Index)) {
        if (FDuplicates == dupIgnore)
            return Index;
        if (FDuplicates == dupError)
            RaiseDuplicate();
    }
    InsertItem(Index, S, Value);
    return Index;
}

int TXStringList::Add(const QString &S)
{
    return AddData(S, 0);
}

int TXStringList::AddObject(const QString &S, TXObject Object)
{
    return AddData(S, ZeroExtended(Object));
}

void TXStringList::AddStrings(const TXStringList *Source)
{
    if (!Source)
        return;
    const int SourceCount = Source->FCount;
    Updating([&] {
        if (qint64(FCount) + SourceCount > Capacity())
            SetCapacity(FCount + SourceCount);
        for (int I = 0; I < SourceCount; ++I) {
            // A copy: the source may be this list, whose items move while adding.
            const TXStringItem Item = Source->FItems[size_t(I)];
            if (FDuplicates == dupAccept)
                AppendRaw(Item.S, Item.Data);
            else
                AddData(Item.S, Item.Data);
        }
        if (FSorted && FCount > 1)
            QuickSort(0, FCount - 1);
    });
}

void TXStringList::AddStrings(const QStringList &Source)
{
    Updating([&] {
        if (qint64(FCount) + Source.size() > Capacity())
            SetCapacity(int(FCount + Source.size()));
        for (const QString &S : Source) {
            if (FDuplicates == dupAccept)
                AppendRaw(S, 0);
            else
                AddData(S, 0);
        }
        if (FSorted && FCount > 1)
            QuickSort(0, FCount - 1);
    });
}

void TXStringList::InsertData(int Index, const QString &S, qint64 Value)
{
    if (FSorted)
        throw EStringListError(QStringLiteral("Operation not allowed on sorted list"));
    if (unsigned(Index) > unsigned(FCount))
        RaiseIndexOutOfBounds(Index);
    InsertItem(Index, S, Value);
}

void TXStringList::Insert(int Index, const QString &S)
{
    InsertData(Index, S, 0);
}

void TXStringList::InsertObject(int Index, const QString &S, TXObject Object)
{
    InsertData(Index, S, ZeroExtended(Object));
}

void TXStringList::InsertItem(int Index, const QString &S, qint64 Value)
{
    if (FCount == Capacity())
        Grow();
    // The free slot at FCount travels down to Index.
    std::move_backward(FItems.begin() + Index, FItems.begin() + FCount, FItems.begin() + FCount + 1);
    TXStringItem &Item = FItems[size_t(Index)];
    Item.S = S;
    Item.Data = Value;
    ++FCount;
    Changed();
}

bool TXStringList::KeepsOrderInPlace(int Index, const QString &S) const
{
    return (Index == 0 || CompareStrings(S, FItems[size_t(Index - 1)].S) > 0) &&
           (Index == FCount - 1 || CompareStrings(S, FItems[size_t(Index + 1)].S) < 0);
}

bool TXStringList::HasEqualItemBesides(int Index, const QString &S) const
{
    // Find stops at any equal item unless duplicates are accepted, so look around it both ways.
    int Found;
    if (!Find(S, Found))
        return false;
    for (int I = Found; I < FCount && CompareStrings(FItems[size_t(I)].S, S) == 0; ++I)
        if (I != Index)
            return true;
    for (int I = Found - 1; I >= 0 && CompareStrings(FItems[size_t(I)].S, S) == 0; --I)
        if (I != Index)
            return true;
    return false;
}

void TXStringList::Put(int Index, const QString &S)
{
    CheckIndex(Index);
    if (!FSorted || KeepsOrderInPlace(Index, S)) {
        FItems[size_t(Index)].S = S;
        Changed();
        return;
    }
    // Refused before the item leaves the list, so that the error loses nothing.
    if (FDuplicates == dupError && HasEqualItemBesides(Index, S))
        RaiseDuplicate();
    const qint64 Value = FItems[size_t(Index)].Data;
    Delete(Index);
    AddData(S, Value);
}

void TXStringList::PutObject(int Index, TXObject Object)
{
    SetData(Index, ZeroExtended(Object));
}

void TXStringList::SetData(int Index, qint64 Value)
{
    CheckIndex(Index);
    FItems[size_t(Index)].Data = Value;
    Changed();
}

void TXStringList::Delete(int Index)
{
    CheckIndex(Index);
    // QString's move assignment swaps, so the deleted string ends in the freed slot; release it there.
    std::move(FItems.begin() + Index + 1, FItems.begin() + FCount, FItems.begin() + Index);
    --FCount;
    FItems[size_t(FCount)] = TXStringItem();
    Changed();
}

void TXStringList::Exchange(int Index1, int Index2)
{
    CheckIndex(Index1);
    CheckIndex(Index2);
    std::swap(FItems[size_t(Index1)], FItems[size_t(Index2)]);
    Changed();
}

void TXStringList::Clear()
{
    if (FCount == 0)
        return;
    std::vector<TXStringItem>().swap(FItems);
    FCount = 0;
    Changed();
}

void TXStringList::ClearKeepCapacity()
{
    if (FCount == 0)
        return;
    std::fill(FItems.begin(), FItems.begin() + FCount, TXStringItem());
    FCount = 0;
    Changed();
}

void TXStringList::LoadFromFile(const QString &FileName)
{
    // Mended: a FIFO hung the reader and a sparse file was read whole; the text ends at the first
    // NUL in any case.
    TTextFileBytes Text;
    QString Reason;
    if (!ReadTextFile(FileName, Text, Reason))
        throw EInOutError(QStringLiteral("Cannot read file \"%1\". %2").arg(FileName, Reason));
    const QByteArray &Bytes = Text.Bytes;
    const QString Decoded = DecodeText(Bytes, EncodingByByteOrderMark(Bytes), false);
    Updating([&] { SetText(Decoded); });
}

void TXStringList::Pack()
{
    int Write = 0;
    for (int Read = 0; Read < FCount; ++Read) {
        if (FItems[size_t(Read)].S.isEmpty())
            continue;
        if (Read != Write)
            std::swap(FItems[size_t(Write)], FItems[size_t(Read)]);
        ++Write;
    }
    while (FCount > Write)
        Delete(FCount - 1);
    Changed();
}

void TXStringList::TrimAll()
{
    for (int I = 0; I < FCount; ++I) {
        QString &S = FItems[size_t(I)].S;
        S = TrimControlsAndBlanks(S);
    }
    Changed();
}

void TXStringList::ApplyToAll(const TStringFunction &Function)
{
    for (int I = 0; I < FCount; ++I) {
        QString &S = FItems[size_t(I)].S;
        S = Function(S);
    }
    Changed();
}

QString TXStringList::Join(const QString &Separator, const QString &Quote) const
{
    QString Result;
    for (int I = 0; I < FCount; ++I) {
        if (I > 0)
            Result += Separator;
        const QString &S = FItems[size_t(I)].S;
        if (Quote.isEmpty()) {
            Result += S;
        } else {
            Result += Quote;
            Result += QString(S).replace(Quote, Quote + Quote);
            Result += Quote;
        }
    }
    return Result;
}

void TXStringList::SetSorted(bool Value)
{
    if (Value == FSorted)
        return;
    if (Value)
        Sort();
    FSorted = Value;
}

void TXStringList::SetCaseSensitive(bool Value)
{
    if (Value == FCaseSensitive)
        return;
    FCaseSensitive = Value;
    if (FSorted && FCount > 1) {
        QuickSort(0, FCount - 1);
        Changed();
    }
}

void TXStringList::Sort()
{
    if (FSorted || FCount <= 1)
        return;
    QuickSort(0, FCount - 1);
    Changed();
}

int TXStringList::CompareStrings(QStringView A, QStringView B) const
{
    return FCaseSensitive ? CompareStr(A, B) : CompareText(A, B);
}

// Which of two equal items ends first depends on the library quicksort's exact scheme, so it must
// not be replaced by another sort.
void TXStringList::QuickSort(int L, int R)
{
    IndexQuickSortInline(
        L, R, true, [this](int I, int J) { return CompareStrings(FItems[size_t(I)].S, FItems[size_t(J)].S); },
        [this](int I, int J) { std::swap(FItems[size_t(I)], FItems[size_t(J)]); });
}

void TXStringList::BeginUpdate()
{
    if (FUpdateCount == 0)
        SetUpdateState(true);
    ++FUpdateCount;
}

void TXStringList::EndUpdate()
{
    // Below zero every later notification would be lost for good.
    QASSERT_MSG(FUpdateCount > 0, QStringLiteral("Unbalanced EndUpdate"));
    --FUpdateCount;
    if (FUpdateCount == 0)
        SetUpdateState(false);
}

void TXStringList::SetUpdateState(bool Updating)
{
    if (!Updating)
        Changed();
}

void TXStringList::Changed()
{
    if (FUpdateCount == 0 && OnChange)
        OnChange(this);
}

std::unique_ptr<TXStringList> NewXStringList()
{
    return std::make_unique<TXStringList>();
}

#include "base/Strings.h"

#include "base/Exception.h"
#include "base/XLists.h"

#include <QFileInfo>

#include <algorithm>
#include <array>
#include <charconv>
#include <clocale>
#include <string>

namespace {

constexpr char16_t AsciiLower(char16_t C)
{
    return (C >= u'A' && C <= u'Z') ? char16_t(C + (u'a' - u'A')) : C;
}

bool IsAscii(QStringView S)
{
    for (const QChar C : S)
        if (C.unicode() > 127)
            return false;
    return true;
}

bool EqualAsciiText(QStringView A, QStringView B)
{
    for (qsizetype I = 0; I < A.size(); ++I)
        if (AsciiLower(A[I].unicode()) != AsciiLower(B[I].unicode()))
            return false;
    return true;
}

// Characters up to 255 upper-cased within Latin-1; those whose capital lies beyond (the micro sign,
// y with diaeresis) stay themselves so that the table never leaves its range.
const std::array<char16_t, 256> &UpperCaseTable()
{
    static const std::array<char16_t, 256> Table = [] {
        std::array<char16_t, 256> T{};
        for (int K = 1; K < 256; ++K) {
            const char16_t Upper = QChar(char16_t(K)).toUpper().unicode();
            T[K] = Upper < 256 ? Upper : char16_t(K);
        }
        return T;
    }();
    return Table;
}

char16_t FoldForPrefix(char16_t C)
{
    return C < 256 ? UpperCaseTable()[C] : C;
}

const std::array<char16_t, 256> &AccentTable()
{
    static const std::array<char16_t, 256> Table = [] {
        std::array<char16_t, 256> T{};
        for (int K = 0; K < 256; ++K)
            T[K] = char16_t(K);
        const auto Range = [&T](int From, int To, char16_t Base) {
            for (int K = From; K <= To; ++K)
                T[K] = Base;
        };
        T[138] = u'S';
        T[142] = u'Z';
        T[154] = u's';
        T[158] = u'z';
        T[159] = u'Y';
        Range(192, 197, u'A');
        T[199] = u'C';
        Range(200, 203, u'E');
        Range(204, 207, u'I');
        T[209] = u'N';
        Range(210, 214, u'O');
        Range(217, 220, u'U');
        T[221] = u'Y';
        Range(224, 229, u'a');
        T[231] = u'c';
        Range(232, 235, u'e');
        Range(236, 239, u'i');
        T[241] = u'n';
        Range(242, 246, u'o');
        Range(249, 252, u'u');
        T[253] = u'y';
        T[255] = u'y';
        return T;
    }();
    return Table;
}

// 0-based index of the N-th Ch (N >= 1), or -1 when there are fewer.
qsizetype IndexOfNthChar(QStringView S, QChar Ch, qsizetype N)
{
    qsizetype Index = -1;
    for (qsizetype K = 0; K < N; ++K) {
        Index = S.indexOf(Ch, Index + 1);
        if (Index < 0)
            return -1;
    }
    return Index;
}

int HexDigitValue(unsigned B)
{
    if (B >= '0' && B <= '9')
        return int(B - '0');
    if (B >= 'a' && B <= 'f')
        return int(B - 'a' + 10);
    if (B >= 'A' && B <= 'F')
        return int(B - 'A' + 10);
    return -1;
}

bool IsHexMarker(unsigned B)
{
    return B == '#' || B == '$' || B == '&' || B == 'X' || B == 'x';
}

int64_t ScanHex(QStringView S)
{
    uint64_t Value = 0;
    for (const QChar Unit : S) {
        const unsigned B = Unit.unicode() & 0xFFu;
        if (IsHexMarker(B))
            continue;
        const int Digit = HexDigitValue(B);
        if (Digit < 0)
            return -1;
        Value = (Value << 4) | unsigned(Digit);
    }
    return int64_t(Value);
}

int DecimalPartOrMinusOne(QStringView Part)
{
    if (Part.isEmpty())
        return -1;
    int64_t Value = 0;
    for (const QChar C : Part) {
        if (C < u'0' || C > u'9')
            return -1;
        Value = Value * 10 + (C.unicode() - u'0');
        if (Value > INT32_MAX)
            return -1;
    }
    return int(Value);
}

bool IsAsciiDigit(QChar C)
{
    return C >= u'0' && C <= u'9';
}

// An exponent this large is already far outside the range of any floating-point type.
constexpr int64_t ExponentClamp = 1000000;
// Largest decimal scale whose power of ten the 80-bit extended type can still hold (denormals
// included).
constexpr int64_t ExtendedScaleLimit = 4951;

qsizetype IndexOfAsciiText(QByteArrayView S, QByteArrayView Sub, qsizetype From)
{
    if (Sub.isEmpty())
        return -1;
    const auto Fold = [](char C) { return (C >= 'A' && C <= 'Z') ? char(C + ('a' - 'A')) : C; };
    const char First = Fold(Sub[0]);
    for (qsizetype I = From; I + Sub.size() <= S.size(); ++I) {
        if (Fold(S[I]) != First)
            continue;
        qsizetype K = 1;
        while (K < Sub.size() && Fold(S[I + K]) == Fold(Sub[K]))
            ++K;
        if (K == Sub.size())
            return I;
    }
    return -1;
}

} // namespace

QString Copy(QStringView S, qsizetype P, qsizetype N)
{
    if (P < 1)
        P = 1;
    if (P > S.size() || N <= 0)
        return QString();
    return S.mid(P - 1, qMin(N, S.size() - P + 1)).toString();
}

// ---- Search and tests ----------------------------------------------------------------------------

qsizetype PosChar(QStringView S, QChar Ch, qsizetype Start)
{
    if (Start < 1)
        Start = 1;
    if (Start > S.size())
        return 0;
    return S.indexOf(Ch, Start - 1) + 1;
}

qsizetype LastPosChar(QStringView S, QChar Ch, qsizetype Start)
{
    if (S.isEmpty())
        return 0;
    const qsizetype From = (Start >= 1 && Start < S.size()) ? Start : S.size();
    return S.lastIndexOf(Ch, From - 1) + 1;
}

qsizetype PosStr(QStringView S, QStringView Sub, qsizetype Start)
{
    if (S.isEmpty() || Sub.isEmpty() || Start < 1 || Start > S.size())
        return 0;
    return S.indexOf(Sub, Start - 1, Qt::CaseSensitive) + 1;
}

qsizetype PosText(QStringView S, QStringView Sub, qsizetype Start)
{
    if (S.isEmpty() || Sub.isEmpty() || Start < 1 || Start > S.size())
        return 0;
    const char16_t First = AsciiLower(Sub[0].unicode());
    for (qsizetype I = Start - 1; I + Sub.size() <= S.size(); ++I) {
        if (AsciiLower(S[I].unicode()) == First && EqualAsciiText(S.mid(I + 1, Sub.size() - 1), Sub.mid(1)))
            return I + 1;
    }
    return 0;
}

qsizetype CountChar(QChar Ch, QStringView S)
{
    return S.count(Ch);
}

bool StrBeginsWith(QStringView S, QStringView Prefix)
{
    return !Prefix.isEmpty() && S.startsWith(Prefix);
}

bool StrBeginsWithChar(QStringView S, QChar Ch)
{
    return !S.isEmpty() && S.front() == Ch;
}

bool StrEndsWith(QStringView S, QStringView Suffix)
{
    return !Suffix.isEmpty() && S.endsWith(Suffix);
}

bool StrEndsWithChar(QStringView S, QChar Ch)
{
    return !S.isEmpty() && S.back() == Ch;
}

bool StrEndsWithText(QStringView S, QStringView Suffix)
{
    if (Suffix.isEmpty())
        return true;
    const QStringView Tail = Suffix.size() <= S.size() ? S.right(Suffix.size()) : S;
    // Pure ASCII on both sides folds exactly as CompareText does, without building strings.
    if (Tail.size() == Suffix.size() && IsAscii(Tail) && IsAscii(Suffix))
        return EqualAsciiText(Tail, Suffix);
    return CompareText(Tail, Suffix) == 0;
}

bool StrContains(QStringView S, QStringView Sub)
{
    return PosStr(S, Sub) > 0;
}

bool StrContainsText(QStringView S, QStringView Sub)
{
    return PosText(S, Sub) > 0;
}

qsizetype CommonPrefixLengthText(QStringView A, QStringView B)
{
    const qsizetype Common = qMin(A.size(), B.size());
    qsizetype I = 0;
    while (I < Common && FoldForPrefix(A[I].unicode()) == FoldForPrefix(B[I].unicode()))
        ++I;
    return I;
}

// ---- Extraction ----------------------------------------------------------------------------------

QString StrBetweenChars(QStringView S, QChar Open, QChar Close)
{
    const qsizetype From = PosChar(S, Open) + 1;
    const qsizetype ClosePos = PosChar(S, Close, From);
    if (ClosePos == 0)
        return QString();
    return Copy(S, From, ClosePos - From);
}

QString StrBetween(QStringView S, QStringView StartStr, QStringView StopStr)
{
    const qsizetype From = PosStr(S, StartStr) + StartStr.size();
    const qsizetype StopPos = PosStr(S, StopStr, From);
    if (StopPos == 0)
        return QString();
    return Copy(S, From, StopPos - From);
}

QString StrField(QStringView S, QChar Delim, qsizetype N)
{
    if (S.isEmpty() || N < 0)
        return QString();
    qsizetype Begin = 0;
    if (N > 0) {
        const qsizetype Separator = IndexOfNthChar(S, Delim, N);
        if (Separator < 0)
            return QString();
        Begin = Separator + 1;
    }
    qsizetype End = S.indexOf(Delim, Begin);
    if (End < 0)
        End = S.size();
    return S.mid(Begin, End - Begin).toString();
}

QString StrAfterChar(QStringView S, QChar Ch)
{
    const qsizetype P = PosChar(S, Ch);
    return P == 0 ? QString() : CopyAfterPos(S, P);
}

QString StrAfterNthChar(QStringView S, QChar Ch, qsizetype N)
{
    if (N <= 0)
        return S.toString();
    const qsizetype Index = IndexOfNthChar(S, Ch, N);
    return Index < 0 ? QString() : CopyAfterPos(S, Index + 1);
}

QString StrBeforeChar(QStringView S, QChar Ch)
{
    const qsizetype P = PosChar(S, Ch);
    return P == 0 ? S.toString() : CopyBeforePos(S, P);
}

QString StrBeforeNthChar(QStringView S, QChar Ch, qsizetype N)
{
    if (N <= 0)
        return QString();
    const qsizetype Index = IndexOfNthChar(S, Ch, N);
    return Index < 0 ? S.toString() : CopyBeforePos(S, Index + 1);
}

QString StrAfter(QStringView S, QStringView Sub)
{
    const qsizetype P = PosStr(S, Sub);
    return P == 0 ? QString() : Copy(S, P + Sub.size(), S.size());
}

QString StrBefore(QStringView S, QStringView Sub)
{
    const qsizetype P = PosStr(S, Sub);
    return P == 0 ? S.toString() : CopyBeforePos(S, P);
}

QString CopyAfterPos(QStringView S, qsizetype P)
{
    return Copy(S, P + 1, S.size());
}

QString CopyBeforePos(QStringView S, qsizetype P)
{
    return Copy(S, 1, P - 1);
}

// ---- Transformation and conversion ---------------------------------------------------------------

QString StringReplaceAll(QStringView Old, QStringView New, QStringView S)
{
    if (Old.isEmpty())
        return S.toString();
    qsizetype Count = 0;
    for (qsizetype I = S.indexOf(Old); I >= 0; I = S.indexOf(Old, I + Old.size()))
        ++Count;
    if (Count == 0)
        return S.toString();

    QString Result;
    Result.reserve(S.size() + Count * (New.size() - Old.size()));
    qsizetype Done = 0;
    for (qsizetype I = S.indexOf(Old); I >= 0; I = S.indexOf(Old, Done)) {
        Result.append(S.mid(Done, I - Done));
        Result.append(New);
        Done = I + Old.size();
    }
    Result.append(S.mid(Done));
    return Result;
}

QString QuoteString(QStringView S, QChar Q)
{
    QString Result;
    Result.reserve(S.size() + 2 + S.count(Q));
    Result.append(Q);
    for (const QChar C : S) {
        Result.append(C);
        if (C == Q)
            Result.append(Q);
    }
    Result.append(Q);
    return Result;
}

QString RemoveAccents(QStringView S)
{
    const auto &Table = AccentTable();
    QString Result(S.size(), Qt::Uninitialized);
    QChar *Out = Result.data();
    for (const QChar C : S)
        *Out++ = C.unicode() < 256 ? QChar(Table[C.unicode()]) : C;
    return Result;
}

int64_t HexToInt64(QStringView S)
{
    return ScanHex(S);
}

bool TextToBool(QStringView S, bool Default)
{
    if (S.isEmpty())
        return Default;
    if (QStringView(u"YyOo1TtVvJjDd").contains(S.front()))
        return true;
    return S == u"-1";
}

QString BoolToYN(bool B)
{
    return B ? QStringLiteral("Y") : QStringLiteral("N");
}

QList<int> ParseVersion(QStringView S)
{
    if (S.startsWith(u'v'))
        S = S.mid(1);
    QList<int> Parts;
    for (const QStringView Part : S.split(u'.'))
        Parts.append(DecimalPartOrMinusOne(Part));
    return Parts;
}

bool IsValidVersion(QStringView S)
{
    const QList<int> Parts = ParseVersion(S);
    return std::all_of(Parts.begin(), Parts.end(), [](int Part) { return Part >= 0; });
}

int CompareVersions(QStringView A, QStringView B)
{
    const QList<int> PartsA = ParseVersion(A);
    const QList<int> PartsB = ParseVersion(B);
    const qsizetype Common = qMin(PartsA.size(), PartsB.size());
    for (qsizetype I = 0; I < Common; ++I)
        if (PartsA[I] != PartsB[I]) {
            // A part of 2147483647 against an invalid one (-1) would overflow the plain difference.
            const int64_t Difference = int64_t(PartsA[I]) - PartsB[I];
            return int(std::clamp<int64_t>(Difference, INT32_MIN, INT32_MAX));
        }
    return int(PartsA.size() - PartsB.size());
}

bool TryTextToFloat(QStringView S, double &V)
{
    while (!S.isEmpty() && S.back() == u' ')
        S.chop(1);
    if (S.isEmpty() || S.front().unicode() <= 32)
        return false;

    // The digits go to a canonical "[-]digitsE<scale>" text that from_chars reads exactly,
    // independent of the C locale.
    std::string Canonical;
    Canonical.reserve(size_t(S.size()) + 24);
    qsizetype I = 0;
    if (S[0] == u'+' || S[0] == u'-') {
        if (S[0] == u'-')
            Canonical.push_back('-');
        ++I;
    }
    qsizetype MantissaDigits = 0;
    qsizetype FractionDigits = 0;
    bool SeenPoint = false;
    for (; I < S.size(); ++I) {
        const QChar C = S[I];
        if (IsAsciiDigit(C)) {
            Canonical.push_back(char(C.unicode()));
            ++MantissaDigits;
            if (SeenPoint)
                ++FractionDigits;
        } else if ((C == u'.' || C == u',') && !SeenPoint) {
            SeenPoint = true;
        } else {
            break;
        }
    }
    if (MantissaDigits == 0)
        return false;

    int64_t Exponent = 0;
    if (I < S.size()) {
        if (S[I] != u'E' && S[I] != u'e')
            return false;
        ++I;
        bool NegativeExponent = false;
        if (I < S.size() && (S[I] == u'+' || S[I] == u'-')) {
            NegativeExponent = S[I] == u'-';
            ++I;
        }
        if (I >= S.size())
            return false;
        for (; I < S.size(); ++I) {
            if (!IsAsciiDigit(S[I]))
                return false;
            Exponent = qMin(Exponent * 10 + (S[I].unicode() - u'0'), ExponentClamp);
        }
        if (NegativeExponent)
            Exponent = -Exponent;
    }

    const int64_t Scale = Exponent - FractionDigits;
    if (Scale > ExtendedScaleLimit || Scale < -ExtendedScaleLimit)
        return false;
    Canonical += 'e';
    Canonical += std::to_string(Scale);

    double Value = 0;
    const auto [End, Error] = std::from_chars(Canonical.data(), Canonical.data() + Canonical.size(), Value);
    if (Error == std::errc::result_out_of_range) {
        // Too small for a double reads as zero; too large is not a number this system can hold.
        const bool Tiny = Scale < 0;
        if (!Tiny)
            return false;
        Value = Canonical.front() == '-' ? -0.0 : 0.0;
    } else if (Error != std::errc() || End != Canonical.data() + Canonical.size()) {
        return false;
    }
    V = Value;
    return true;
}

double StrToFloat(QStringView S)
{
    double Value = 0;
    if (!TryTextToFloat(S, Value))
        throw EConvertError(QStringLiteral("Invalid floating point value: \"%1\"").arg(S));
    return Value;
}

double StrToFloatDef(QStringView S, double Default)
{
    double Value = 0;
    return TryTextToFloat(S, Value) ? Value : Default;
}

bool TryStrToInt(QStringView S, int32_t &V)
{
    qsizetype I = 0;
    while (I < S.size() && S[I] == u' ')
        ++I;
    bool Negative = false;
    if (I < S.size() && (S[I] == u'+' || S[I] == u'-')) {
        Negative = S[I] == u'-';
        ++I;
    }
    const auto At = [&S](qsizetype K) { return K < S.size() ? S[K].unicode() : char16_t(0); };
    const bool Hex = At(I) == u'$' || At(I) == u'x' || At(I) == u'X' ||
                     (At(I) == u'0' && (At(I + 1) == u'x' || At(I + 1) == u'X'));
    if (Hex)
        I += At(I) == u'0' ? 2 : 1;

    const qsizetype FirstDigit = I;
    uint32_t Magnitude = 0;
    for (; I < S.size(); ++I) {
        const int Digit =
            Hex ? HexDigitValue(S[I].unicode()) : (IsAsciiDigit(S[I]) ? S[I].unicode() - u'0' : -1);
        if (Digit < 0)
            return false;
        if (Hex) {
            // Eight significant digits at most; leading zeros are free.
            if (Magnitude > 0x0FFFFFFFu)
                return false;
            Magnitude = (Magnitude << 4) | uint32_t(Digit);
        } else {
            const uint64_t Next = uint64_t(Magnitude) * 10 + uint32_t(Digit);
            if (Next > (Negative ? 0x80000000ull : 0x7FFFFFFFull))
                return false;
            Magnitude = uint32_t(Next);
        }
    }
    if (I == FirstDigit)
        return false;
    // Hexadecimal values wrap into the sign bit; decimal ones were range-checked above.
    V = int32_t(Negative ? 0u - Magnitude : Magnitude);
    return true;
}

int32_t StrToInt(QStringView S)
{
    int32_t Value = 0;
    if (!TryStrToInt(S, Value))
        throw EConvertError(QStringLiteral("'%1' is not a valid integer value").arg(S));
    return Value;
}

void SwapBytes16(QString &S)
{
    for (QChar &C : S)
        C = QChar(char16_t((C.unicode() << 8) | (C.unicode() >> 8)));
}

void SwapBytes32(uint32_t *A, qsizetype Count)
{
    for (qsizetype I = 0; I < Count; ++I) {
        const uint32_t X = A[I];
        A[I] = (X >> 24) | ((X >> 8) & 0xFF00u) | ((X << 8) & 0xFF0000u) | (X << 24);
    }
}

void RaiseIndexOutOfBounds(qsizetype I)
{
    throw Exception(QStringLiteral("Index out of bounds: %1").arg(I));
}

// ---- Delimited text of the string lists ----------------------------------------------------------

QString DelimitedTextFromItems(const QStringList &Items, QChar Delimiter, QChar QuoteChar)
{
    if (Items.size() == 1 && Items.front().isEmpty())
        return QString(2, QuoteChar);
    const auto NeedsQuotes = [&](const QString &Item) {
        for (const QChar C : Item)
            if (C == u'\t' || C == u'\n' || C == u'\r' || C == u' ' || C == QuoteChar || C == Delimiter)
                return true;
        return false;
    };
    QString Result;
    for (qsizetype I = 0; I < Items.size(); ++I) {
        if (I > 0)
            Result.append(Delimiter);
        Result.append(NeedsQuotes(Items[I]) ? QuoteString(Items[I], QuoteChar) : Items[I]);
    }
    return Result;
}

QStringList ItemsFromDelimitedText(QStringView Text, QChar Delimiter, QChar QuoteChar)
{
    QStringList Items;
    qsizetype I = 0;
    const qsizetype Length = Text.size();
    const auto SkipControlsAndBlanks = [&](char16_t Lowest) {
        while (I < Length && Text[I].unicode() >= Lowest && Text[I].unicode() <= 32)
            ++I;
    };
    SkipControlsAndBlanks(0);
    while (I < Length) {
        QString Token;
        if (Text[I] == QuoteChar) {
            ++I;
            while (I < Length) {
                if (Text[I] == QuoteChar) {
                    if (I + 1 < Length && Text[I + 1] == QuoteChar) {
                        Token.append(QuoteChar);
                        I += 2;
                        continue;
                    }
                    ++I;
                    break;
                }
                Token.append(Text[I++]);
            }
        } else {
            const qsizetype Begin = I;
            while (I < Length && Text[I] != u'\t' && Text[I] != u' ' && Text[I] != Delimiter)
                ++I;
            Token = Text.mid(Begin, I - Begin).toString();
        }
        Items.append(Token);
        SkipControlsAndBlanks(0);
        if (I < Length && Text[I] == Delimiter) {
            if (I + 1 == Length)
                Items.append(QString());
            ++I;
            SkipControlsAndBlanks(9);
        }
    }
    return Items;
}

// ---- 8-bit forms ---------------------------------------------------------------------------------

bool BeginsWithA(QByteArrayView S, QByteArrayView Prefix)
{
    return !Prefix.isEmpty() && S.startsWith(Prefix);
}

QByteArray StrBetweenTextA(QByteArrayView S, QByteArrayView StartStr, QByteArrayView StopStr, qsizetype From)
{
    const qsizetype Start = IndexOfAsciiText(S, StartStr, qMax<qsizetype>(From, 1) - 1);
    if (Start < 0)
        return QByteArray();
    const qsizetype Begin = Start + StartStr.size();
    const qsizetype Stop = IndexOfAsciiText(S, StopStr, Begin);
    if (Stop < 0)
        return QByteArray();
    return S.sliced(Begin, Stop - Begin).toByteArray();
}

// ---- Start-up ------------------------------------------------------------------------------------

void InitializeStringLibrary(const QString &ExecutablePath)
{
    if (QFileInfo(ExecutablePath).fileName().compare(u"bds.exe", Qt::CaseInsensitive) == 0)
        return;
    // Qt formats numbers with "." already; this covers the C library, which the application
    // object switched to the user's locale.
    std::setlocale(LC_NUMERIC, "C");
}

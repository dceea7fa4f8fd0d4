#include "tree/SortComparisons.h"

#include "base/Strings.h"
#include "base/XLists.h"

#include <QDate>
#include <QLocale>
#include <QStringList>
#include <optional>
#include <vector>

namespace {

template <typename T> int Sign(T A, T B)
{
    return (A > B) - (A < B);
}

// ---- Dates and times ---------------------------------------------------------------------------

struct TDateTimeFormat
{
    QChar DateSeparator = u'/';
    QChar TimeSeparator = u':';
    // Positions of day, month and year in a short date.
    int DayField = 0;
    int MonthField = 1;
    int YearField = 2;
};

QChar FirstSeparator(const QString &Format, QChar Fallback)
{
    for (const QChar C : Format)
        if (!C.isLetter() && C != u'\'' && C != u' ')
            return C;
    return Fallback;
}

// What the default locale's short formats say about separators and field order.
TDateTimeFormat LocaleDateTimeFormat()
{
    const QLocale Locale;
    const QString DateFormat = Locale.dateFormat(QLocale::ShortFormat);
    TDateTimeFormat Result;
    Result.DateSeparator = FirstSeparator(DateFormat, u'/');
    Result.TimeSeparator = FirstSeparator(Locale.timeFormat(QLocale::ShortFormat), u':');
    const qsizetype Day = DateFormat.indexOf(u'd');
    const qsizetype Month = DateFormat.indexOf(u'M');
    const qsizetype Year = DateFormat.indexOf(u'y');
    if (Day >= 0 && Month >= 0 && Year >= 0) {
        Result.DayField = int(Day > Month) + int(Day > Year);
        Result.MonthField = int(Month > Day) + int(Month > Year);
        Result.YearField = int(Year > Day) + int(Year > Month);
    }
    return Result;
}

std::optional<int> DecimalField(QStringView S)
{
    if (S.isEmpty() || S.size() > 9)
        return std::nullopt;
    int Value = 0;
    for (const QChar C : S) {
        if (C < u'0' || C > u'9')
            return std::nullopt;
        Value = Value * 10 + (C.unicode() - u'0');
    }
    return Value;
}

std::optional<double> DateDays(QStringView S, const TDateTimeFormat &Format)
{
    const QList<QStringView> Fields = S.split(Format.DateSeparator);
    if (Fields.size() != 3)
        return std::nullopt;
    const auto Day = DecimalField(Fields[Format.DayField]);
    const auto Month = DecimalField(Fields[Format.MonthField]);
    auto Year = DecimalField(Fields[Format.YearField]);
    if (!Day || !Month || !Year)
        return std::nullopt;
    if (Fields[Format.YearField].size() <= 2)
        *Year += *Year < 50 ? 2000 : 1900;
    const QDate Date(*Year, *Month, *Day);
    if (!Date.isValid())
        return std::nullopt;
    return double(QDate(1899, 12, 30).daysTo(Date));
}

std::optional<double> TimeFraction(QStringView S, const TDateTimeFormat &Format)
{
    int HourOffset = 0;
    const QStringView Upper = S.right(2);
    if (Upper.compare(u"AM", Qt::CaseInsensitive) == 0 || Upper.compare(u"PM", Qt::CaseInsensitive) == 0) {
        HourOffset = Upper.compare(u"PM", Qt::CaseInsensitive) == 0 ? 12 : 0;
        S = S.chopped(2).trimmed();
    }
    const QList<QStringView> Fields = S.split(Format.TimeSeparator);
    if (Fields.size() < 2 || Fields.size() > 3)
        return std::nullopt;
    const auto Hour = DecimalField(Fields[0]);
    const auto Minute = DecimalField(Fields[1]);
    double Seconds = 0;
    if (Fields.size() == 3) {
        bool Ok = false;
        Seconds = Fields[2].toDouble(&Ok);
        if (!Ok || Seconds < 0 || Seconds >= 60)
            return std::nullopt;
    }
    if (!Hour || !Minute || *Minute > 59 || *Hour > 23 || (HourOffset && *Hour > 12))
        return std::nullopt;
    const int Hours = HourOffset ? *Hour % 12 + HourOffset : *Hour;
    return (Hours * 3600 + *Minute * 60 + Seconds) / 86400.0;
}

bool LooksLikeDateTime(const QString &S, const TDateTimeFormat &Format)
{
    return !S.isEmpty() && S[0].isDigit() &&
           (S.count(Format.DateSeparator) >= 2 || S.contains(Format.TimeSeparator));
}

bool TryTextToDateTime(const QString &S, const TDateTimeFormat &Format, double &Value)
{
    const QString Text = S.trimmed();
    if (Text.isEmpty())
        return false;
    const qsizetype Blank = Text.indexOf(u' ');
    const QStringView First = QStringView(Text).left(Blank < 0 ? Text.size() : Blank);
    const QStringView Rest = Blank < 0 ? QStringView() : QStringView(Text).mid(Blank + 1).trimmed();
    if (First.contains(Format.DateSeparator)) {
        const auto Days = DateDays(First, Format);
        if (!Days)
            return false;
        const auto Time = Rest.isEmpty() ? std::optional<double>(0.0) : TimeFraction(Rest, Format);
        if (!Time)
            return false;
        Value = *Days + *Time;
        return true;
    }
    const auto Time = TimeFraction(Text, Format);
    if (!Time)
        return false;
    Value = *Time;
    return true;
}

// ---- Versions ----------------------------------------------------------------------------------

// The numbers of a lowercase "v" followed by dot-separated non-negative integers.
std::optional<std::vector<qulonglong>> VersionNumbers(const QString &S)
{
    if (!S.startsWith(u'v'))
        return std::nullopt;
    std::vector<qulonglong> Result;
    for (const QStringView Part : QStringView(S).mid(1).split(u'.')) {
        if (Part.isEmpty())
            return std::nullopt;
        for (const QChar C : Part)
            if (C < u'0' || C > u'9')
                return std::nullopt;
        bool Ok = false;
        Result.push_back(Part.toULongLong(&Ok));
        if (!Ok)
            return std::nullopt;
    }
    return Result;
}

int CompareVersionNumbers(const std::vector<qulonglong> &A, const std::vector<qulonglong> &B)
{
    for (size_t I = 0; I < A.size() && I < B.size(); ++I)
        if (A[I] != B[I])
            return Sign(A[I], B[I]);
    return Sign(A.size(), B.size());
}

// ---- Separated text ----------------------------------------------------------------------------

bool IsTokenSeparator(QChar C)
{
    const char16_t U = C.unicode();
    return U < 128 && !((U >= u'a' && U <= u'z') || (U >= u'A' && U <= u'Z') || (U >= u'0' && U <= u'9'));
}

QStringList Tokens(const QString &S)
{
    QStringList Result;
    qsizetype Start = 0;
    for (qsizetype I = 0; I < S.size(); ++I)
        if (IsTokenSeparator(S[I])) {
            Result.append(S.mid(Start, I - Start));
            Start = I + 1;
        }
    Result.append(S.mid(Start));
    return Result;
}

// ---- Markup ------------------------------------------------------------------------------------

std::optional<QString> DecodeReference(QStringView Name)
{
    if (Name.startsWith(u'#')) {
        bool Ok = false;
        const uint Code = (Name.size() > 1 && (Name[1] == u'x' || Name[1] == u'X'))
                              ? Name.mid(2).toUInt(&Ok, 16)
                              : Name.mid(1).toUInt(&Ok, 10);
        if (!Ok || Code == 0 || Code > 0x10FFFF)
            return std::nullopt;
        const char32_t Point = Code;
        return QString::fromUcs4(&Point, 1);
    }
    static const struct
    {
        const char16_t *Name;
        char16_t Character;
    } Named[] = {{u"amp", u'&'},  {u"lt", u'<'},    {u"gt", u'>'},
                 {u"quot", u'"'}, {u"apos", u'\''}, {u"nbsp", u'\u00A0'}};
    for (const auto &Entry : Named)
        if (Name == QStringView(Entry.Name))
            return QString(QChar(Entry.Character));
    return std::nullopt;
}

} // namespace

double NumericSortValue(const QString &S)
{
    int32_t Integer = 0;
    if (TryStrToInt(S, Integer))
        return Integer;
    qsizetype First = 0;
    while (First < S.size() && S[First] == u' ')
        ++First;
    double Value = 0;
    if (TryTextToFloat(QStringView(S).mid(First), Value))
        return Value;
    return 0;
}

int CompareNumericTexts(const QString &A, const QString &B)
{
    return Sign(NumericSortValue(A), NumericSortValue(B));
}

bool TryTextToDateTime(const QString &S, double &Value)
{
    return TryTextToDateTime(S, LocaleDateTimeFormat(), Value);
}

int CompareDateTimeTexts(const QString &A, const QString &B)
{
    const TDateTimeFormat Format = LocaleDateTimeFormat();
    double ValueA = 0;
    double ValueB = 0;
    if (!TryTextToDateTime(A, Format, ValueA))
        ValueA = 0;
    if (!TryTextToDateTime(B, Format, ValueB))
        ValueB = 0;
    return Sign(ValueA, ValueB);
}

int SmartCompare(const QString &S, const QString &T)
{
    const TDateTimeFormat Format = LocaleDateTimeFormat();
    double DateS = 0;
    double DateT = 0;
    if (LooksLikeDateTime(S, Format) && LooksLikeDateTime(T, Format) && TryTextToDateTime(S, Format, DateS) &&
        TryTextToDateTime(T, Format, DateT))
        return Sign(DateS, DateT);
    double NumberS = 0;
    double NumberT = 0;
    if (TryTextToFloat(S, NumberS) && TryTextToFloat(T, NumberT))
        return Sign(NumberS, NumberT);
    const auto VersionS = VersionNumbers(S);
    if (VersionS) {
        const auto VersionT = VersionNumbers(T);
        if (VersionT)
            return CompareVersionNumbers(*VersionS, *VersionT);
    }
    return CompareText(S, T);
}

int CompareSeparatedText(const QString &S, const QString &T)
{
    const QStringList TokensS = Tokens(S);
    const QStringList TokensT = Tokens(T);
    for (qsizetype I = 0; I < TokensS.size() && I < TokensT.size(); ++I)
        if (const int Result = SmartCompare(TokensS[I], TokensT[I]))
            return Result;
    return Sign(TokensS.size(), TokensT.size());
}

QString HTMLToPlainText(const QString &S)
{
    if (!S.contains(u'&') && !S.contains(u'<'))
        return S;
    QString Result;
    Result.reserve(S.size());
    for (qsizetype I = 0; I < S.size(); ++I) {
        const QChar C = S[I];
        if (C == u'<') {
            const qsizetype Close = S.indexOf(u'>', I + 1);
            if (Close < 0)
                break; // an unclosed tag hides the rest
            I = Close;
        } else if (C == u'&') {
            const qsizetype End = S.indexOf(u';', I + 1);
            const auto Decoded = End > I + 1 && End - I <= 12
                                     ? DecodeReference(QStringView(S).mid(I + 1, End - I - 1))
                                     : std::nullopt;
            if (Decoded) {
                Result += *Decoded;
                I = End;
            } else {
                Result += C;
            }
        } else {
            Result += C;
        }
    }
    return Result;
}

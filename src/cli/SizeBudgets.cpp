#include "cli/SizeBudgets.h"

#include <QRegularExpression>

#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace {

// Far above any executable, and exact in a double.
constexpr double LargestSize = double(1LL << 50);

struct TBudgetName
{
    const char16_t *Name;
    TBudgetKind Kind;
};
constexpr TBudgetName BudgetNames[] = {
    {u"max-total", TBudgetKind::MaxTotal},   {u"max-unit", TBudgetKind::MaxUnit},
    {u"max-growth", TBudgetKind::MaxGrowth}, {u"max-unit-growth", TBudgetKind::MaxUnitGrowth},
    {u"max-group", TBudgetKind::MaxGroup},   {u"max-file", TBudgetKind::MaxFile},
    {u"max-part", TBudgetKind::MaxPart},
};

std::optional<TBudgetKind> BudgetKindNamed(QStringView Name)
{
    for (const TBudgetName &entry : BudgetNames)
        if (Name == QStringView(entry.Name))
            return entry.Kind;
    return std::nullopt;
}

double Multiplier(QStringView Suffix)
{
    switch (Suffix.isEmpty() ? u'\0' : Suffix[0].toLower().unicode()) {
    case u'k':
        return 1024.0;
    case u'm':
        return 1024.0 * 1024;
    case u'g':
        return 1024.0 * 1024 * 1024;
    default:
        return 1;
    }
}

bool IsBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\f' || c == u'\v';
}

// The line without its comment, split at blanks.
QList<QStringView> Words(QStringView Line)
{
    const qsizetype hash = Line.indexOf(u'#');
    if (hash >= 0)
        Line = Line.left(hash);
    QList<QStringView> words;
    qsizetype i = 0;
    while (i < Line.size()) {
        while (i < Line.size() && IsBlank(Line[i]))
            ++i;
        const qsizetype start = i;
        while (i < Line.size() && !IsBlank(Line[i]))
            ++i;
        if (i > start)
            words << Line.sliced(start, i - start);
    }
    return words;
}

} // namespace

std::optional<TSizeLimit> ParseSizeLimit(const QString &Text, bool AllowPercent, QString &Error)
{
    static const QRegularExpression number(uR"(^([0-9]+(?:\.[0-9]*)?|\.[0-9]+)([kKmMgG%]?)$)"_s);
    const QRegularExpressionMatch match = number.match(Text);
    const QStringView suffix = match.hasMatch() ? match.capturedView(2) : QStringView();
    if (!match.hasMatch() || (suffix == u"%" && !AllowPercent)) {
        Error =
            AllowPercent
                ? u"bad size \"%1\": use bytes with an optional K, M or G (as 1.5M) or a percentage (as 5%)"_s
                      .arg(Text)
                : u"bad size \"%1\": use bytes with an optional K, M or G (as 1.5M)"_s.arg(Text);
        return std::nullopt;
    }
    const double value = match.capturedView(1).toDouble();
    TSizeLimit limit;
    limit.Text = Text;
    if (suffix == u"%") {
        limit.IsPercent = true;
        limit.Percent = value;
        return limit;
    }
    const double bytes = std::round(value * Multiplier(suffix));
    if (!(bytes <= LargestSize)) {
        Error = u"size \"%1\" is too large"_s.arg(Text);
        return std::nullopt;
    }
    limit.Bytes = qint64(bytes);
    return limit;
}

bool IsBudgetName(QStringView Name)
{
    return BudgetKindNamed(Name).has_value();
}

std::optional<TSizeBudget> ParseBudget(const QString &Name, const QString &Value, const QString &Origin,
                                       QString &Error)
{
    const std::optional<TBudgetKind> kind = BudgetKindNamed(Name);
    if (!kind) {
        Error = u"unknown budget \"%1\" (use max-total, max-unit, max-group, max-growth, max-unit-growth, "
                u"max-file or max-part)"_s.arg(Name);
        return std::nullopt;
    }
    TSizeBudget budget;
    budget.Kind = *kind;
    budget.Origin = Origin;
    QString size = Value;
    if (budget.HasPattern()) {
        const qsizetype equals = Value.lastIndexOf(u'=');
        if (equals <= 0) {
            Error = budget.Kind == TBudgetKind::MaxPart
                        ? u"needs NAME=SIZE (as .rsrc=1M or ICON=200K), not \"%1\""_s.arg(Value)
                        : u"needs PATTERN=SIZE (as Vcl.*=400K), not \"%1\""_s.arg(Value);
            return std::nullopt;
        }
        budget.Pattern = Value.left(equals);
        size = Value.mid(equals + 1);
    }
    const std::optional<TSizeLimit> limit = ParseSizeLimit(size, budget.NeedsBaseline(), Error);
    if (!limit)
        return std::nullopt;
    budget.Limit = *limit;
    return budget;
}

TBudgetFile ReadBudgets(QByteArrayView Text, const QString &FileName)
{
    if (Text.startsWith("\xEF\xBB\xBF"))
        Text = Text.sliced(3);
    TBudgetFile file;
    const QString text = QString::fromUtf8(Text);
    int lineNumber = 0;
    for (const QStringView line : QStringView(text).split(u'\n')) {
        ++lineNumber;
        const QList<QStringView> words = Words(line);
        if (words.isEmpty())
            continue;
        if (words.size() == 1 && words[0] == u"strict") {
            file.Strict = true;
            continue;
        }
        const QString origin = u"%1:%2"_s.arg(FileName).arg(lineNumber);
        QString error;
        std::optional<TSizeBudget> budget;
        if (words.size() != 2)
            error = u"a budget line holds a name and one value (as max-total 2.5M), not %1 words"_s.arg(
                words.size());
        else
            budget = ParseBudget(words[0].toString(), words[1].toString(),
                                 u"%1: %2 %3"_s.arg(origin, words[0], words[1]), error);
        if (!budget) {
            file.ErrorLine = lineNumber;
            file.Error = words.size() == 2 ? u"%1: %2: %3"_s.arg(origin, words[0], error)
                                           : u"%1: %2"_s.arg(origin, error);
            return file;
        }
        file.Budgets.push_back(*budget);
    }
    return file;
}

bool MatchesUnitPattern(QStringView Pattern, QStringView Name)
{
    // Greedy with one backtrack point: the last "*" seen takes one more character on a mismatch.
    qsizetype p = 0;
    qsizetype n = 0;
    qsizetype star = -1;
    qsizetype starName = 0;
    while (n < Name.size()) {
        if (p < Pattern.size() && Pattern[p] == u'*') {
            star = p++;
            starName = n;
        } else if (p < Pattern.size() &&
                   (Pattern[p] == u'?' || Pattern[p].toCaseFolded() == Name[n].toCaseFolded())) {
            ++p;
            ++n;
        } else if (star >= 0) {
            p = star + 1;
            n = ++starName;
        } else {
            return false;
        }
    }
    while (p < Pattern.size() && Pattern[p] == u'*')
        ++p;
    return p == Pattern.size();
}

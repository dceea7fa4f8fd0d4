#include "cli/CheckReport.h"

#include "cli/OutputText.h"

#include <set>

using namespace Qt::Literals::StringLiterals;

namespace {

QString Plural(int count, const QString &one, const QString &many)
{
    return u"%1 %2"_s.arg(count).arg(count == 1 ? one : many);
}

QString LimitText(const TBudgetResult &Result)
{
    const TSizeLimit &limit = Result.Budget->Limit;
    const QString bytes = Thousands(Result.Limit);
    return limit.IsPercent ? u"%1 (%2%)"_s.arg(bytes, QString::number(limit.Percent)) : bytes;
}

// The growth as a share of what it grew from.
QString ActualText(const TBudgetResult &Result)
{
    QString text = Thousands(Result.Actual) + u" bytes"_s;
    if (Result.Budget->NeedsBaseline() && Result.Base > 0)
        text += u" (%1% of %2)"_s.arg(
            QString::number(100.0 * double(Result.Actual) / double(Result.Base), 'f', 2),
            Thousands(Result.Base));
    return text;
}

QString BudgetKindName(TBudgetKind Kind)
{
    switch (Kind) {
    case TBudgetKind::MaxTotal:
        return u"max-total"_s;
    case TBudgetKind::MaxUnit:
        return u"max-unit"_s;
    case TBudgetKind::MaxGroup:
        return u"max-group"_s;
    case TBudgetKind::MaxGrowth:
        return u"max-growth"_s;
    case TBudgetKind::MaxUnitGrowth:
        return u"max-unit-growth"_s;
    case TBudgetKind::MaxFile:
        return u"max-file"_s;
    case TBudgetKind::MaxPart:
        return u"max-part"_s;
    }
    return {};
}

QString SummaryLine(const TCheckOutcome &Outcome)
{
    const int unmatched = Outcome.Unmatched();
    const QString unmatchedText =
        unmatched ? Plural(unmatched, u"budget matches"_s, u"budgets match"_s) + u" no unit; "_s : QString();
    const int broken = Outcome.Broken();
    if (broken)
        return unmatchedText + u"%1 of %2 budgets broken"_s.arg(broken).arg(Outcome.Budgets);
    return unmatchedText + Plural(Outcome.Budgets, u"budget"_s, u"budgets"_s) + u" held"_s;
}

} // namespace

int TCheckOutcome::Broken() const
{
    std::set<const TSizeBudget *> broken;
    for (const TBudgetResult &result : Results)
        if (Breaks(result))
            broken.insert(result.Budget);
    return int(broken.size());
}

int TCheckOutcome::Unmatched() const
{
    int unmatched = 0;
    for (const TBudgetResult &result : Results)
        unmatched += !result.Matched;
    return unmatched;
}

QByteArray CheckText(const TCheckOutcome &Outcome)
{
    QString text;
    for (const TBudgetResult &result : Outcome.Results) {
        const QString &origin = result.Budget->Origin;
        if (!result.Matched)
            text += u"budget matches no unit: %1: %2%3\n"_s.arg(
                origin, result.Subject, Outcome.Strict ? u" (broken: strict)"_s : QString());
        else if (!result.Held)
            text += u"budget broken: %1: %2 is %3, over the limit of %4 by %5\n"_s.arg(
                origin, result.Subject, ActualText(result), LimitText(result), Thousands(result.Delta()));
        else
            text += u"budget held: %1: %2 is %3, %4 under the limit of %5\n"_s.arg(
                origin, result.Subject, ActualText(result), Thousands(-result.Delta()), LimitText(result));
    }
    return (text + SummaryLine(Outcome) + u'\n').toUtf8();
}

QByteArray CheckJson(const TCheckOutcome &Outcome)
{
    QByteArray json = "{\"budgets\":[";
    bool first = true;
    for (const TBudgetResult &result : Outcome.Results) {
        if (!first)
            json += ',';
        first = false;
        const QByteArray actual = result.Matched ? QByteArray::number(result.Actual) : "null";
        const QByteArray delta = result.Matched ? QByteArray::number(result.Delta()) : "null";
        json += "{\"budget\":" + JsonString(result.Budget->Origin) +
                ",\"kind\":" + JsonString(BudgetKindName(result.Budget->Kind)) +
                ",\"subject\":" + JsonString(result.Subject) +
                ",\"unit\":" + (result.Unit.isEmpty() ? QByteArray("null") : JsonString(result.Unit)) +
                ",\"limit\":" + QByteArray::number(result.Limit) + ",\"actual\":" + actual +
                ",\"delta\":" + delta + ",\"held\":" + (Outcome.Breaks(result) ? "false" : "true") +
                ",\"matched\":" + (result.Matched ? "true" : "false") + '}';
    }
    json += "],\"held\":" + QByteArray(Outcome.Held() ? "true" : "false") +
            ",\"broken\":" + QByteArray::number(Outcome.Broken()) +
            ",\"unmatched\":" + QByteArray::number(Outcome.Unmatched()) + "}\n";
    return json;
}

QByteArray CheckMarkdown(const TCheckOutcome &Outcome)
{
    QString text =
        (Outcome.Held() ? u"### :white_check_mark: Size budgets: "_s : u"### :x: Size budgets: "_s) +
        SummaryLine(Outcome) + u"\n\n"_s;
    text += u"| | Budget | Measured | Limit | Actual | Over (+) / headroom (-) |\n"_s
            u"|:-:|:--|:--|--:|--:|--:|\n"_s;
    for (const TBudgetResult &result : Outcome.Results) {
        const QString mark = Outcome.Breaks(result) ? u":x:"_s
                             : result.Matched       ? u":white_check_mark:"_s
                                                    : u":grey_question:"_s;
        text += u"| %1 | `%2` | %3 | %4 | %5 | %6 |\n"_s.arg(
            mark, MarkdownCodeCell(result.Budget->Origin), MarkdownCell(result.Subject),
            LimitText(result), result.Matched ? Thousands(result.Actual) : u"-"_s,
            result.Matched ? SignedThousands(result.Delta()) : u"-"_s);
    }
    return text.toUtf8();
}

#include "cli/BudgetCheck.h"

#include <cmath>
#include <optional>

using namespace Qt::Literals::StringLiterals;

namespace {

qint64 LimitBytes(const TSizeLimit &Limit, qint64 Base)
{
    return qint64(std::floor(Limit.BytesOf(Base)));
}

TBudgetResult Result(const TSizeBudget &Budget, const QString &Subject, qint64 Limit, qint64 Actual)
{
    TBudgetResult result;
    result.Budget = &Budget;
    result.Subject = Subject;
    result.Limit = Limit;
    result.Actual = Actual;
    result.Held = Actual <= Limit;
    return result;
}

TBudgetResult Unmatched(const TSizeBudget &Budget)
{
    TBudgetResult result;
    result.Budget = &Budget;
    result.Matched = false;
    result.Subject = u"no unit matches %1"_s.arg(Budget.Pattern);
    result.Limit = LimitBytes(Budget.Limit, 0);
    return result;
}

// Every unit's result, the broken ones kept, or the one with the least room when all hold.
std::vector<TBudgetResult> PerUnit(const std::vector<TBudgetResult> &all)
{
    std::vector<TBudgetResult> broken;
    const TBudgetResult *tightest = nullptr;
    for (const TBudgetResult &result : all) {
        if (!result.Held)
            broken.push_back(result);
        if (!tightest || result.Delta() > tightest->Delta())
            tightest = &result;
    }
    if (!broken.empty() || !tightest)
        return broken;
    return {*tightest};
}

} // namespace

std::vector<TBudgetResult> EvaluateBudget(const TSizeBudget &Budget, const std::vector<TUnitChange> &Units)
{
    qint64 oldTotal = 0;
    qint64 newTotal = 0;
    for (const TUnitChange &unit : Units) {
        oldTotal += unit.OldSize;
        newTotal += unit.NewSize;
    }
    switch (Budget.Kind) {
    case TBudgetKind::MaxTotal:
        return {Result(Budget, u"the total code size"_s, LimitBytes(Budget.Limit, 0), newTotal)};
    case TBudgetKind::MaxGrowth: {
        TBudgetResult result = Result(Budget, u"the growth of the total code size"_s,
                                      LimitBytes(Budget.Limit, oldTotal), newTotal - oldTotal);
        result.Base = oldTotal;
        return {result};
    }
    case TBudgetKind::MaxGroup: {
        qint64 sum = 0;
        bool matched = false;
        for (const TUnitChange &unit : Units)
            if (!unit.NewRows.empty() && MatchesUnitPattern(Budget.Pattern, unit.Name)) {
                sum += unit.NewSize;
                matched = true;
            }
        if (!matched)
            return {Unmatched(Budget)};
        return {Result(Budget, u"the sum of the units %1"_s.arg(Budget.Pattern), LimitBytes(Budget.Limit, 0),
                       sum)};
    }
    case TBudgetKind::MaxUnit: {
        std::vector<TBudgetResult> all;
        for (const TUnitChange &unit : Units)
            if (!unit.NewRows.empty() && MatchesUnitPattern(Budget.Pattern, unit.Name)) {
                all.push_back(
                    Result(Budget, u"unit "_s + unit.Name, LimitBytes(Budget.Limit, 0), unit.NewSize));
                all.back().Unit = unit.Name;
            }
        if (all.empty())
            return {Unmatched(Budget)};
        return PerUnit(all);
    }
    case TBudgetKind::MaxUnitGrowth: {
        std::vector<TBudgetResult> all;
        for (const TUnitChange &unit : Units) {
            if (Budget.Limit.IsPercent && unit.OldRows.empty())
                continue;
            all.push_back(Result(Budget, u"the growth of unit "_s + unit.Name,
                                 LimitBytes(Budget.Limit, unit.OldSize), unit.Delta()));
            all.back().Unit = unit.Name;
            all.back().Base = unit.OldSize;
        }
        return PerUnit(all);
    }
    case TBudgetKind::MaxFile:
    case TBudgetKind::MaxPart:
        break;
    }
    return {};
}

namespace {

// The parts a max-part budget may name: the top-level parts and the resource types below them.
void PartsNamed(const TPeSizeNode &Root, const QString &Pattern, std::vector<const TPeSizeNode *> &Parts)
{
    for (const TPeSizeNode &part : Root.Children) {
        if (MatchesUnitPattern(Pattern, QString::fromStdString(part.Name)))
            Parts.push_back(&part);
        if (part.Kind != TPeNodeKind::Section)
            continue;
        for (const TPeSizeNode &child : part.Children)
            if (child.Kind == TPeNodeKind::Part && !child.Children.empty() && !child.Name.starts_with('[') &&
                MatchesUnitPattern(Pattern, QString::fromStdString(child.Name)))
                Parts.push_back(&child);
    }
}

} // namespace

std::vector<TBudgetResult> EvaluateFileBudget(const TSizeBudget &Budget, const TWholeFile &File)
{
    const qint64 limit = LimitBytes(Budget.Limit, 0);
    if (Budget.Kind == TBudgetKind::MaxFile)
        return {Result(Budget, u"the file"_s, limit, File.Size)};
    if (Budget.Kind != TBudgetKind::MaxPart)
        return {};
    std::vector<const TPeSizeNode *> parts;
    PartsNamed(File.Root, Budget.Pattern, parts);
    if (parts.empty()) {
        TBudgetResult unmatched = Unmatched(Budget);
        unmatched.Subject = u"no part of the file matches %1"_s.arg(Budget.Pattern);
        return {unmatched};
    }
    std::vector<TBudgetResult> all;
    for (const TPeSizeNode *part : parts)
        all.push_back(Result(Budget, QString::fromStdString(part->Name), limit, qint64(part->FileSize)));
    return PerUnit(all);
}

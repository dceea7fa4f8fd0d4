#include "cli/BudgetCheck.h"

#include "cli/OutputText.h"

#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace {

QString Percent(double value)
{
    return QString::number(value, 'f', 2) + u'%';
}

QString LimitText(const TSizeLimit &Limit, double Bytes)
{
    const QString bytes = Thousands(qint64(std::floor(Bytes)));
    return Limit.IsPercent ? u"%1 (%2%)"_s.arg(bytes, QString::number(Limit.Percent)) : bytes;
}

QString Broken(const TSizeBudget &Budget, const QString &Actual, const QString &Limit)
{
    return u"budget broken: %1: %2, over the limit of %3"_s.arg(Budget.Origin, Actual, Limit);
}

QString GrowthText(const QString &What, qint64 OldSize, qint64 Growth)
{
    const QString share =
        OldSize > 0
            ? u" (%1 of %2)"_s.arg(Percent(100.0 * double(Growth) / double(OldSize)), Thousands(OldSize))
            : QString();
    return u"%1 grew by %2 bytes%3"_s.arg(What, Thousands(Growth), share);
}

} // namespace

QStringList BudgetBreaches(const TSizeBudget &Budget, const std::vector<TUnitChange> &Units)
{
    qint64 oldTotal = 0;
    qint64 newTotal = 0;
    for (const TUnitChange &unit : Units) {
        oldTotal += unit.OldSize;
        newTotal += unit.NewSize;
    }
    QStringList lines;
    switch (Budget.Kind) {
    case TBudgetKind::MaxTotal:
        if (double(newTotal) > Budget.Limit.BytesOf(0))
            lines << Broken(Budget, u"the total code size is %1 bytes"_s.arg(Thousands(newTotal)),
                            LimitText(Budget.Limit, Budget.Limit.BytesOf(0)));
        break;
    case TBudgetKind::MaxUnit:
        for (const TUnitChange &unit : Units)
            if (double(unit.NewSize) > Budget.Limit.BytesOf(0) &&
                MatchesUnitPattern(Budget.Pattern, unit.Name))
                lines << Broken(Budget, u"unit %1 is %2 bytes"_s.arg(unit.Name, Thousands(unit.NewSize)),
                                LimitText(Budget.Limit, Budget.Limit.BytesOf(0)));
        break;
    case TBudgetKind::MaxGrowth: {
        const double limit = Budget.Limit.BytesOf(oldTotal);
        const qint64 growth = newTotal - oldTotal;
        if (double(growth) > limit)
            lines << Broken(Budget, GrowthText(u"the total code size"_s, oldTotal, growth),
                            LimitText(Budget.Limit, limit));
        break;
    }
    case TBudgetKind::MaxUnitGrowth:
        for (const TUnitChange &unit : Units) {
            if (Budget.Limit.IsPercent && unit.OldRows.empty())
                continue;
            const double limit = Budget.Limit.BytesOf(unit.OldSize);
            if (double(unit.Delta()) > limit)
                lines << Broken(Budget, GrowthText(u"unit "_s + unit.Name, unit.OldSize, unit.Delta()),
                                LimitText(Budget.Limit, limit));
        }
        break;
    }
    return lines;
}

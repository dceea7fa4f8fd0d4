#include "app/FilterSummary.h"

#include "analysis/NameFilter.h"
#include "base/UFormat.h"
#include "tree/GridFilter.h"
#include "tree/TreeGridModel.h"

QString FilterSummaryText(TTreeGridModel &Grid, const QString &Text, double PercentFactor)
{
    const int matchingRows = Grid.Filter().MatchCount();
    if (!Grid.Filter().Finished())
        return Format(QStringLiteral("Filtering\u2026 %d rows match so far"), {matchingRows});
    int units = 0;
    qint64 codeSum = 0;
    const TNameFilter filter(Text);
    for (const TITreeNode *node = Grid.Items().GetFirstNode(); node; node = node->NextSibling())
        if (filter.RowMatches(node)) {
            ++units;
            codeSum += node->Tag();
        }
    return Format(QStringLiteral("%d %s; %d matching %s: %.1f kB (%.2f%%)"),
                  {matchingRows,
                   matchingRows == 1 ? QStringLiteral("row matches") : QStringLiteral("rows match"), units,
                   units == 1 ? QStringLiteral("unit") : QStringLiteral("units"), double(codeSum) / 1024,
                   double(codeSum) * PercentFactor});
}

QString FilterSummaryHint(const QString &Text)
{
    return Format(QStringLiteral("Rows whose names contain \"%s\"; the units whose own names contain it and "
                                 "their compiled size together"),
                  {Text});
}

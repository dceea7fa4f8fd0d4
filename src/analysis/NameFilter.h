#pragma once
// The filter of the unit grid: the rows whose own name contains a text, ignoring case. Unit rows
// are tested by their names; symbol rows exist only once their unit is opened, so the symbols are
// found first in the address-ordered table (one scan over the names in the MAP text) and only the
// units that own a hit need their rows built and tested. A symbol row's text is a piece of its
// symbol's name, so no unit without a hit can hold a matching row.

#include "tree/ITreeNodes.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <vector>

class TCompareDataList;
class TMapAnalysis;
class TTreeGridModel;

class TNameFilter
{
public:
    // Leading and trailing blanks are ignored; an empty text filters nothing.
    explicit TNameFilter(const QString &Text);

    const QString &Text() const { return FText; }
    bool IsEmpty() const { return FText.isEmpty(); }

    // Name contains the text, ignoring case as QString compares without case.
    bool NameMatches(QStringView Name) const;
    // A row's own text matches. Rows that stand for no name ("[no public symbol]", a type's
    // metadata, an empty level) never do.
    bool RowMatches(const TITreeNode *Row) const;

    // Indexes, ascending, of the symbols whose names contain the text.
    std::vector<int> MatchingSymbols(const TCompareDataList &Symbols) const;
    // The unit rows of the analysis' grid that own a matching symbol in the grouping in force (by
    // address: lying in the unit's code; by name: the unit's name is the longest unit prefix of the
    // symbol's), in grid order. Only these can hold matching symbol rows.
    TITreeNodeList UnitsOwningMatches(const TMapAnalysis &Analysis, const TTreeGridModel &Grid) const;

private:
    bool BytesMatch(QByteArrayView Name) const;

    QString FText;
    // The text folded to lower case when folding leaves it ASCII: then an ASCII name is searched
    // byte by byte; empty when no ASCII name can contain the text.
    QByteArray FAsciiNeedle;
};

#pragma once
// Grouping by name: which symbols opening a row collects, found without walking the whole symbol
// table. A row collects the symbols whose name begins with its text and "."; a symbol whose name begins with
// a longer unit name of the same run and "." belongs to that unit instead. So each symbol has one owner, the
// longest unit name it begins with, and a unit row collects exactly what it owns.

#include "analysis/CompareDataList.h"

#include <QString>
#include <QStringList>

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class TUnitSymbolIndex
{
public:
    // The unit names of a run: enough for UnitPrefixLength, which grouping by address asks.
    void Build(const QStringList &unitNames);
    // Each unit's symbols, for grouping by name only: finding every symbol's owner is a pass over
    // the whole table that a run grouped by address never needs.
    void BuildGroups(const TCompareDataList &symbols);
    bool HasGroups() const { return !FGroupStarts.empty(); }
    void Clear();

    // Indexes of the collected symbols in address order; needs BuildGroups. A text that is no unit name of
    // the run (a symbol row expanded again) is answered by one walk over the table.
    std::vector<int> SymbolsOf(const TCompareDataList &symbols, const QString &rowText) const;
    // The byte length of the longest unit name of the run that, followed by ".", begins the
    // name; 0 when none does.
    size_t UnitPrefixLength(std::string_view name) const;

private:
    struct THash
    {
        using is_transparent = void;
        size_t operator()(std::string_view s) const { return std::hash<std::string_view>()(s); }
    };
    // Id of the longest unit name that, followed by ".", begins the name; -1 when none does.
    int OwnerOf(std::string_view name) const;

    std::unordered_map<std::string, int, THash, std::equal_to<>> FUnitIds;
    std::vector<size_t> FIdLengths; // byte length of the name of each unit id
    std::vector<bool> FNameLengths; // FNameLengths[n]: some unit name has n bytes
    std::vector<int> FGroupStarts;  // per unit id, into FGroupSymbols; one more entry at the end
    std::vector<int> FGroupSymbols;
};

#include "analysis/UnitSymbolIndex.h"

namespace {

std::string_view View(QByteArrayView bytes)
{
    return std::string_view(bytes.data(), size_t(bytes.size()));
}

} // namespace

void TUnitSymbolIndex::Clear()
{
    FUnitIds.clear();
    FIdLengths.clear();
    FNameLengths.clear();
    FGroupStarts.clear();
    FGroupSymbols.clear();
}

int TUnitSymbolIndex::OwnerOf(std::string_view name) const
{
    for (size_t k = name.size(); k-- > 0;) {
        if (name[k] != '.' || k >= FNameLengths.size() || !FNameLengths[k])
            continue;
        const auto found = FUnitIds.find(name.substr(0, k));
        if (found != FUnitIds.end())
            return found->second;
    }
    return -1;
}

size_t TUnitSymbolIndex::UnitPrefixLength(std::string_view name) const
{
    const int owner = OwnerOf(name);
    return owner < 0 ? 0 : FIdLengths[size_t(owner)];
}

void TUnitSymbolIndex::Build(const QStringList &unitNames)
{
    Clear();
    for (const QString &name : unitNames) {
        std::string utf8 = name.toStdString();
        const size_t length = utf8.size();
        if (FUnitIds.emplace(std::move(utf8), int(FUnitIds.size())).second) {
            FIdLengths.push_back(length);
            if (FNameLengths.size() <= length)
                FNameLengths.resize(length + 1);
            FNameLengths[length] = true;
        }
    }
}

void TUnitSymbolIndex::BuildGroups(const TCompareDataList &symbols)
{
    // A counting sort by owner keeps each group in address order.
    const int count = symbols.Count();
    std::vector<int> owners(size_t(count), -1);
    FGroupStarts.assign(FUnitIds.size() + 1, 0);
    for (int i = 0; i < count; ++i) {
        owners[size_t(i)] = OwnerOf(View(symbols.NameBytes(i)));
        if (owners[size_t(i)] >= 0)
            ++FGroupStarts[size_t(owners[size_t(i)]) + 1];
    }
    for (size_t g = 1; g < FGroupStarts.size(); ++g)
        FGroupStarts[g] += FGroupStarts[g - 1];
    FGroupSymbols.resize(size_t(FGroupStarts.back()));
    std::vector<int> next(FGroupStarts.begin(), FGroupStarts.end() - 1);
    for (int i = 0; i < count; ++i)
        if (owners[size_t(i)] >= 0)
            FGroupSymbols[size_t(next[size_t(owners[size_t(i)])]++)] = i;
}

std::vector<int> TUnitSymbolIndex::SymbolsOf(const TCompareDataList &symbols, const QString &rowText) const
{
    const std::string prefix = rowText.toStdString();
    std::vector<int> result;
    const auto unit = FUnitIds.find(prefix);
    if (unit != FUnitIds.end()) {
        const size_t id = size_t(unit->second);
        result.assign(FGroupSymbols.begin() + FGroupStarts[id], FGroupSymbols.begin() + FGroupStarts[id + 1]);
        return result;
    }
    for (int i = 0; i < symbols.Count(); ++i) {
        const std::string_view name = View(symbols.NameBytes(i));
        if (name.size() <= prefix.size() || name[prefix.size()] != '.' || !name.starts_with(prefix))
            continue;
        const int owner = OwnerOf(name);
        if (owner < 0 || FIdLengths[size_t(owner)] <= prefix.size())
            result.push_back(i);
    }
    return result;
}

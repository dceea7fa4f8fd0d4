#include "analysis/NameFilter.h"

#include "analysis/MapAnalysis.h"
#include "analysis/SymbolHierarchy.h"
#include "tree/TreeGridModel.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>
#include <unordered_set>

namespace {

constexpr std::array<uchar, 256> AsciiLowerCase = [] {
    std::array<uchar, 256> table{};
    for (int c = 0; c < 256; ++c)
        table[size_t(c)] = uchar(c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c);
    return table;
}();

bool HasNonAsciiByte(QByteArrayView bytes)
{
    const char *p = bytes.data();
    const char *const end = p + bytes.size();
    for (; end - p >= 8; p += 8) {
        quint64 word;
        std::memcpy(&word, p, sizeof word);
        if (word & 0x8080808080808080ull)
            return true;
    }
    for (; p < end; ++p)
        if (uchar(*p) >= 0x80)
            return true;
    return false;
}

// Needle is ASCII in lower case and not empty.
bool ContainsAsciiFolded(QByteArrayView haystack, QByteArrayView needle)
{
    const qsizetype m = needle.size();
    if (m > haystack.size())
        return false;
    const uchar first = uchar(needle[0]);
    const uchar firstUpper = first >= 'a' && first <= 'z' ? uchar(first - ('a' - 'A')) : first;
    const uchar *p = reinterpret_cast<const uchar *>(haystack.data());
    const uchar *const last = p + (haystack.size() - m);
    const uchar *const rest = reinterpret_cast<const uchar *>(needle.data()) + 1;
    for (; p <= last; ++p) {
        if (*p != first && *p != firstUpper)
            continue;
        qsizetype i = 1;
        while (i < m && AsciiLowerCase[p[i]] == rest[i - 1])
            ++i;
        if (i == m)
            return true;
    }
    return false;
}

} // namespace

TNameFilter::TNameFilter(const QString &Text) : FText(Text.trimmed())
{
    const QString folded = FText.toCaseFolded();
    const bool ascii =
        std::all_of(folded.cbegin(), folded.cend(), [](QChar c) { return c.unicode() < 0x80; });
    if (ascii)
        FAsciiNeedle = folded.toLatin1();
}

bool TNameFilter::NameMatches(QStringView Name) const
{
    return !FText.isEmpty() && Name.contains(FText, Qt::CaseInsensitive);
}

bool TNameFilter::RowMatches(const TITreeNode *Row) const
{
    return NameMatches(Row->Text()) && !(Row->Parent() && IsMadeUpRowText(Row->Text()));
}

bool TNameFilter::BytesMatch(QByteArrayView Name) const
{
    if (!FAsciiNeedle.isEmpty() && ContainsAsciiFolded(Name, FAsciiNeedle))
        return true;
    // Case folding outside ASCII is QString's; such names are rare.
    return HasNonAsciiByte(Name) && NameMatches(QString::fromUtf8(Name));
}

std::vector<int> TNameFilter::MatchingSymbols(const TCompareDataList &Symbols) const
{
    std::vector<int> hits;
    if (FText.isEmpty())
        return hits;
    const int count = Symbols.Count();
    for (int i = 0; i < count; ++i)
        if (BytesMatch(Symbols.NameBytes(i)))
            hits.push_back(i);
    return hits;
}

TITreeNodeList TNameFilter::UnitsOwningMatches(const TMapAnalysis &Analysis, const TTreeGridModel &Grid) const
{
    TITreeNodeList units;
    const TCompareDataList &symbols = Analysis.Symbols();
    const std::vector<int> hits = MatchingSymbols(symbols);
    if (hits.empty())
        return units;
    if (Analysis.Grouping() == TSymbolGrouping::ByAddress) {
        for (TITreeNode *unit = Grid.Items().GetFirstNode(); unit; unit = unit->NextSibling()) {
            const std::optional<TMapAnalysis::TCodeRange> range = Analysis.UnitCodeRange(unit);
            if (!range)
                continue;
            const int first = symbols.LowerBound(range->Start);
            const int end = symbols.LowerBound(range->End);
            const auto hit = std::lower_bound(hits.begin(), hits.end(), first);
            if (hit != hits.end() && *hit < end)
                units.push_back(unit);
        }
        return units;
    }
    std::unordered_set<std::string_view> owners;
    for (const int index : hits) {
        const QByteArrayView name = symbols.NameBytes(index);
        const size_t prefix =
            Analysis.SymbolIndex().UnitPrefixLength(std::string_view(name.data(), size_t(name.size())));
        if (prefix > 0)
            owners.emplace(name.data(), prefix);
    }
    for (TITreeNode *unit = Grid.Items().GetFirstNode(); unit; unit = unit->NextSibling()) {
        const QByteArray name = unit->Text().toUtf8();
        if (owners.count(std::string_view(name.constData(), size_t(name.size()))))
            units.push_back(unit);
    }
    return units;
}

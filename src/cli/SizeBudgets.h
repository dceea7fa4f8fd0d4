#pragma once
// The size budgets of `quillon-cli check`: a limit on the total code size, on the units whose name
// matches a wildcard, and on the growth against a baseline build. They are given as options or kept
// in a budgets file beside the project, one budget per line written as its option without the
// dashes:
//
//     # Release budgets of the main program
//     max-total 2.5M
//     max-unit Vcl.*=400K       # every VCL unit
//     max-growth 2%
//     max-unit-growth 16K
//     max-group Id*=600K        # every Indy unit together
//     strict                    # a budget that matches no unit fails the check
//     max-file 4M               # the whole executable
//     max-part ICON=200K        # a section or a resource type
//
// "#" begins a comment, blank lines are skipped, the keyword and the value are separated by blanks.

#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <optional>
#include <vector>

struct TSizeLimit
{
    bool IsPercent = false;
    qint64 Bytes = 0;   // when not a percentage
    double Percent = 0; // when a percentage
    QString Text;       // as written

    // The limit in bytes, a percentage taken of Base.
    double BytesOf(qint64 Base) const { return IsPercent ? double(Base) * Percent / 100 : double(Bytes); }
};

// SIZE is bytes with an optional K, M or G (1024-based, any case, decimals allowed: "1.5M"); with
// AllowPercent also PCT, a number followed by "%". Sets Error and returns none for anything else.
std::optional<TSizeLimit> ParseSizeLimit(const QString &Text, bool AllowPercent, QString &Error);

enum class TBudgetKind { MaxTotal, MaxUnit, MaxGrowth, MaxUnitGrowth, MaxGroup, MaxFile, MaxPart };

struct TSizeBudget
{
    TBudgetKind Kind = TBudgetKind::MaxTotal;
    QString Pattern; // the unit names a max-unit or max-group budget applies to, the parts a max-part
                     // budget does
    TSizeLimit Limit;
    // Where it was written, for the report of a broken budget: "--max-unit Vcl.*=400K", or
    // "budgets.txt:3: max-unit Vcl.*=400K".
    QString Origin;

    bool NeedsBaseline() const
    {
        return Kind == TBudgetKind::MaxGrowth || Kind == TBudgetKind::MaxUnitGrowth;
    }
    bool HasPattern() const
    {
        return Kind == TBudgetKind::MaxUnit || Kind == TBudgetKind::MaxGroup || Kind == TBudgetKind::MaxPart;
    }
    // The budget is held against the executable, not the MAP file.
    bool NeedsExecutable() const { return Kind == TBudgetKind::MaxFile || Kind == TBudgetKind::MaxPart; }
};

// True for "max-total", "max-unit", "max-growth", "max-unit-growth", "max-group", "max-file" and
// "max-part".
bool IsBudgetName(QStringView Name);
// The budget named Name (without dashes) with its Value: SIZE, PATTERN=SIZE for max-unit and
// max-group, NAME=SIZE for max-part, SIZE or PCT for the growth budgets. Sets Error and returns none when the
// value is bad.
std::optional<TSizeBudget> ParseBudget(const QString &Name, const QString &Value, const QString &Origin,
                                       QString &Error);

struct TBudgetFile
{
    std::vector<TSizeBudget> Budgets;
    // The file holds the keyword "strict": a budget that matches no unit fails the check.
    bool Strict = false;
    int ErrorLine = 0; // 1-based; 0 when every line is sound
    QString Error;     // names the file and the line
};

// The budgets of a file's text (UTF-8); reading stops at the first bad line.
TBudgetFile ReadBudgets(QByteArrayView Text, const QString &FileName);

// "*" matches any run of characters, "?" one; letter case is ignored, as Delphi ignores it in unit
// names.
bool MatchesUnitPattern(QStringView Pattern, QStringView Name);

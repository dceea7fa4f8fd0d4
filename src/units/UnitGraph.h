#pragma once
// The units of a program as a graph of their uses, rooted at the program: why a unit is linked
// (the shortest chains from the program, its direct users) and what it keeps alive (the units it
// dominates: all paths from the program to them pass through it) with their code as its retained
// size.

#include "units/UsesList.h"

#include <QString>

#include <QHash>
#include <optional>
#include <vector>

struct TUnitEdge
{
    int To = -1;
    TUsesKind Kind = TUsesKind::Interface;
    TUsesOrigin Origin = TUsesOrigin::Dcu;
    bool Imports = true;
    bool Conditional = false;
};

struct TUnitNode
{
    QString Name;
    qint64 CodeSize = 0;
    // Its uses were read from a .dcu, a source or the executable; false leaves Uses empty.
    bool UsesKnown = false;
    // In the order of its lists, interface before implementation.
    std::vector<TUnitEdge> Uses;
};

// One step of a chain: the unit reached and the edge that led to it (none for the program).
struct TChainStep
{
    int Unit = -1;
    std::optional<TUnitEdge> Edge;
};
using TUnitChain = std::vector<TChainStep>;

// A direct user: the unit and its edge to the unit asked about.
struct TUnitUser
{
    int Unit = -1;
    TUnitEdge Edge;
};

class TUnitGraph
{
public:
    // Names are matched ignoring letter case; adding a name again returns the unit it names.
    int AddUnit(const QString &Name, qint64 CodeSize);
    std::optional<int> IndexOf(const QString &Name) const;
    void SetCodeSize(int Unit, qint64 CodeSize) { FNodes[size_t(Unit)].CodeSize = CodeSize; }
    // Edges to itself and repeated edges are dropped (the first stays).
    void SetUses(int Unit, const std::vector<TUnitEdge> &Uses);
    void SetRoot(int Unit);

    int Root() const { return FRoot; }
    int Count() const { return int(FNodes.size()); }
    const TUnitNode &Node(int Unit) const { return FNodes[size_t(Unit)]; }

    // Distances, dominators and retained sizes; call after the last change.
    void Compute();

    bool Reachable(int Unit) const { return FOrder[size_t(Unit)] >= 0; }
    // Up to MaxChains chains from the program to Unit, each through another direct user, the
    // shortest first. Ties are broken by the order of the uses lists, interface before
    // implementation, as a breadth-first walk meets them.
    std::vector<TUnitChain> Chains(int Unit, int MaxChains) const;
    // In the order of the breadth-first walk from the program, then the unreachable ones by name.
    std::vector<TUnitUser> UsedBy(int Unit) const;
    // The unit whose removal would take Unit with it first; -1 for the program and the unreachable.
    int ImmediateDominator(int Unit) const { return FIdom[size_t(Unit)]; }
    // The units Unit dominates, itself first, then in the breadth-first order; empty when
    // unreachable.
    std::vector<int> Keeps(int Unit) const;
    // The code of the units it dominates, itself included; 0 when unreachable.
    qint64 RetainedSize(int Unit) const { return FRetained[size_t(Unit)]; }
    // A unit with unknown uses outside what Unit keeps alive could use one of those units: the
    // retained size may be smaller than shown.
    bool RetainedIsUpperBound(int Unit) const;

private:
    void BreadthFirst();
    void Dominators();
    void RetainedSizes();
    bool Dominates(int Dominator, int Unit) const;

    std::vector<TUnitNode> FNodes;
    QHash<QString, int> FByName; // lower-case names
    // The names as added: most lookups spell a name as the MAP does, and need no lower-case copy.
    QHash<QString, int> FByExactName;
    int FRoot = -1;
    // Computed: breadth-first order (-1 unreachable), its sequence, dominators, retained sizes,
    // preorder intervals of the dominator tree.
    std::vector<int> FOrder;
    std::vector<int> FSequence;
    std::vector<int> FIdom;
    std::vector<qint64> FRetained;
    std::vector<int> FTreeIn, FTreeOut;
    std::vector<std::vector<int>> FUsers;
    std::vector<int> FUnknownUses;
};

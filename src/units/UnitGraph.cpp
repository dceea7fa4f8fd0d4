#include "units/UnitGraph.h"

#include <algorithm>
#include <deque>

namespace {

// Breadth-first from the root, skipping Avoid: each unit's parent (the user that reached it first,
// in the order of the uses lists), the edge used, and the order of discovery.
struct TWalk
{
    std::vector<int> Order;
    std::vector<int> Parent;
    std::vector<int> ParentEdge;
    std::vector<int> Sequence;
};

TWalk Walk(const std::vector<TUnitNode> &nodes, int root, int avoid)
{
    TWalk walk;
    walk.Order.assign(nodes.size(), -1);
    walk.Parent.assign(nodes.size(), -1);
    walk.ParentEdge.assign(nodes.size(), -1);
    if (root < 0 || root == avoid)
        return walk;
    walk.Order[size_t(root)] = 0;
    walk.Sequence.push_back(root);
    for (size_t next = 0; next < walk.Sequence.size(); ++next) {
        const int unit = walk.Sequence[next];
        const auto &uses = nodes[size_t(unit)].Uses;
        for (size_t e = 0; e < uses.size(); ++e) {
            const int to = uses[e].To;
            if (to == avoid || walk.Order[size_t(to)] >= 0)
                continue;
            walk.Order[size_t(to)] = int(walk.Sequence.size());
            walk.Parent[size_t(to)] = unit;
            walk.ParentEdge[size_t(to)] = int(e);
            walk.Sequence.push_back(to);
        }
    }
    return walk;
}

} // namespace

int TUnitGraph::AddUnit(const QString &Name, qint64 CodeSize)
{
    const QString key = Name.toLower();
    if (const auto it = FByName.constFind(key); it != FByName.cend())
        return *it;
    const int index = int(FNodes.size());
    FNodes.push_back(TUnitNode{Name, CodeSize, false, {}});
    FByName.insert(key, index);
    FByExactName.insert(Name, index);
    return index;
}

std::optional<int> TUnitGraph::IndexOf(const QString &Name) const
{
    if (const auto exact = FByExactName.constFind(Name); exact != FByExactName.cend())
        return *exact;
    const auto it = FByName.constFind(Name.toLower());
    return it == FByName.cend() ? std::nullopt : std::optional<int>(*it);
}

void TUnitGraph::SetUses(int Unit, const std::vector<TUnitEdge> &Uses)
{
    TUnitNode &node = FNodes[size_t(Unit)];
    node.UsesKnown = true;
    node.Uses.clear();
    std::vector<bool> seen(FNodes.size());
    for (const TUnitEdge &edge : Uses) {
        if (edge.To == Unit || edge.To < 0 || edge.To >= Count() || seen[size_t(edge.To)])
            continue;
        seen[size_t(edge.To)] = true;
        node.Uses.push_back(edge);
    }
}

void TUnitGraph::SetRoot(int Unit)
{
    FRoot = Unit;
}

void TUnitGraph::Compute()
{
    BreadthFirst();
    Dominators();
    RetainedSizes();
}

void TUnitGraph::BreadthFirst()
{
    TWalk walk = Walk(FNodes, FRoot, -1);
    FOrder = std::move(walk.Order);
    FSequence = std::move(walk.Sequence);
    FUsers.assign(FNodes.size(), {});
    FUnknownUses.clear();
    std::vector<int> all(FNodes.size());
    for (size_t i = 0; i < all.size(); ++i)
        all[i] = int(i);
    // Users listed in the walk's order, the unreachable after them by name.
    std::stable_sort(all.begin(), all.end(), [this](int a, int b) {
        const int oa = FOrder[size_t(a)], ob = FOrder[size_t(b)];
        if ((oa < 0) != (ob < 0))
            return ob < 0;
        if (oa >= 0)
            return oa < ob;
        return FNodes[size_t(a)].Name.compare(FNodes[size_t(b)].Name, Qt::CaseInsensitive) < 0;
    });
    for (const int unit : all) {
        if (!FNodes[size_t(unit)].UsesKnown)
            FUnknownUses.push_back(unit);
        for (const TUnitEdge &edge : FNodes[size_t(unit)].Uses)
            FUsers[size_t(edge.To)].push_back(unit);
    }
}

// The iterative algorithm of Cooper, Harvey and Kennedy over the reverse postorder of a
// depth-first walk: simple, and fast enough for many thousands of units.
void TUnitGraph::Dominators()
{
    const size_t n = FNodes.size();
    FIdom.assign(n, -1);
    if (FRoot < 0)
        return;
    std::vector<int> postorder(n, -1);
    std::vector<int> reversePostorder;
    {
        std::vector<std::pair<int, size_t>> stack{{FRoot, 0}};
        std::vector<bool> entered(n);
        entered[size_t(FRoot)] = true;
        int number = 0;
        while (!stack.empty()) {
            auto &[unit, next] = stack.back();
            const auto &uses = FNodes[size_t(unit)].Uses;
            if (next < uses.size()) {
                const int to = uses[next++].To;
                if (!entered[size_t(to)]) {
                    entered[size_t(to)] = true;
                    stack.push_back({to, 0});
                }
                continue;
            }
            postorder[size_t(unit)] = number++;
            reversePostorder.push_back(unit);
            stack.pop_back();
        }
        std::reverse(reversePostorder.begin(), reversePostorder.end());
    }
    const auto intersect = [&](int a, int b) {
        while (a != b) {
            while (postorder[size_t(a)] < postorder[size_t(b)])
                a = FIdom[size_t(a)];
            while (postorder[size_t(b)] < postorder[size_t(a)])
                b = FIdom[size_t(b)];
        }
        return a;
    };
    FIdom[size_t(FRoot)] = FRoot;
    for (bool changed = true; changed;) {
        changed = false;
        for (const int unit : reversePostorder) {
            if (unit == FRoot)
                continue;
            int idom = -1;
            for (const int user : FUsers[size_t(unit)]) {
                if (FIdom[size_t(user)] < 0)
                    continue;
                idom = idom < 0 ? user : intersect(user, idom);
            }
            if (idom != FIdom[size_t(unit)]) {
                FIdom[size_t(unit)] = idom;
                changed = true;
            }
        }
    }
    FIdom[size_t(FRoot)] = -1;
}

void TUnitGraph::RetainedSizes()
{
    const size_t n = FNodes.size();
    FRetained.assign(n, 0);
    std::vector<std::vector<int>> children(n);
    for (const int unit : FSequence) {
        FRetained[size_t(unit)] = FNodes[size_t(unit)].CodeSize;
        if (FIdom[size_t(unit)] >= 0)
            children[size_t(FIdom[size_t(unit)])].push_back(unit);
    }
    // A dominator lies on every path to the unit, the shortest too: it comes earlier in the walk.
    for (auto it = FSequence.rbegin(); it != FSequence.rend(); ++it)
        if (FIdom[size_t(*it)] >= 0)
            FRetained[size_t(FIdom[size_t(*it)])] += FRetained[size_t(*it)];
    // Preorder intervals of the dominator tree answer "does A dominate B" in constant time.
    FTreeIn.assign(n, -1);
    FTreeOut.assign(n, -1);
    if (FRoot < 0)
        return;
    int clock = 0;
    std::vector<std::pair<int, size_t>> stack{{FRoot, 0}};
    FTreeIn[size_t(FRoot)] = clock++;
    while (!stack.empty()) {
        auto &[unit, next] = stack.back();
        if (next < children[size_t(unit)].size()) {
            const int child = children[size_t(unit)][next++];
            FTreeIn[size_t(child)] = clock++;
            stack.push_back({child, 0});
            continue;
        }
        FTreeOut[size_t(unit)] = clock;
        stack.pop_back();
    }
}

bool TUnitGraph::Dominates(int Dominator, int Unit) const
{
    if (FTreeIn[size_t(Dominator)] < 0 || FTreeIn[size_t(Unit)] < 0)
        return false;
    return FTreeIn[size_t(Dominator)] <= FTreeIn[size_t(Unit)] &&
           FTreeIn[size_t(Unit)] < FTreeOut[size_t(Dominator)];
}

std::vector<int> TUnitGraph::Keeps(int Unit) const
{
    std::vector<int> kept;
    if (!Reachable(Unit))
        return kept;
    for (size_t i = size_t(FOrder[size_t(Unit)]); i < FSequence.size(); ++i)
        if (Dominates(Unit, FSequence[i]))
            kept.push_back(FSequence[i]);
    return kept;
}

bool TUnitGraph::RetainedIsUpperBound(int Unit) const
{
    if (!Reachable(Unit) || RetainedSize(Unit) == FNodes[size_t(Unit)].CodeSize)
        return false;
    return std::any_of(FUnknownUses.begin(), FUnknownUses.end(),
                       [&](int unknown) { return !Dominates(Unit, unknown); });
}

std::vector<TUnitUser> TUnitGraph::UsedBy(int Unit) const
{
    std::vector<TUnitUser> users;
    for (const int user : FUsers[size_t(Unit)])
        for (const TUnitEdge &edge : FNodes[size_t(user)].Uses)
            if (edge.To == Unit)
                users.push_back({user, edge});
    return users;
}

std::vector<TUnitChain> TUnitGraph::Chains(int Unit, int MaxChains) const
{
    std::vector<TUnitChain> chains;
    if (!Reachable(Unit) || MaxChains <= 0)
        return chains;
    if (Unit == FRoot)
        return {TUnitChain{TChainStep{FRoot, std::nullopt}}};
    // Paths that do not pass through the unit itself, one per direct user.
    const TWalk walk = Walk(FNodes, FRoot, Unit);
    for (const TUnitUser &user : UsedBy(Unit)) {
        if (walk.Order[size_t(user.Unit)] < 0)
            continue;
        TUnitChain chain{TChainStep{Unit, user.Edge}};
        for (int at = user.Unit; at >= 0; at = walk.Parent[size_t(at)]) {
            const int parent = walk.Parent[size_t(at)];
            chain.push_back(
                parent < 0
                    ? TChainStep{at, std::nullopt}
                    : TChainStep{at, FNodes[size_t(parent)].Uses[size_t(walk.ParentEdge[size_t(at)])]});
        }
        std::reverse(chain.begin(), chain.end());
        chains.push_back(std::move(chain));
    }
    std::stable_sort(chains.begin(), chains.end(), [&](const TUnitChain &a, const TUnitChain &b) {
        if (a.size() != b.size())
            return a.size() < b.size();
        return walk.Order[size_t(a[a.size() - 2].Unit)] < walk.Order[size_t(b[b.size() - 2].Unit)];
    });
    if (chains.size() > size_t(MaxChains))
        chains.resize(size_t(MaxChains));
    return chains;
}

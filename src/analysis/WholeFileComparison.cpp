#include "analysis/WholeFileComparison.h"

#include <algorithm>
#include <map>

namespace {

const TPeSizeNode *ChildNamed(const TPeSizeNode *node, const std::string &name)
{
    if (!node)
        return nullptr;
    for (const TPeSizeNode &child : node->Children)
        if (child.Name == name)
            return &child;
    return nullptr;
}

std::vector<TPartChange> Compare(const TPeSizeNode *oldNode, const TPeSizeNode *newNode, int depth)
{
    std::vector<std::string> names;
    for (const TPeSizeNode *node : {oldNode, newNode})
        if (node)
            for (const TPeSizeNode &child : node->Children)
                if (std::find(names.begin(), names.end(), child.Name) == names.end())
                    names.push_back(child.Name);
    std::vector<TPartChange> changes;
    for (const std::string &name : names) {
        const TPeSizeNode *oldChild = ChildNamed(oldNode, name);
        const TPeSizeNode *newChild = ChildNamed(newNode, name);
        TPartChange change;
        change.Name = QString::fromStdString(name);
        change.OldSize = oldChild ? qint64(oldChild->FileSize) : 0;
        change.NewSize = newChild ? qint64(newChild->FileSize) : 0;
        if (depth > 1)
            change.Children = Compare(oldChild, newChild, depth - 1);
        if (change.Delta() != 0 || !change.Children.empty())
            changes.push_back(std::move(change));
    }
    std::sort(changes.begin(), changes.end(), [](const TPartChange &a, const TPartChange &b) {
        const qint64 x = std::abs(a.Delta()), y = std::abs(b.Delta());
        return x != y ? x > y : a.Name < b.Name;
    });
    return changes;
}

} // namespace

std::vector<TPartChange> CompareWholeFiles(const TPeSizeNode &Old, const TPeSizeNode &New, int Depth)
{
    return Compare(&Old, &New, Depth);
}

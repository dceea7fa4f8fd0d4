#pragma once
// The rows of a tree-grid: a forest of TITreeNode owned by one TITreeNodes collection. The nodes
// tell their view about changes through ITreeNodesView, so the model lives without any widget.

#include "base/Exception.h"
#include "tree/ITVSortKind.h"

#include <QString>
#include <QtGlobal>
#include <memory>
#include <vector>

class TXStringList;
class TITreeNode;
class TITreeNodes;

using TITreeNodeList = std::vector<TITreeNode *>;

// An index outside a child list or a column collection.
QUILLON_DECLARE_EXCEPTION(ETreeListError, Exception)

// What a collection reports to the view it belongs to. Every hook has a neutral default, so a view
// overrides only what it needs.
class ITreeNodesView
{
public:
    virtual ~ITreeNodesView() = default;
    // The tree changed outside an update batch: the view should request (not perform) a repaint.
    virtual void NodesChanged() {}
    // The node is about to leave the tree (its descendants were reported before it). The view drops
    // every reference it keeps to the node (selected, top, hot node) and fires OnFreeNode.
    virtual void NodeRemoving(TITreeNode *Node) { Q_UNUSED(Node); }
    // Expansion hooks, called before (with a veto) and after the expanded bit changes.
    virtual void DoExpanding(TITreeNode *Node, bool &Allow)
    {
        Q_UNUSED(Node);
        Q_UNUSED(Allow);
    }
    virtual void DoExpanded(TITreeNode *Node) { Q_UNUSED(Node); }
    virtual void DoCollapsing(TITreeNode *Node, bool &Allow)
    {
        Q_UNUSED(Node);
        Q_UNUSED(Allow);
    }
    virtual void DoCollapsed(TITreeNode *Node) { Q_UNUSED(Node); }
};

class TITreeNode
{
public:
    ~TITreeNode();
    TITreeNode(const TITreeNode &) = delete;
    TITreeNode &operator=(const TITreeNode &) = delete;

    TITreeNodes *Owner() const { return FOwner; }
    // None for root-level nodes, although the hidden root stores them.
    TITreeNode *Parent() const { return FParent; }
    TITreeNode *PrevSibling() const { return FPrevSibling; }
    TITreeNode *NextSibling() const { return FNextSibling; }

    const QString &Text() const { return FText; }
    void SetText(const QString &Value);
    qint32 Data() const { return FData; }
    void SetData(qint32 Value) { FData = Value; }
    qint64 Tag() const { return FTag; }
    void SetTag(qint64 Value) { FTag = Value; }

    bool Expanded() const { return (FState & StateExpanded) != 0; }
    // Asks the view first; a refused change keeps the bit but still requests a repaint.
    void SetExpanded(bool Value);
    bool Selected() const { return (FState & StateSelected) != 0; }
    void SetSelected(bool Value);
    // A hidden row is left out of the displayed rows with its subtree, keeping everything else
    // (expansion, selection, children): a filter shows part of the tree without changing it.
    bool Hidden() const { return (FState & StateHidden) != 0; }
    void SetHidden(bool Value);

    int Count() const { return int(FChildren.size()); }
    bool HasChildren() const { return !FChildren.empty(); }
    // Raises ETreeListError "List index out of bounds (%d)" outside 0..Count-1.
    TITreeNode *Item(int Index) const;
    // Position among the siblings (the hidden root's list for root-level nodes).
    int Index() const { return FIndex; }
    TITreeNode *GetFirstChild() const;
    TITreeNode *GetLastChild() const;
    // The nearest sibling (child) that is not hidden; none when there is none.
    TITreeNode *NextShownSibling() const;
    TITreeNode *PrevShownSibling() const;
    TITreeNode *GetFirstShownChild() const;
    bool HasShownChildren() const { return GetFirstShownChild() != nullptr; }
    // Pre-order successor over the whole forest, ignoring expansion.
    TITreeNode *GetNext() const;
    // The node that follows this node's subtree in pre-order; none at the end of the forest.
    TITreeNode *GetNextAfterSubtree() const;
    // First direct child whose text equals Text exactly (case-sensitive).
    TITreeNode *FindChild(const QString &Text) const;
    // Walks up from Node, so it costs the depth of Node.
    bool HasDescendant(const TITreeNode *Node) const;
    int Level() const;

    // Created empty on first access; item k holds the text of column k + 1 and one object.
    TXStringList *ColumnStrings();
    // The list when it exists, else none; never creates it.
    TXStringList *ColumnStringsIfAny() const { return FColumnStrings.get(); }

    TITreeNode *AddChild();
    TITreeNode *AddChild(const QString &Text);
    // Appends a node made by TITreeNodes::NewNode as last child.
    TITreeNode *AttachChild(std::unique_ptr<TITreeNode> Node);
    // Removes every descendant, deepest and last first, reporting each before it goes.
    void DeleteChildren();
    // Removes this node and its subtree from the tree and frees it.
    void Destroy();
    // Flags: sfDescending, sfRecursive.
    void AlphaSort(int Flags);
    void SwapChildren(TITreeNode *A, TITreeNode *B);
    // Puts the children in the order of NewOrder, which must hold exactly the current children.
    void ReorderChildren(const TITreeNodeList &NewOrder);

private:
    friend class TITreeNodes;
    explicit TITreeNode(TITreeNodes *Owner);

    static constexpr quint8 StateExpanded = 1;
    static constexpr quint8 StateSelected = 2;
    static constexpr quint8 StateHidden = 4;

    std::unique_ptr<TITreeNode> DetachChild(TITreeNode *Child);
    void ReportRemovedChild(TITreeNode *Child);
    void FreeChildList();
    void SortChildrenByText(int Flags);
    void RelinkChildren();
    void Changed();

    TITreeNodes *FOwner;
    TITreeNode *FParent = nullptr;
    TITreeNode *FPrevSibling = nullptr;
    TITreeNode *FNextSibling = nullptr;
    QString FText;
    qint32 FData = 0;
    qint64 FTag = 0;
    quint8 FState = 0;
    int FIndex = -1;
    std::vector<std::unique_ptr<TITreeNode>> FChildren;
    std::unique_ptr<TXStringList> FColumnStrings;
};

class TITreeNodes
{
public:
    // View may be none: the collection then notifies nobody.
    explicit TITreeNodes(ITreeNodesView *View);
    // Reports the hidden root and then every node to the view, as a direct destruction does.
    ~TITreeNodes();
    TITreeNodes(const TITreeNodes &) = delete;
    TITreeNodes &operator=(const TITreeNodes &) = delete;

    ITreeNodesView *View() const { return FView; }

    // A node of this collection that is not yet in the tree; hand it to AttachChild.
    std::unique_ptr<TITreeNode> NewNode();
    TITreeNode *AddRoot();
    TITreeNode *GetFirstNode() const;
    int RootCount() const;
    void Clear();
    // Walks up from Node: true when it is a live node of this collection.
    bool Contains(const TITreeNode *Node) const;
    void SwapRoots(TITreeNode *A, TITreeNode *B);
    void AlphaSort(int Flags);
    // The hidden root: it stores the root-level nodes and is never shown.
    TITreeNode *Root() const { return FRoot.get(); }

    void BeginUpdate();
    // Raises "Unbalanced EndUpdate" when the count drops below 0.
    void EndUpdate();
    int UpdateCount() const { return FUpdateCount; }
    // Asks the view for a repaint unless an update batch is open.
    void Changed();
    int SelectedCount() const { return FSelectedCount; }

    // Raised whenever nodes are added, removed, reordered, expanded, collapsed, hidden or shown, so that the
    // row list of a view can be cached and rebuilt only when it may have changed.
    quint64 ShapeVersion() const { return FShapeVersion; }
    // Raised whenever nodes are added, removed, reordered or renamed, not when they are expanded or
    // collapsed: what a sort reads apart from Tag, Data and column strings, which notify nothing.
    quint64 ContentVersion() const { return FContentVersion; }

private:
    friend class TITreeNode;
    void NodeRemoved(TITreeNode *Node);
    void ShapeChanged()
    {
        ++FShapeVersion;
        ++FContentVersion;
    }
    void ExpansionChanged() { ++FShapeVersion; }
    void ContentChanged() { ++FContentVersion; }

    ITreeNodesView *const FView;
    std::unique_ptr<TITreeNode> FRoot;
    int FUpdateCount = 0;
    int FSelectedCount = 0;
    quint64 FShapeVersion = 0;
    quint64 FContentVersion = 0;
};

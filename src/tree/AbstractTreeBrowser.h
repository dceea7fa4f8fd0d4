#pragma once
// The cursor through which the grid engine reads and changes a tree without knowing how it is
// stored. It points at one node at a time ("none" is a valid position: moves with nowhere to go
// land there and queries on it answer false, 0 or empty). Nested walks bracket themselves with
// PushCurrentNode / PopCurrentNode.

#include "tree/ITVSortKind.h"
#include "tree/ITreeNodes.h"

#include <QString>
#include <functional>
#include <vector>

class TXStringList;
class TAbstractTreeBrowser;

// Called by ForEach with the cursor standing on the visited node.
using TTreeBrowserProc = std::function<void(TAbstractTreeBrowser &Browser)>;

class TAbstractTreeBrowser
{
public:
    TAbstractTreeBrowser() = default;
    virtual ~TAbstractTreeBrowser() = default;
    TAbstractTreeBrowser(const TAbstractTreeBrowser &) = delete;
    TAbstractTreeBrowser &operator=(const TAbstractTreeBrowser &) = delete;

    virtual QString ClassName() const { return QStringLiteral("TAbstractTreeBrowser"); }

    // Text of column K + 1 of the current node; empty when absent. Never creates the list.
    virtual QString GetColumnString(int K);
    virtual int GetColumnImageIndex(int K);
    // Column 0 is the node's text, column C >= 1 its column string C - 1. Does not move the cursor.
    virtual QString GetCellText(TITreeNode *Node, int Column);

    // One comparer per sort kind, comparing two nodes on SortColumn(); negative when A sorts first.
    virtual int CompareNodesText(TITreeNode *A, TITreeNode *B);
    virtual int CompareNodesNumeric(TITreeNode *A, TITreeNode *B);
    virtual int CompareNodesDateTime(TITreeNode *A, TITreeNode *B);
    virtual int CompareNodesSmartText(TITreeNode *A, TITreeNode *B);
    virtual int CompareNodesTag(TITreeNode *A, TITreeNode *B);
    virtual int CompareNodesData(TITreeNode *A, TITreeNode *B);
    virtual int CompareNodesCustom(TITreeNode *A, TITreeNode *B);
    virtual int CompareNodesImageIndex(TITreeNode *A, TITreeNode *B);
    virtual int CompareNodesHTMLText(TITreeNode *A, TITreeNode *B);
    virtual int CompareNodesHTMLNumeric(TITreeNode *A, TITreeNode *B);
    virtual int CompareNodesHTMLSmartText(TITreeNode *A, TITreeNode *B);
    virtual int CompareNodesSeparatedText(TITreeNode *A, TITreeNode *B);
    // Dispatches to the comparer of Kind; iskNoSort compares everything equal.
    int CompareNodes(TITVSortKind Kind, TITreeNode *A, TITreeNode *B);
    // The column the comparers read, set by Sort.
    int SortColumn() const { return FSortColumn; }
    void SetSortColumn(int Column) { FSortColumn = Column; }

    // The abstract stack; popping it empty fails "Unbalanced <class>.PopCurrentNode".
    virtual void PushCurrentNode();
    virtual void PopCurrentNode();

    virtual void GoFirst() {}
    virtual void GoTo(TITreeNode *Node) { Q_UNUSED(Node); }
    virtual bool HasParent() { return false; }
    virtual void GoParent() {}
    virtual bool HasNextSibling() { return false; }
    virtual void GoNextSibling() {}
    virtual bool HasPrevSibling() { return false; }
    virtual void GoPrevSibling() {}
    virtual bool HasChildren() { return false; }
    virtual void GoFirstChild() {}
    // Moves to the next displayed row; returns the change of level.
    virtual int GoNextVisible();
    virtual bool Contains(const TITreeNode *Node)
    {
        Q_UNUSED(Node);
        return false;
    }

    virtual TITreeNode *Current() { return nullptr; }
    virtual int Level() { return 0; }
    virtual QString GetText() { return {}; }
    virtual QString GetHint() { return {}; }
    virtual qint32 GetData() { return 0; }
    virtual qint64 GetTag() { return 0; }
    virtual TXStringList *GetColumnStrings() { return nullptr; }
    virtual bool IsHidden() { return false; }
    virtual int GetImageIndex() { return -1; }
    virtual int GetOverlayIndex() { return -1; }
    virtual int GetStateIndex() { return -1; }

    virtual bool IsExpanded() { return false; }
    virtual void SetExpanded(bool Value) { Q_UNUSED(Value); }
    // Expands (collapses) the current node and every descendant that has children.
    virtual void FullExpand();
    virtual void FullCollapse();
    virtual bool IsSelected() { return false; }
    virtual void SetSelected(bool Value) { Q_UNUSED(Value); }
    virtual int SelectedCount() { return 0; }
    // Every node, collapsed subtrees included.
    virtual void DeselectAll();
    virtual void SelectAll();
    virtual void SelectNodes(const TITreeNodeList &Nodes);

    // Pre-order over every node, expanded or not; children made by the procedure are visited too.
    virtual void ForEach(const TTreeBrowserProc &Procedure);
    // Appends the current node's displayed rows (at none: those of the whole tree).
    virtual void CollectRows(TITreeNodeList &Rows);
    // Every node whose ancestors are all expanded, in display order.
    virtual void GetRows(TITreeNodeList &Rows);

    virtual bool CanSort() { return false; }
    // Sorts the children of the current node (the root level at none) on Column by Kind.
    // Flags: sfDescending, sfRecursive.
    virtual void Sort(int Column, TITVSortKind Kind, int Flags);
    virtual void SwapNodes(TITreeNode *A, TITreeNode *B);

protected:
    // Stable merge sort of Nodes with the comparer of Kind on SortColumn(); ties keep their order
    // in both directions.
    virtual void SortNodeList(TITreeNodeList &Nodes, TITVSortKind Kind, bool Descending);
    // Puts the siblings under the current node (the root level at none) into the order of Sorted,
    // which holds exactly those siblings. The default swaps them into place with SwapNodes.
    virtual void ApplySiblingOrder(const TITreeNodeList &Sorted);

private:
    void SetExpandedDeep(bool Value);
    void SetSelectedAll(bool Value);

    int FSortColumn = 0;
    TITreeNodeList FStack;
};

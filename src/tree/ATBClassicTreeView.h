#pragma once
// The cursor over a TITreeNodes collection: what the grid engine reads the node model through.
// Its moves pass over hidden nodes, so every walk through it (rows, painting, copies, select all)
// sees only what a filter shows; sorts and Contains still reach every node.

#include "tree/AbstractTreeBrowser.h"

class TATBClassicTreeView : public TAbstractTreeBrowser
{
public:
    // Nodes is not owned and must outlive the cursor.
    explicit TATBClassicTreeView(TITreeNodes *Nodes) : FNodes(Nodes) {}

    QString ClassName() const override { return QStringLiteral("TATBClassicTreeView"); }
    TITreeNodes *Nodes() const { return FNodes; }

    QString GetCellText(TITreeNode *Node, int Column) override;
    // Low 32 bits of the tags, subtracted with wrap-around.
    // Final: the sort of these two kinds compares the fields directly.
    int CompareNodesTag(TITreeNode *A, TITreeNode *B) final;
    int CompareNodesData(TITreeNode *A, TITreeNode *B) final;

    // Its own stack: popping it empty yields none.
    void PushCurrentNode() override;
    void PopCurrentNode() override;

    void GoFirst() override;
    void GoTo(TITreeNode *Node) override;
    bool HasParent() override;
    void GoParent() override;
    bool HasNextSibling() override;
    void GoNextSibling() override;
    bool HasPrevSibling() override;
    void GoPrevSibling() override;
    bool HasChildren() override;
    void GoFirstChild() override;
    bool Contains(const TITreeNode *Node) override;

    TITreeNode *Current() override { return FCurrent; }
    int Level() override;
    QString GetText() override;
    qint32 GetData() override;
    qint64 GetTag() override;
    TXStringList *GetColumnStrings() override;

    bool IsHidden() override;
    bool IsExpanded() override;
    void SetExpanded(bool Value) override;
    bool IsSelected() override;
    void SetSelected(bool Value) override;
    int SelectedCount() override;

    // Without recursion: trees may nest deeper than the stack allows.
    void GetRows(TITreeNodeList &Rows) override;

    bool CanSort() override { return true; }
    // Column 0 by text takes the node model's AlphaSort; everything else the stable merge sort of
    // every sibling list, walked without recursion.
    void Sort(int Column, TITVSortKind Kind, int Flags) override;
    void SwapNodes(TITreeNode *A, TITreeNode *B) override;

protected:
    // Rebuilds the child list in one pass instead of swapping node by node.
    void ApplySiblingOrder(const TITreeNodeList &Sorted) override;
    // The size columns sort millions of rows: their comparers are inlined.
    void SortNodeList(TITreeNodeList &Nodes, TITVSortKind Kind, bool Descending) override;

private:
    TITreeNodes *const FNodes;
    TITreeNode *FCurrent = nullptr;
    TITreeNodeList FStack;
};

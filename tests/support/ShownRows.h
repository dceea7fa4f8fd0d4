#pragma once
// The rows a grid displays, indented by two blanks a level, "+" after an open one: what a filter
// leaves in sight, written as a test expects it.

#include "tree/TreeGridModel.h"

#include <QStringList>

inline QStringList ShownRows(TTreeGridModel &grid)
{
    QStringList rows;
    for (const TITreeNode *row : grid.Rows())
        rows << QString(2 * row->Level(), u' ') + row->Text() +
                    (row->Expanded() ? QStringLiteral("+") : QString());
    return rows;
}

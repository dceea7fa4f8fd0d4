#pragma once
// A grid's fixed column layout, declared as a table: caption, width, alignment and sort kind.

#include "tree/ITVSortKind.h"

#include <Qt>

#include <initializer_list>

class TITVColumns;

struct TColumnDefinition
{
    const char16_t *Caption;
    int Width;
    Qt::Alignment Alignment;
    TITVSortKind SortKind;
};

// Clears Columns and adds one column per definition, in order.
void SetColumnDefinitions(TITVColumns &Columns, std::initializer_list<TColumnDefinition> Definitions);

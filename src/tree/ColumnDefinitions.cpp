#include "tree/ColumnDefinitions.h"

#include "tree/ITVColumns.h"

void SetColumnDefinitions(TITVColumns &Columns, std::initializer_list<TColumnDefinition> Definitions)
{
    Columns.Clear();
    for (const TColumnDefinition &definition : Definitions) {
        TITVColumn *column = Columns.Add();
        column->SetCaption(QString::fromUtf16(definition.Caption));
        column->SetWidth(definition.Width);
        column->SetAlignment(definition.Alignment);
        column->SetSortKind(definition.SortKind);
    }
}

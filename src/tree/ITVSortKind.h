#pragma once
// How a tree-grid column orders its rows, and the flags of one sort call.

// Order matters: the cursor keeps one comparer per kind from iskText to iskSeparatedText.
enum TITVSortKind {
    iskNoSort,
    iskText,
    iskNumeric,
    iskDateTime,
    iskSmartText,
    iskTag,
    iskData,
    iskCustom,
    iskImageIndex,
    iskHTMLText,
    iskHTMLNumeric,
    iskHTMLSmartText,
    iskSeparatedText
};

enum TITVSortDirection { sdAscending, sdDescending };

// Flags of AlphaSort and of the cursor's Sort: bit 0 descending, bit 1 recursive.
constexpr int sfDescending = 1;
constexpr int sfRecursive = 2;

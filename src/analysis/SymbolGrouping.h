#pragma once
// What opening a unit row shows: by address, the public symbols that lie in the unit's code, sized
// so that they add up to the unit's compiled size; by name, the symbols whose name begins with the
// unit's name and ".", as compilers that qualify their public names write them.

enum class TSymbolGrouping { ByAddress, ByName };

#pragma once
// Comparisons of cell texts behind the column sort kinds. Each returns a negative, zero or positive
// value; texts that do not convert count as 0 (numbers) or as the zero date.

#include <QString>

// An integer (leading blanks, a sign, "$" or "0x" hexadecimal) or a decimal number such as 12.3;
// 0 for anything else, a lone "-" included.
double NumericSortValue(const QString &S);
int CompareNumericTexts(const QString &A, const QString &B);

// Date and/or time read with the default locale's short date order and separators, as days since
// 30 December 1899 (the zero date) with the time as fraction.
bool TryTextToDateTime(const QString &S, double &Value);
int CompareDateTimeTexts(const QString &A, const QString &B);

// Dates and times by value, then numbers by value, then version texts ("v1.10" after "v1.9"),
// else CompareText.
int SmartCompare(const QString &S, const QString &T);
// Token by token with SmartCompare; tokens end at every ASCII character that is neither a letter
// nor a digit. The text that runs out of tokens first is the smaller.
int CompareSeparatedText(const QString &S, const QString &T);

// Markup removed and character references decoded, for texts holding "&" or "<".
QString HTMLToPlainText(const QString &S);

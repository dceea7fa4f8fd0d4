#pragma once
// The string library: free functions that take MAP lines apart and that the rest of the system uses
// for searching, quoting and conversion.
//
// Positions are 1-based UTF-16 code unit positions; 0 means "not found". Text arguments are views,
// so pass literals as u"..." (no temporary string per call on hot paths) or pass a QString.
// Every function that returns text after, before or between something is defined through Copy.

#include <QByteArray>
#include <QByteArrayView>
#include <QChar>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <cstdint>

// Copy(S, P, N): at most N characters from position P; P < 1 counts as 1; empty when P > Length(S)
// or N <= 0.
QString Copy(QStringView S, qsizetype P, qsizetype N);

// ---- Search and tests ----------------------------------------------------------------------------

// First Ch at or after Start (Start < 1 counts as 1); 0 when none or S is empty.
qsizetype PosChar(QStringView S, QChar Ch, qsizetype Start = 1);
// Searches backwards from Start when 1 <= Start < Length(S), otherwise from Length(S).
// LastPosChar(S, '\\', S.size() - 1) finds the last backslash other than a final one.
qsizetype LastPosChar(QStringView S, QChar Ch, qsizetype Start = 0);
// First occurrence of Sub at or after Start, case-sensitive; 0 when S or Sub is empty,
// Start < 1, Start > Length(S) or no match.
qsizetype PosStr(QStringView S, QStringView Sub, qsizetype Start = 1);
// As PosStr, folding only ASCII "A" to "Z".
qsizetype PosText(QStringView S, QStringView Sub, qsizetype Start = 1);
qsizetype CountChar(QChar Ch, QStringView S);

// Case-sensitive; false when Prefix is empty or longer than S.
bool StrBeginsWith(QStringView S, QStringView Prefix);
bool StrBeginsWithChar(QStringView S, QChar Ch);
// Case-sensitive; false when Suffix is empty or longer than S.
bool StrEndsWith(QStringView S, QStringView Suffix);
bool StrEndsWithChar(QStringView S, QChar Ch);
// CompareText of the last Length(Suffix) characters with Suffix: true for an empty Suffix; a Suffix
// longer than S compares the whole of S.
bool StrEndsWithText(QStringView S, QStringView Suffix);
// Case-sensitive; false for an empty Sub.
bool StrContains(QStringView S, QStringView Sub);
// ASCII case-insensitive; false for an empty Sub.
bool StrContainsText(QStringView S, QStringView Sub);
// Number of leading positions equal after upper-casing characters up to 255 (characters above 255
// compare unfolded); 0 when either is empty.
qsizetype CommonPrefixLengthText(QStringView A, QStringView B);

// ---- Extraction ----------------------------------------------------------------------------------

// Text after the first Open (from the start when Open is absent) up to the next Close; empty when
// no Close follows.
QString StrBetweenChars(QStringView S, QChar Open, QChar Close);
// Text after the first StartStr up to the next StopStr; empty when no StopStr follows. An absent
// StartStr counts as found at position 0, so the text then starts at position Length(StartStr).
QString StrBetween(QStringView S, QStringView StartStr, QStringView StopStr);
// Field N (from 0) of S split at every single Delim; runs of delimiters are not merged. Empty when
// S is empty, N < 0 or there are fewer than N delimiters.
QString StrField(QStringView S, QChar Delim, qsizetype N);
// Text after the first Ch; empty when Ch is absent.
QString StrAfterChar(QStringView S, QChar Ch);
// Text after the N-th Ch; the whole S when N <= 0; empty when there are fewer than N.
QString StrAfterNthChar(QStringView S, QChar Ch, qsizetype N);
// Text before the first Ch; the whole S when Ch is absent.
QString StrBeforeChar(QStringView S, QChar Ch);
// Text before the N-th Ch; empty when N <= 0; the whole S when there are fewer than N.
QString StrBeforeNthChar(QStringView S, QChar Ch, qsizetype N);
// Text after the first Sub (case-sensitive); empty when Sub is absent or empty.
QString StrAfter(QStringView S, QStringView Sub);
// Text before the first Sub; the whole S when Sub is absent or empty.
QString StrBefore(QStringView S, QStringView Sub);
// Copy(S, P + 1, all) and Copy(S, 1, P - 1).
QString CopyAfterPos(QStringView S, qsizetype P);
QString CopyBeforePos(QStringView S, qsizetype P);

// ---- Transformation and conversion ---------------------------------------------------------------

// Every non-overlapping occurrence of Old (left to right) replaced by New; S unchanged when Old is
// empty or absent.
QString StringReplaceAll(QStringView Old, QStringView New, QStringView S);
// Q, then S with every Q doubled, then Q.
QString QuoteString(QStringView S, QChar Q);
// Characters up to 255 mapped through the accent table (accented letters to their base letter,
// codes 138 to 159 taken as the ANSI letters with caron or diaeresis); same length.
QString RemoveAccents(QStringView S);
// Hexadecimal digits of either case; "#", "$", "&", "X" and "x" are skipped wherever they stand;
// any other character gives -1. More than 16 digits keep the last 16; the empty string gives 0.
int64_t HexToInt64(QStringView S);
// Default when S is empty; true when S starts with one of "YyOo1TtVvJjDd" or is "-1".
bool TextToBool(QStringView S, bool Default);
QString BoolToYN(bool B);

// Parts of a version text: an optional leading "v" skipped, split at every "."; a part that is not
// a decimal integer (an empty one included) is -1.
QList<int> ParseVersion(QStringView S);
bool IsValidVersion(QStringView S);
// First difference of the common parts (A part - B part), else the difference of the part counts.
int CompareVersions(QStringView A, QStringView B);

// Locale-independent decimal parser: optional sign, digits with at most one "." or ",", optional
// exponent; trailing spaces allowed, leading ones not. False when S is not a number or is out of
// the range of double.
bool TryTextToFloat(QStringView S, double &V);
// Raises EConvertError "Invalid floating point value: "<S>"" when S is not a number.
double StrToFloat(QStringView S);
double StrToFloatDef(QStringView S, double Default);

// Signed 32-bit integer: leading blanks, an optional sign, then decimal digits or hexadecimal ones
// after "$", "x", "X", "0x" or "0X" (at most 8 significant hexadecimal digits, the top bit giving a
// negative value). Nothing may follow the digits.
bool TryStrToInt(QStringView S, int32_t &V);
// Raises EConvertError "'<S>' is not a valid integer value".
int32_t StrToInt(QStringView S);

// Swaps the two bytes of every UTF-16 unit in place (big-endian text).
void SwapBytes16(QString &S);
// Swaps the four bytes of every element in place.
void SwapBytes32(uint32_t *A, qsizetype Count);

// Raises Exception "Index out of bounds: <I>".
[[noreturn]] void RaiseIndexOutOfBounds(qsizetype I);

// ---- Delimited text of the string lists ----------------------------------------------------------

// Items joined with Delimiter; an item holding TAB, LF, CR, space, QuoteChar or Delimiter is quoted
// with QuoteString. One empty item gives two quote characters; no items give the empty string.
QString DelimitedTextFromItems(const QStringList &Items, QChar Delimiter, QChar QuoteChar);
// Tokens of Text: quoted tokens run to the matching quote (a doubled quote stands for one), unquoted
// ones to the next TAB, space or Delimiter; a final Delimiter adds one empty item.
QStringList ItemsFromDelimitedText(QStringView Text, QChar Delimiter, QChar QuoteChar);

// ---- 8-bit forms (byte strings; positions are byte positions) ------------------------------------

// Byte comparison; false for an empty Prefix.
bool BeginsWithA(QByteArrayView S, QByteArrayView Prefix);
// Text between the first StartStr at or after byte From and the next StopStr after it, both
// searched ASCII case-insensitively; cut from S itself. Empty when either is not found.
QByteArray StrBetweenTextA(QByteArrayView S, QByteArrayView StartStr, QByteArrayView StopStr,
                           qsizetype From = 1);

// ---- Start-up ------------------------------------------------------------------------------------

// Fixes the process-wide text rules: C-level number formatting uses "." whatever the user's locale.
// Nothing happens when the executable is the development environment ("bds.exe").
void InitializeStringLibrary(const QString &ExecutablePath);

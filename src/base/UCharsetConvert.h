#pragma once
// Turning the raw bytes of a text file into a UTF-16 string: byte-order marks, unmarked UTF-16 and
// UTF-32, the encoding named by an XML declaration or an HTML charset, else the ANSI code page.
// Numbered code pages are the Windows numbers, converted by the system (CodePages).

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <cstdint>

// What DetectEncoding found.
struct TStringEncoding
{
    enum : uint8_t {
        KindNone = 0,    // nothing detected
        KindNamed = 1,   // a named character set (Name)
        KindUnicode = 2, // a Unicode form given by CharSize and BigEndian
    };

    uint8_t CharSize = 1; // bytes per code unit: 1, 2 or 4
    uint8_t Kind = KindNone;
    QByteArray Preamble; // the byte-order mark found (skipped when decoding)
    bool BigEndian = false;
    QString Name; // "utf-8", "utf-16", "utf-32" or the declared character set name
};

// DetectEncoding, then DecodeText. The text loader passes Latin1Fallback false.
QString BytesToText(QByteArrayView Bytes, bool Latin1Fallback);
TStringEncoding DetectEncoding(QByteArrayView Bytes);
// Never fails: unknown character sets and failed conversions fall back to the ANSI code page, and
// malformed sequences become U+FFFD.
QString DecodeText(QByteArrayView Bytes, const TStringEncoding &Encoding, bool Latin1Fallback);
// Windows code page of a character set name ("utf-8", "windows-1251", "iso-8859-15", "koi8-r"...),
// or -1.
int CharsetToCodePage(QStringView Name);

// Bytes in the given Windows code page; an empty string when the code page is unknown to the
// system or the bytes give no text.
QString CodePageToText(QByteArrayView Bytes, int CodePage);
// Bytes in the ANSI code page.
QString AnsiToText(QByteArrayView Bytes);
// The text in the ANSI code page; characters it lacks become their closest form or "?".
QByteArray TextToAnsi(const QString &Text);

// The ANSI code page: the environment variable QUILLON_ANSI_CODEPAGE when it names a code page that
// the system can convert, else the system's own (Windows) or 1252 (elsewhere: the files come from
// Windows projects). Read once, process-wide.
int AnsiCodePage();
// Replaces the process-wide ANSI code page (tests, and start-up code that knows better).
void SetAnsiCodePage(int CodePage);

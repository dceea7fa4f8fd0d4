#pragma once
// The system's conversions between numbered (Windows) code pages and UTF-16, beneath
// UCharsetConvert: iconv on POSIX systems, the code page functions of Windows there.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <array>
#include <memory>

// How one code page is decoded. Single-byte pages become a table, so that large files decode in one
// pass without a call to the system per byte; the others go through DecodeMultiByte.
struct TCodePageDecoder
{
    int CodePage = 0;
    bool Known = false;
    bool SingleByte = false;
    std::array<char16_t, 256> Table{};
};

// Undefined bytes of a single-byte page keep their own code, as the system conversion does for the
// ANSI pages. Unknown pages give a decoder that is not Known.
std::unique_ptr<TCodePageDecoder> MakeCodePageDecoder(int CodePage);
// Text of a known multi-byte page; a malformed or truncated sequence becomes U+FFFD. Empty when the
// system cannot convert from the page.
QString DecodeMultiByte(QByteArrayView Bytes, int CodePage);
// The text in the code page; characters it lacks become their closest form or "?". Latin-1 when
// the system cannot convert to the page.
QByteArray EncodeToCodePage(const QString &Text, int CodePage);
// The ANSI code page the system itself uses for files without a mark.
int SystemAnsiCodePage();

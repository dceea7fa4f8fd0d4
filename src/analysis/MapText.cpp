#include "analysis/MapText.h"

#include "base/UCharsetConvert.h"
#include "base/UFileUtils.h"

#include <QFileInfo>

#include <cstring>

namespace {

bool IsPureAscii(QByteArrayView bytes)
{
    const char *p = bytes.data();
    const qsizetype n = bytes.size();
    qsizetype i = 0;
    quint64 bits = 0;
    for (; i + 8 <= n; i += 8) {
        quint64 word;
        std::memcpy(&word, p + i, 8);
        bits |= word;
    }
    for (; i < n; ++i)
        bits |= quint8(p[i]);
    return (bits & 0x8080808080808080ull) == 0;
}

// The ANSI code page maps every ASCII byte to the same character (true of all the code pages a
// Windows project is written in, but a configured one might not be).
bool AnsiCodePageKeepsAscii()
{
    QByteArray ascii(127, Qt::Uninitialized);
    for (int b = 1; b < 128; ++b)
        ascii[b - 1] = char(b);
    return AnsiToText(ascii) == QString::fromLatin1(ascii);
}

QByteArray ToUtf8Text(QByteArray bytes)
{
    const TStringEncoding encoding = DetectEncoding(bytes);
    if (encoding.Kind == TStringEncoding::KindNone && IsPureAscii(bytes) && AnsiCodePageKeepsAscii())
        return bytes;
    if (encoding.Kind == TStringEncoding::KindUnicode && encoding.CharSize == 1 &&
        IsPureAscii(QByteArrayView(bytes).sliced(encoding.Preamble.size()))) {
        bytes.remove(0, encoding.Preamble.size());
        return bytes;
    }
    // Mended: the byte-order mark was removed before this decoding, which then took the UTF-8 text
    // of a file with one for the ANSI code page ('Café' became 'CafÃ©').
    // One decoding pass; malformed input becomes replacement characters, so the result is valid.
    QString text = BytesToText(bytes, false);
    bytes.clear();
    bytes.squeeze();
    return text.toUtf8();
}

[[noreturn]] void RaiseUnreadable(const QString &fileName, const QString &reason)
{
    throw EMapFileError(QStringLiteral("MAP File \"%1\" cannot be read: %2").arg(fileName, reason));
}

} // namespace

TMapText TMapText::LoadFromFile(const QString &fileName)
{
    const QFileInfo info(fileName);
    if (info.isFile() && info.size() > MaxSize)
        throw EMapFileError(
            QStringLiteral("MAP File \"%1\" is too large (%2 bytes).").arg(fileName).arg(info.size()));
    TTextFileBytes text;
    QString reason;
    if (!ReadTextFile(fileName, text, reason))
        RaiseUnreadable(fileName, reason);
    TMapText result = FromBytes(std::move(text.Bytes));
    result.FEndsAtNul |= text.EndsAtNul;
    return result;
}

TMapText TMapText::FromBytes(QByteArray bytes)
{
    TMapText result;
    result.FBytes = ToUtf8Text(std::move(bytes));
    const qsizetype nul = result.FBytes.indexOf('\0');
    if (nul >= 0) {
        result.FBytes.truncate(nul);
        result.FEndsAtNul = true;
    }
    return result;
}

qsizetype TMapText::EndLine() const
{
    const qsizetype breaks = FBytes.count('\n') + FBytes.count('\r') - FBytes.count("\r\n");
    return breaks + 1;
}

bool TMapLineReader::Next(QByteArrayView &line)
{
    const qsizetype size = FText.size();
    if (FPos >= size)
        return false;
    const char *base = FText.data();
    const char *start = base + FPos;
    const char *lf = static_cast<const char *>(std::memchr(start, '\n', size_t(size - FPos)));
    const char *limit = lf ? lf : base + size;
    const char *cr = static_cast<const char *>(std::memchr(start, '\r', size_t(limit - start)));
    const char *end = cr ? cr : limit;
    line = QByteArrayView(start, end - start);
    FPos = end - base;
    if (cr) {
        ++FPos;
        if (FPos < size && base[FPos] == '\n')
            ++FPos;
    } else if (lf) {
        ++FPos;
    }
    ++FIndex;
    return true;
}

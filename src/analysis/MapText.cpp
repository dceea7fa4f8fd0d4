#include "analysis/MapText.h"

#include "base/UCharsetConvert.h"

#include <QFile>
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
    if (encoding.Kind == TStringEncoding::KindUnicode && encoding.CharSize == 1) {
        bytes.remove(0, encoding.Preamble.size());
        if (IsPureAscii(bytes))
            return bytes;
    }
    // One decoding pass; malformed input becomes replacement characters, so the result is valid.
    QString text = BytesToText(bytes, false);
    bytes.clear();
    bytes.squeeze();
    return text.toUtf8();
}

} // namespace

namespace {

[[noreturn]] void RaiseUnreadable(const QString &fileName, const QString &reason)
{
    throw EMapFileError(QStringLiteral("MAP File \"%1\" cannot be read: %2").arg(fileName, reason));
}

// The text ends at the first NUL byte unless the file is UTF-16 or UTF-32, so a binary or sparse
// file is read only up to there instead of whole. The bytes are read in place into a buffer that
// doubles, never copied from chunk to chunk.
QByteArray ReadUpToText(QFile &file, bool &endsAtNul)
{
    constexpr qint64 HeadSize = 64 * 1024;
    constexpr qint64 GrowthBeyondSize = 16 * 1024 * 1024;
    const qint64 size = file.size();
    QByteArray bytes;
    qint64 length = 0;
    bool wide = false;
    for (;;) {
        if (length == bytes.size()) {
            const qint64 next = length == 0     ? HeadSize
                                : size > length ? std::min(2 * length, size)
                                                : length + GrowthBeyondSize;
            bytes.resize(qsizetype(next));
        }
        const qint64 got = file.read(bytes.data() + length, bytes.size() - length);
        if (got <= 0)
            break;
        if (length == 0) {
            const TStringEncoding encoding = DetectEncoding(QByteArrayView(bytes.constData(), got));
            wide = encoding.Kind == TStringEncoding::KindUnicode && encoding.CharSize > 1;
        }
        const char *nul =
            wide ? nullptr
                 : static_cast<const char *>(std::memchr(bytes.constData() + length, '\0', size_t(got)));
        if (nul) {
            length = nul - bytes.constData();
            endsAtNul = true;
            break;
        }
        length += got;
    }
    bytes.truncate(qsizetype(length));
    return bytes;
}

} // namespace

TMapText TMapText::LoadFromFile(const QString &fileName)
{
    // A FIFO or device would block or never end: only regular files are read.
    if (!QFileInfo(fileName).isFile())
        RaiseUnreadable(fileName, QStringLiteral("not a regular file"));
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        RaiseUnreadable(fileName, file.errorString());
    if (file.size() > MaxSize)
        throw EMapFileError(
            QStringLiteral("MAP File \"%1\" is too large (%2 bytes).").arg(fileName).arg(file.size()));
    bool endsAtNul = false;
    QByteArray bytes = ReadUpToText(file, endsAtNul);
    if (file.error() != QFileDevice::NoError)
        RaiseUnreadable(fileName, file.errorString());
    TMapText result = FromBytes(std::move(bytes));
    result.FEndsAtNul |= endsAtNul;
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

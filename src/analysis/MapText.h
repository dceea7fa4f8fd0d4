#pragma once
// A MAP file held as UTF-8 bytes and walked line by line. Nearly every MAP file is plain ASCII, so
// the file's own bytes are kept and parsed in place; any other encoding is decoded once (with the
// same detection as the text loader) and re-encoded as UTF-8, which keeps every ASCII marker the
// parser looks for at the same place in the line.

#include "base/Exception.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// The MAP file exists but cannot be read, or is too large to be analysed.
QUILLON_DECLARE_EXCEPTION(EMapFileError, Exception)

class TMapText
{
public:
    TMapText() = default;
    // Raises EMapFileError when the file cannot be opened or read. An empty file gives no lines.
    static TMapText LoadFromFile(const QString &fileName);
    // The text of already decoded file content, as the loader would hold it (tests, generators).
    static TMapText FromBytes(QByteArray bytes);

    // Valid UTF-8; the text ends at the first U+0000, as the string list's text splitting does.
    // Copies share the bytes. The file is read, not mapped: a project rebuilt while its MAP file is
    // open would change (or cut short) a mapping under the symbol names.
    const QByteArray &Bytes() const { return FBytes; }
    // Offsets into Bytes() fit 32 bits: larger files are refused on loading.
    static constexpr qint64 MaxSize = 0xFFFFFFFFll;
    // A NUL ended the text before the end of the file: the file is damaged or not text at all.
    bool EndsAtNul() const { return FEndsAtNul; }
    // The number, from 1, of the line on which the text ends.
    qsizetype EndLine() const;

private:
    QByteArray FBytes;
    bool FEndsAtNul = false;
};

// Lines split at CR LF, a lone LF or a lone CR; a final line break adds no empty line.
class TMapLineReader
{
public:
    explicit TMapLineReader(QByteArrayView text) : FText(text) {}
    // The next line without its break; false at the end. Index() is then that line's number from 0.
    bool Next(QByteArrayView &line);
    qsizetype Index() const { return FIndex; }

private:
    QByteArrayView FText;
    qsizetype FPos = 0;
    qsizetype FIndex = -1;
};

#include "base/CodePages.h"

#include <windows.h>

namespace {

constexpr char16_t ReplacementCharacter = 0xFFFD;

int Convert(int CodePage, DWORD Flags, QByteArrayView Bytes, wchar_t *Out, int OutSize)
{
    return MultiByteToWideChar(UINT(CodePage), Flags, Bytes.data(), int(Bytes.size()), Out, OutSize);
}

void AppendConverted(QString &Result, int CodePage, DWORD Flags, QByteArrayView Bytes, int Length)
{
    const qsizetype Start = Result.size();
    Result.resize(Start + Length);
    Convert(CodePage, Flags, Bytes, reinterpret_cast<wchar_t *>(Result.data() + Start), Length);
}

// Character by character: a malformed or truncated sequence becomes one replacement character and
// the scan goes on after its first byte.
void AppendWithReplacements(QString &Result, int CodePage, QByteArrayView Bytes)
{
    qsizetype At = 0;
    while (At < Bytes.size()) {
        const qsizetype Size = IsDBCSLeadByteEx(UINT(CodePage), BYTE(Bytes[At])) ? 2 : 1;
        wchar_t Out[2];
        const int Length = At + Size <= Bytes.size()
                               ? Convert(CodePage, MB_ERR_INVALID_CHARS, Bytes.sliced(At, Size), Out, 2)
                               : 0;
        if (Length > 0) {
            Result.append(reinterpret_cast<const QChar *>(Out), Length);
            At += Size;
        } else {
            Result.append(QChar(ReplacementCharacter));
            ++At;
        }
    }
}

// One piece of at most an int's count of bytes.
bool AppendPiece(QString &Result, int CodePage, QByteArrayView Bytes)
{
    const int Strict = Convert(CodePage, MB_ERR_INVALID_CHARS, Bytes, nullptr, 0);
    if (Strict > 0) {
        AppendConverted(Result, CodePage, MB_ERR_INVALID_CHARS, Bytes, Strict);
        return true;
    }
    if (GetLastError() == ERROR_NO_UNICODE_TRANSLATION) {
        AppendWithReplacements(Result, CodePage, Bytes);
        return true;
    }
    // Pages that take no flags (UTF-7, the ISO-2022 forms...) replace malformed input themselves.
    const int Length = Convert(CodePage, 0, Bytes, nullptr, 0);
    if (Length <= 0)
        return false;
    AppendConverted(Result, CodePage, 0, Bytes, Length);
    return true;
}

} // namespace

std::unique_ptr<TCodePageDecoder> MakeCodePageDecoder(int CodePage)
{
    auto Decoder = std::make_unique<TCodePageDecoder>();
    Decoder->CodePage = CodePage;
    CPINFO Info;
    if (CodePage <= 0 || !IsValidCodePage(UINT(CodePage)) || !GetCPInfo(UINT(CodePage), &Info))
        return Decoder;
    Decoder->Known = true;
    Decoder->SingleByte = Info.MaxCharSize == 1;
    for (int Byte = 0; Byte < 256 && Decoder->SingleByte; ++Byte) {
        const char In = char(Byte);
        wchar_t Out[2];
        const int Written = MultiByteToWideChar(UINT(CodePage), 0, &In, 1, Out, 2);
        if (Written == 1)
            Decoder->Table[Byte] = char16_t(Out[0]);
        else if (Written == 0)
            Decoder->Table[Byte] = char16_t(Byte);
        else
            Decoder->SingleByte = false;
    }
    return Decoder;
}

QString DecodeMultiByte(QByteArrayView Bytes, int CodePage)
{
    // The system takes an int count: larger texts go in pieces cut before a lead byte.
    constexpr qsizetype Piece = 1 << 28;
    QString Result;
    while (!Bytes.isEmpty()) {
        qsizetype Count = qMin(Bytes.size(), Piece);
        while (Count < Bytes.size() && Count > 1 && IsDBCSLeadByteEx(UINT(CodePage), BYTE(Bytes[Count - 1])))
            --Count;
        if (!AppendPiece(Result, CodePage, Bytes.first(Count)))
            return QString();
        Bytes = Bytes.sliced(Count);
    }
    return Result;
}

QByteArray EncodeToCodePage(const QString &Text, int CodePage)
{
    if (Text.isEmpty())
        return QByteArray();
    const auto *Wide = reinterpret_cast<const wchar_t *>(Text.utf16());
    const int Length =
        WideCharToMultiByte(UINT(CodePage), 0, Wide, int(Text.size()), nullptr, 0, nullptr, nullptr);
    if (Length <= 0)
        return Text.toLatin1();
    QByteArray Result(Length, Qt::Uninitialized);
    WideCharToMultiByte(UINT(CodePage), 0, Wide, int(Text.size()), Result.data(), Length, nullptr, nullptr);
    return Result;
}

int SystemAnsiCodePage()
{
    return int(GetACP());
}

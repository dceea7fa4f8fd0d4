#include "base/CodePages.h"

#include <cerrno>
#include <iconv.h>

namespace {

constexpr char16_t ReplacementCharacter = 0xFFFD;
// The files come from Windows projects, and most from Western Europe or America.
constexpr int DefaultAnsiCodePage = 1252;

#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
constexpr const char *HostUtf16 = "UTF-16LE";
#else
constexpr const char *HostUtf16 = "UTF-16BE";
#endif

// iconv's name for a Windows code page number; glibc knows most of them as "CP<number>".
QByteArray IconvNameOf(int CodePage)
{
    if (CodePage >= 28591 && CodePage <= 28599)
        return "ISO-8859-" + QByteArray::number(CodePage - 28590);
    switch (CodePage) {
    case 65001:
        return "UTF-8";
    case 65000:
        return "UTF-7";
    case 20127:
        return "ASCII";
    case 1200:
        return "UTF-16LE";
    case 1201:
        return "UTF-16BE";
    case 12000:
        return "UTF-32LE";
    case 12001:
        return "UTF-32BE";
    case 10000:
        return "MACINTOSH";
    case 20866:
        return "KOI8-R";
    case 21866:
        return "KOI8-U";
    case 20932:
    case 51932:
        return "EUC-JP";
    case 51949:
        return "EUC-KR";
    case 50220:
    case 50221:
    case 50222:
        return "ISO-2022-JP";
    case 54936:
        return "GB18030";
    case 28603:
        return "ISO-8859-13";
    case 28605:
        return "ISO-8859-15";
    default:
        return "CP" + QByteArray::number(CodePage);
    }
}

class IconvHandle
{
public:
    IconvHandle(const char *ToName, const QByteArray &FromName)
        : FHandle(iconv_open(ToName, FromName.constData()))
    {}
    ~IconvHandle()
    {
        if (IsOpen())
            iconv_close(FHandle);
    }
    IconvHandle(const IconvHandle &) = delete;
    IconvHandle &operator=(const IconvHandle &) = delete;

    bool IsOpen() const { return FHandle != reinterpret_cast<iconv_t>(-1); }
    iconv_t Get() const { return FHandle; }

private:
    iconv_t FHandle;
};

// One byte alone: its character, -1 when the byte is undefined in the page, -2 when it does not
// decode to exactly one UTF-16 unit on its own (a lead byte, a shift, a wide form).
int DecodeSingleByte(iconv_t Handle, unsigned char Byte)
{
    iconv(Handle, nullptr, nullptr, nullptr, nullptr);
    char In = char(Byte);
    char16_t Out[4];
    char *InPtr = &In;
    size_t InLeft = 1;
    char *OutPtr = reinterpret_cast<char *>(Out);
    size_t OutLeft = sizeof(Out);
    if (iconv(Handle, &InPtr, &InLeft, &OutPtr, &OutLeft) == size_t(-1))
        return errno == EILSEQ ? -1 : -2;
    iconv(Handle, nullptr, nullptr, &OutPtr, &OutLeft);
    if (sizeof(Out) - OutLeft != sizeof(char16_t))
        return -2;
    return Out[0];
}

} // namespace

std::unique_ptr<TCodePageDecoder> MakeCodePageDecoder(int CodePage)
{
    auto Decoder = std::make_unique<TCodePageDecoder>();
    Decoder->CodePage = CodePage;
    if (CodePage <= 0)
        return Decoder;
    const IconvHandle Handle(HostUtf16, IconvNameOf(CodePage));
    if (!Handle.IsOpen())
        return Decoder;
    Decoder->Known = true;
    Decoder->SingleByte = true;
    for (int Byte = 0; Byte < 256 && Decoder->SingleByte; ++Byte) {
        const int Character = DecodeSingleByte(Handle.Get(), static_cast<unsigned char>(Byte));
        if (Character == -2)
            Decoder->SingleByte = false;
        Decoder->Table[Byte] = Character == -1 ? char16_t(Byte) : char16_t(Character);
    }
    return Decoder;
}

// One pass through iconv into a buffer grown geometrically; a malformed or truncated sequence
// becomes one replacement character and the scan goes on after its first byte.
QString DecodeMultiByte(QByteArrayView Bytes, int CodePage)
{
    const IconvHandle Handle(HostUtf16, IconvNameOf(CodePage));
    if (!Handle.IsOpen())
        return QString();
    QString Result(Bytes.size() + 16, Qt::Uninitialized);
    char *InPtr = const_cast<char *>(Bytes.data());
    size_t InLeft = size_t(Bytes.size());
    qsizetype Written = 0;
    const auto Convert = [&](char **In, size_t *Left) {
        char *OutPtr = reinterpret_cast<char *>(Result.data() + Written);
        size_t OutLeft = size_t(Result.size() - Written) * sizeof(char16_t);
        const size_t Outcome = iconv(Handle.Get(), In, Left, &OutPtr, &OutLeft);
        const int Error = errno;
        Written = Result.size() - qsizetype(OutLeft / sizeof(char16_t));
        return Outcome == size_t(-1) ? Error : 0;
    };
    const auto Room = [&](qsizetype Units) {
        if (Result.size() - Written < Units)
            Result.resize(Result.size() + qMax(Units, Result.size() / 2));
    };
    while (InLeft > 0) {
        const int Error = Convert(&InPtr, &InLeft);
        if (Error == E2BIG) {
            Room(16);
        } else if (Error == EILSEQ || Error == EINVAL) {
            Room(1);
            Result[Written++] = QChar(ReplacementCharacter);
            ++InPtr;
            --InLeft;
            iconv(Handle.Get(), nullptr, nullptr, nullptr, nullptr);
        } else if (Error != 0) {
            break;
        }
    }
    for (int Attempt = 0; Attempt < 8 && Convert(nullptr, nullptr) == E2BIG; ++Attempt)
        Room(16);
    Result.truncate(Written);
    return Result;
}

QByteArray EncodeToCodePage(const QString &Text, int CodePage)
{
    const QByteArray Target =
        CodePage == 65001 ? QByteArrayLiteral("UTF-8") : IconvNameOf(CodePage) + "//TRANSLIT";
    const IconvHandle Handle(Target.constData(), QByteArrayLiteral("UTF-8"));
    if (!Handle.IsOpen())
        return Text.toLatin1();
    QByteArray Input = Text.toUtf8();
    QByteArray Output(Input.size() * 4 + 16, Qt::Uninitialized);
    char *In = Input.data();
    char *Out = Output.data();
    size_t InLeft = size_t(Input.size());
    size_t OutLeft = size_t(Output.size());
    while (InLeft > 0 && iconv(Handle.Get(), &In, &InLeft, &Out, &OutLeft) == size_t(-1) && errno == EILSEQ) {
        // Skip the whole UTF-8 sequence that has no equivalent.
        do {
            ++In;
            --InLeft;
        } while (InLeft > 0 && (uchar(*In) & 0xC0) == 0x80);
        *Out++ = '?';
        --OutLeft;
    }
    Output.truncate(Out - Output.data());
    return Output;
}

int SystemAnsiCodePage()
{
    return DefaultAnsiCodePage;
}

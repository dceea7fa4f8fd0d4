#include "base/UCharsetConvert.h"

#include "base/CodePages.h"
#include "base/Exception.h"
#include "base/Strings.h"

#include <QtEndian>

#include <atomic>
#include <map>
#include <mutex>

namespace {

constexpr int CodePageUtf8 = 65001;
constexpr int CodePageUsAscii = 20127;
constexpr char16_t ReplacementCharacter = 0xFFFD;

const TCodePageDecoder &DecoderFor(int CodePage)
{
    static std::mutex Lock;
    static std::map<int, std::unique_ptr<TCodePageDecoder>> Decoders;
    const std::lock_guard<std::mutex> Guard(Lock);
    auto &Slot = Decoders[CodePage];
    if (!Slot)
        Slot = MakeCodePageDecoder(CodePage);
    return *Slot;
}

QString DecodeWithTable(QByteArrayView Bytes, const std::array<char16_t, 256> &Table)
{
    QString Result(Bytes.size(), Qt::Uninitialized);
    QChar *Out = Result.data();
    for (const char Byte : Bytes)
        *Out++ = QChar(Table[static_cast<unsigned char>(Byte)]);
    return Result;
}

QString DecodeUtf16(QByteArrayView Bytes, bool BigEndian)
{
    QString Result(Bytes.size() / 2, Qt::Uninitialized);
    const auto *In = reinterpret_cast<const uchar *>(Bytes.data());
    QChar *Out = Result.data();
    for (qsizetype I = 0; I < Result.size(); ++I, In += 2)
        Out[I] = QChar(BigEndian ? qFromBigEndian<char16_t>(In) : qFromLittleEndian<char16_t>(In));
    return Result;
}

QString DecodeUtf32(QByteArrayView Bytes, bool BigEndian)
{
    const qsizetype Count = Bytes.size() / 4;
    QString Result(Count * 2, Qt::Uninitialized);
    const auto *In = reinterpret_cast<const uchar *>(Bytes.data());
    QChar *Out = Result.data();
    for (qsizetype I = 0; I < Count; ++I, In += 4) {
        const char32_t Code = BigEndian ? qFromBigEndian<char32_t>(In) : qFromLittleEndian<char32_t>(In);
        if (Code > 0x10FFFF || QChar::isSurrogate(Code)) {
            *Out++ = QChar(ReplacementCharacter);
        } else if (QChar::requiresSurrogates(Code)) {
            *Out++ = QChar(QChar::highSurrogate(Code));
            *Out++ = QChar(QChar::lowSurrogate(Code));
        } else {
            *Out++ = QChar(char16_t(Code));
        }
    }
    Result.truncate(Out - Result.constData());
    return Result;
}

QString DecodeUnicode(QByteArrayView Bytes, const TStringEncoding &Encoding)
{
    const QByteArrayView Rest = Bytes.sliced(qMin(Encoding.Preamble.size(), Bytes.size()));
    switch (Encoding.CharSize) {
    case 1:
        return QString::fromUtf8(Rest);
    case 2:
        return DecodeUtf16(Rest, Encoding.BigEndian);
    case 4:
        return DecodeUtf32(Rest, Encoding.BigEndian);
    default:
        RaiseAssertion(QString(), __FILE__, __LINE__);
    }
}

QString DecodeNamed(QByteArrayView Bytes, const TStringEncoding &Encoding)
{
    const int CodePage = CharsetToCodePage(Encoding.Name);
    if (CodePage == CodePageUtf8)
        return QString::fromUtf8(Bytes);
    if (CodePage == CodePageUsAscii || CodePage == -1)
        return AnsiToText(Bytes);
    const QString Text = CodePageToText(Bytes, CodePage);
    return Text.isEmpty() ? AnsiToText(Bytes) : Text;
}

struct TByteOrderMark
{
    QByteArrayView Bytes;
    uint8_t CharSize;
    bool BigEndian;
    const char16_t *Name;
};

// The four-byte UTF-32 little-endian mark begins with the UTF-16 one, so it is tested first.
const TByteOrderMark ByteOrderMarks[] = {
    {QByteArrayView("\xEF\xBB\xBF", 3), 1, false, u"utf-8"},
    {QByteArrayView("\xFF\xFE\x00\x00", 4), 4, false, u"utf-32"},
    {QByteArrayView("\x00\x00\xFE\xFF", 4), 4, true, u"utf-32"},
    {QByteArrayView("\xFF\xFE", 2), 2, false, u"utf-16"},
    {QByteArrayView("\xFE\xFF", 2), 2, true, u"utf-16"},
};

TStringEncoding UnicodeEncoding(uint8_t CharSize, bool BigEndian, QByteArrayView Preamble)
{
    TStringEncoding Encoding;
    Encoding.Kind = TStringEncoding::KindUnicode;
    Encoding.CharSize = CharSize;
    Encoding.BigEndian = BigEndian;
    Encoding.Preamble = Preamble.toByteArray();
    Encoding.Name = CharSize == 1 ? QStringLiteral("utf-8")
                                  : (CharSize == 2 ? QStringLiteral("utf-16") : QStringLiteral("utf-32"));
    return Encoding;
}

// Unmarked UTF-32 or UTF-16, recognised by the zero bytes of ASCII text in the first units.
bool DetectUnmarkedUnicode(QByteArrayView Bytes, TStringEncoding &Encoding)
{
    if (Bytes.size() < 4 || (Bytes[0] != 0 && Bytes[1] != 0))
        return false;
    const auto Set = [&Bytes](std::initializer_list<int> Indexes) {
        return std::all_of(Indexes.begin(), Indexes.end(), [&Bytes](int I) { return Bytes[I] != 0; });
    };
    const auto Zero = [&Bytes](std::initializer_list<int> Indexes) {
        return std::all_of(Indexes.begin(), Indexes.end(), [&Bytes](int I) { return Bytes[I] == 0; });
    };
    if (Bytes.size() >= 8) {
        if (Set({0, 4}) && Zero({1, 2, 3, 5, 6, 7})) {
            Encoding = UnicodeEncoding(4, false, {});
            return true;
        }
        if (Set({3, 7}) && Zero({0, 1, 2, 4, 5, 6})) {
            Encoding = UnicodeEncoding(4, true, {});
            return true;
        }
    }
    if (Set({0, 2}) && Zero({1, 3})) {
        Encoding = UnicodeEncoding(2, false, {});
        return true;
    }
    if (Set({1, 3}) && Zero({0, 2})) {
        Encoding = UnicodeEncoding(2, true, {});
        return true;
    }
    return false;
}

// The character set named by an XML declaration, or by a charset inside an HTML head that starts
// within the first ten bytes.
QByteArray DeclaredCharset(QByteArrayView Bytes)
{
    if (BeginsWithA(Bytes, "<?xml ")) {
        const qsizetype Close = Bytes.indexOf('>');
        const QByteArrayView Declaration = Close < 0 ? Bytes : Bytes.first(Close);
        // XML allows either quote around the name; reading only the double one would decode a
        // declared encoding='windows-1251' from the ANSI code page.
        const QByteArray DoubleQuoted = StrBetweenTextA(Declaration, "encoding=\"", "\"");
        return DoubleQuoted.isEmpty() ? StrBetweenTextA(Declaration, "encoding='", "'") : DoubleQuoted;
    }
    const qsizetype Open = Bytes.first(qMin<qsizetype>(10, Bytes.size())).lastIndexOf('<');
    if (Open < 0)
        return QByteArray();
    const QByteArray Head = StrBetweenTextA(Bytes, "<head>", "</head>", Open + 1);
    return StrBetweenTextA(Head, "charset=", "\"");
}

// The number after a name prefix: a plain decimal integer, or its leading digits; -1 without any.
int LeadingNumber(QStringView Rest)
{
    int64_t Value = 0;
    qsizetype Digits = 0;
    while (Digits < Rest.size() && Rest[Digits] >= u'0' && Rest[Digits] <= u'9') {
        Value = Value * 10 + (Rest[Digits].unicode() - u'0');
        if (Value > INT32_MAX)
            return -1;
        ++Digits;
    }
    return Digits == 0 ? -1 : int(Value);
}

int InitialAnsiCodePage()
{
    bool Ok = false;
    const int Configured = qEnvironmentVariableIntValue("QUILLON_ANSI_CODEPAGE", &Ok);
    if (Ok && Configured > 0 && DecoderFor(Configured).Known)
        return Configured;
    return SystemAnsiCodePage();
}

std::atomic<int> &AnsiCodePageSetting()
{
    static std::atomic<int> Setting(InitialAnsiCodePage());
    return Setting;
}

} // namespace

QString BytesToText(QByteArrayView Bytes, bool Latin1Fallback)
{
    return DecodeText(Bytes, DetectEncoding(Bytes), Latin1Fallback);
}

TStringEncoding DetectEncoding(QByteArrayView Bytes)
{
    for (const TByteOrderMark &Mark : ByteOrderMarks)
        if (Bytes.startsWith(Mark.Bytes))
            return UnicodeEncoding(Mark.CharSize, Mark.BigEndian, Mark.Bytes);

    TStringEncoding Encoding;
    if (DetectUnmarkedUnicode(Bytes, Encoding))
        return Encoding;

    const QByteArray Declared = DeclaredCharset(Bytes);
    if (!Declared.isEmpty()) {
        Encoding.Name = QString::fromLatin1(Declared);
        Encoding.Kind = Declared.compare("utf-8", Qt::CaseInsensitive) == 0 ? TStringEncoding::KindUnicode
                                                                            : TStringEncoding::KindNamed;
    }
    return Encoding;
}

QString DecodeText(QByteArrayView Bytes, const TStringEncoding &Encoding, bool Latin1Fallback)
{
    switch (Encoding.Kind) {
    case TStringEncoding::KindNamed:
        return DecodeNamed(Bytes, Encoding);
    case TStringEncoding::KindUnicode:
        return DecodeUnicode(Bytes, Encoding);
    default:
        return Latin1Fallback ? QString::fromLatin1(Bytes) : AnsiToText(Bytes);
    }
}

int CharsetToCodePage(QStringView Name)
{
    QString Lower = Name.toString();
    for (QChar &C : Lower)
        if (C >= u'A' && C <= u'Z')
            C = QChar(C.unicode() + (u'a' - u'A'));
    if (Lower == u"utf-8")
        return CodePageUtf8;
    if (Lower == u"us-ascii")
        return CodePageUsAscii;
    if (Lower.startsWith(u"windows-"))
        return LeadingNumber(QStringView(Lower).mid(8));
    if (Lower.startsWith(u"iso-8859-") || Lower.startsWith(u"iso8859-")) {
        const int Part = LeadingNumber(QStringView(Lower).mid(Lower.indexOf(u"8859-") + 5));
        return Part < 0 ? -1 : 28590 + Part;
    }
    static const struct
    {
        const char16_t *Name;
        int CodePage;
    } CharsetCodePages[] = {{u"koi8-r", 20866}, {u"gb2312", 936}, {u"iso-2022-jp", 932}};
    for (const auto &Entry : CharsetCodePages)
        if (Lower == Entry.Name)
            return Entry.CodePage;
    return -1;
}

QString CodePageToText(QByteArrayView Bytes, int CodePage)
{
    if (CodePage == CodePageUtf8)
        return QString::fromUtf8(Bytes);
    const TCodePageDecoder &Decoder = DecoderFor(CodePage);
    if (!Decoder.Known)
        return QString();
    if (Decoder.SingleByte)
        return DecodeWithTable(Bytes, Decoder.Table);
    return DecodeMultiByte(Bytes, CodePage);
}

QString AnsiToText(QByteArrayView Bytes)
{
    const QString Text = CodePageToText(Bytes, AnsiCodePage());
    // Without any conversion for the configured page the bytes still come through, as Latin-1.
    return Text.isEmpty() && !Bytes.isEmpty() ? QString::fromLatin1(Bytes) : Text;
}

QByteArray TextToAnsi(const QString &Text)
{
    return EncodeToCodePage(Text, AnsiCodePage());
}

int AnsiCodePage()
{
    return AnsiCodePageSetting().load();
}

void SetAnsiCodePage(int CodePage)
{
    AnsiCodePageSetting().store(CodePage);
}

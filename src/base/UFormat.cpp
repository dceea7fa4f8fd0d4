#include "base/UFormat.h"

#include "base/Exception.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

struct Specifier
{
    bool leftAlign = false;
    int width = -1;
    int precision = -1;
    QChar type;
};

class Formatter
{
public:
    Formatter(const QString &format, const QVariantList &args) : FFormat(format), FArgs(args) {}

    QString Run()
    {
        QString result;
        result.reserve(FFormat.size() + 16 * FArgs.size());
        int i = 0;
        while (i < FFormat.size()) {
            const QChar c = FFormat.at(i++);
            if (c != u'%') {
                result += c;
                continue;
            }
            if (i < FFormat.size() && FFormat.at(i) == u'%') {
                result += u'%';
                ++i;
                continue;
            }
            const Specifier specifier = ParseSpecifier(i);
            result += Pad(Convert(specifier), specifier);
        }
        return result;
    }

private:
    [[noreturn]] void Invalid() const
    {
        throw EConvertError(QStringLiteral("Format '%1' invalid or incompatible with argument").arg(FFormat));
    }

    const QVariant &NextArg()
    {
        if (FArgIndex >= FArgs.size())
            throw EConvertError(QStringLiteral("No argument for format '%1'").arg(FFormat));
        return FArgs.at(FArgIndex++);
    }

    // Digits or "*" (taken from the next argument); -1 when neither is there.
    int ReadNumber(int &i)
    {
        if (i < FFormat.size() && FFormat.at(i) == u'*') {
            ++i;
            const QVariant &arg = NextArg();
            if (!IsInteger(arg))
                Invalid();
            return int(arg.toLongLong());
        }
        int value = -1;
        while (i < FFormat.size() && FFormat.at(i).isDigit() && FFormat.at(i).unicode() < 128) {
            value = (value < 0 ? 0 : value) * 10 + (FFormat.at(i).unicode() - '0');
            if (value > 1 << 20)
                Invalid();
            ++i;
        }
        return value;
    }

    Specifier ParseSpecifier(int &i)
    {
        Specifier specifier;
        int number = ReadNumber(i);
        if (i < FFormat.size() && FFormat.at(i) == u':') {
            if (number < 0)
                number = 0;
            FArgIndex = number;
            ++i;
            number = -1;
        }
        if (number < 0) {
            if (i < FFormat.size() && FFormat.at(i) == u'-') {
                specifier.leftAlign = true;
                ++i;
            }
            number = ReadNumber(i);
        }
        specifier.width = number;
        if (i < FFormat.size() && FFormat.at(i) == u'.') {
            ++i;
            specifier.precision = ReadNumber(i);
            if (specifier.precision < 0)
                specifier.precision = 0;
        }
        if (i >= FFormat.size())
            Invalid();
        specifier.type = FFormat.at(i++).toLower();
        return specifier;
    }

    static bool IsInteger(const QVariant &v)
    {
        switch (v.typeId()) {
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
        case QMetaType::Long:
        case QMetaType::ULong:
        case QMetaType::Short:
        case QMetaType::UShort:
            return true;
        default:
            return false;
        }
    }

    static bool IsFloat(const QVariant &v)
    {
        return v.typeId() == QMetaType::Double || v.typeId() == QMetaType::Float || IsInteger(v);
    }

    QString Convert(const Specifier &specifier)
    {
        const QVariant &arg = NextArg();
        switch (specifier.type.unicode()) {
        case 'd':
        case 'u':
        case 'x':
            if (!IsInteger(arg))
                Invalid();
            return FormatInteger(arg, specifier);
        case 'e':
        case 'f':
        case 'g':
        case 'n':
        case 'm':
            if (!IsFloat(arg))
                Invalid();
            return FormatFloat(arg.toDouble(), specifier);
        case 'p':
            if (!IsInteger(arg))
                Invalid();
            return QStringLiteral("%1").arg(quint32(arg.toULongLong()), 8, 16, QChar(u'0')).toUpper();
        case 's':
            if (arg.typeId() != QMetaType::QString && arg.typeId() != QMetaType::QChar)
                Invalid();
            return specifier.precision >= 0 ? arg.toString().left(specifier.precision) : arg.toString();
        default:
            Invalid();
        }
    }

    static QString FormatInteger(const QVariant &arg, const Specifier &specifier)
    {
        const bool isUnsignedType = arg.typeId() == QMetaType::ULongLong || arg.typeId() == QMetaType::ULong;
        const qint64 value = isUnsignedType ? qint64(arg.toULongLong()) : arg.toLongLong();
        bool negative = false;
        quint64 magnitude;
        if (specifier.type == u'd') {
            negative = !isUnsignedType && value < 0;
            magnitude = negative ? quint64(0) - quint64(value) : quint64(value);
        } else if (!isUnsignedType && value < 0 && value >= INT32_MIN) {
            magnitude = quint32(value); // a negative 32-bit value reads as its unsigned form
        } else {
            magnitude = quint64(value);
        }
        QString digits = QString::number(magnitude, specifier.type == u'x' ? 16 : 10).toUpper();
        if (specifier.precision > digits.size())
            digits.prepend(QString(specifier.precision - digits.size(), u'0'));
        return negative ? u'-' + digits : digits;
    }

    QString FormatFloat(double value, const Specifier &specifier) const;

    static QString Pad(const QString &text, const Specifier &specifier)
    {
        if (specifier.width <= text.size())
            return text;
        const QString fill(specifier.width - text.size(), u' ');
        return specifier.leftAlign ? text + fill : fill + text;
    }

    const QString &FFormat;
    const QVariantList &FArgs;
    qsizetype FArgIndex = 0;
};

// The value's 18 significant decimal digits and its decimal exponent (value = 0.d1d2... × 10^exponent).
struct Decimal
{
    QByteArray digits;
    int exponent = 0;
    bool negative = false;
};

Decimal ToDecimal(double value)
{
    Decimal d;
    d.negative = std::signbit(value) && value != 0;
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.17e", std::fabs(value));
    // "d.ddddddddddddddddde±x"
    const QByteArray text(buffer);
    const int e = text.indexOf('e');
    d.digits = text.left(1) + text.mid(2, e - 2);
    d.exponent = text.mid(e + 1).toInt() + 1;
    if (value == 0)
        d.exponent = 0;
    return d;
}

// Rounds half away from zero to `count` digits; a carry into a new leading digit raises the exponent.
void RoundDigits(Decimal &d, int count)
{
    if (count >= d.digits.size())
        return;
    const bool up = d.digits.at(count) >= '5';
    d.digits.truncate(count);
    if (!up)
        return;
    int k = count - 1;
    while (k >= 0 && d.digits[k] == '9')
        d.digits[k--] = '0';
    if (k >= 0) {
        d.digits[k] = char(d.digits[k] + 1);
    } else {
        d.digits.prepend('1');
        d.digits.chop(1);
        ++d.exponent;
    }
}

QString Grouped(const QString &integerPart)
{
    QString result;
    const int n = integerPart.size();
    for (int i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0)
            result += u',';
        result += integerPart.at(i);
    }
    return result;
}

QString NonFiniteText(double value)
{
    return std::isnan(value) ? QStringLiteral("NAN") : value > 0 ? QStringLiteral("INF") : QStringLiteral("-INF");
}

QString FixedText(double value, int decimals, bool thousands)
{
    if (!std::isfinite(value))
        return NonFiniteText(value);
    Decimal d = ToDecimal(value);
    const int keep = d.exponent + decimals;
    if (keep < 0 || (keep == 0 && d.digits.at(0) < '5')) {
        d.digits = "0";
        d.exponent = 1;
    } else if (keep == 0) {
        d.digits = "1";
        d.exponent = 1 - decimals;
    } else {
        RoundDigits(d, keep);
    }
    auto digitAt = [&d](int index) {
        return QLatin1Char(index >= 0 && index < d.digits.size() ? d.digits.at(index) : '0');
    };
    QString integerPart;
    for (int index = 0; index < d.exponent; ++index)
        integerPart += digitAt(index);
    if (integerPart.isEmpty())
        integerPart = QStringLiteral("0");
    if (thousands)
        integerPart = Grouped(integerPart);
    QString fraction;
    for (int k = 0; k < decimals; ++k)
        fraction += digitAt(d.exponent + k);
    const QString text = decimals > 0 ? integerPart + u'.' + fraction : integerPart;
    const bool shownAsZero = std::none_of(text.begin(), text.end(), [](QChar c) { return c >= u'1' && c <= u'9'; });
    return d.negative && !shownAsZero ? u'-' + text : text;
}

QString ExponentText(double value, int precision)
{
    if (!std::isfinite(value))
        return NonFiniteText(value);
    Decimal d = ToDecimal(value);
    RoundDigits(d, precision);
    while (d.digits.size() < precision)
        d.digits.append('0');
    const int exponent = value == 0 ? 0 : d.exponent - 1;
    QString text(QLatin1Char(d.digits.at(0)));
    if (precision > 1)
        text += u'.' + QString::fromLatin1(d.digits.mid(1));
    text += exponent < 0 ? QStringLiteral("E-") : QStringLiteral("E+");
    text += QStringLiteral("%1").arg(std::abs(exponent), 3, 10, QChar(u'0'));
    return d.negative ? u'-' + text : text;
}

QString GeneralText(double value, int precision)
{
    if (!std::isfinite(value))
        return NonFiniteText(value);
    if (value == 0)
        return QStringLiteral("0");
    Decimal d = ToDecimal(value);
    RoundDigits(d, precision);
    while (d.digits.endsWith('0'))
        d.digits.chop(1);
    QString text;
    if (d.exponent > precision || d.exponent < -3) {
        text = QString(QLatin1Char(d.digits.at(0)));
        if (d.digits.size() > 1)
            text += u'.' + QString::fromLatin1(d.digits.mid(1));
        text += u'E' + QString::number(d.exponent - 1);
    } else if (d.exponent <= 0) {
        text = QStringLiteral("0.") + QString(-d.exponent, u'0') + QString::fromLatin1(d.digits);
    } else {
        QString digits = QString::fromLatin1(d.digits);
        if (digits.size() < d.exponent)
            digits += QString(d.exponent - digits.size(), u'0');
        text = digits.left(d.exponent);
        if (digits.size() > d.exponent)
            text += u'.' + digits.mid(d.exponent);
    }
    return d.negative ? u'-' + text : text;
}

QString Formatter::FormatFloat(double value, const Specifier &specifier) const
{
    switch (specifier.type.unicode()) {
    case 'e':
        return ExponentText(value, specifier.precision < 0 ? 15 : std::clamp(specifier.precision, 1, 18));
    case 'g':
        return GeneralText(value, specifier.precision < 0 ? 15 : std::clamp(specifier.precision, 1, 18));
    case 'n':
    case 'm':
        return FixedText(value, specifier.precision < 0 ? 2 : std::min(specifier.precision, 18), true);
    default:
        return FixedText(value, specifier.precision < 0 ? 2 : std::min(specifier.precision, 18), false);
    }
}

} // namespace

QString Format(const QString &format, const QVariantList &args)
{
    return Formatter(format, args).Run();
}

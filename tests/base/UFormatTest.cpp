#include "base/Exception.h"
#include "base/UFormat.h"

#include <gtest/gtest.h>

#include <clocale>

namespace {

struct FormatCase
{
    const char *format;
    QVariantList args;
    const char *expected;
};

class FormatTable : public ::testing::TestWithParam<FormatCase>
{
};

TEST_P(FormatTable, FormatsLikeTheOriginalRoutine)
{
    const FormatCase &c = GetParam();
    EXPECT_EQ(Format(QString::fromUtf8(c.format), c.args), QString::fromUtf8(c.expected)) << c.format;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FormatTable,
    ::testing::Values(
        FormatCase{"%s and %d", {QStringLiteral("a"), 42}, "a and 42"},
        FormatCase{"%.2f %%", {12.345678}, "12.35 %"},
        FormatCase{"%.1f", {0.25}, "0.3"}, // half away from zero, on the decimal digits
        FormatCase{"%.1f", {-0.04}, "0.0"},
        FormatCase{"%.1f", {9.96}, "10.0"},
        FormatCase{"%.2f", {0.005}, "0.01"},
        FormatCase{"%f", {3}, "3.00"},
        FormatCase{"%.0f", {2.5}, "3"},
        FormatCase{"%n", {1234567.891}, "1,234,567.89"},
        FormatCase{"%e", {1234.5}, "1.23450000000000E+003"},
        FormatCase{"%g", {0.5}, "0.5"},
        FormatCase{"%g", {100.0}, "100"},
        FormatCase{"%5d|%-5d|", {42, 42}, "   42|42   |"},
        FormatCase{"%.4d", {-7}, "-0007"},
        FormatCase{"%x", {255}, "FF"},
        FormatCase{"%.8x", {0x401000}, "00401000"},
        FormatCase{"%u", {-1}, "4294967295"},
        FormatCase{"%1:s %0:s %s", {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}, "b a b"},
        FormatCase{"%*d", {4, 7}, "   7"},
        FormatCase{"%.3s", {QStringLiteral("abcdef")}, "abc"},
        FormatCase{"%d", {Q_INT64_C(-9223372036854775807) - 1}, "-9223372036854775808"},
        FormatCase{"%p", {0x1234}, "00001234"},
        FormatCase{"no placeholders", {}, "no placeholders"}));

TEST(Format, UsesADecimalPointWhateverTheLocale)
{
    const char *previous = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = previous ? previous : "C";
    if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8") && !std::setlocale(LC_NUMERIC, "fr_FR.UTF-8"))
        GTEST_SKIP() << "no locale with a decimal comma is installed";
    EXPECT_EQ(Format(QStringLiteral("%.2f"), {1.5}), QStringLiteral("1.50"));
    std::setlocale(LC_NUMERIC, saved.c_str());
}

TEST(Format, RejectsBadSpecifiersAndMissingArguments)
{
    const struct
    {
        const char *format;
        QVariantList args;
        const char *message;
    } cases[] = {
        {"%d", {QStringLiteral("x")}, "Format '%d' invalid or incompatible with argument"},
        {"%s", {3}, "Format '%s' invalid or incompatible with argument"},
        {"%q", {3}, "Format '%q' invalid or incompatible with argument"},
        {"%d %d", {3}, "No argument for format '%d %d'"},
        {"abc %", {}, "Format 'abc %' invalid or incompatible with argument"},
    };
    for (const auto &c : cases) {
        try {
            Format(QString::fromUtf8(c.format), c.args);
            ADD_FAILURE() << "no error for " << c.format;
        } catch (const EConvertError &e) {
            EXPECT_EQ(e.Message(), QString::fromUtf8(c.message));
        }
    }
}

} // namespace

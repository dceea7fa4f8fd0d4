#pragma once
// Small detailed MAP files for the tests of every layer.

#include <QFile>
#include <QString>
#include <QStringList>

#include <vector>

// A detailed MAP file with the given units (name, code size) and public symbols (address, name)
// after a segment table of the given code length; the units lie one after the other from 0.
struct TMapUnit
{
    QString Name;
    quint32 Size;
};
struct TMapSymbol
{
    quint32 Address;
    QString Name;
};
inline QString WriteMapFile(const QString &path, const std::vector<TMapUnit> &units,
                            const std::vector<TMapSymbol> &symbols, quint32 codeLength)
{
    const auto hex = [](quint32 value) {
        return QStringLiteral("%1").arg(value, 8, 16, QLatin1Char('0')).toUpper();
    };
    QStringList lines = {QString(),
                         QStringLiteral(" Start         Length     Name                   Class"),
                         QStringLiteral(" 0001:00401000 ") + hex(codeLength) +
                             QStringLiteral(" .text                   CODE"),
                         QString(),
                         QStringLiteral("Detailed map of segments"),
                         QString()};
    quint32 start = 0;
    for (const TMapUnit &unit : units) {
        lines << QStringLiteral(" 0001:") + hex(start) + u' ' + hex(unit.Size) +
                     QStringLiteral(" C=CODE     S=.text    G=(none)   M=") + unit.Name +
                     QStringLiteral("  ALIGN=4");
        start += unit.Size;
    }
    lines << QString() << QStringLiteral("  Address         Publics by Name") << QString();
    lines << QString() << QStringLiteral("  Address         Publics by Value") << QString();
    for (const TMapSymbol &symbol : symbols)
        lines << QStringLiteral(" 0001:") + hex(symbol.Address) + QStringLiteral("       ") + symbol.Name;
    // The last line of every MAP file the linker finishes.
    lines << QString() << QStringLiteral("Program entry point at 0001:00000000") << QString();

    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(lines.join(QStringLiteral("\r\n")).toLatin1());
    return path;
}

#include "SyntheticMap.h"

#include <QFile>
#include <QFileInfo>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace {

const char *const Areas[] = {"System", "Vcl", "Data", "Xml", "Web", "Winapi", "Fmx", "App"};

std::string Cat(std::initializer_list<std::string_view> parts)
{
    std::string result;
    for (const std::string_view part : parts)
        result.append(part);
    return result;
}

std::string Hex8(qint64 value)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%08llX", static_cast<unsigned long long>(value));
    return buffer;
}

struct TSymbol
{
    qint64 Address;
    std::string Name;
};

// Member names of one unit: classes with methods, nested types, generics, overloads, metadata.
std::vector<std::string> UnitMembers(const std::string &unit, qint64 count, std::mt19937 &random)
{
    std::vector<std::string> members;
    members.reserve(size_t(count));
    int type = 0;
    while (qint64(members.size()) < count) {
        const std::string cls = Cat({"T", std::to_string(type++)});
        const int kind = int(random() % 16);
        if (kind == 0)
            members.push_back(Cat({unit, "..", cls}));
        const std::string owner = kind == 1   ? Cat({cls, "<System.Integer>"})
                                  : kind == 2 ? Cat({cls, "<", unit, ".TKey,System.string>"})
                                  : kind == 3 ? Cat({"{", unit, "}", cls})
                                              : cls;
        const int methods = 2 + int(random() % 12);
        for (int m = 0; m < methods && qint64(members.size()) < count; ++m) {
            const std::string method = Cat({"M", std::to_string(m % 7)});
            if (m % 5 == 4)
                members.push_back(Cat({unit, ".", owner, ".I", std::to_string(m), ".", method}));
            else
                members.push_back(Cat({unit, ".", owner, ".", method})); // overloads repeat names
        }
    }
    return members;
}

class TWriter
{
public:
    explicit TWriter(QFile &file) : FFile(file) { FBuffer.reserve(1 << 22); }
    ~TWriter() { Flush(); }
    void Line(const std::string &text)
    {
        FBuffer += text;
        FBuffer += "\r\n";
        if (FBuffer.size() > (1u << 22))
            Flush();
    }
    void Flush()
    {
        FFile.write(FBuffer.data(), qint64(FBuffer.size()));
        FBuffer.clear();
    }

private:
    QFile &FFile;
    std::string FBuffer;
};

enum class TUnitFate { Kept, Removed, Grown, Shrunk };

TUnitFate FateOf(const TSyntheticMapOptions &options, int unit)
{
    if (!options.NextBuild || unit >= options.Units)
        return TUnitFate::Kept;
    switch (unit % 10) {
    case 3:
        return TUnitFate::Removed;
    case 5:
        return TUnitFate::Grown;
    case 7:
        return TUnitFate::Shrunk;
    default:
        return TUnitFate::Kept;
    }
}

} // namespace

QString SyntheticUnitName(int index)
{
    // Every 50th unit nests inside an area name that is itself a unit, as System.Classes in System.
    if (index < int(std::size(Areas)))
        return QString::fromLatin1(Areas[index]);
    return QStringLiteral("%1.U%2").arg(QLatin1String(Areas[index % std::size(Areas)])).arg(index);
}

bool WriteSyntheticMap(const QString &fileName, const TSyntheticMapOptions &options, TSyntheticMapInfo &info)
{
    std::mt19937 random(options.Seed);
    const int units = std::max(options.Units, 1);
    const qint64 featured =
        options.FeaturedUnit >= 0 && options.FeaturedUnit < units ? options.FeaturedSymbols : 0;
    const qint64 rest = std::max<qint64>(options.Symbols - featured, 0);
    const int others = units - (featured ? 1 : 0);

    std::vector<TSymbol> symbols;
    symbols.reserve(size_t(options.Symbols + units));
    std::vector<int> written;                       // the numbers of the units in the file
    std::vector<std::pair<qint64, qint64>> extents; // start, size
    qint64 address = 0;
    int other = 0;
    const int added = options.NextBuild ? std::max(1, units / 50) : 0;
    for (int u = 0; u < units + added; ++u) {
        const std::string name = SyntheticUnitName(u).toStdString();
        const qint64 count = u >= units ? 50
                             : u == options.FeaturedUnit
                                 ? featured
                                 : rest / std::max(others, 1) + (other++ < rest % std::max(others, 1));
        // The random numbers of a unit that changes are drawn all the same, so that the units after
        // it come out as in the first build.
        const TUnitFate fate = FateOf(options, u);
        const qint64 start = address;
        address += 4 * (random() % 3); // private code before the first public symbol
        const std::vector<std::string> members = UnitMembers(name, count, random);
        for (size_t m = 0; m < members.size(); ++m) {
            const bool dropped =
                fate == TUnitFate::Removed || (fate == TUnitFate::Shrunk && m + 1 == members.size() && m > 0);
            if (!dropped)
                symbols.push_back({address, members[m]});
            if (random() % 97 == 0 && !dropped)
                symbols.push_back({address, Cat({members[m], "$A"})}); // two publics at one address
            const qint64 step = 4 + 4 * qint64(random() % 40);
            if (!dropped)
                address += step;
        }
        if (fate == TUnitFate::Grown) {
            for (int g = 0; g < options.GrowthSymbols; ++g) {
                symbols.push_back({address, Cat({name, ".TNextBuild.Added", std::to_string(g)})});
                address += 64;
            }
        }
        if (fate == TUnitFate::Removed) {
            address = start;
            continue;
        }
        written.push_back(u);
        extents.emplace_back(start, address - start);
        address = (address + 15) & ~qint64(15); // alignment padding before the next unit
    }

    // Offsets as the linker writes them: 8 hexadecimal digits, 16 for 64-bit programs.
    const auto offset = [&options](qint64 value) {
        return options.Win64 ? Cat({"00000000", Hex8(value)}) : Hex8(value);
    };
    const char *const alignment = options.Win64 ? "ALIGN=16" : "ACBP=A9";
    const char *const gap = options.Win64 ? "        " : "";

    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    {
        TWriter out(file);
        out.Line("");
        out.Line(Cat({" Start         ", gap, "Length     Name                   Class"}));
        out.Line(Cat({" 0001:", offset(0x401000), " ", Hex8(address), "H .text                   CODE"}));
        out.Line(
            Cat({" 0002:", offset(0x401000 + address + 0x1000), " 00002000H .itext                  ICODE"}));
        out.Line(Cat({" 0003:", offset(0), " 00010000H .data                   DATA"}));
        out.Line(Cat({" 0004:", offset(0x10000), " 00008000H .bss                    BSS"}));
        out.Line("");
        out.Line("");
        out.Line("Detailed map of segments");
        out.Line("");
        char line[512];
        const int count = int(written.size());
        for (int i = 0; i < count; ++i) {
            const std::string module = Cat({"M=", SyntheticUnitName(written[size_t(i)]).toStdString()});
            std::snprintf(line, sizeof line, " 0001:%s %s C=CODE     S=.text    G=(none)   %-10s %s",
                          offset(extents[size_t(i)].first).c_str(), Hex8(extents[size_t(i)].second).c_str(),
                          module.c_str(), alignment);
            out.Line(line);
        }
        for (int i = 0; i < count; i += 3) {
            const std::string module = Cat({"M=", SyntheticUnitName(written[size_t(i)]).toStdString()});
            std::snprintf(line, sizeof line, " 0003:%s 00000010 C=DATA     S=.data    G=DGROUP   %-10s %s",
                          offset(16 * i).c_str(), module.c_str(), alignment);
            out.Line(line);
        }
        out.Line("");
        out.Line("");
        out.Line(Cat({"  Address             ", gap, "Publics by Name"}));
        out.Line("");
        std::vector<const TSymbol *> byName;
        byName.reserve(symbols.size());
        for (const TSymbol &symbol : symbols)
            byName.push_back(&symbol);
        std::sort(byName.begin(), byName.end(),
                  [](const TSymbol *a, const TSymbol *b) { return a->Name < b->Name; });
        for (const TSymbol *symbol : byName)
            out.Line(Cat({" 0001:", offset(symbol->Address), "       ", symbol->Name}));
        byName = {};
        out.Line("");
        out.Line("");
        out.Line(Cat({"  Address             ", gap, "Publics by Value"}));
        out.Line("");
        for (const TSymbol &symbol : symbols)
            out.Line(Cat({" 0001:", offset(symbol.Address), "       ", symbol.Name}));
        out.Line("");
        out.Line("");
        for (int i = 0; i < count; i += std::max(options.LineNumberEvery, 1)) {
            const std::string name = SyntheticUnitName(written[size_t(i)]).toStdString();
            out.Line(Cat({"Line numbers for ", name, "(", name, ".pas) segment .text"}));
            out.Line("");
            std::string row;
            for (int k = 0; k < 16; ++k) {
                std::snprintf(line, sizeof line, "%6d 0001:%s", 10 + 3 * k,
                              offset(extents[size_t(i)].first + 8 * k).c_str());
                row.append(k % 4 ? " " : "").append(line);
                if (k % 4 == 3) {
                    out.Line(row);
                    row.clear();
                }
            }
            out.Line("");
        }
        out.Line("Bound resource files");
        out.Line("");
        out.Line("c:\\program files (x86)\\studio\\lib\\win32\\release\\Controls.res");
        for (int i = count - 1; i >= 0 && i > count - 20; --i)
            out.Line(Cat({SyntheticUnitName(written[size_t(i)]).toStdString(), ".dfm"}));
        out.Line("Project.res");
        out.Line("");
        out.Line("Program entry point at 0002:00001494");
    }
    file.close();

    info.Bytes = QFileInfo(fileName).size();
    info.Symbols = qint64(symbols.size());
    info.Units = int(written.size());
    info.FeaturedUnitName = options.FeaturedUnit >= 0 ? SyntheticUnitName(options.FeaturedUnit) : QString();
    info.FirstUnitName = SyntheticUnitName(0);
    info.LastUnitName = SyntheticUnitName(written.back());
    return file.error() == QFileDevice::NoError;
}

void WriteSyntheticMapOnce(const QString &fileName, const TSyntheticMapOptions &options)
{
    const QString stamp = fileName + QStringLiteral(".done");
    if (QFileInfo::exists(stamp) && QFileInfo::exists(fileName))
        return;
    std::fprintf(stderr, "generating %s ...\n", qPrintable(fileName));
    const pid_t child = fork();
    if (child == 0) {
        TSyntheticMapInfo info;
        std::_Exit(WriteSyntheticMap(fileName, options, info) ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(fileName));
        std::exit(1);
    }
    QFile(stamp).open(QIODevice::WriteOnly);
}

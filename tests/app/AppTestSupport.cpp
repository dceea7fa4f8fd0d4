#include "AppTestSupport.h"

#include "controls/UStdMessageDlg.h"

#include <QApplication>
#include <QDir>
#include <QFile>

qint64 TFakeTime::NowMs() const
{
    FNow += Step;
    ++Readings;
    for (auto &[handle, entry] : FTimers) {
        if (entry.Due <= FNow) {
            entry.Due = entry.Period ? FNow + entry.Period : std::numeric_limits<qint64>::max();
            entry.Callback();
        }
    }
    if (OnReading)
        OnReading(FNow);
    return FNow;
}

std::unique_ptr<TICCTimer> TFakeTime::CreateTimer(std::function<void()>)
{
    return nullptr;
}

std::uintptr_t TFakeTime::CreateTimer(std::uint32_t dueMs, std::uint32_t periodMs, TCallback callback)
{
    DueTimes.push_back(dueMs);
    FTimers[FNextHandle] = {FNow + dueMs, periodMs, std::move(callback)};
    return FNextHandle++;
}

void TFakeTime::DeleteTimer(std::uintptr_t handle)
{
    FTimers.erase(handle);
}

TMessageCatcher::TMessageCatcher()
{
    QObject::connect(&FTimer, &QTimer::timeout, [this] {
        if (auto *dialog = qobject_cast<TStdMessageDlg *>(QApplication::activeModalWidget())) {
            Messages << dialog->DisplayText();
            dialog->reject();
        }
    });
    FTimer.start(10);
}

TTemporarySettings::TTemporarySettings()
{
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, FFolder.path());
}

TTemporarySettings::~TTemporarySettings()
{
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                       QDir::tempPath() + QStringLiteral("/quillon-no-settings"));
}

QString WriteMapFile(const QString &path, const std::vector<TMapUnit> &units,
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
    lines << QString();

    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(lines.join(QStringLiteral("\r\n")).toLatin1());
    return path;
}

QString SourceDir()
{
    return QStringLiteral(QUILLON_SOURCE_DIR);
}

QString CorpusDir()
{
    return QStringLiteral(QUILLON_CORPUS_DIR);
}

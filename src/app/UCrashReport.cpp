#include "app/UCrashReport.h"

#include "app/ExceptionInfo.h"
#include "app/UserSession.h"
#include "base/UVersionInfo.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QSysInfo>

#include <chrono>
#include <vector>

namespace {

struct TReportState
{
    std::vector<std::unique_ptr<TCrashReporter>> Reporters;
    QDateTime LaunchTime;
    quint32 LaunchTicks = 0;
};

TReportState &ReportState()
{
    static TReportState state;
    return state;
}

QString QuotedArguments(const QStringList &arguments)
{
    QStringList quoted;
    for (const QString &argument : arguments)
        quoted << (argument.contains(u' ') ? u'"' + argument + u'"' : argument);
    return quoted.join(u' ');
}

QString FileDateText(const QDateTime &stamp)
{
    QString text = stamp.toString(QStringLiteral("dd/MM/yyyy"));
    if (stamp.time() != QTime(0, 0))
        text += stamp.toString(QStringLiteral(" HH:mm:ss"));
    return text;
}

} // namespace

void TApplicationCrashReporter::WriteReport(THierarchicalWriter &node) const
{
    const TReportState &state = ReportState();
    const QFileInfo executable(QCoreApplication::applicationFilePath());
    THierarchicalWriter &section = node.AddNode(QStringLiteral("Application"));
    section.AddNode(QStringLiteral("ExeName"), executable.filePath());
    section.AddNode(QStringLiteral("Version"), ApplicationFullVersion());
    section.AddNode(QStringLiteral("FileDate"),
                    executable.exists() ? FileDateText(executable.lastModified()) : QString());
    section.AddNode(QStringLiteral("FileSize"), executable.exists() ? executable.size() : qint64(-1));
    section.AddNode(QStringLiteral("CommandLine"), QuotedArguments(QCoreApplication::arguments()));
    section.AddNode(QStringLiteral("LaunchDateTime"), ReportDateTime(state.LaunchTime));
    section.AddNode(QStringLiteral("LaunchTicks"), qint64(state.LaunchTicks));
}

void TOSCrashReporter::WriteReport(THierarchicalWriter &node) const
{
    THierarchicalWriter &section = node.AddNode(QStringLiteral("OperatingSystem"));
    section.AddNode(QStringLiteral("Version"), QSysInfo::prettyProductName());
    section.AddNode(QStringLiteral("CSDVersion"), QSysInfo::productType());
    section.AddNode(QStringLiteral("VersionNumber"), QSysInfo::productVersion());
    section.AddNode(QStringLiteral("ProductType"), QStringLiteral("Workstation"));
    section.AddNode(QStringLiteral("Build"), QSysInfo::kernelType() + u' ' + QSysInfo::kernelVersion());
}

void TSessionCrashReporter::WriteReport(THierarchicalWriter &node) const
{
    const TUserSession session = CurrentUserSession();
    THierarchicalWriter &section = node.AddNode(QStringLiteral("UserSession"));
    section.AddNode(QStringLiteral("UserName"), session.UserName);
    section.AddNode(QStringLiteral("ComputerName"), session.ComputerName);
    section.AddNode(QStringLiteral("DomainName"), session.DomainName);
    section.AddNode(QStringLiteral("TSESession"), session.Remote ? QStringLiteral("Y") : QStringLiteral("N"));
    section.AddNode(QStringLiteral("TSEComputerName"), session.RemoteClient);
    THierarchicalWriter &paths = section.AddNode(QStringLiteral("Paths"));
    paths.AddNode(QStringLiteral("Windows"), session.WindowsFolder);
    paths.AddNode(QStringLiteral("System"), session.SystemFolder);
    paths.AddNode(QStringLiteral("Temp"), session.TempFolder);
    paths.AddNode(QStringLiteral("ProgramFiles"), session.ProgramFilesFolder);
}

void TExceptionCrashReporter::WriteReport(THierarchicalWriter &node) const
{
    TExceptionInfo info = DescribeException(FException);
    THierarchicalWriter *innermost = &node.AddNode(QStringLiteral("Exception"));
    innermost->AddNode(QStringLiteral("DateTime"), ReportDateTime(QDateTime::currentDateTime()));
    innermost->AddNode(QStringLiteral("Class"), info.ClassName);
    innermost->AddNode(QStringLiteral("Message"), info.Message);
    // A C++ exception carries no address of the code that raised it.
    innermost->AddNode(QStringLiteral("ExceptAddr"), QStringLiteral("00000000"));
    while (info.Inner) {
        info = DescribeException(info.Inner);
        innermost = &innermost->AddNode(QStringLiteral("InnerException"));
        innermost->AddNode(QStringLiteral("Class"), info.ClassName);
        innermost->AddNode(QStringLiteral("Message"), info.Message);
    }
    innermost->AddNode(QStringLiteral("Ticks"), qint64(TickCount()));
}

void InitCrashReporters()
{
    TReportState &state = ReportState();
    RegisterCrashReporter(std::make_unique<TApplicationCrashReporter>());
    RegisterCrashReporter(std::make_unique<TOSCrashReporter>());
    RegisterCrashReporter(std::make_unique<TSessionCrashReporter>());
    state.LaunchTime = QDateTime::currentDateTime();
    state.LaunchTicks = TickCount();
}

void FreeCrashReporters()
{
    ReportState().Reporters.clear();
}

void RegisterCrashReporter(std::unique_ptr<TCrashReporter> reporter)
{
    ReportState().Reporters.push_back(std::move(reporter));
}

void InsertCrashReporter(std::unique_ptr<TCrashReporter> reporter)
{
    auto &reporters = ReportState().Reporters;
    reporters.insert(reporters.begin(), std::move(reporter));
}

void RemoveFirstCrashReporter()
{
    auto &reporters = ReportState().Reporters;
    if (!reporters.empty())
        reporters.erase(reporters.begin());
}

void WriteCrashReport(THierarchicalWriter &node)
{
    node.AddNode(QStringLiteral("Version"), QStringLiteral("1.00"));
    for (const auto &reporter : ReportState().Reporters)
        reporter->WriteReport(node);
}

quint32 TickCount()
{
    using namespace std::chrono;
    return quint32(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

QString ReportDateTime(const QDateTime &time)
{
    return time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
}

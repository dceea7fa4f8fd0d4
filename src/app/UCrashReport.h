#pragma once
// The sections of a crash report and the process-wide list of reporters that write them.

#include "app/UHierarchical.h"

#include <QDateTime>

#include <exception>
#include <memory>

class TCrashReporter
{
public:
    virtual ~TCrashReporter() = default;
    // Writes one section as a child of the node.
    virtual void WriteReport(THierarchicalWriter &node) const = 0;
};

class TApplicationCrashReporter : public TCrashReporter
{
public:
    void WriteReport(THierarchicalWriter &node) const override;
};

class TOSCrashReporter : public TCrashReporter
{
public:
    void WriteReport(THierarchicalWriter &node) const override;
};

class TSessionCrashReporter : public TCrashReporter
{
public:
    void WriteReport(THierarchicalWriter &node) const override;
};

class TExceptionCrashReporter : public TCrashReporter
{
public:
    explicit TExceptionCrashReporter(std::exception_ptr exception) : FException(std::move(exception)) {}
    void WriteReport(THierarchicalWriter &node) const override;

private:
    std::exception_ptr FException;
};

// Start-up: the three standard reporters, the launch time and tick count. Shut-down frees them.
void InitCrashReporters();
void FreeCrashReporters();

void RegisterCrashReporter(std::unique_ptr<TCrashReporter> reporter);
void InsertCrashReporter(std::unique_ptr<TCrashReporter> reporter);
// Takes the first reporter out of the list again.
void RemoveFirstCrashReporter();

// "Version" and then every reporter's section, in list order.
void WriteCrashReport(THierarchicalWriter &node);

// Milliseconds since the system started, wrapping at 32 bits.
quint32 TickCount();
// "yyyy-mm-dd hh:nn:ss.zzz"
QString ReportDateTime(const QDateTime &time);

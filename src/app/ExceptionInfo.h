#pragma once
// What the crash handling tells about an exception: its class, its message and the exception it
// wraps (std::throw_with_nested), if any.

#include <QString>

#include <exception>

struct TExceptionInfo
{
    QString ClassName;
    QString Message;
    std::exception_ptr Inner;
};

TExceptionInfo DescribeException(const std::exception_ptr &exception);

#pragma once
// The one base of every error this system raises: an exception that carries its message.

#include <QString>
#include <exception>

class Exception : public std::exception
{
public:
    explicit Exception(QString message) : FMessage(std::move(message)), FUtf8(FMessage.toUtf8()) {}
    const QString &Message() const { return FMessage; }
    const char *what() const noexcept override { return FUtf8.constData(); }

private:
    QString FMessage;
    QByteArray FUtf8;
};

#define QUILLON_DECLARE_EXCEPTION(Name, Base)                                                               \
    class Name : public Base                                                                                \
    {                                                                                                       \
    public:                                                                                                 \
        using Base::Base;                                                                                   \
    };

QUILLON_DECLARE_EXCEPTION(EStringListError, Exception)
QUILLON_DECLARE_EXCEPTION(EConvertError, Exception)
QUILLON_DECLARE_EXCEPTION(EAssertionFailed, Exception)
QUILLON_DECLARE_EXCEPTION(EInOutError, Exception)
QUILLON_DECLARE_EXCEPTION(EAbort, Exception)

// A precondition check: raises EAssertionFailed with its text ("Assertion failure" unless given)
// followed by the source file and line.
[[noreturn]] void RaiseAssertion(const QString &text, const char *file, int line);

#define QASSERT(condition)                                                                                  \
    do {                                                                                                    \
        if (!(condition))                                                                                   \
            RaiseAssertion(QString(), __FILE__, __LINE__);                                                  \
    } while (false)
#define QASSERT_MSG(condition, text)                                                                        \
    do {                                                                                                    \
        if (!(condition))                                                                                   \
            RaiseAssertion(text, __FILE__, __LINE__);                                                       \
    } while (false)

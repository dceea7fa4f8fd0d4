#pragma once
// A parser of command lines as GNU tools write them: "--name value" and "--name=value", "-n value"
// and "-nvalue", flags that take no value, "--" before arguments that begin with "-", and
// positional arguments. What the options mean is the caller's: each one has a handler.

#include <QChar>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

class TCommandLine
{
public:
    // Applies a value; false with the reason in Error when the value is not acceptable.
    using TValueHandler = std::function<bool(const QString &Value, QString &Error)>;

    // "--Long" or "-Short" (a null Short for none), without a value.
    void AddFlag(const QString &Long, QChar Short, std::function<void()> Set);
    // "--Long VALUE", "--Long=VALUE", "-Short VALUE" or "-ShortVALUE".
    void AddOption(const QString &Long, QChar Short, TValueHandler Apply);
    // Arguments that are not options, in order. Without a handler they are usage errors.
    void SetPositional(TValueHandler Apply);

    // Applies every argument in order; false with a message in Error at the first usage error.
    bool Parse(const QStringList &Arguments, QString &Error) const;

private:
    struct TOption
    {
        QString Long;
        QChar Short;
        bool TakesValue = false;
        std::function<void()> Set;
        TValueHandler Apply;
    };
    const TOption *FindLong(const QString &Name) const;
    const TOption *FindShort(QChar Name) const;
    bool Positional(const QString &Argument, QString &Error) const;

    std::vector<TOption> FOptions;
    TValueHandler FPositional;
};

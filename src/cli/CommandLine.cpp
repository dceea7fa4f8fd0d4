#include "cli/CommandLine.h"

using namespace Qt::Literals::StringLiterals;

void TCommandLine::AddFlag(const QString &Long, QChar Short, std::function<void()> Set)
{
    FOptions.push_back({Long, Short, false, std::move(Set), {}});
}

void TCommandLine::AddOption(const QString &Long, QChar Short, TValueHandler Apply)
{
    FOptions.push_back({Long, Short, true, {}, std::move(Apply)});
}

void TCommandLine::SetPositional(TValueHandler Apply)
{
    FPositional = std::move(Apply);
}

const TCommandLine::TOption *TCommandLine::FindLong(const QString &Name) const
{
    for (const TOption &option : FOptions)
        if (option.Long == Name)
            return &option;
    return nullptr;
}

const TCommandLine::TOption *TCommandLine::FindShort(QChar Name) const
{
    for (const TOption &option : FOptions)
        if (!option.Short.isNull() && option.Short == Name)
            return &option;
    return nullptr;
}

bool TCommandLine::Positional(const QString &Argument, QString &Error) const
{
    if (FPositional)
        return FPositional(Argument, Error);
    Error = u"unexpected argument \"%1\""_s.arg(Argument);
    return false;
}

bool TCommandLine::Parse(const QStringList &Arguments, QString &Error) const
{
    bool optionsEnded = false;
    for (qsizetype i = 0; i < Arguments.size(); ++i) {
        const QString &argument = Arguments[i];
        // "-" alone names standard input or output by convention: it is an argument.
        if (optionsEnded || !argument.startsWith(u'-') || argument == u"-") {
            if (!Positional(argument, Error))
                return false;
            continue;
        }
        if (argument == u"--") {
            optionsEnded = true;
            continue;
        }

        const bool isLong = argument.startsWith(u"--");
        const qsizetype equals = isLong ? argument.indexOf(u'=') : -1;
        const QString spelled = equals >= 0 ? argument.left(equals) : isLong ? argument : argument.left(2);
        const TOption *option = isLong ? FindLong(spelled.mid(2)) : FindShort(argument[1]);
        if (!option) {
            Error = u"unknown option %1 (try --help)"_s.arg(isLong ? spelled : argument);
            return false;
        }
        // What follows the name in the same argument: "=value" of a long option, "value" of "-ovalue".
        const bool attached = isLong ? equals >= 0 : argument.size() > 2;
        const QString attachedValue = isLong ? argument.mid(equals + 1) : argument.mid(2);
        if (!option->TakesValue) {
            if (attached) {
                Error = u"option %1 takes no value"_s.arg(spelled);
                return false;
            }
            option->Set();
            continue;
        }
        QString value = attachedValue;
        if (!attached) {
            if (i + 1 >= Arguments.size()) {
                Error = u"option %1 needs a value"_s.arg(spelled);
                return false;
            }
            value = Arguments[++i];
        }
        QString reason;
        if (!option->Apply(value, reason)) {
            Error = u"option %1: %2"_s.arg(spelled, reason);
            return false;
        }
    }
    return true;
}

#include "report/ScriptDataDevice.h"

QByteArray EscapeScriptData(QByteArrayView Json)
{
    QByteArray result;
    result.reserve(Json.size() + Json.size() / 64);
    qsizetype from = 0;
    for (qsizetype at = Json.indexOf('<'); at >= 0; at = Json.indexOf('<', from)) {
        result.append(Json.sliced(from, at - from));
        result.append("\\u003c");
        from = at + 1;
    }
    result.append(Json.sliced(from));
    return result;
}

TScriptDataDevice::TScriptDataDevice(QIODevice &Output) : FOutput(Output)
{
    open(QIODevice::WriteOnly | QIODevice::Unbuffered);
}

qint64 TScriptDataDevice::writeData(const char *Data, qint64 Size)
{
    const QByteArray escaped = EscapeScriptData(QByteArrayView(Data, Size));
    return FOutput.write(escaped) == escaped.size() ? Size : -1;
}

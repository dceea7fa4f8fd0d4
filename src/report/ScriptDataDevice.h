#pragma once
// Data inside a <script> element of the HTML report. Every "<" becomes the JSON escape \u003c, so
// that no name can end the element ("</script>") or open a comment in it, and the JSON still reads
// the same. The escape works byte by byte, so text may arrive in pieces of any size.

#include <QByteArray>
#include <QIODevice>

QByteArray EscapeScriptData(QByteArrayView Json);

// Passes what is written to Output, escaped.
class TScriptDataDevice : public QIODevice
{
public:
    explicit TScriptDataDevice(QIODevice &Output);

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *Data, qint64 Size) override;

private:
    QIODevice &FOutput;
};

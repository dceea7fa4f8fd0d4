#pragma once
// Output of the tool's formats, buffered and streamed, so that a report of millions of symbols never
// sits in memory; a failed write is remembered and reported once at the end.

#include <QByteArray>
#include <QIODevice>
#include <QString>

class TBufferedWriter
{
public:
    explicit TBufferedWriter(QIODevice &Output);
    virtual ~TBufferedWriter() = default;
    TBufferedWriter(const TBufferedWriter &) = delete;
    TBufferedWriter &operator=(const TBufferedWriter &) = delete;

    // Writes what is buffered; false when the output failed at any point.
    bool Finish();

protected:
    void Write(QByteArrayView Bytes);
    void WriteText(const QString &Text) { Write(QByteArrayView(Text.toUtf8())); }
    // A failure found by the writer itself (a part of the output that could not be made).
    void MarkFailed() { FFailed = true; }

private:
    void Put(QByteArrayView Bytes);

    QIODevice &FOutput;
    QByteArray FBuffer;
    bool FFailed = false;
};

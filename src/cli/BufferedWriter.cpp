#include "cli/BufferedWriter.h"

namespace {

constexpr qsizetype FlushSize = 1 << 20;

} // namespace

TBufferedWriter::TBufferedWriter(QIODevice &Output) : FOutput(Output)
{
    FBuffer.reserve(FlushSize);
}

void TBufferedWriter::Put(QByteArrayView Bytes)
{
    if (!FFailed && FOutput.write(Bytes.data(), Bytes.size()) != Bytes.size())
        FFailed = true;
}

// Mended: the buffer was freed at every flush and grown again from nothing, which cost a tenth of a
// large JSON report in copies and fresh pages; it keeps its room now, and a part larger than it
// (one unit's tree) goes straight out.
void TBufferedWriter::Write(QByteArrayView Bytes)
{
    if (FBuffer.size() + Bytes.size() > FlushSize) {
        Put(FBuffer);
        FBuffer.resize(0);
        if (Bytes.size() >= FlushSize) {
            Put(Bytes);
            return;
        }
    }
    FBuffer.append(Bytes);
}

bool TBufferedWriter::Finish()
{
    if (!FBuffer.isEmpty())
        Put(FBuffer);
    FBuffer.resize(0);
    return !FFailed;
}
